#include "engine/sheet.h"

#include "engine/grid.h"

#include <cstring>

namespace kavu {
namespace {

// Longest window designation: "s U-60-144-Г" (13 bytes); angles stay under 16 bytes too, so
// every text the window shows fits the small-string buffer and building one allocates nothing.
// The longest text of all, a joined 1:25,000 sheet, is 28 bytes.
class TextBuilder {
  public:
    void Put(char c) { buf_[n_++] = c; }
    void Put(std::string_view s) {
        std::memcpy(buf_ + n_, s.data(), s.size());
        n_ += s.size();
    }
    void PutNumber(int v) { // 0..999
        if (v >= 100) Put(static_cast<char>('0' + v / 100));
        if (v >= 10) Put(static_cast<char>('0' + v / 10 % 10));
        Put(static_cast<char>('0' + v % 10));
    }
    void PutTwoDigits(int v) {
        Put(static_cast<char>('0' + v / 10));
        Put(static_cast<char>('0' + v % 10));
    }
    std::string Take() const { return std::string(buf_, n_); }

  private:
    char buf_[40];
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
// stops at the first quarter of 0; a quarter after it, or one finer than the scale, would read
// back as another sheet.
bool Formattable(const SheetKey& k) {
    if (!GridFieldsInRange(k)) return false;
    if (k.Scale == 1 || k.SubSheet == 0) return true;
    if (!InRange(k.SubSheet, 1, PartCount(k.Scale))) return false;
    if (k.Scale <= 3) return true;
    for (int i = 0; i < 3; ++i) {
        const bool written = i < QuarterCount(k.Scale) && (i == 0 || QuarterField(k, i - 1) != 0);
        if (written ? !InRange(QuarterField(k, i), 0, 4) : QuarterField(k, i) != 0) return false;
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

void PutField(TextBuilder& t, const SheetKey& k, int field, Notation notation) {
    const bool old = notation == Notation::Old;
    switch (field) {
    case 0:
        if (old)
            t.Put(RowLetter(k.Row));
        else
            t.PutNumber(k.Row);
        break;
    case 1:
        t.PutNumber(k.Column);
        break;
    case 2:
        switch (k.Scale) {
        case 2:
            t.Put(old ? QuarterLetter(k.SubSheet) : NumberText(k.SubSheet));
            break;
        case 3:
            t.Put(old ? RomanText(k.SubSheet) : Number2Text(k.SubSheet));
            break;
        default:
            t.Put(old ? NumberText(k.SubSheet) : Number3Text(k.SubSheet));
            break;
        }
        break;
    case 3:
        t.Put(old ? QuarterLetter(k.Quarter) : NumberText(k.Quarter));
        break;
    case 4:
        t.Put(old ? SmallQuarterLetter(k.Quarter25) : NumberText(k.Quarter25));
        break;
    default:
        t.Put(NumberText(k.Quarter10));
        break;
    }
}

void PutFields(TextBuilder& t, const SheetKey& k, int from, int to, Notation notation) {
    for (int i = from; i < to; ++i) {
        if (i > from) t.Put('-');
        PutField(t, k, i, notation);
    }
}

void PutHemisphere(TextBuilder& t, const SheetKey& k) {
    if (k.Hemisphere == 'S') t.Put('s');
    t.Put(' ');
}

int FieldValue(const SheetKey& k, int field) {
    switch (field) {
    case 0:
        return k.Row;
    case 1:
        return k.Column;
    case 2:
        return k.SubSheet;
    default:
        return QuarterField(k, field - 3);
    }
}

std::string Format(const SheetKey& k, Notation notation) {
    if (!Formattable(k)) return {};
    TextBuilder t;
    PutHemisphere(t, k);
    PutFields(t, k, 0, FieldCount(k), notation);
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

std::string detail::FormatMembers(std::span<const SheetKey> members, bool lettered) {
    if (members.empty() || !IsSheetKey(members[0])) return {};
    const Notation notation = lettered ? Notation::Old : Notation::New;
    const int fields = FieldCount(members[0]);
    TextBuilder t;
    PutHemisphere(t, members[0]);
    PutFields(t, members[0], 0, fields, notation);
    for (std::size_t m = 1; m < members.size(); ++m) {
        int from = 0;
        while (from < fields - 1 &&
               FieldValue(members[m], from) == FieldValue(members[m - 1], from))
            ++from;
        t.Put(',');
        PutFields(t, members[m], from, fields, notation);
    }
    return t.Take();
}

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
    // Grid values: south of 84 degrees N and east of 180 degrees W.
    const detail::Cell c = detail::CellOfKey(k);
    const std::int32_t height = SheetHeight(k.Scale), width = SheetWidth(k.Scale);
    const std::int32_t south = c.Y * height, west = c.X * width;
    auto lat = [](std::int32_t v) {
        return v >= kMaxLatitude ? v - kMaxLatitude : kMaxLatitude - v;
    };
    auto lon = [](std::int32_t u) {
        return u >= kMaxLongitude ? u - kMaxLongitude : kMaxLongitude - u;
    };
    SheetFrame f;
    f.Y1 = lat(south);
    f.Y2 = lat(south + height);
    f.Y0 = lat(south + height / 2);
    f.X1 = lon(west);
    f.X2 = lon(west + width);
    f.X0 = lon(west + width / 2);
    f.EW = k.Column <= 30 ? 'W' : 'E';
    return f;
}

std::optional<SignedFrame> ComputeSignedFrame(const SheetKey& k) {
    if (!IsSheetKey(k)) return std::nullopt;
    const detail::Cell c = detail::CellOfKey(k);
    const std::int32_t height = SheetHeight(k.Scale), width = SheetWidth(k.Scale);
    SignedFrame f;
    f.North = kMaxLatitude - c.Y * height;
    f.South = f.North - height;
    f.West = c.X * width - kMaxLongitude;
    f.East = f.West + width;
    return f;
}

std::optional<PointSheet> SheetOfPoint(std::string_view NS, std::int32_t Latitude,
                                       std::string_view EW, std::int32_t Longitude, int scale) {
    if (!InRange(scale, 1, kSheetScaleCount) || Latitude < 0 || Longitude < 0) return std::nullopt;
    // The equator belongs to the southern sheets.
    const bool north = NS == "N" && Latitude != 0;
    const bool west = EW == "W";
    if (north ? Latitude > kMaxLatitude : Latitude >= kMaxLatitude) return std::nullopt;
    if (west ? Longitude > kMaxLongitude : Longitude >= kMaxLongitude) return std::nullopt;

    const std::int32_t height = SheetHeight(scale), width = SheetWidth(scale);
    PointSheet r;
    r.LatitudeJunction = Latitude % height == 0;
    r.LongitudeJunction = Longitude % width == 0;
    // Grid values: south of 84 degrees N and east of 180 degrees W.
    const std::int32_t y = north ? kMaxLatitude - Latitude : kMaxLatitude + Latitude;
    const std::int32_t x = west ? kMaxLongitude - Longitude : kMaxLongitude + Longitude;
    r.Key = detail::KeyOfCell(scale, {x / width, y / height});
    return r;
}

std::optional<PointSheet> SheetOfExactPoint(const ExactPoint& p, int scale) {
    constexpr std::int64_t top = std::int64_t{kMaxLatitude} * kUnitsPerSecond;
    constexpr std::int64_t half = std::int64_t{kMaxLongitude} * kUnitsPerSecond;
    if (!InRange(scale, 1, kSheetScaleCount) || p.Latitude > top || p.Latitude <= -top ||
        p.Longitude < -half || p.Longitude > half)
        return std::nullopt;
    const std::int64_t height = std::int64_t{SheetHeight(scale)} * kUnitsPerSecond;
    const std::int64_t width = std::int64_t{SheetWidth(scale)} * kUnitsPerSecond;
    PointSheet r;
    r.LatitudeJunction = p.Latitude % height == 0;
    r.LongitudeJunction = p.Longitude % width == 0;
    // +180 degrees is the meridian of column 1.
    const std::int64_t x = p.Longitude == half ? 0 : p.Longitude + half;
    const std::int64_t y = top - p.Latitude;
    r.Key = detail::KeyOfCell(scale, {static_cast<int>(x / width), static_cast<int>(y / height)});
    return r;
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
