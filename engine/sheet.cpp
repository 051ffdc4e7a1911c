#include "engine/sheet.h"

#include "engine/grid.h"

#include <array>
#include <cstring>

namespace kavu {
namespace {

// Longest designation: "s U-60-144-Г-г-4" (18 bytes); longest published one
// "s U-60-144-В-в,г,Г-в,г" (28). Every window text (at most "s U-60-144-Г", 13 bytes) fits the
// small-string buffer, so building one allocates nothing.
class TextBuilder {
  public:
    void Put(char c) { buf_[n_++] = c; }
    // The pieces come from the tables, 1..6 bytes ("XXXIII"): two overlapping moves of a fixed
    // size copy any of them without the call to memcpy that would cost more than the copy.
    void Put(std::string_view s) {
        char* to = buf_ + n_;
        const char* from = s.data();
        const std::size_t size = s.size();
        if (size > 8) {
            std::memcpy(to, from, size);
        } else if (size >= 4) {
            std::memcpy(to, from, 4);
            std::memcpy(to + size - 4, from + size - 4, 4);
        } else if (size >= 2) {
            std::memcpy(to, from, 2);
            std::memcpy(to + size - 2, from + size - 2, 2);
        } else if (size == 1) {
            *to = *from;
        }
        n_ += size;
    }
    std::string Take() const { return std::string(buf_, n_); }

  private:
    char buf_[32];
    std::size_t n_ = 0;
};

bool InRange(int v, int lo, int hi) {
    return v >= lo && v <= hi;
}

// Quarter `i` below the 1:100,000 part: 0 the 1:50,000 one, 1 the 1:25,000, 2 the 1:10,000.
int QuarterField(const SheetKey& k, int i) {
    return i == 0 ? k.Quarter : i == 1 ? k.Quarter25 : k.Quarter10;
}

// Quarters the scale has: 1 at 1:50,000, 2 at 1:25,000, 3 at 1:10,000.
int QuarterCount(int scale) {
    return scale > 4 ? scale - 4 : 0;
}

bool GridFieldsInRange(const SheetKey& k) {
    return InRange(k.Scale, 1, kSheetScaleCount) && InRange(k.Row, 1, 21) &&
           InRange(k.Column, 1, 60);
}

// What the designation writers accept: the fields the scale writes must be in range. A text
// of the window's scales stops at the first quarter of 0; a quarter after it, or one finer
// than the scale, would read back as another sheet. The larger scales, which the window never
// shows in part, are written whole or not at all.
bool Formattable(const SheetKey& k) {
    if (!GridFieldsInRange(k)) return false;
    if (k.Scale == 1 || k.SubSheet == 0) return true;
    if (!InRange(k.SubSheet, 1, PartCount(k.Scale))) return false;
    if (k.Scale <= 3) return true;
    const int least = k.Scale >= 6 ? 1 : 0;
    for (int i = 0; i < 3; ++i) {
        const bool written = i < QuarterCount(k.Scale) && (i == 0 || QuarterField(k, i - 1) != 0);
        if (written ? !InRange(QuarterField(k, i), least, 4) : QuarterField(k, i) != 0)
            return false;
    }
    return true;
}

// Fields of a designation that Formattable accepts: row, column, part, then the quarters up
// to the first 0.
int FieldCount(const SheetKey& k) {
    if (k.Scale == 1 || k.SubSheet == 0) return 2;
    int n = 0;
    while (n < QuarterCount(k.Scale) && QuarterField(k, n) != 0)
        ++n;
    return 3 + n;
}

enum class Notation { New, Old };

// The texts of the fields a designation writes, straight from the tables: row, column, part,
// then the quarters; `Count` of them.
struct FieldTexts {
    std::array<std::string_view, 6> Text;
    int Count = 0;
};

FieldTexts Fields(const SheetKey& k, Notation notation) {
    const bool old = notation == Notation::Old;
    FieldTexts f;
    f.Count = FieldCount(k);
    f.Text[0] = old ? RowLetter(k.Row) : NumberText(k.Row);
    f.Text[1] = NumberText(k.Column);
    if (f.Count == 2) return f;
    switch (k.Scale) {
    case 2:
        f.Text[2] = old ? QuarterLetter(k.SubSheet) : NumberText(k.SubSheet);
        break;
    case 3:
        f.Text[2] = old ? RomanText(k.SubSheet) : Number2Text(k.SubSheet);
        break;
    default:
        f.Text[2] = old ? NumberText(k.SubSheet) : Number3Text(k.SubSheet);
        break;
    }
    if (f.Count > 3) f.Text[3] = old ? QuarterLetter(k.Quarter) : NumberText(k.Quarter);
    if (f.Count > 4) f.Text[4] = old ? SmallQuarterLetter(k.Quarter25) : NumberText(k.Quarter25);
    if (f.Count > 5) f.Text[5] = NumberText(k.Quarter10);
    return f;
}

// Inlined into both writers, so that the builder stays in registers.
[[gnu::always_inline]] inline void PutFields(TextBuilder& t, const FieldTexts& f, int from) {
    for (int i = from; i < f.Count; ++i) {
        if (i > from) t.Put('-');
        t.Put(f.Text[static_cast<std::size_t>(i)]);
    }
}

void PutHemisphere(TextBuilder& t, const SheetKey& k) {
    if (k.Hemisphere == 'S') t.Put('s');
    t.Put(' ');
}

std::string Format(const SheetKey& k, Notation notation) {
    if (!Formattable(k)) return {};
    TextBuilder t;
    PutHemisphere(t, k);
    PutFields(t, Fields(k, notation), 0);
    return t.Take();
}

// Keys whose frame exists: the fields of the scale in range; finer ones are ignored.
bool Framable(const SheetKey& k) {
    if (!GridFieldsInRange(k)) return false;
    if (k.Scale >= 2 && !InRange(k.SubSheet, 1, PartCount(k.Scale))) return false;
    for (int i = 0; i < QuarterCount(k.Scale); ++i)
        if (!InRange(QuarterField(k, i), 1, 4)) return false;
    return true;
}

} // namespace

bool IsSheetKey(const SheetKey& k) {
    if (!GridFieldsInRange(k)) return false;
    if (k.Scale == 1) return true;
    if (!InRange(k.SubSheet, 1, PartCount(k.Scale))) return false;
    for (int i = 0; i < 3; ++i)
        if (i < QuarterCount(k.Scale) ? !InRange(QuarterField(k, i), 1, 4)
                                      : QuarterField(k, i) != 0)
            return false;
    return true;
}

std::string FormatSheetNew(const SheetKey& key) {
    return Format(key, Notation::New);
}
std::string FormatSheetOld(const SheetKey& key) {
    return Format(key, Notation::Old);
}

std::optional<SheetFrame> ComputeSheetFrame(const SheetKey& k) {
    if (!Framable(k)) return std::nullopt;
    // Grid values of the north-west corner: south of 84 degrees N and east of 180 degrees W.
    const detail::Cell c = detail::CellOfKey(k);
    const std::int32_t height = SheetHeight(k.Scale), width = SheetWidth(k.Scale);
    const std::int32_t top = c.Y * height, west = c.X * width;
    auto lat = [](std::int32_t v) {
        return v >= kMaxLatitude ? v - kMaxLatitude : kMaxLatitude - v;
    };
    auto lon = [](std::int32_t u) {
        return u >= kMaxLongitude ? u - kMaxLongitude : kMaxLongitude - u;
    };
    SheetFrame f;
    f.Y1 = lat(top);
    f.Y2 = lat(top + height);
    f.Y0 = lat(top + height / 2);
    f.X1 = lon(west);
    f.X2 = lon(west + width);
    f.X0 = lon(west + width / 2);
    f.EW = k.Column <= 30 ? 'W' : 'E';
    return f;
}

std::optional<SignedFrame> ComputeSignedFrame(const SheetKey& k) {
    if (!IsSheetKey(k)) return std::nullopt;
    return detail::FrameOfCells(k.Scale, detail::CellOfKey(k));
}

std::optional<PointSheet> SheetOfPoint(std::string_view NS, std::int32_t Latitude,
                                       std::string_view EW, std::int32_t Longitude, int scale) {
    if (!InRange(scale, 1, kSheetScaleCount) || Latitude < 0 || Longitude < 0) return std::nullopt;
    // The equator belongs to the southern sheets.
    const bool north = NS == "N" && Latitude != 0;
    const bool west = EW == "W";
    if (north ? Latitude > kMaxLatitude : Latitude >= kMaxLatitude) return std::nullopt;
    if (west ? Longitude > kMaxLongitude : Longitude >= kMaxLongitude) return std::nullopt;

    // Grid values: south of 84 degrees N and east of 180 degrees W.
    const std::int32_t y = north ? kMaxLatitude - Latitude : kMaxLatitude + Latitude;
    const std::int32_t x = west ? kMaxLongitude - Longitude : kMaxLongitude + Longitude;
    return detail::WithScale(scale, [=](auto s) {
        constexpr int S = decltype(s)::value;
        PointSheet r;
        r.Key = detail::KeyOfCellAt<S>({x / SheetWidth(S), y / SheetHeight(S)});
        r.LatitudeJunction = Latitude % SheetHeight(S) == 0;
        r.LongitudeJunction = Longitude % SheetWidth(S) == 0;
        return r;
    });
}

std::optional<PointSheet> SheetOfExactPoint(const ExactPoint& p, int scale) {
    constexpr std::int64_t top = std::int64_t{kMaxLatitude} * kUnitsPerSecond;
    constexpr std::int64_t half = std::int64_t{kMaxLongitude} * kUnitsPerSecond;
    if (!InRange(scale, 1, kSheetScaleCount) || p.Latitude > top || p.Latitude <= -top ||
        p.Longitude < -half || p.Longitude > half)
        return std::nullopt;
    // Grid values, as above; +180 degrees is the meridian of column 1.
    const std::int64_t x = p.Longitude == half ? 0 : p.Longitude + half;
    const std::int64_t y = top - p.Latitude;
    return detail::WithScale(scale, [&p, x, y](auto s) {
        constexpr int S = decltype(s)::value;
        constexpr std::int64_t height = std::int64_t{SheetHeight(S)} * kUnitsPerSecond;
        constexpr std::int64_t width = std::int64_t{SheetWidth(S)} * kUnitsPerSecond;
        PointSheet r;
        r.Key = detail::KeyOfCellAt<S>({static_cast<int>(x / width), static_cast<int>(y / height)});
        r.LatitudeJunction = p.Latitude % height == 0;
        r.LongitudeJunction = p.Longitude % width == 0;
        return r;
    });
}

std::string FormatAngle(std::string_view letter, std::int32_t seconds, bool ShowMinute,
                        bool ShowSecond) {
    if (seconds < 0) return {};
    const std::int32_t d = seconds / 3600;
    const std::int32_t rest = seconds % 3600;
    const int m = static_cast<int>(rest / 60);
    const int s = static_cast<int>(rest % 60);

    std::string out;
    out.reserve(letter.size() + 20);
    out.append(letter);
    out.push_back(' ');
    char digits[12];
    int n = 0;
    for (std::int32_t v = d;; v /= 10) {
        digits[n++] = static_cast<char>('0' + v % 10);
        if (v < 10) break;
    }
    while (n > 0)
        out.push_back(digits[--n]);
    out.append("\u00B0");
    if (ShowMinute || m != 0) {
        const char group[4] = {' ', static_cast<char>('0' + m / 10),
                               static_cast<char>('0' + m % 10), '\''};
        out.append(group, 4);
    }
    if (ShowSecond || s != 0) {
        const char group[4] = {' ', static_cast<char>('0' + s / 10),
                               static_cast<char>('0' + s % 10), '"'};
        out.append(group, 4);
    }
    return out;
}

} // namespace kavu
