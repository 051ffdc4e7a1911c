// What a pasted text fills in and what the views copy, checked without a window against the
// boxes' own recognition and limits.
#include "mainwindow/ClipboardTexts.h"

#include "controls/ctlNNNN/ctlNNNNLogic.h"
#include "controls/ctlPos/ctlPosLogic.h"
#include "engine/tables.h"
#if KAVU_HAVE_DATUM
#include "geo/gauss_kruger.h"
#endif

#include <QStringList>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

using namespace kavu;

namespace {

constexpr std::int64_t kSec = kUnitsPerSecond;

// The reading that shows `key`, after checking that its boxes, as the boxes themselves
// recognise them, give the window that key back.
const PastedSheet* Shows(const PasteAnswer& a, const SheetKey& key) {
    for (const PastedSheet& s : a.Sheets) {
        if (s.Shown != key) continue;
        std::array<SheetPart, 5> p{};
        for (int v = 1; v <= 4; ++v)
            p[std::size_t(v)] = ctlNNNNLogic::Recognise(
                ctlNNNNLogic::UpperCase(s.Boxes[std::size_t(v)].toStdString()), v);
        const int scale = p[4].scale   ? p[4].scale
                          : p[3].scale ? p[3].scale
                                       : p[1].scale & p[2].scale;
        const SheetKey typed{scale, key.Hemisphere, p[1].value, p[2].value, p[3].value, p[4].value};
        EXPECT_TRUE(p[1].accepted && p[2].accepted && p[3].accepted && p[4].accepted);
        return typed == key ? &s : nullptr;
    }
    return nullptr;
}

} // namespace

TEST(PastedDesignation, EverySpellingTheWindowWritesFillsBoxesThatGiveTheSheetBack) {
    // Every part at every scale in every row and columns of one and two digits; the quarters,
    // and their 1:25,000 and 1:10,000 sheets, of every eleventh 1:100,000 sheet.
    const int parts[6] = {0, 0, 4, 36, 144, 144};
    for (char h : {'N', 'S'})
        for (int row = 1; row <= 21; ++row)
            for (int column : {1, 7, 37, 60})
                for (int scale = 1; scale <= 5; ++scale)
                    for (int sub = scale > 1; sub <= parts[scale]; sub += scale == 5 ? 11 : 1)
                        for (int q = scale == 5; q <= (scale == 5 ? 4 : 0); ++q) {
                            const SheetKey key{scale, h, row, column, sub, q};
                            for (const std::string& text :
                                 {FormatSheetNew(key), FormatSheetOld(key)}) {
                                const PasteAnswer a = ReadPasted(QString::fromStdString(text));
                                const PastedSheet* s = Shows(a, key);
                                ASSERT_TRUE(s && s->Note.isEmpty()) << text;
                                // The row as the text spelled it.
                                EXPECT_EQ(s->Boxes[1].toStdString(), text[h == 'S' ? 2 : 1] > '9'
                                                                         ? RowLetter(row)
                                                                         : NumberText(row));
                            }
                            for (int q25 = 1; scale == 5 && column == 37 && q25 <= 4; ++q25) {
                                const std::string text =
                                    FormatSheetOld({q25 == 4 ? 7 : 6, h, row, column, sub, q, q25,
                                                    q25 == 4 ? 2 : 0});
                                const PasteAnswer a = ReadPasted(QString::fromStdString(text));
                                const PastedSheet* s = Shows(a, key);
                                ASSERT_TRUE(s) << text;
                                EXPECT_TRUE(s->Note[2].startsWith(
                                    QString::fromStdString(text).trimmed() + " is a 1:"));
                            }
                        }
}

TEST(PastedPoint, BoxesHoldWhatTheSpinnersAcceptAndDropOnlyTheSeconds) {
    // Whole minutes across the grid with its ends and zero lines, each moved by a few offsets.
    std::vector<std::int64_t> lats{-84 * 3600, 0, 84 * 3600}, lons{-180 * 3600, 0, 180 * 3600};
    for (std::int64_t m = -84 * 60; m <= 84 * 60; m += 53)
        lats.push_back(m * 60);
    for (std::int64_t m = -180 * 60; m <= 180 * 60; m += 113)
        lons.push_back(m * 60);
    const std::int64_t offsets[] = {0, 4 * kSec / 10, 20 * kSec, 60 * kSec - 1};
    const auto box = [](int degrees, int minutes) { return (degrees * 60 + minutes) * 60 * kSec; };
    const auto ok = [](int v, int max) {
        return ctlPosLogic::Validate(std::to_string(v), max) >= 0;
    };
    for (std::int64_t lat : lats)
        for (std::int64_t lon : lons)
            for (std::int64_t dy : offsets)
                for (std::int64_t dx : offsets) {
                    const ExactPoint p{lat * kSec + dy, lon * kSec + dx};
                    if (!SheetOfExactPoint(p, 1)) continue;
                    const PastedPoint b = PointBoxes(p);
                    const bool latTop = !b.South && b.LatitudeDegrees == 84;
                    const bool lonTop = b.West && b.LongitudeDegrees == 180;
                    ASSERT_TRUE(ok(b.LatitudeDegrees, b.South ? 83 : 84) &&
                                ok(b.LongitudeDegrees, b.West ? 180 : 179) &&
                                ok(b.LatitudeMinutes, latTop ? 0 : 59) &&
                                ok(b.LongitudeMinutes, lonTop ? 0 : 59));
                    const std::int64_t dropLat =
                        std::abs(p.Latitude) - box(b.LatitudeDegrees, b.LatitudeMinutes);
                    const std::int64_t dropLon =
                        std::abs(p.Longitude) - box(b.LongitudeDegrees, b.LongitudeMinutes);
                    ASSERT_TRUE(dropLat >= 0 && dropLat < 60 * kSec && dropLon >= 0 &&
                                dropLon < 60 * kSec);
                    ASSERT_EQ(b.South, p.Latitude < 0);
                    ASSERT_EQ(b.West, p.Longitude < 0 || p.Longitude == 180 * 3600 * kSec);
                }
}

TEST(PastedPoint, Wgs84IsShiftedBeforeTheBoxesAndAcross180) {
    PasteAnswer a = ReadPasted(QStringLiteral("10.5 179.9995"), [](double&, double& lon) {
        lon += 0.001;
        return true;
    });
    ASSERT_EQ(a.What, PasteAnswer::Kind::Point);
    EXPECT_TRUE(a.Point.West && a.Point.LongitudeDegrees == 179 && a.Point.LongitudeMinutes == 59);
    EXPECT_EQ(a.Message[2], "Converted from WGS 84 to the 1942 datum: N 10° 30' W 179° 59' 58.2\"");
}

// A 1:200,000 name in its two-digit form is no choice between two sheets: the 1:100,000
// reading would need a padding no notation writes.
TEST(PastedDesignation, TwoDigitPartsBelowTenAreOneSheet) {
    for (const char* text : {"N-37-04", "S-60-06", "f 31 07"}) {
        const PasteAnswer a = ReadPasted(QString::fromUtf8(text));
        ASSERT_EQ(a.Sheets.size(), 1u) << text;
        EXPECT_EQ(a.Sheets[0].Shown.Scale, 3) << text;
    }
    EXPECT_EQ(ReadPasted(QStringLiteral("N-37-4")).Sheets.size(), 2u);
}

TEST(CopiedText, AnglesAgreeWithTheWindowsAndKeepTheFraction) {
    for (std::int32_t s = 0; s <= 180 * 3600; s += 7)
        ASSERT_EQ(ExactAngleText('W', s * kSec).toStdString(), FormatAngle("W", s, true, false));
    EXPECT_EQ(ExactAngleText('E', 60 * kSec - 1), "E 0° 00' 59.99\"");
}

TEST(PastedText, TheReasonComesFromTheReaderTheTextWasMeantFor) {
    for (const auto& [text, reason] : {std::pair{"91 37", "latitude"},
                                       {"95.5, 37.6", "latitude"},
                                       {"P-37,39", "published"},
                                       {"N-37-145", "part 145"}})
        EXPECT_TRUE(ReadPasted(QString::fromUtf8(text)).Message[2].contains(reason)) << text;
}

#if KAVU_HAVE_DATUM
namespace {
GridConversion RealGrid() {
    std::string error;
    std::shared_ptr<geo::GaussKruger> gk = geo::GaussKruger::Create(error);
    GridConversion grid;
    grid.Forward = [gk](int zone, double latitude, double longitude, double& x, double& y) {
        geo::GridPoint p;
        const bool ok = gk->Forward(zone, latitude, longitude, p);
        x = p.X;
        y = p.Y;
        return ok;
    };
    grid.Inverse = [gk](const RectangularPoint& r, double& latitude, double& longitude) {
        return gk->Inverse(r.Zone, {r.X, r.Y}, latitude, longitude);
    };
    return grid;
}
} // namespace

// A rectangular pair is a point on the 1942 datum whatever the WGS 84 option says; its errors
// come from its own reader; without PROJ it is refused, not guessed.
TEST(PastedRectangular, FillsTheBoxesOnThe1942DatumAndSaysWhyItRejects) {
    const DatumShiftFunction wgs84 = [](double&, double&) { return false; };
    const PasteAnswer a = ReadPasted(QStringLiteral("X=6 182 348 Y=7 413 188"), wgs84, RealGrid());
    ASSERT_EQ(a.What, PasteAnswer::Kind::Point) << a.Message[2].toStdString();
    EXPECT_EQ(a.Message[2], "Point N 55° 45' 20.87\" E 37° 37' 02.28\"");
    EXPECT_EQ(a.Point.LatitudeDegrees * 60 + a.Point.LatitudeMinutes, 55 * 60 + 45);
    EXPECT_EQ(a.Point.LongitudeDegrees * 60 + a.Point.LongitudeMinutes, 37 * 60 + 37);
    EXPECT_EQ(ReadPasted(QStringLiteral("X=6182348 Y=413188"), {}, RealGrid()).Message[2],
              "Not a sheet name or a point: Y gives zone 0, outside 1–60");
    EXPECT_EQ(ReadPasted(QStringLiteral("6182348 7413188")).Message[2],
              "The point X 6 182 348  Y 7 413 188 could not be converted");
}

// The sheet's corners in its zone follow the geographic ones under the same labels (cs2cs
// EPSG:4284 EPSG:28407 of 56 36, 52 42 and 54 39).
TEST(CopiedText, SheetCornersInRectangularCoordinates) {
    SheetView v;
    v.Grid = SheetGridTexts(SheetKey{1, 'N', 14, 37}, RealGrid());
    EXPECT_EQ(v.Grid[0], "X 6 212 735  Y 7 312 851");
    EXPECT_EQ(v.Grid[1], "X 5 767 697  Y 7 706 015");
    EXPECT_EQ(v.Grid[2], "X 5 986 021  Y 7 500 000");
    EXPECT_TRUE(CopyText(v, 2).endsWith("upper left corner:  X 6 212 735  Y 7 312 851\n"
                                        "lower right corner: X 5 767 697  Y 7 706 015\n"
                                        "sheet centre:       X 5 986 021  Y 7 500 000\n"));
    EXPECT_EQ(GridPointText(-1105916.4, 13512000), "X -1 105 916  Y 13 512 000");
    EXPECT_EQ(SheetGridTexts(SheetKey{1, 'N', 14, 61}, RealGrid())[0], "");
    EXPECT_EQ(SheetGridTexts(SheetKey{1, 'N', 14, 37}, {})[0], "");
}
#endif
