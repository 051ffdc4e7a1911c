// Ten real fields, five scales in two notations, driven with points over the whole grid.
#include "controls/ctlLst/ctlLst.h"

#include "engine/neighbours.h"
#include "engine/sheet.h"
#include "misc/misc.h"

#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <array>
#include <ostream>
#include <string>

inline void PrintTo(const QColor& c, std::ostream* os) {
    *os << c.name().toStdString();
}

namespace kavu {
namespace {

constexpr std::int32_t kDeg = 3600;
constexpr std::int32_t kMin = 60;
const QColor kRed(kPureRed);
const QColor kYellow(kLightYellow);
const QColor kPlainText = SystemColor(kWindowText);
const QColor kPlainBack = SystemColor(kWindowBackground);

using Colours = std::pair<QColor, QColor>; // text, background

class ctlLstTest : public ::testing::Test {
  protected:
    // Fields 1..5 in the new notation at scales 1..5, 6..10 in the old one: any Standard but 1.
    void SetUp() override {
        for (int i = 1; i <= 10; ++i) {
            field[i] = new ctlLst(&frame);
            ASSERT_TRUE(
                field[i]->setProperty("Standard", i <= 5 ? 1 : std::array{0, 2, 3, -7, 2}[i - 6]));
            ASSERT_TRUE(field[i]->setProperty("Caliber", i <= 5 ? i : i - 5));
            box[i] = field[i]->findChild<QLineEdit*>(QStringLiteral("Text"));
        }
        frame.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    }

    // Independent of the routine that chose the sheet: the new-notation text names a sheet whose
    // frame holds the point (a parallel belongs to the sheet south of it, a meridian to the one
    // east), red marks its north edge, yellow its west edge; the old notation names the same.
    void CheckAll(const char* ns, std::int32_t lat, const char* ew, std::int32_t lon) {
        for (int i = 1; i <= 10; ++i)
            field[i]->Calculate(ns, lat, ew, lon);
        const bool north = *ns == 'N', western = *ew == 'W';
        const bool onGrid = (north ? lat <= 84 * kDeg : lat < 84 * kDeg) &&
                            (western ? lon <= 180 * kDeg : lon < 180 * kDeg);
        const std::int32_t y = north ? lat : -lat, x = western ? -lon : lon;
        for (int scale = 1; scale <= 5; ++scale) {
            const std::string text = field[scale]->Result().toStdString();
            const std::string where = std::to_string(scale) + ":" + text + " at " + ns +
                                      std::to_string(lat) + ew + std::to_string(lon);
            const auto key = ParseSheetNew(text);
            ASSERT_EQ(std::pair(key.has_value(), text.empty()), std::pair(onGrid, !onGrid))
                << where;
            ASSERT_EQ(field[scale + 5]->Result().toStdString(), key ? FormatSheetOld(*key) : "");
            Colours expected(kPlainText, kPlainBack);
            if (key) {
                ASSERT_EQ(key->Scale, scale) << where;
                const SheetFrame f = ComputeSheetFrame(*key).value();
                const std::int32_t top = key->Hemisphere == 'S' ? -f.Y1 : f.Y1;
                const std::int32_t bottom = key->Hemisphere == 'S' ? -f.Y2 : f.Y2;
                const std::int32_t left = f.EW == 'W' ? -f.X1 : f.X1;
                const std::int32_t right = key->Column <= 30 ? -f.X2 : f.X2;
                ASSERT_TRUE(bottom < y && y <= top && left <= x && x < right) << where;
                expected = {y == top ? kRed : kPlainText, x == left ? kYellow : kPlainBack};
            }
            for (int i : {scale, scale + 5})
                ASSERT_EQ(Look(i), expected) << where << " field " << i;
        }
    }

    Colours Look(int i) const {
        return {box[i]->palette().color(QPalette::Text), box[i]->palette().color(QPalette::Base)};
    }

    QWidget frame;
    std::array<ctlLst*, 11> field{};
    std::array<QLineEdit*, 11> box{};
};

// Off the grid (past 84° and 180°) the sweep also checks that no text and no colour is left.
TEST_F(ctlLstTest, EveryMinuteOfLatitudeAndOfLongitudeAndTheDisabledLook) {
    for (const char* ns : {"N", "S"})
        for (std::int32_t lat = 0; lat <= 85 * kDeg; lat += kMin)
            for (const auto& [ew, lon] :
                 {std::pair{"E", 37 * kDeg + 30 * kMin}, {"W", 0}, {"E", 179 * kDeg + 59 * kMin}})
                ASSERT_NO_FATAL_FAILURE(CheckAll(ns, lat, ew, lon));
    for (const char* ew : {"E", "W"})
        for (std::int32_t lon = 0; lon <= 181 * kDeg; lon += kMin)
            for (const auto& [ns, lat] : {std::pair{"N", 2 * kDeg}, {"S", 55 * kDeg + 45 * kMin}})
                ASSERT_NO_FATAL_FAILURE(CheckAll(ns, lat, ew, lon));
    // Clear on a disabled field shows the button face, Calculate the junction colours.
    ASSERT_TRUE(field[5]->setProperty("Enabled", false));
    field[5]->Clear();
    EXPECT_EQ(Look(5), Colours(kPlainText, SystemColor(kButtonFace)));
    field[5]->Calculate("N", 55 * kDeg + 30 * kMin, "E", 37 * kDeg + 30 * kMin); // both edges
    EXPECT_EQ(Look(5), Colours(kRed, kYellow));
    field[5]->setEnabled(true); // the enabled look replaces the junction background only
    EXPECT_EQ(Look(5), Colours(kRed, kPlainBack));
}

} // namespace
} // namespace kavu
