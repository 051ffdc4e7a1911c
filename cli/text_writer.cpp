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

// The line is built in a fixed buffer: appending to a string costs more than the engine's
// whole answer when a million lines stream through.
class Line {
  public:
    void Clear() { size_ = 0; }
    void Put(std::string_view text) {
        if (text.size() > kRoom - size_) text = text.substr(0, kRoom - size_);
        for (const char c : text)
            data_[size_++] = c;
    }
    void Pad(std::string_view text, std::size_t width) {
        Put(text);
        const std::size_t w = Width(text);
        for (std::size_t i = w; i < width + 2 && size_ < kRoom; ++i)
            data_[size_++] = ' ';
    }
    std::string_view Finish() {
        while (size_ > 0 && data_[size_ - 1] == ' ')
            --size_;
        data_[size_++] = '\n';
        return {data_, size_};
    }

  private:
    static constexpr std::size_t kRoom = 511; // and one byte for the line end
    char data_[kRoom + 1];
    std::size_t size_ = 0;
};

class TextWriter : public FormatWriter {
  public:
    TextWriter(Command command, Output& out, const Datum& datum)
        : command_(command), out_(out), datum_(datum) {}

    void Write(const SheetRecord& r) override {
        line_.Clear();
        if (command_ == Command::Around) line_.Pad(CellName(r.Cell), 2);
        line_.Pad(ScaleName(r.Scale), kScaleWidth);
        if (!r.Present) {
            line_.Put("absent");
        } else {
            line_.Pad(r.New, kNewWidth);
            line_.Pad(r.Old, kOldWidth);
            if (r.LatitudeJunction) line_.Put("on a parallel  ");
            if (r.LongitudeJunction) line_.Put("on a meridian  ");
            if (command_ == Command::Frame) {
                const FrameDegrees d = ToDegrees(r.Frame, datum_);
                scratch_.clear();
                AppendDms(scratch_, d.North, true);
                scratch_ += ' ';
                AppendDms(scratch_, d.West, false);
                scratch_ += " \u2013 ";
                AppendDms(scratch_, d.South, true);
                scratch_ += ' ';
                AppendDms(scratch_, d.East, false);
                scratch_ += "  centre ";
                AppendDms(scratch_, d.CentreLatitude, true);
                scratch_ += ' ';
                AppendDms(scratch_, d.CentreLongitude, false);
                scratch_ += "  ";
                line_.Put(scratch_);
            }
            if (!r.PublishedNew.empty()) {
                line_.Put("published ");
                line_.Pad(r.PublishedNew, 0);
                line_.Put(r.PublishedOld);
            }
        }
        out_.Put(line_.Finish());
    }

    void WriteEmpty(std::size_t, std::string_view, std::string_view) override {}

  private:
    Command command_;
    Output& out_;
    const Datum& datum_;
    Line line_;
    std::string scratch_;
};

} // namespace

std::unique_ptr<FormatWriter> MakeTextWriter(Command command, Output& out, const Datum& datum) {
    return std::make_unique<TextWriter>(command, out, datum);
}

} // namespace kavu::cli
