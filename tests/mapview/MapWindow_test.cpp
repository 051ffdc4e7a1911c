// The real map window beside the real main window: Ctrl+M opens it on the current sheet, whose
// frame shows in the mark colour; a click picks a sheet or a point in the main window; a
// dropped GPX fills the sheets that cover it; the picture is saved; the settings keep it.
#include "controls/ctlNNNN/ctlNNNN.h"
#include "engine/neighbours.h"
#include "mainwindow/frmMain.h"
#include "mapview/MapPainter.h"
#include "mapview/MapWindow.h"
#include "mapview/TrackLayer.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QMimeData>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

#include <memory>

using namespace kavu;
using map::MapWindow;

namespace {

class MapTest : public ::testing::Test {
  protected:
    void SetUp() override {
        store = std::make_unique<QSettings>(dir.filePath(QStringLiteral("kavu.ini")),
                                            QSettings::IniFormat);
    }
    void TearDown() override {
        if (w) w->close();
        w.reset();
    }

    frmMain& Open() {
        frmMain::Services s;
        s.settings = store.get();
        s.confirmExit = [](const QString&) { return true; };
        s.warn = [](const QString&) {};
        w = std::make_unique<frmMain>(s);
        w->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        return *w;
    }

    void Paste(const QString& text) {
        QGuiApplication::clipboard()->setText(text);
        w->findChild<QAction*>(QStringLiteral("mnuPaste"))->trigger();
    }

    MapWindow& OpenMap() {
        w->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(w.get()));
        QTest::keyClick(w.get(), Qt::Key_M, Qt::ControlModifier);
        MapWindow* m = w->MapWindow();
        EXPECT_NE(m, nullptr);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(m));
        return *m;
    }

    static QImage Shot(MapWindow& m) { return m.Canvas()->grab().toImage(); }

    static QRectF RectOf(MapWindow& m, const SheetKey& key) {
        const auto f = map::NearCentre(m.View(), *ComputeSignedFrame(key));
        const map::ScreenRect r = m.View().RectOf(f);
        return QRectF(QPointF(r.Left, r.Top), QPointF(r.Right, r.Bottom));
    }

    // Some pixel within a pixel of `at` has the colour.
    static bool ColourNear(const QImage& image, QPointF at, QColor colour) {
        const qreal dpr = image.devicePixelRatio();
        for (int dx = -2; dx <= 2; ++dx)
            for (int dy = -2; dy <= 2; ++dy) {
                const QPoint p(int(at.x() * dpr) + dx, int(at.y() * dpr) + dy);
                if (image.rect().contains(p) && image.pixelColor(p).rgb() == colour.rgb())
                    return true;
            }
        return false;
    }

    QTemporaryDir dir;
    std::unique_ptr<QSettings> store;
    std::unique_ptr<frmMain> w;
};

} // namespace

TEST_F(MapTest, CtrlMOpensOnTheCurrentSheetWithItsFrameInTheMarkColour) {
    frmMain& win = Open();
    Paste(QStringLiteral("N-37-4-В"));
    MapWindow& m = OpenMap();
    EXPECT_EQ(m.windowTitle(), QStringLiteral("Kavu — Карта"));
    const SheetKey sheet{5, 'N', 14, 37, 4, 3};
    ASSERT_TRUE(m.Sheet().has_value());
    EXPECT_EQ(*m.Sheet(), sheet);
    EXPECT_EQ(m.DrawnScale(), 5);
    const QImage shot = Shot(m);
    const QRectF frame = RectOf(m, sheet);
    ASSERT_TRUE(QRectF(m.Canvas()->rect()).contains(frame));
    for (QPointF edge :
         {QPointF(frame.left(), frame.center().y()), QPointF(frame.right(), frame.center().y()),
          QPointF(frame.center().x(), frame.top()), QPointF(frame.center().x(), frame.bottom())})
        EXPECT_TRUE(ColourNear(shot, edge, map::MapColours::Mark())) << edge.x() << "," << edge.y();

    // English follows the main window; Esc closes the map, Ctrl+M brings it back.
    win.findChild<QAction*>(QStringLiteral("mnuLng2"))->trigger();
    EXPECT_EQ(m.windowTitle(), QStringLiteral("Kavu — Map"));
    QTest::keyClick(m.Canvas(), Qt::Key_Escape);
    EXPECT_FALSE(m.isVisible());
    OpenMap();
    EXPECT_TRUE(m.isVisible());
}

TEST_F(MapTest, AClickMakesTheSheetOrThePointTheMainWindowsAndTheMapFollowsTheWindow) {
    frmMain& win = Open();
    Paste(QStringLiteral("N-37-4-В"));
    MapWindow& m = OpenMap();
    const SheetKey east = StepEast(SheetKey{5, 'N', 14, 37, 4, 3});
    const QRectF target = RectOf(m, east);
    QTest::mouseClick(m.Canvas(), Qt::LeftButton, {}, target.center().toPoint() + QPoint(5, 9));
    ASSERT_TRUE(m.Sheet().has_value());
    EXPECT_EQ(*m.Sheet(), east);
    EXPECT_EQ(win.Nmb(4)->findChild<QLineEdit*>(QStringLiteral("Text"))->text(),
              QStringLiteral("4"));
    EXPECT_NEAR(RectOf(m, east).center().x(), target.center().x(), 1e-6); // the map kept still

    // Typing elsewhere in the main window moves the map there.
    Paste(QStringLiteral("K-52-100"));
    ASSERT_TRUE(m.Sheet().has_value());
    EXPECT_EQ(m.Sheet()->Column, 52);
    EXPECT_TRUE(QRectF(m.Canvas()->rect()).contains(RectOf(m, *m.Sheet())));

    // Point mode: the clicked point, to whole seconds, becomes the main window's.
    Paste(QStringLiteral("55.7558, 37.6173"));
    EXPECT_EQ(m.Mode(), 2);
    const QPoint at(m.Canvas()->width() / 2 + 40, m.Canvas()->height() / 2 - 30);
    const auto want = map::WholeSecondPoint(m.View().ToGeo({at.x() + 0.0, at.y() + 0.0}));
    QTest::mouseClick(m.Canvas(), Qt::LeftButton, {}, at);
    ASSERT_TRUE(m.Point().has_value() && want.has_value());
    EXPECT_EQ(*m.Point(), *want);
}

TEST_F(MapTest, ADroppedGpxFillsTheSheetsThatCoverItAndTheNamesAreCopied) {
    Open();
    Paste(QStringLiteral("N-37"));
    MapWindow& m = OpenMap();
    const QString gpx = dir.filePath(QStringLiteral("walk.gpx"));
    QFile file(gpx);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"test\" "
               "xmlns=\"http://www.topografix.com/GPX/1/1\"><trk><trkseg>"
               "<trkpt lat=\"55.60\" lon=\"37.20\"/><trkpt lat=\"55.75\" lon=\"37.62\"/>"
               "<trkpt lat=\"55.95\" lon=\"38.10\"/></trkseg></trk></gpx>\n");
    file.close();
    const QImage before = Shot(m);

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(gpx)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&m, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&m, &drop);

    const int scale = m.DrawnScale();
    const auto& cover = m.Track().Cover(scale);
    ASSERT_FALSE(cover.empty()) << m.StatusText().toStdString();
    EXPECT_TRUE(m.StatusText().contains(QString::number(cover.size())))
        << m.StatusText().toStdString();
    const QImage after = Shot(m);
    int filled = 0;
    for (const SheetKey& key : cover) {
        const QRectF r = RectOf(m, key);
        // A quarter in from the corner: away from the track, the label and the frame.
        const QPointF p(r.left() + r.width() * 0.2, r.top() + r.height() * 0.8);
        if (!QRectF(m.Canvas()->rect()).contains(p)) continue;
        const QColor c = after.pixelColor((p * after.devicePixelRatio()).toPoint());
        EXPECT_GT(c.green(), c.red()) << FormatSheetNew(key);
        ++filled;
    }
    EXPECT_GT(filled, 0);
    EXPECT_NE(before, after);

    ASSERT_TRUE(m.CopyNames());
    const QStringList names = QGuiApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(names.size(), qsizetype(cover.size()));
    EXPECT_EQ(names.front().toStdString(), FormatSheetNew(cover.front()).substr(1));

    // A file that is no track is refused with its reason, the old track kept.
    const QString junk = dir.filePath(QStringLiteral("junk.gpx"));
    QFile j(junk);
    ASSERT_TRUE(j.open(QIODevice::WriteOnly));
    j.write("not a gpx");
    j.close();
    EXPECT_FALSE(m.OpenTrack(junk));
    EXPECT_TRUE(m.StatusText().contains(QStringLiteral("junk.gpx")));
    EXPECT_FALSE(m.Track().Empty());
}

TEST_F(MapTest, ThePictureIsSavedAsPngAndSvgAndTheSettingsKeepTheMap) {
    frmMain& win = Open();
    Paste(QStringLiteral("P-37,38"));
    MapWindow& m = OpenMap();
    const QString png = dir.filePath(QStringLiteral("map.png"));
    const QString svg = dir.filePath(QStringLiteral("map.svg"));
    ASSERT_TRUE(m.SaveImage(png));
    ASSERT_TRUE(m.SaveImage(svg));
    QImage image;
    ASSERT_TRUE(image.load(png));
    EXPECT_EQ(image.size(), QSize(m.View().Width(), m.View().Height()));
    QFile s(svg);
    ASSERT_TRUE(s.open(QIODevice::ReadOnly));
    EXPECT_TRUE(s.readAll().contains("<svg"));
    EXPECT_FALSE(m.SaveImage(dir.filePath(QStringLiteral("no/such/folder/map.png"))));

    const int mapWidth = m.width();
    m.View().SetCentre({61.5, 40.25});
    m.View().SetPixelsPerDegree(321.5);
    win.findChild<QAction*>(QStringLiteral("mnuSaveSettings"))->trigger();
    win.close();
    store->sync();
    store->beginGroup(QStringLiteral("Kavu 1.0"));
    EXPECT_EQ(store->value(QStringLiteral("MapZoom")).toString(), QStringLiteral("321.5"));
    EXPECT_EQ(store->value(QStringLiteral("MapLatitude")).toString(), QStringLiteral("61.500000"));
    EXPECT_EQ(store->value(QStringLiteral("MapWidth")).toInt(), mapWidth);
    store->endGroup();

    // Opened again with nothing in the boxes, the map is where it was left; a damaged value
    // drops the view but keeps the window's size.
    w.reset();
    Open();
    MapWindow& again = OpenMap();
    EXPECT_NEAR(again.View().Centre().Latitude, 61.5, 1e-9);
    EXPECT_NEAR(again.View().PixelsPerDegree(), 321.5, 1e-9);
    w.reset();
    store->setValue(QStringLiteral("Kavu 1.0/MapZoom"), QStringLiteral("lots"));
    Open();
    MapWindow& third = OpenMap();
    EXPECT_NE(third.View().PixelsPerDegree(), 321.5);
    EXPECT_EQ(third.width(), mapWidth);
}
