#include "mapview/MapViewport.h"

#include "engine/grid.h"
#include "engine/published.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace kavu::map {
namespace {

constexpr double kDegreeToRadian = std::numbers::pi / 180.0;
constexpr std::int64_t kWorldSeconds = 360 * kDegree;
// Kilometres in a degree of latitude on a sphere of the earth's mean radius: enough for a bar.
constexpr double kKilometresPerDegree = 6371.0088 * kDegreeToRadian;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Beyond 60 degrees the series printed sheets joined; nearer the equator each stands alone.
bool JoinedRow(std::int32_t north, std::int32_t south) {
    return north > 60 * kDegree || south < -60 * kDegree;
}

std::string WithoutBlank(std::string text) {
    if (!text.empty() && text.front() == ' ') text.erase(0, 1);
    return text;
}

} // namespace

double WrapLongitude(double longitude) {
    if (!std::isfinite(longitude)) return 0;
    double l = std::fmod(longitude + 180.0, 360.0);
    if (l < 0) l += 360.0;
    return l - 180.0;
}

Viewport::Viewport(int width, int height, GeoPoint centre, double pixelsPerDegree) {
    SetSize(width, height);
    SetCentre(centre);
    SetPixelsPerDegree(pixelsPerDegree);
}

void Viewport::SetSize(int width, int height) {
    width_ = std::max(1, width);
    height_ = std::max(1, height);
    SetPixelsPerDegree(ppd_);
}

void Viewport::SetCentre(GeoPoint centre) {
    if (!std::isfinite(centre.Latitude)) centre.Latitude = 0;
    wantedLatitude_ = std::clamp(centre.Latitude, -kMaxCentreLatitude, kMaxCentreLatitude);
    centre_.Latitude = wantedLatitude_;
    centre_.Longitude = WrapLongitude(centre.Longitude);
    cosine_ = std::cos(centre_.Latitude * kDegreeToRadian);
    SetPixelsPerDegree(ppd_);
}

void Viewport::HoldPoles() {
    // The view stops at the poles: beyond them there is nothing to see.
    const double half = height_ / 2.0 / ppd_;
    const double most = half >= 90 ? 0 : std::min(kMaxCentreLatitude, 90 - half);
    const double held = std::clamp(wantedLatitude_, -most, most);
    if (held == centre_.Latitude) return;
    centre_.Latitude = held;
    cosine_ = std::cos(held * kDegreeToRadian);
}

void Viewport::SetPixelsPerDegree(double pixelsPerDegree) {
    if (!std::isfinite(pixelsPerDegree)) pixelsPerDegree = kMinPixelsPerDegree;
    // Never more than two worlds across nor more than pole to pole: more only repeats itself.
    const double least =
        std::max({kMinPixelsPerDegree, width_ / (720.0 * cosine_), height_ / 180.0});
    ppd_ = std::clamp(pixelsPerDegree, least, kMaxPixelsPerDegree);
    HoldPoles();
}

void Viewport::ZoomAround(double factor, ScreenPoint at) {
    if (!(factor > 0)) return;
    const double lat = centre_.Latitude - (at.Y - height_ / 2.0) / ppd_;
    const double lon = centre_.Longitude + (at.X - width_ / 2.0) / PixelsPerDegreeX();
    SetPixelsPerDegree(ppd_ * factor);
    SetCentre({lat + (at.Y - height_ / 2.0) / ppd_, centre_.Longitude});
    SetCentre({centre_.Latitude, lon - (at.X - width_ / 2.0) / PixelsPerDegreeX()});
}

void Viewport::Pan(double dx, double dy) {
    SetCentre({centre_.Latitude + dy / ppd_, centre_.Longitude - dx / PixelsPerDegreeX()});
}

void Viewport::Fit(const SignedFrame& frame, double share) {
    const double north = frame.North / 3600.0, south = frame.South / 3600.0;
    const double west = frame.West / 3600.0, east = frame.East / 3600.0;
    SetCentre({(north + south) / 2, (west + east) / 2});
    const double tall = std::max(north - south, 1e-6);
    const double wide = std::max((east - west) * cosine_, 1e-6);
    SetPixelsPerDegree(std::min(share * height_ / tall, share * width_ / wide));
}

double Viewport::XOfLongitude(double longitude) const {
    return width_ / 2.0 + (longitude - centre_.Longitude) * PixelsPerDegreeX();
}

double Viewport::YOfLatitude(double latitude) const {
    return height_ / 2.0 - (latitude - centre_.Latitude) * ppd_;
}

ScreenPoint Viewport::ToScreen(GeoPoint point) const {
    const double lon = centre_.Longitude + WrapLongitude(point.Longitude - centre_.Longitude);
    return {XOfLongitude(lon), YOfLatitude(point.Latitude)};
}

GeoPoint Viewport::ToGeo(ScreenPoint at) const {
    return {centre_.Latitude - (at.Y - height_ / 2.0) / ppd_,
            WrapLongitude(centre_.Longitude + (at.X - width_ / 2.0) / PixelsPerDegreeX())};
}

ScreenRect Viewport::RectOf(const SignedFrame& frame) const {
    return {XOfLongitude(frame.West / 3600.0), YOfLatitude(frame.North / 3600.0),
            XOfLongitude(frame.East / 3600.0), YOfLatitude(frame.South / 3600.0)};
}

double Viewport::West() const {
    return centre_.Longitude - width_ / 2.0 / PixelsPerDegreeX();
}
double Viewport::East() const {
    return centre_.Longitude + width_ / 2.0 / PixelsPerDegreeX();
}
double Viewport::North() const {
    return centre_.Latitude + height_ / 2.0 / ppd_;
}
double Viewport::South() const {
    return centre_.Latitude - height_ / 2.0 / ppd_;
}

int GridScale(const Viewport& view, int preferred) {
    auto tall = [&](int s) { return SheetHeight(s) / 3600.0 * view.PixelsPerDegree(); };
    auto wide = [&](int s) { return SheetWidth(s) / 3600.0 * view.PixelsPerDegreeX(); };
    int finest = 1;
    for (int scale = kSheetScaleCount; scale > 1; --scale)
        if (tall(scale) >= kMinSheetHeightPx && wide(scale) >= kMinSheetWidthPx) {
            finest = scale;
            break;
        }
    int scale = std::clamp(preferred, 1, kSheetScaleCount);
    if (finest <= scale) return finest;
    // Zoomed in past the preferred sheets: finer ones once those fill most of the view.
    while (scale < finest &&
           (tall(scale) > 0.75 * view.Height() || wide(scale) > 0.75 * view.Width()))
        ++scale;
    return scale;
}

std::vector<GridSheet> VisibleSheets(const Viewport& view, int scale) {
    std::vector<GridSheet> out;
    if (scale < 1 || scale > kSheetScaleCount) return out;
    const std::int64_t h = SheetHeight(scale), w = SheetWidth(scale);
    const std::int64_t columns = detail::CellColumns(scale), rows = detail::CellRows(scale);
    const double north = std::min(view.North() * 3600, double(kMaxLatitude));
    const double south = std::max(view.South() * 3600, -double(kMaxLatitude));
    if (!(north > south)) return out;
    const auto y0 = std::max<std::int64_t>(0, std::int64_t(std::floor((kMaxLatitude - north) / h)));
    const auto y1 =
        std::min<std::int64_t>(rows - 1, std::int64_t(std::ceil((kMaxLatitude - south) / h)) - 1);
    const auto x0 = std::int64_t(std::floor((view.West() * 3600 + kMaxLongitude) / w));
    const auto x1 = std::int64_t(std::ceil((view.East() * 3600 + kMaxLongitude) / w)) - 1;
    out.reserve(std::size_t((y1 - y0 + 1) * std::max<std::int64_t>(1, x1 - x0 + 1)));
    for (std::int64_t y = y0; y <= y1; ++y) {
        const auto rowNorth = std::int32_t(kMaxLatitude - y * h);
        const bool joined = JoinedRow(rowNorth, std::int32_t(rowNorth - h));
        for (std::int64_t x = x0; x <= x1;) {
            const std::int64_t copy = FloorDiv(x, columns);
            const std::int64_t cx = x - copy * columns;
            const SheetKey key = detail::KeyOfCell(scale, {int(cx), int(y)});
            GridSheet sheet;
            sheet.First = key;
            std::int64_t startX = cx;
            if (joined) {
                if (const auto group = PublishedSheetOf(key)) {
                    sheet.First = group->Members[0];
                    sheet.Members = group->Count;
                    startX = detail::CellOfKey(sheet.First).X;
                }
            }
            sheet.Frame = detail::FrameOfCells(scale, {int(startX), int(y)}, sheet.Members);
            sheet.Frame.West += std::int32_t(copy * kWorldSeconds);
            sheet.Frame.East += std::int32_t(copy * kWorldSeconds);
            out.push_back(sheet);
            x += startX - cx + sheet.Members;
        }
    }
    return out;
}

std::vector<GridLine> GridLines(const Viewport& view, int scale) {
    std::vector<GridLine> lines;
    const std::vector<GridSheet> sheets = VisibleSheets(view, scale);
    if (sheets.empty()) return lines;
    const double west = view.West(), east = view.East();
    lines.reserve(sheets.size() + 64);
    std::int32_t rowNorth = sheets.front().Frame.North + 1;
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        const SignedFrame& f = sheets[i].Frame;
        if (f.North != rowNorth) {
            rowNorth = f.North;
            lines.push_back({{f.North / 3600.0, west}, {f.North / 3600.0, east}});
        }
        lines.push_back({{f.South / 3600.0, f.West / 3600.0}, {f.North / 3600.0, f.West / 3600.0}});
        const bool lastOfRow = i + 1 == sheets.size() || sheets[i + 1].Frame.North != f.North;
        if (lastOfRow)
            lines.push_back(
                {{f.South / 3600.0, f.East / 3600.0}, {f.North / 3600.0, f.East / 3600.0}});
    }
    const double south = sheets.back().Frame.South / 3600.0;
    lines.push_back({{south, west}, {south, east}});
    return lines;
}

std::optional<ExactPoint> WholeSecondPoint(GeoPoint point) {
    if (!std::isfinite(point.Latitude) || !std::isfinite(point.Longitude)) return std::nullopt;
    const auto lat = std::llround(point.Latitude * 3600);
    if (lat > kMaxLatitude || lat <= -kMaxLatitude) return std::nullopt;
    auto lon = std::llround(WrapLongitude(point.Longitude) * 3600);
    if (lon >= kMaxLongitude) lon -= kWorldSeconds;
    return ExactPoint{lat * kUnitsPerSecond, lon * kUnitsPerSecond};
}

std::optional<SheetKey> SheetAt(const Viewport& view, ScreenPoint at, int scale) {
    if (scale < 1 || scale > kSheetScaleCount) return std::nullopt;
    const auto point = WholeSecondPoint(view.ToGeo(at));
    if (!point) return std::nullopt;
    // On a parallel the sheet south of it, on a meridian the one east of it.
    const std::int64_t lat = point->Latitude / kUnitsPerSecond;
    const std::int64_t lon = point->Longitude / kUnitsPerSecond;
    const auto y = FloorDiv(kMaxLatitude - lat, SheetHeight(scale));
    const auto x = FloorDiv(lon + kMaxLongitude, SheetWidth(scale));
    return detail::KeyOfCell(scale, {int(x), int(y)});
}

std::string SheetLabel(const GridSheet& sheet, bool lettered) {
    if (sheet.Members > 1)
        if (const auto group = PublishedSheetOf(sheet.First))
            return WithoutBlank(lettered ? group->Old : group->New);
    return WithoutBlank(lettered ? FormatSheetOld(sheet.First) : FormatSheetNew(sheet.First));
}

std::vector<Label> ChooseLabels(const Viewport& view, const std::vector<GridSheet>& sheets,
                                bool lettered, const TextMeasure& measure, double margin,
                                double top) {
    std::vector<Label> labels;
    const ScreenRect screen{0, top, double(view.Width()), double(view.Height())};
    // No designation is narrower than this many pixels; smaller frames are not measured.
    constexpr double kShortest = 16;
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        const ScreenRect r = view.RectOf(sheets[i].Frame);
        if (r.Width() < kShortest + 2 * margin || r.Height() < 8 + 2 * margin) continue;
        const ScreenRect seen{std::max(r.Left, screen.Left), std::max(r.Top, screen.Top),
                              std::min(r.Right, screen.Right), std::min(r.Bottom, screen.Bottom)};
        if (seen.Width() <= 0 || seen.Height() <= 0) continue;
        std::string text = SheetLabel(sheets[i], lettered);
        const auto [tw, th] = measure(text);
        // Whole inside what shows of the frame: never cut by the frame or the window's edge.
        if (tw + 2 * margin > seen.Width() || th + 2 * margin > seen.Height()) continue;
        const double cx = (seen.Left + seen.Right) / 2, cy = (seen.Top + seen.Bottom) / 2;
        labels.push_back(
            {i, std::move(text), {cx - tw / 2, cy - th / 2, cx + tw / 2, cy + th / 2}});
    }
    return labels;
}

ScaleBar ChooseScaleBar(const Viewport& view, double maxPixels) {
    const double pixelsPerKm = view.PixelsPerDegree() / kKilometresPerDegree;
    const double most = maxPixels / pixelsPerKm;
    double step = std::pow(10.0, std::floor(std::log10(most)));
    for (double m : {5.0, 2.0, 1.0})
        if (m * step <= most) {
            step *= m;
            break;
        }
    return {step, step * pixelsPerKm};
}

double DegreeStep(const Viewport& view, double minPixels) {
    static constexpr std::array<double, 20> kSteps{
        1 / 3600.0, 2 / 3600.0, 5 / 3600.0, 10 / 3600.0, 15 / 3600.0, 30 / 3600.0, 1 / 60.0,
        2 / 60.0,   5 / 60.0,   10 / 60.0,  15 / 60.0,   30 / 60.0,   1,           2,
        5,          10,         15,         30,          45,          90};
    const double ppd = std::min(view.PixelsPerDegree(), view.PixelsPerDegreeX());
    for (double step : kSteps)
        if (step * ppd >= minPixels) return step;
    return kSteps.back();
}

} // namespace kavu::map
