#include "controls/ctlLst/ctlLstLogic.h"

#include "engine/neighbours.h"
#include "engine/sheet.h"

#include <gtest/gtest.h>

#include <string>

namespace kavu {
namespace {

constexpr std::int32_t kDeg = 3600;
constexpr std::int32_t kMin = 60;

struct Point {
    const char* NS;
    std::int32_t lat;
    const char* EW;
    std::int32_t lon;
};

std::string Describe(const Point& p, int caliber) {
    return std::string(p.NS) + std::to_string(p.lat) + " " + p.EW + std::to_string(p.lon) +
           " scale " + std::to_string(caliber);
}

bool OnGrid(const Point& p) {
    const bool north = std::string(p.NS) == "N";
    const bool west = std::string(p.EW) == "W";
    return (north ? p.lat <= 84 * kDeg : p.lat < 84 * kDeg) &&
           (west ? p.lon <= 180 * kDeg : p.lon < 180 * kDeg);
}

// What the field shows for one point, checked without the routine that chose the sheet: the
// new-notation text read back names a sheet of the field's scale whose frame holds the point
// (a parallel belongs to the sheet south of it, a meridian to the sheet east of it), the red
// text marks exactly a point on the sheet's north edge, the yellow background one on its west
// edge, and the old notation names the same sheet.
void CheckPoint(const Point& p) {
    for (int caliber = 1; caliber <= 5; ++caliber) {
        ctlLstLogic field;
        field.setCaliber(caliber);
        const auto shown = field.Calculate(p.NS, p.lat, p.EW, p.lon);
        ASSERT_EQ(shown.has_value(), OnGrid(p)) << Describe(p, caliber);
        if (!shown) continue;

        const auto key = ParseSheetNew(shown->Text);
        ASSERT_TRUE(key) << shown->Text;
        ASSERT_EQ(key->Scale, caliber) << shown->Text;
        const auto frame = ComputeSheetFrame(*key);
        ASSERT_TRUE(frame);
        const bool southern = key->Hemisphere == 'S';
        const std::int32_t north = southern ? -frame->Y1 : frame->Y1;
        const std::int32_t south = southern ? -frame->Y2 : frame->Y2;
        const std::int32_t west = frame->EW == 'W' ? -frame->X1 : frame->X1;
        const std::int32_t east = key->Column <= 30 ? -frame->X2 : frame->X2;
        const std::int32_t y = std::string(p.NS) == "N" ? p.lat : -p.lat;
        const std::int32_t x = std::string(p.EW) == "W" ? -p.lon : p.lon;
        ASSERT_TRUE(south < y && y <= north) << Describe(p, caliber) << " " << shown->Text;
        ASSERT_TRUE(west <= x && x < east) << Describe(p, caliber) << " " << shown->Text;
        ASSERT_EQ(shown->RedText, y == north) << Describe(p, caliber);
        ASSERT_EQ(shown->YellowBack, x == west) << Describe(p, caliber);

        for (int standard : {0, 2, 3, -1}) {
            field.setStandard(standard);
            const auto old = field.Calculate(p.NS, p.lat, p.EW, p.lon);
            ASSERT_TRUE(old);
            ASSERT_EQ(old->Text, FormatSheetOld(*key)) << standard;
            ASSERT_EQ(old->RedText, shown->RedText);
            ASSERT_EQ(old->YellowBack, shown->YellowBack);
        }
    }
}

TEST(ctlLstLogic, EveryMinuteOfLatitude) {
    for (const char* ns : {"N", "S"})
        for (std::int32_t lat = 0; lat <= 85 * kDeg; lat += kMin)
            for (const char* ew : {"E", "W"})
                for (std::int32_t lon : {0, 37 * kDeg + 30 * kMin, 179 * kDeg + 59 * kMin})
                    CheckPoint({ns, lat, ew, lon});
}

TEST(ctlLstLogic, EveryMinuteOfLongitude) {
    for (const char* ew : {"E", "W"})
        for (std::int32_t lon = 0; lon <= 181 * kDeg; lon += kMin)
            for (const char* ns : {"N", "S"})
                for (std::int32_t lat : {0, 2 * kDeg, 55 * kDeg + 45 * kMin, 84 * kDeg})
                    CheckPoint({ns, lat, ew, lon});
}

TEST(ctlLstLogic, NoSheetForScalesOutsideTheSeriesOrNegativeAngles) {
    ctlLstLogic field;
    for (int caliber : {0, 6, -1, 100}) {
        field.setCaliber(caliber);
        EXPECT_FALSE(field.Calculate("N", 55 * kDeg, "E", 37 * kDeg)) << caliber;
    }
    field.setCaliber(3);
    EXPECT_FALSE(field.Calculate("N", -1, "E", 37 * kDeg));
    EXPECT_FALSE(field.Calculate("N", 55 * kDeg, "E", -1));
}

TEST(ctlLstLogic, DefaultsAndWorkedPoints) {
    ctlLstLogic field;
    EXPECT_EQ(field.Standard(), 1);
    EXPECT_EQ(field.Caliber(), 1);
    EXPECT_EQ(field.Calculate("N", 55 * kDeg + 45 * kMin, "E", 37 * kDeg + 37 * kMin),
              (ctlLstShown{" 14-37", false, false}));
    field.setCaliber(5);
    EXPECT_EQ(field.Calculate("N", 0, "E", 0), (ctlLstShown{"s 1-31-001-1", true, true}));
    field.setStandard(2);
    EXPECT_EQ(field.Calculate("N", 0, "E", 0), (ctlLstShown{"s A-31-1-\u0410", true, true}));
}

} // namespace
} // namespace kavu
