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
        if (shape_.Point && !shape_.Frame) {
            const std::size_t room = PointRecordRoom(r, datum_) + 1;
            if (room <= kDirectRoom) {
                char* p = out_.Reserve(room);
                if (const std::size_t n = WritePointRecord(p, r, datum_); n != 0) {
                    p[n] = '\n';
                    out_.Commit(n + 1);
                    return;
                }
            }
        }
        json_.Clear();
        json_.Object();
        AppendRecordMembers(json_, r, shape_, datum_, shape_.Frame);
        json_.End();
        Put();
    }

    void WriteEmpty(std::size_t line, std::string_view input, std::string_view reason) override {
        json_.Clear();
        json_.Object().Key("line");
        if (line != 0)
            json_.Integer(line);
        else
            json_.Null();
        json_.Key("input").String(input).Key("error").String(reason).End();
        Put();
    }

  private:
    static constexpr std::size_t kDirectRoom = 1 << 14; // well inside the output buffer

    void Put() {
        out_.Put(json_.Text());
        out_.Put('\n');
    }

    RecordShape shape_;
    Output& out_;
    const Datum& datum_;
    JsonBuilder json_;
};

} // namespace

std::unique_ptr<FormatWriter> MakeJsonWriter(Command command, Output& out, const Datum& datum) {
    return std::make_unique<JsonLinesWriter>(command, out, datum);
}

} // namespace kavu::cli
