// Ten real fields laid out as the window lays them out, driven with points over the whole grid.
#include "controls/ctlLst/ctlLst.h"

#include "engine/sheet.h"
#include "misc/misc.h"

#include <QImage>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <ostream>
#include <string>

// Readable QString values in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace kavu {
namespace {

constexpr std::int32_t kDeg = 3600;
constexpr std::int32_t kMin = 60;
const QColor kRed(kPureRed);
const QColor kYellow(kLightYellow);

QColor TextColour(const QLineEdit* box) {
    return box->palette().color(QPalette::Text);
}
QColor Background(const QLineEdit* box) {
    return box->palette().color(QPalette::Base);
}

class ctlLstTest : public ::testing::Test {
  protected:
    // Fields 1..5 in the new notation at scales 1..5, 6..10 in the old one.
    void SetUp() override {
        frame = std::make_unique<QWidget>();
        frame->resize(233, 209);
        for (int i = 1; i <= 10; ++i) {
            auto* f = new ctlLst(frame.get());
            if (i > 5) f->setStandard(2);
            f->setCaliber(i <= 5 ? i : i - 5);
            f->move(i <= 5 ? 72 : 144, 112 + 16 * ((i - 1) % 5));
            field[i] = f;
            box[i] = f->findChild<QLineEdit*>(QStringLiteral("Text"));
            ASSERT_NE(box[i], nullptr);
        }
        frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    }

    void CalculateAll(const char* ns, std::int32_t lat, const char* ew, std::int32_t lon) {
        for (int i = 1; i <= 10; ++i)
            field[i]->Calculate(ns, lat, ew, lon);
    }

    // Each field against the engine, its colours against the sheet sizes of its scale.
    void CheckAll(const char* ns, std::int32_t lat, const char* ew, std::int32_t lon) {
        CalculateAll(ns, lat, ew, lon);
        for (int i = 1; i <= 10; ++i) {
            const int scale = i <= 5 ? i : i - 5;
            const auto sheet = SheetOfPoint(ns, lat, ew, lon, scale);
            const std::string where = std::string(ns) + std::to_string(lat) + " " + ew +
                                      std::to_string(lon) + " field " + std::to_string(i);
            if (!sheet) {
                ASSERT_EQ(field[i]->Result(), "") << where;
                ASSERT_EQ(TextColour(box[i]), SystemColor(kWindowText)) << where;
                ASSERT_EQ(Background(box[i]), SystemColor(kWindowBackground)) << where;
                continue;
            }
            const std::string text =
                i <= 5 ? FormatSheetNew(sheet->Key) : FormatSheetOld(sheet->Key);
            ASSERT_EQ(field[i]->Result(), QString::fromStdString(text)) << where;
            ASSERT_EQ(box[i]->text(), field[i]->Result());
            const bool onParallel = lat % SheetHeight(scale) == 0;
            const bool onMeridian = lon % SheetWidth(scale) == 0;
            ASSERT_EQ(TextColour(box[i]), onParallel ? kRed : SystemColor(kWindowText)) << where;
            ASSERT_EQ(Background(box[i]), onMeridian ? kYellow : SystemColor(kWindowBackground))
                << where;
        }
    }

    // True when the whole of the box's text is in view: a box too narrow for its text scrolls
    // to its cursor, hiding the start when the cursor is at the end and the end when it is at
    // the start.
    static bool WholeTextVisible(QLineEdit* b) {
        const int middle = b->height() / 2;
        b->setCursorPosition(b->text().size());
        const bool startShown = b->cursorPositionAt(QPoint(4, middle)) == 0;
        b->setCursorPosition(0);
        const bool endShown =
            b->cursorPositionAt(QPoint(b->width() - 4, middle)) == b->text().size();
        return startShown && endShown;
    }

    std::unique_ptr<QWidget> frame;
    std::array<ctlLst*, 11> field{};
    std::array<QLineEdit*, 11> box{};
};

TEST_F(ctlLstTest, EveryMinuteOfLatitude) {
    for (const char* ns : {"N", "S"})
        for (std::int32_t lat = 0; lat <= 85 * kDeg; lat += kMin)
            for (const auto& [ew, lon] : {std::pair{"E", 37 * kDeg + 30 * kMin}, {"W", 0}})
                CheckAll(ns, lat, ew, lon);
}

TEST_F(ctlLstTest, EveryMinuteOfLongitude) {
    for (const char* ew : {"E", "W"})
        for (std::int32_t lon = 0; lon <= 181 * kDeg; lon += kMin)
            for (const auto& [ns, lat] : {std::pair{"N", 2 * kDeg}, {"S", 55 * kDeg + 45 * kMin}})
                CheckAll(ns, lat, ew, lon);
}

TEST_F(ctlLstTest, EquatorAtZeroIsAJunctionEverywhere) {
    CalculateAll("N", 0, "E", 0);
    const char* expected[11] = {"",           "s 1-31",       "s 1-31-1",  "s 1-31-01",
                                "s 1-31-001", "s 1-31-001-1", "s A-31",    "s A-31-А",
                                "s A-31-I",   "s A-31-1",     "s A-31-1-А"};
    for (int i = 1; i <= 10; ++i) {
        EXPECT_EQ(field[i]->Result(), QString::fromUtf8(expected[i])) << i;
        EXPECT_EQ(TextColour(box[i]), kRed) << i;
        EXPECT_EQ(Background(box[i]), kYellow) << i;
    }
}

TEST_F(ctlLstTest, TwoDegreesNorthIsAnEdgeOnlyBelowTheMillionth) {
    CalculateAll("N", 2 * kDeg, "E", 37 * kDeg + 37 * kMin);
    for (int i = 1; i <= 10; ++i) {
        const int scale = i <= 5 ? i : i - 5;
        EXPECT_EQ(TextColour(box[i]), scale == 1 ? SystemColor(kWindowText) : kRed) << i;
        EXPECT_EQ(Background(box[i]), SystemColor(kWindowBackground)) << i;
    }
    EXPECT_EQ(field[1]->Result(), " 1-37");
    EXPECT_EQ(field[2]->Result(),
              " 1-37-3"); // 2 degrees N is the north edge of the third quarter sheet
}

TEST_F(ctlLstTest, ColoursOfAFieldFollowItsEnabledState) {
    ctlLst* f = field[5];
    QLineEdit* b = box[5];
    ASSERT_TRUE(f->setProperty("Enabled", false));
    EXPECT_FALSE(b->isEnabled());
    f->Clear();
    EXPECT_EQ(Background(b), SystemColor(kButtonFace));
    EXPECT_EQ(TextColour(b), SystemColor(kWindowText));

    f->Calculate("N", 1 * kDeg, "E", 1 * kDeg); // on both edges
    EXPECT_EQ(TextColour(b), kRed);
    EXPECT_EQ(Background(b), kYellow);
    f->Calculate("N", 55 * kDeg + 1 * kMin, "E", 37 * kDeg + 1 * kMin);
    EXPECT_EQ(Background(b), SystemColor(kWindowBackground));
    EXPECT_EQ(TextColour(b), SystemColor(kWindowText));

    f->Calculate("N", 55 * kDeg + 30 * kMin, "E", 37 * kDeg + 30 * kMin);
    ASSERT_EQ(Background(b), kYellow);
    f->setEnabled(true); // the enabled look replaces the junction background, not the text colour
    EXPECT_EQ(Background(b), SystemColor(kWindowBackground));
    EXPECT_EQ(TextColour(b), kRed);
    f->setEnabled(false);
    EXPECT_EQ(Background(b), SystemColor(kButtonFace));
    EXPECT_EQ(f->Result(), " 14-37-016-3");
}

TEST_F(ctlLstTest, AnyStandardButOneIsTheOldNotation) {
    ctlLst* f = field[4];
    for (int standard : {0, 2, 3, -7}) {
        ASSERT_TRUE(f->setProperty("Standard", standard));
        EXPECT_EQ(f->property("Standard").toInt(), standard);
        f->Calculate("N", 55 * kDeg + 45 * kMin, "E", 37 * kDeg + 37 * kMin);
        EXPECT_EQ(f->Result(), " N-37-4") << standard;
    }
    f->setStandard(1);
    f->Calculate("N", 55 * kDeg + 45 * kMin, "E", 37 * kDeg + 37 * kMin);
    EXPECT_EQ(f->Result(), " 14-37-004");
}

TEST_F(ctlLstTest, NoSheetClearsTheField) {
    ctlLst* f = field[3];
    for (int caliber : {0, 6, -1}) {
        f->setCaliber(3);
        f->Calculate("N", 0, "E", 0); // red on yellow
        ASSERT_TRUE(f->setProperty("Caliber", caliber));
        EXPECT_EQ(f->property("Caliber").toInt(), caliber);
        f->Calculate("N", 0, "E", 0);
        EXPECT_EQ(f->Result(), "") << caliber;
        EXPECT_EQ(TextColour(box[3]), SystemColor(kWindowText));
        EXPECT_EQ(Background(box[3]), SystemColor(kWindowBackground));
    }
    f->setCaliber(3);
    f->Calculate("S", 0, "W", 0);
    f->Calculate("N", -kDeg, "E", kDeg);
    EXPECT_EQ(f->Result(), "");
    EXPECT_EQ(Background(box[3]), SystemColor(kWindowBackground));
}

// The colours reach the screen: the box paints its background yellow and its text red.
TEST_F(ctlLstTest, JunctionColoursArePainted) {
    const auto paint = [&](ctlLst* f) {
        QImage image = f->grab().toImage().convertToFormat(QImage::Format_RGB32);
        int red = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.red() > 200 && c.green() < 90 && c.blue() < 90) ++red;
            }
        return std::pair{image.pixelColor(image.width() - 4, image.height() / 2), red};
    };
    field[1]->Calculate("N", 0, "E", 0);
    auto [back, red] = paint(field[1]);
    EXPECT_EQ(back, kYellow);
    EXPECT_GT(red, 5);

    field[1]->Calculate("N", 55 * kDeg + 1 * kMin, "E", 37 * kDeg + 1 * kMin);
    std::tie(back, red) = paint(field[1]);
    EXPECT_EQ(back, SystemColor(kWindowBackground));
    EXPECT_EQ(red, 0);

    field[1]->setEnabled(false);
    field[1]->Clear();
    std::tie(back, red) = paint(field[1]);
    EXPECT_EQ(back, SystemColor(kButtonFace));
}

// Every designation of the southernmost, easternmost 1:1,000,000 sheet (the widest texts of
// both notations) fits the 73-pixel box, also when the window hands down a large font.
TEST_F(ctlLstTest, WidestDesignationsFitTheBox) {
    QFont big = frame->font();
    big.setPixelSize(22);
    for (const QFont& font : {frame->font(), big}) {
        frame->setFont(font);
        for (std::int32_t lat = 80 * kDeg + 10 * kMin; lat < 84 * kDeg; lat += 20 * kMin)
            for (std::int32_t lon = 174 * kDeg + 10 * kMin; lon < 180 * kDeg; lon += 30 * kMin) {
                CalculateAll("S", lat, "E", lon);
                for (int i = 1; i <= 10; ++i)
                    ASSERT_TRUE(WholeTextVisible(box[i]))
                        << field[i]->Result().toStdString() << " px " << font.pixelSize();
            }
    }
}

TEST_F(ctlLstTest, KeepsItsSize) {
    for (int i = 1; i <= 10; ++i) {
        field[i]->resize(200, 40);
        EXPECT_EQ(field[i]->size(), QSize(73, 19)); // 1095 x 285 twips
        EXPECT_EQ(box[i]->geometry(), QRect(0, 0, 73, 19));
    }
}

} // namespace
} // namespace kavu
