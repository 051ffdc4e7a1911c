// Text for people: one record a line, fields padded to the widest value they can take so that
// the columns line up while streaming. Lines that did not read are left out (their message is
// on standard error).
#include "cli/writers.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>

namespace kavu::cli {
namespace {

constexpr std::size_t kScaleWidth = 9; // "1:1000000"
constexpr std::size_t kNewWidth = 17;  // "s 21-60-144-4-4-4"
constexpr std::size_t kOldWidth = 16;  // "s U-60-144-Г-г-4"

// Eight bytes with the first in the lowest place.
std::uint64_t Load8(const char* p) {
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap64(v);
    return v;
}

// UTF-8 continuation bytes (10xxxxxx) among eight: a one in each such byte, summed into the top
// byte by a multiplication (a portable build has no population count instruction).
int Continuations(std::uint64_t v) {
    const std::uint64_t ones = (v & ~(v << 1) & 0x8080808080808080) >> 7;
    return static_cast<int>((ones * 0x0101010101010101) >> 56);
}

// Characters, not bytes: the old notation holds two-byte Cyrillic letters. Eight bytes a time,
// in loads inside the text: the last eight are loaded again and their repeated bytes dropped.
std::size_t Width(std::string_view text) {
    const std::size_t size = text.size();
    const char* p = text.data();
    std::size_t tails = 0;
    if (size < 8) {
        for (std::size_t i = 0; i < size; ++i)
            tails += (static_cast<unsigned char>(p[i]) & 0xC0) == 0x80;
        return size - tails;
    }
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8)
        tails += static_cast<std::size_t>(Continuations(Load8(p + i)));
    if (i < size) // the bytes not yet counted are the top ones
        tails +=
            static_cast<std::size_t>(Continuations(Load8(p + size - 8) >> 8 * (8 - (size - i))));
    return size - tails;
}

// The fields are short: two overlapping moves of a fixed size copy one without a call to
// memcpy, and read nothing outside it.
void Copy(char* to, const char* from, std::size_t n) {
    if (n >= 8 && n <= 16) {
        std::memcpy(to, from, 8);
        std::memcpy(to + n - 8, from + n - 8, 8);
    } else if (n >= 4 && n < 8) {
        std::memcpy(to, from, 4);
        std::memcpy(to + n - 4, from + n - 4, 4);
    } else if (n > 16) {
        std::memcpy(to, from, n);
    } else if (n > 0) {
        to[0] = from[0];
        to[n / 2] = from[n / 2];
        to[n - 1] = from[n - 1];
    }
}

// Thousandths of an arc-second.
struct Milli {
    std::int64_t Value;
};

// The line is built straight in the output buffer: appending piece by piece to a string
// costs more than the engine's whole answer when a million lines stream through.
class Line {
  public:
    static constexpr std::size_t kRoom = 1023; // and one byte for the line end

    explicit Line(char* data) : data_(data) {}
    void Put(std::string_view text) {
        Blanks();
        const std::size_t n = std::min(text.size(), kRoom - size_);
        Copy(data_ + size_, text.data(), n);
        size_ += n;
    }
    /// The text and blanks up to `width` characters, and two more. Only the old notation has
    /// letters of more than one byte. The blanks wait for the next text: a line never ends in
    /// them.
    void Pad(std::string_view text, std::size_t width, bool ascii = true) {
        Put(text);
        const std::size_t w = ascii ? text.size() : Width(text);
        pending_ = std::min((w < width ? width - w : 0) + 2, kRoom - size_);
    }
    void PutDms(double degrees, bool latitude) {
        Blanks();
        if (kRoom - size_ < kDmsTextSize) return;
        size_ += WriteDms(data_ + size_, degrees, latitude);
    }
    void PutDms(Milli angle, bool latitude) {
        Blanks();
        if (kRoom - size_ < kDmsTextSize) return;
        size_ += WriteDmsMilli(data_ + size_, angle.Value, latitude);
    }
    std::size_t Finish() {
        while (size_ > 0 && data_[size_ - 1] == ' ')
            --size_;
        data_[size_++] = '\n';
        return size_;
    }

  private:
    void Blanks() {
        if (pending_ == 0) return;
        static constexpr char kBlanks[32] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
                                             ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
                                             ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
        if (pending_ <= sizeof kBlanks && kRoom - size_ >= sizeof kBlanks)
            std::memcpy(data_ + size_, kBlanks, sizeof kBlanks); // one fixed move
        else
            std::memset(data_ + size_, ' ', pending_);
        size_ += pending_;
        pending_ = 0;
    }

  private:
    char* data_;
    std::size_t size_ = 0;
    std::size_t pending_ = 0; // blanks owed before the next text
};

class TextWriter : public FormatWriter {
  public:
    TextWriter(Command command, Output& out, const Datum& datum)
        : command_(command), out_(out), datum_(datum) {}

    void Write(const SheetRecord& r) override {
        Line line(out_.Reserve(Line::kRoom + 1));
        if (command_ == Command::Around) line.Pad(CellName(r.Cell), 2);
        line.Pad(ScaleName(r.Scale), kScaleWidth);
        if (!r.Present) {
            line.Put("absent");
        } else {
            line.Pad(r.New, kNewWidth);
            line.Pad(r.Old, kOldWidth, false);
            if (r.LatitudeJunction) line.Put("on a parallel  ");
            if (r.LongitudeJunction) line.Put("on a meridian  ");
            if (command_ == Command::Frame) {
                if (datum_.FromSeries)
                    PutFrame(line, ToDegrees(r.Frame, datum_));
                else
                    PutFrame(line, r.Frame);
            }
            if (!r.PublishedNew.empty()) {
                line.Put("published ");
                line.Pad(r.PublishedNew, 0);
                line.Put(r.PublishedOld);
            }
        }
        out_.Commit(line.Finish());
    }

    void WriteEmpty(std::size_t, std::string_view, std::string_view) override {}

  private:
    // The corners and centre: from the frame's own seconds in the series datum, from degrees
    // in another.
    template <typename Frame> static void PutFrame(Line& line, const Frame& f) {
        line.PutDms(North(f), true);
        line.Put(" ");
        line.PutDms(West(f), false);
        line.Put(" \u2013 ");
        line.PutDms(South(f), true);
        line.Put(" ");
        line.PutDms(East(f), false);
        line.Put("  centre ");
        line.PutDms(CentreLatitude(f), true);
        line.Put(" ");
        line.PutDms(CentreLongitude(f), false);
        line.Put("  ");
    }
    static double North(const FrameDegrees& f) { return f.North; }
    static double South(const FrameDegrees& f) { return f.South; }
    static double West(const FrameDegrees& f) { return f.West; }
    static double East(const FrameDegrees& f) { return f.East; }
    static double CentreLatitude(const FrameDegrees& f) { return f.CentreLatitude; }
    static double CentreLongitude(const FrameDegrees& f) { return f.CentreLongitude; }
    static Milli North(const SignedFrame& f) { return {1000LL * f.North}; }
    static Milli South(const SignedFrame& f) { return {1000LL * f.South}; }
    static Milli West(const SignedFrame& f) { return {1000LL * f.West}; }
    static Milli East(const SignedFrame& f) { return {1000LL * f.East}; }
    static Milli CentreLatitude(const SignedFrame& f) {
        return {500LL * (std::int64_t{f.North} + f.South)};
    }
    static Milli CentreLongitude(const SignedFrame& f) {
        return {500LL * (std::int64_t{f.West} + f.East)};
    }

    Command command_;
    Output& out_;
    const Datum& datum_;
};

} // namespace

std::unique_ptr<FormatWriter> MakeTextWriter(Command command, Output& out, const Datum& datum) {
    return std::make_unique<TextWriter>(command, out, datum);
}

} // namespace kavu::cli
