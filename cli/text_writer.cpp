// Text for people: one record a line, fields padded to the widest value they can take so that
// the columns line up while streaming. Lines that did not read are left out (their message is
// on standard error).
#include "cli/writers.h"

#include <string>

namespace kavu::cli {
namespace {

constexpr std::size_t kScaleWidth = 9; // "1:1000000"
constexpr std::size_t kNewWidth = 17;  // "s 21-60-144-4-4-4"
constexpr std::size_t kOldWidth = 16;  // "s U-60-144-Г-г-4"

// Characters, not bytes: the old notation holds two-byte Cyrillic letters.
std::size_t Width(std::string_view text) {
    std::size_t n = 0;
    for (const char c : text)
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

void PutPadded(std::string& line, std::string_view text, std::size_t width) {
    line.append(text);
    const std::size_t w = Width(text);
    line.append(w < width ? width - w : 0, ' ');
    line.append("  ");
}

class TextWriter : public FormatWriter {
  public:
    TextWriter(Command command, Output& out, const Datum& datum)
        : command_(command), out_(out), datum_(datum) {}

    void Write(const SheetRecord& r) override {
        line_.clear();
        if (command_ == Command::Around) PutPadded(line_, CellName(r.Cell), 2);
        PutPadded(line_, ScaleName(r.Scale), kScaleWidth);
        if (!r.Present) {
            line_.append("absent");
        } else {
            PutPadded(line_, r.New, kNewWidth);
            PutPadded(line_, r.Old, kOldWidth);
            if (r.LatitudeJunction) line_.append("on a parallel  ");
            if (r.LongitudeJunction) line_.append("on a meridian  ");
            if (command_ == Command::Frame) {
                const FrameDegrees d = ToDegrees(r.Frame, datum_);
                AppendDms(line_, d.North, true);
                line_.push_back(' ');
                AppendDms(line_, d.West, false);
                line_.append(" \u2013 ");
                AppendDms(line_, d.South, true);
                line_.push_back(' ');
                AppendDms(line_, d.East, false);
                line_.append("  centre ");
                AppendDms(line_, d.CentreLatitude, true);
                line_.push_back(' ');
                AppendDms(line_, d.CentreLongitude, false);
                line_.append("  ");
            }
            if (!r.PublishedNew.empty())
                line_.append("published ")
                    .append(r.PublishedNew)
                    .append("  ")
                    .append(r.PublishedOld);
        }
        while (!line_.empty() && line_.back() == ' ')
            line_.pop_back();
        line_.push_back('\n');
        out_.Put(line_);
    }

    void WriteEmpty(std::size_t, std::string_view, std::string_view) override {}

  private:
    Command command_;
    Output& out_;
    const Datum& datum_;
    std::string line_;
};

} // namespace

std::unique_ptr<FormatWriter> MakeTextWriter(Command command, Output& out, const Datum& datum) {
    return std::make_unique<TextWriter>(command, out, datum);
}

} // namespace kavu::cli
