// JSON Lines: one object a line; a line that did not read gives {"line", "input", "error"}.
#include "cli/json_record.h"
#include "cli/writers.h"

namespace kavu::cli {

namespace {

class JsonLinesWriter : public FormatWriter {
  public:
    JsonLinesWriter(Command command, Output& out, const Datum& datum)
        : shape_(ShapeOf(command)), out_(out), datum_(datum) {}

    void Write(const SheetRecord& r) override {
        out_.Put(Dump(RecordJson(r, shape_, datum_, shape_.Frame)));
        out_.Put('\n');
    }

    void WriteEmpty(std::size_t line, std::string_view input, std::string_view reason) override {
        Json j{{"line", line != 0 ? Json(line) : Json(nullptr)},
               {"input", JsonText(input)},
               {"error", JsonText(reason)}};
        out_.Put(Dump(j));
        out_.Put('\n');
    }

  private:
    RecordShape shape_;
    Output& out_;
    const Datum& datum_;
};

} // namespace

std::unique_ptr<FormatWriter> MakeJsonWriter(Command command, Output& out, const Datum& datum) {
    return std::make_unique<JsonLinesWriter>(command, out, datum);
}

} // namespace kavu::cli
