// What a pasted text fills in and what the views copy, checked without a window against the
// boxes' own recognition and limits.
#include "mainwindow/ClipboardTexts.h"

#include "controls/ctlNNNN/ctlNNNNLogic.h"
#include "controls/ctlPos/ctlPosLogic.h"
#include "engine/tables.h"

#include <QStringList>
#include <gtest/gtest.h>

#include <vector>

using namespace kavu;

namespace {

constexpr std::int64_t kSec = kUnitsPerSecond;

// The key the window builds from the boxes once they hold these texts.
SheetKey TypedKey(const PastedSheet& s) {
    std::array<SheetPart, 5> part{};
    for (int v = 1; v <= 4; ++v) {
        const std::string text = s.Boxes[static_cast<std::size_t>(v)].toStdString();
        part[static_cast<std::size_t>(v)] =
            ctlNNNNLogic::Recognise(ctlNNNNLogic::UpperCase(text), v);
        EXPECT_TRUE(part[static_cast<std::size_t>(v)].accepted) << text;
    }
    SheetKey k;
    k.Scale = part[4].scale   ? part[4].scale
              : part[3].scale ? part[3].scale
                              : part[1].scale & part[2].scale;
    k.Hemisphere = s.Shown.Hemisphere;
    k.Row = part[1].value;
    k.Column = part[2].value;
    k.SubSheet = part[3].value;
    k.Quarter = part[4].value;
    return k;
}

const PastedSheet* ReadingOf(const PasteAnswer& a, const SheetKey& shown) {
    for (const PastedSheet& s : a.Sheets)
        if (s.Shown == shown) return &s;
    return nullptr;
}

} // namespace

TEST(PastedDesignation, EverySpellingTheWindowWritesFillsBoxesThatGiveTheSheetBack) {
    // Every part at every scale in every row; columns of one and two digits; the 1:50,000
    // quarters of every eleventh 1:100,000 sheet.
    const int parts[6] = {0, 0, 4, 36, 144, 144};
    int checked = 0;
    for (char h : {'N', 'S'})
        for (int row = 1; row <= 21; ++row)
            for (int column : {1, 7, 37, 60})
                for (int scale = 1; scale <= 5; ++scale)
                    for (int sub = scale == 1 ? 0 : 1; sub <= parts[scale];
                         sub += scale == 5 ? 11 : 1)
                        for (int q = scale == 5 ? 1 : 0; q <= (scale == 5 ? 4 : 0); ++q) {
                            const SheetKey key{scale, h, row, column, sub, q};
                            const std::string texts[2] = {FormatSheetNew(key), FormatSheetOld(key)};
                            for (int lettered = 0; lettered <= 1; ++lettered) {
                                const std::string& text = texts[lettered];
                                const PasteAnswer a = ReadPasted(QString::fromStdString(text));
                                const PastedSheet* s = ReadingOf(a, key);
                                ASSERT_TRUE(s) << text;
                                ASSERT_EQ(TypedKey(*s), key) << text;
                                EXPECT_TRUE(s->Note.isEmpty()) << text;
                                // The row as the text spelled it.
                                EXPECT_EQ(s->Boxes[1].toStdString(),
                                          lettered ? RowLetter(row) : NumberText(row));
                                ++checked;
                            }
                        }
    EXPECT_EQ(checked, 2 * 2 * 21 * 4 * (1 + 4 + 36 + 144 + 14 * 4));
}

TEST(PastedDesignation, LargerScalesFillTheirFiftyThousandthAndSaySo) {
    for (int sub = 1; sub <= 144; sub += 11)
        for (int q = 1; q <= 4; ++q)
            for (int q25 = 1; q25 <= 4; ++q25)
                for (int q10 = 0; q10 <= 4; ++q10) {
                    const SheetKey half{5, 'S', 9, 34, sub, q};
                    const SheetKey key{q10 ? 7 : 6, 'S', 9, 34, sub, q, q25, q10};
                    const std::string text = FormatSheetOld(key);
                    const PasteAnswer a = ReadPasted(QString::fromStdString(text));
                    const PastedSheet* s = ReadingOf(a, half);
                    ASSERT_TRUE(s) << text;
                    EXPECT_EQ(TypedKey(*s), half) << text;
                    EXPECT_TRUE(s->Note[1].contains(QStringLiteral("1:50000"))) << text;
                    EXPECT_TRUE(s->Note[2].startsWith(QString::fromStdString(text).trimmed()))
                        << text;
                }
}

TEST(PastedPoint, BoxesHoldWhatTheSpinnersAcceptAndDropOnlyTheSeconds) {
    const std::int64_t offsets[] = {0, 4 * kSec / 10, 20 * kSec, 60 * kSec - 1};
    // Whole minutes across the grid, with its ends and the zero lines among them.
    std::vector<std::int64_t> lats{-84 * 3600, 0, 84 * 3600}, lons{-180 * 3600, 0, 180 * 3600};
    for (std::int64_t m = -84 * 60; m <= 84 * 60; m += 53)
        lats.push_back(m * 60);
    for (std::int64_t m = -180 * 60; m <= 180 * 60; m += 113)
        lons.push_back(m * 60);
    for (std::int64_t lat : lats)
        for (std::int64_t lon : lons)
            for (std::int64_t dy : offsets)
                for (std::int64_t dx : offsets) {
                    const ExactPoint p{lat * kSec + dy, lon * kSec + dx};
                    if (!SheetOfExactPoint(p, 1)) continue;
                    const PastedPoint b = PointBoxes(p);
                    const int latMax = b.South ? 83 : 84, lonMax = b.West ? 180 : 179;
                    ASSERT_GE(ctlPosLogic::Validate(std::to_string(b.LatitudeDegrees), latMax), 0);
                    ASSERT_GE(ctlPosLogic::Validate(std::to_string(b.LongitudeDegrees), lonMax), 0);
                    const bool latTop = !b.South && b.LatitudeDegrees == latMax;
                    const bool lonTop = b.West && b.LongitudeDegrees == lonMax;
                    ASSERT_GE(
                        ctlPosLogic::Validate(std::to_string(b.LatitudeMinutes), latTop ? 0 : 59),
                        0);
                    ASSERT_GE(
                        ctlPosLogic::Validate(std::to_string(b.LongitudeMinutes), lonTop ? 0 : 59),
                        0);
                    const ExactPoint boxes =
                        BoxPoint(b.South, (b.LatitudeDegrees * 60 + b.LatitudeMinutes) * 60, b.West,
                                 (b.LongitudeDegrees * 60 + b.LongitudeMinutes) * 60);
                    const auto dropped = [](std::int64_t exact, std::int64_t box) {
                        return (exact < 0 ? -exact : exact) - (box < 0 ? -box : box);
                    };
                    const std::int64_t lonExact =
                        p.Longitude == 180 * 3600 * kSec ? -p.Longitude : p.Longitude;
                    ASSERT_TRUE(dropped(p.Latitude, boxes.Latitude) >= 0 &&
                                dropped(p.Latitude, boxes.Latitude) < 60 * kSec);
                    ASSERT_TRUE(dropped(lonExact, boxes.Longitude) >= 0 &&
                                dropped(lonExact, boxes.Longitude) < 60 * kSec);
                    ASSERT_EQ(b.Point.Longitude, lonExact);
                }
}

TEST(PastedPoint, Wgs84IsShiftedBeforeTheBoxesAndAcross180) {
    const DatumShiftFunction east = [](double&, double& lon) {
        lon += 0.001;
        return true;
    };
    PasteAnswer a = ReadPasted(QStringLiteral("10.5 179.9995"), east);
    ASSERT_EQ(a.What, PasteAnswer::Kind::Point);
    EXPECT_TRUE(a.Point.West);
    EXPECT_EQ(a.Point.LongitudeDegrees, 179);
    EXPECT_EQ(a.Point.LongitudeMinutes, 59);
    EXPECT_TRUE(a.Message[2].startsWith(
        QStringLiteral("Converted from WGS 84 to the 1942 datum: N 10° 30' W 179° 59' 58.2")));
    a = ReadPasted(QStringLiteral("10.5 179.9995"), [](double&, double&) { return false; });
    EXPECT_EQ(a.What, PasteAnswer::Kind::Rejected);
    EXPECT_TRUE(a.Message[2].endsWith(QStringLiteral("could not be converted from WGS 84")));
    a = ReadPasted(QStringLiteral("84.01 10"));
    EXPECT_EQ(a.What, PasteAnswer::Kind::Rejected);
    EXPECT_TRUE(a.Message[1].contains(QStringLiteral("вне листов серии")));
}

TEST(PastedText, NeitherReadingGivesTheReasonInBothLanguages) {
    for (const QString& t : {QString(), QStringLiteral(" \t\r\n ")}) {
        const PasteAnswer a = ReadPasted(t);
        EXPECT_EQ(a.What, PasteAnswer::Kind::Rejected);
        EXPECT_EQ(a.Message[2], QStringLiteral("The clipboard holds no text"));
    }
    const PasteAnswer a = ReadPasted(QStringLiteral("hello world"));
    EXPECT_EQ(a.What, PasteAnswer::Kind::Rejected);
    EXPECT_GT(a.Message[2].size(), QStringLiteral("Not a sheet name or a point: ").size());
    EXPECT_TRUE(a.Message[1].startsWith(QStringLiteral("Это не номер листа и не координаты: ")));
}

TEST(CopiedText, AnglesAgreeWithTheWindowsAndKeepTheFraction) {
    for (std::int32_t s = 0; s <= 180 * 3600; s += 7)
        ASSERT_EQ(ExactAngleText('W', s * kSec).toStdString(), FormatAngle("W", s, true, false));
    EXPECT_EQ(ExactAngleText('N', -(200720 * kSec + 880'000'000)), "N 55° 45' 20.88\"");
    EXPECT_EQ(ExactAngleText('E', 5 * kSec + 500'000'000), "E 0° 00' 05.5\"");
    EXPECT_EQ(ExactAngleText('E', 60 * kSec - 1), "E 0° 00' 59.99\"");
}

TEST(CopiedText, NeighbourBlockLeavesMissingSheetsEmpty) {
    const QStringList lines = CopyText(ComputeNeighbours(" 21-37", 0, 0)).split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], "1:1000000");
    EXPECT_EQ(lines[1], "\t\t");
    EXPECT_EQ(lines[2], "21-36 ( U-36 )\t21-37 ( U-37 )\t21-38 ( U-38 )");
    EXPECT_EQ(lines[4], "");
    EXPECT_TRUE(CopyText(ComputeNeighbours("no sheet", 0, 0)).isEmpty());
}

TEST(CopiedText, LargerScalesAndThePublishedSheetsNorthOf60) {
    const ExactPoint moscow{(55 * 3600 + 47 * 60) * kSec, (37 * 3600 + 33 * 60) * kSec};
    EXPECT_EQ(LargerScalesText(moscow, 2), "1:25000    14-37-004-3-1 ( N-37-4-В-а )\n"
                                           "1:10000    14-37-004-3-1-3 ( N-37-4-В-а-3 )");
    const QStringList north = LargerScalesText({61 * 3600 * kSec, 37 * 3600 * kSec}, 2).split('\n');
    ASSERT_EQ(north.size(), 9);
    EXPECT_EQ(north[2], "Printed as joined sheets:");
    EXPECT_EQ(north[3], "1:1000000  16-37,38 ( P-37,38 )");
    EXPECT_TRUE(LargerScalesText({85 * 3600 * kSec, 0}, 1).isEmpty());
}
