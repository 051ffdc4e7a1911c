#include "engine/sheet.h"

#include <cstring>

namespace kavu {
namespace {

// Longest designation: "s U-60-144-Г" (13 bytes); angles stay under 16 bytes too, so every
// text fits the small-string buffer and building one allocates nothing.
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
    char buf_[32];
    std::size_t n_ = 0;
};

bool InRange(int v, int lo, int hi) {
    return v >= lo && v <= hi;
}

// What the designation writers accept: the fields the scale writes must be in range.
bool Formattable(const SheetKey& k) {
    if (!InRange(k.Scale, 1, kScaleCount) || !InRange(k.Row, 1, 21) || !InRange(k.Column, 1, 60))
        return false;
    if (k.Scale == 1 || k.SubSheet == 0) return true;
    if (!InRange(k.SubSheet, 1, PartCount(k.Scale))) return false;
    if (k.Scale == 4) return k.Quarter == 0;
    if (k.Scale == 5) return InRange(k.Quarter, 0, 4);
    return true;
}

enum class Notation { New, Old };

std::string Format(const SheetKey& k, Notation notation) {
    if (!Formattable(k)) return {};
    const bool old = notation == Notation::Old;
    TextBuilder t;
    if (k.Hemisphere == 'S') t.Put('s');
    t.Put(' ');
    if (old)
        t.Put(RowLetter(k.Row));
    else
        t.PutNumber(k.Row);
    t.Put('-');
    t.PutNumber(k.Column);
    if (k.Scale == 1 || k.SubSheet == 0) return t.Take();
    t.Put('-');
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
    if (k.Scale >= 4 && k.Quarter != 0) {
        t.Put('-');
        t.Put(old ? QuarterLetter(k.Quarter) : NumberText(k.Quarter));
    }
    return t.Take();
}

} // namespace

bool IsSheetKey(const SheetKey& k) {
    if (!InRange(k.Scale, 1, kScaleCount) || !InRange(k.Row, 1, 21) || !InRange(k.Column, 1, 60))
        return false;
    if (k.Scale == 1) return true;
    if (!InRange(k.SubSheet, 1, PartCount(k.Scale))) return false;
    return k.Scale == 5 ? InRange(k.Quarter, 1, 4) : k.Quarter == 0;
}

std::string FormatSheetNew(const SheetKey& key) {
    return Format(key, Notation::New);
}
std::string FormatSheetOld(const SheetKey& key) {
    return Format(key, Notation::Old);
}

std::optional<SheetFrame> ComputeSheetFrame(const SheetKey& k) {
    if (!InRange(k.Scale, 1, kScaleCount) || !InRange(k.Row, 1, 21) || !InRange(k.Column, 1, 60))
        return std::nullopt;
    if (k.Scale >= 2 && !InRange(k.SubSheet, 1, PartCount(k.Scale))) return std::nullopt;
    if (k.Scale == 5 && !InRange(k.Quarter, 1, 4)) return std::nullopt;

    // Grid values: north of 84 degrees S and east of 180 degrees W.
    const std::int32_t band = k.Hemisphere == 'S' ? 22 - k.Row : k.Row + 21;
    std::int32_t north = band * 14400;
    std::int32_t west = (k.Column - 1) * 21600;
    std::int32_t height = 14400;
    std::int32_t width = 21600;
    if (k.Scale >= 2) {
        const int perRow = k.Scale == 2 ? 2 : k.Scale == 3 ? 6 : 12;
        height = SheetHeight(k.Scale == 5 ? 4 : k.Scale);
        width = SheetWidth(k.Scale == 5 ? 4 : k.Scale);
        const int part = k.SubSheet - 1;
        north -= (part / perRow) * height;
        west += (part % perRow) * width;
        if (k.Scale == 5) {
            const int q = k.Quarter - 1;
            height = 600;
            width = 900;
            north -= (q / 2) * height;
            west += (q % 2) * width;
        }
    }
    auto lat = [](std::int32_t v) { return v >= 302400 ? v - 302400 : 302400 - v; };
    auto lon = [](std::int32_t u) { return u >= 648000 ? u - 648000 : 648000 - u; };
    SheetFrame f;
    f.Y1 = lat(north);
    f.Y2 = lat(north - height);
    f.Y0 = lat(north - height / 2);
    f.X1 = lon(west);
    f.X2 = lon(west + width);
    f.X0 = lon(west + width / 2);
    f.EW = k.Column <= 30 ? 'W' : 'E';
    return f;
}

std::optional<PointSheet> SheetOfPoint(std::string_view NS, std::int32_t Latitude,
                                       std::string_view EW, std::int32_t Longitude, int scale) {
    if (!InRange(scale, 1, kScaleCount) || Latitude < 0 || Longitude < 0) return std::nullopt;
    // The equator belongs to the southern sheets.
    const bool north = NS == "N" && Latitude != 0;
    const bool west = EW == "W";
    if (north ? Latitude > kMaxLatitude : Latitude >= kMaxLatitude) return std::nullopt;
    if (west ? Longitude > kMaxLongitude : Longitude >= kMaxLongitude) return std::nullopt;

    PointSheet r;
    r.LatitudeJunction = Latitude % SheetHeight(scale) == 0;
    r.LongitudeJunction = Longitude % SheetWidth(scale) == 0;

    // Grid values: south of 84 degrees N and east of 180 degrees W.
    const std::int32_t y = north ? 302400 - Latitude : 302400 + Latitude;
    const std::int32_t x = west ? 648000 - Longitude : 648000 + Longitude;
    const std::int32_t l = y / 14400;
    const std::int32_t m = x / 21600;
    SheetKey& k = r.Key;
    k.Scale = scale;
    k.Hemisphere = north ? 'N' : 'S';
    k.Row = l >= 21 ? l - 20 : 21 - l;
    k.Column = m + 1;
    const std::int32_t o = y - l * 14400; // south of the 1:1,000,000 sheet's north edge
    const std::int32_t e = x - m * 21600; // east of its west edge
    switch (scale) {
    case 2:
        k.SubSheet = (o / 7200) * 2 + e / 10800 + 1;
        break;
    case 3:
        k.SubSheet = (o / 2400) * 6 + e / 3600 + 1;
        break;
    case 4:
        k.SubSheet = (o / 1200) * 12 + e / 1800 + 1;
        break;
    case 5:
        k.SubSheet = (o / 1200) * 12 + e / 1800 + 1;
        k.Quarter = ((o % 1200) / 600) * 2 + (e % 1800) / 900 + 1;
        break;
    default:
        break;
    }
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
