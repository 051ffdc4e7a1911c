// The map's geometry without a screen: the transform both ways at every zoom, across 180
// degrees and near 84; the sheet under a pixel against the engine's SheetOfPoint; the grid's
// lines on sheet edges; culling; labels inside their frames.
#include "engine/published.h"
#include "mapview/MapViewport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace kavu;
using namespace kavu::map;

namespace {

// Centres that stress the projection: Moscow, both sides of 180 degrees, the equator, near
// 84 N and 84 S, the Arctic where sheets are joined, the south beyond 60.
const std::vector<GeoPoint> kCentres{{55.7558, 37.6173}, {0.3, 179.97},  {-0.2, -179.99},
                                     {83.9, 12.0},       {-83.5, -60.0}, {78.0, 179.5},
                                     {-65.0, 100.0},     {0.0, 0.0}};

std::vector<double> Zooms() {
    std::vector<double> z;
    for (double ppd = Viewport::kMinPixelsPerDegree; ppd <= Viewport::kMaxPixelsPerDegree;
         ppd *= std::sqrt(2.0))
        z.push_back(ppd);
    return z;
}

double LongitudeGap(double a, double b) {
    return std::abs(WrapLongitude(a - b));
}

} // namespace

TEST(Viewport, ScreenAndBackAgreeAtEveryZoomAcross180AndNear84) {
    for (const GeoPoint c : kCentres)
        for (double ppd : Zooms()) {
            const Viewport view(1000, 800, c, ppd);
            for (int i = -2; i <= 12; ++i)
                for (int j = -2; j <= 10; ++j) {
                    const ScreenPoint px{i * 100.0 + 0.5, j * 100.0 + 0.5};
                    const GeoPoint g = view.ToGeo(px);
                    ASSERT_GE(g.Longitude, -180.0);
                    ASSERT_LT(g.Longitude, 180.0);
                    const ScreenPoint back = view.ToScreen(g);
                    // The short way round is the way back only within half a turn of the centre.
                    if (std::abs(px.X - view.Width() / 2.0) / view.PixelsPerDegreeX() >= 179)
                        continue;
                    ASSERT_NEAR(back.X, px.X, 1e-6 * std::max(1.0, std::abs(px.X)))
                        << c.Latitude << " " << c.Longitude << " " << ppd;
                    ASSERT_NEAR(back.Y, px.Y, 1e-6 * std::max(1.0, std::abs(px.Y)));
                    const GeoPoint again = view.ToGeo(back);
                    ASSERT_LT(LongitudeGap(again.Longitude, g.Longitude), 1e-9);
                }
        }
}

TEST(Viewport, AViewAcross180RunsOnPastItAndZoomKeepsThePlaceUnderTheCursor) {
    Viewport view(1000, 800, {65.0, 179.9}, 200);
    EXPECT_GT(view.East(), 180.0);
    const ScreenPoint right{900, 400};
    EXPECT_LT(view.ToGeo(right).Longitude, -170.0); // wrapped to the west side
    EXPECT_GT(view.ToScreen({65.0, -179.5}).X, view.Width() / 2.0);
    // Zoomed far out the view ends at the poles, yet the centre asked for comes back on zooming in.
    Viewport world(1000, 800, {0, 0}, 1);
    world.SetCentre({55.75, 37.6});
    EXPECT_LE(world.North(), 90.0 + 1e-9);
    EXPECT_GE(world.South(), -90.0 - 1e-9);
    world.SetPixelsPerDegree(4000);
    EXPECT_DOUBLE_EQ(world.Centre().Latitude, 55.75);
    for (const GeoPoint c : kCentres) {
        Viewport v(1000, 800, c, 50);
        const ScreenPoint at{731, 123};
        const GeoPoint before = v.ToGeo(at);
        v.ZoomAround(std::sqrt(2.0), at);
        v.ZoomAround(std::sqrt(2.0), at);
        const ScreenPoint after = v.ToScreen(before);
        if (std::abs(c.Latitude) < 80) { // not where the centre is held at ±85
            EXPECT_NEAR(after.X, at.X, 1e-6);
            EXPECT_NEAR(after.Y, at.Y, 1e-6);
        }
        EXPECT_NEAR(v.PixelsPerDegree(), 100, 1e-9);
    }
}

TEST(Viewport, SheetUnderAPixelIsTheEnginesSheetOfThatPoint) {
    int compared = 0, offGrid = 0;
    for (int scale = 1; scale <= kSheetScaleCount; ++scale)
        for (const GeoPoint c : kCentres) {
            // Sheets of the scale a few dozen pixels tall, then tiny ones, then huge ones.
            const double fit = 40 * 3600.0 / SheetHeight(scale);
            for (double ppd : {fit, fit / 9, fit * 7}) {
                const Viewport view(1000, 800, c, ppd);
                for (int x = 0; x < 1000; x += 7)
                    for (int y = 0; y < 800; y += 11) {
                        const ScreenPoint px{x + 0.5, y + 0.5};
                        const auto got = SheetAt(view, px, scale);
                        const auto point = WholeSecondPoint(view.ToGeo(px));
                        ASSERT_EQ(got.has_value(), point.has_value());
                        if (!point) {
                            ++offGrid;
                            continue;
                        }
                        const auto lat = std::int32_t(point->Latitude / kUnitsPerSecond);
                        const auto lon = std::int32_t(point->Longitude / kUnitsPerSecond);
                        const auto want = SheetOfPoint(lat < 0 ? "S" : "N", std::abs(lat),
                                                       lon < 0 ? "W" : "E", std::abs(lon), scale);
                        ASSERT_TRUE(want.has_value()) << lat << " " << lon;
                        ASSERT_EQ(*got, want->Key)
                            << FormatSheetNew(*got) << " vs " << FormatSheetNew(want->Key);
                        ++compared;
                    }
            }
        }
    EXPECT_GT(compared, 1'000'000);
    EXPECT_GT(offGrid, 0); // the views near the poles reach past 84 degrees
}

TEST(Viewport, GridLinesFallOnSheetEdgesAndTheSheetsCoverTheView) {
    for (const GeoPoint c : kCentres)
        for (double ppd : {2.0, 11.0, 60.0, 400.0, 3000.0, 30000.0}) {
            const Viewport view(1000, 800, c, ppd);
            const int scale = GridScale(view);
            const auto lines = GridLines(view, scale);
            const auto sheets = VisibleSheets(view, scale);
            ASSERT_LT(sheets.size(), 5000u) << scale;
            for (const GridLine& l : lines) {
                const double north = l.To.Latitude * 3600;
                if (l.From.Latitude == l.To.Latitude) { // a parallel
                    const double rows = (kMaxLatitude - north) / SheetHeight(scale);
                    ASSERT_NEAR(rows, std::round(rows), 1e-9);
                    continue;
                }
                // A meridian: the west edge of the sheet east of it, and not of the one west.
                ASSERT_EQ(l.From.Longitude, l.To.Longitude);
                const double mid = (l.From.Latitude + l.To.Latitude) / 2 * 3600;
                const double lon = WrapLongitude(l.From.Longitude) * 3600;
                auto at = [&](double offset) {
                    const ExactPoint p{std::llround(mid) * kUnitsPerSecond,
                                       std::llround((WrapLongitude((lon + offset) / 3600)) * 3600 *
                                                    double(kUnitsPerSecond))};
                    const auto s = SheetOfExactPoint(p, scale);
                    EXPECT_TRUE(s.has_value());
                    return PublishedSheetOf(s->Key)->Frame;
                };
                const SignedFrame east = at(0.4), west = at(-0.4);
                ASSERT_NEAR(WrapLongitude(east.West / 3600.0 - lon / 3600), 0, 1e-9);
                ASSERT_NE(east, west);
            }
            // Every pixel on the grid lies in one of the sheets drawn.
            for (int x = 3; x < 1000; x += 97)
                for (int y = 5; y < 800; y += 89) {
                    const GeoPoint g = view.ToGeo({double(x), double(y)});
                    if (std::abs(g.Latitude) >= 83.99) continue;
                    const double lon = view.Centre().Longitude +
                                       WrapLongitude(g.Longitude - view.Centre().Longitude);
                    bool inside = false;
                    for (const GridSheet& s : sheets)
                        inside =
                            inside || (g.Latitude * 3600 <= s.Frame.North &&
                                       g.Latitude * 3600 >= s.Frame.South &&
                                       lon * 3600 >= s.Frame.West && lon * 3600 <= s.Frame.East);
                    ASSERT_TRUE(inside) << x << "," << y << " scale " << scale;
                }
        }
}

TEST(Viewport, JoinedSheetsAreDrawnAsTheSeriesPrintedThem) {
    const Viewport arctic(1000, 800, {78.0, 40.0}, 60);
    const auto sheets = VisibleSheets(arctic, 1);
    int fours = 0;
    for (const GridSheet& s : sheets)
        if (s.Frame.South >= 76 * kDegree) {
            EXPECT_EQ(s.Members, 4);
            ++fours;
        }
    EXPECT_GT(fours, 0);
    GridSheet t37{{1, 'N', 20, 37}, 4, {}};
    EXPECT_EQ(SheetLabel(t37, true), "T-37,38,39,40");
}

TEST(Viewport, LabelsChosenFitTheirFrames) {
    // A fixed-pitch font: seven pixels a byte, fourteen tall.
    const TextMeasure measure = [](const std::string& text) {
        return std::pair<double, double>(7.0 * text.size(), 14.0);
    };
    std::size_t shown = 0;
    for (const GeoPoint c : kCentres)
        for (double ppd : {5.0, 20.0, 90.0, 500.0, 4000.0, 40000.0}) {
            const Viewport view(1000, 800, c, ppd);
            const int scale = GridScale(view);
            const auto sheets = VisibleSheets(view, scale);
            for (bool lettered : {false, true})
                for (const Label& l : ChooseLabels(view, sheets, lettered, measure)) {
                    const ScreenRect f = view.RectOf(sheets[l.Sheet].Frame);
                    EXPECT_EQ(l.Text, SheetLabel(sheets[l.Sheet], lettered));
                    EXPECT_NEAR(l.Box.Width(), 7.0 * l.Text.size(), 1e-9);
                    EXPECT_GE(l.Box.Left, f.Left + 3 - 1e-9);
                    EXPECT_LE(l.Box.Right, f.Right - 3 + 1e-9);
                    EXPECT_GE(l.Box.Top, f.Top + 3 - 1e-9);
                    EXPECT_LE(l.Box.Bottom, f.Bottom - 3 + 1e-9);
                    ++shown;
                }
        }
    EXPECT_GT(shown, 500u);
}

TEST(Viewport, ScaleBarAndDegreeStepsAreRound) {
    for (double ppd : Zooms()) {
        const Viewport view(1000, 800, {55.0, 37.0}, ppd);
        const ScaleBar bar = ChooseScaleBar(view, 200);
        EXPECT_LE(bar.Pixels, 200 + 1e-9);
        EXPECT_GT(bar.Pixels, 200 / 5.0 - 1e-9);
        const double mantissa =
            bar.Kilometres / std::pow(10, std::floor(std::log10(bar.Kilometres)));
        EXPECT_TRUE(std::abs(mantissa - 1) < 1e-9 || std::abs(mantissa - 2) < 1e-9 ||
                    std::abs(mantissa - 5) < 1e-9)
            << bar.Kilometres;
        const double step = DegreeStep(view, 60);
        EXPECT_TRUE(step * view.PixelsPerDegreeX() >= 60 || step == 90);
    }
}
