// Copy and paste in the real window, driven by the real keys: Ctrl+V and Shift+Insert, Ctrl+C,
// the choice between readings, the messages, and the GPS setting.
#include "mainwindow/frmMain.h"

#include "controls/ctlLBL/ctlLBL.h"
#include "controls/ctlLst/ctlLst.h"
#include "controls/ctlNNNN/ctlNNNN.h"
#include "controls/ctlNSEW/ctlNSEW.h"
#include "controls/ctlPos/ctlPos.h"
#include "misc/misc.h"
#include "resultlog/clsRSLT.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace kavu;

namespace {

QLineEdit* TextOf(QWidget* control) {
    return control->findChild<QLineEdit*>(QStringLiteral("Text"));
}

class Paste : public ::testing::Test {
  protected:
    void SetUp() override { FlashMonitor::instance().setDurationMs(0); }
    void TearDown() override { Close(); }

    frmMain& Open() {
        frmMain::Services s;
        s.settings = &store;
        s.confirmExit = [](const QString&) { return true; };
        s.makeLog = [this] { return std::make_unique<clsRSLT>(dir.path(), QString()); };
        w = std::make_unique<frmMain>(s);
        w->show();
        w->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(w.get()));
        return *w;
    }
    void Close() {
        if (w) w->close();
        w.reset();
    }
    template <typename T = QAction> T* Find(const char* name) const {
        return w->findChild<T*>(QLatin1String(name));
    }
    // The text goes to the clipboard and the key to whatever has the focus, as a user's would.
    void Press(const QString& clip, Qt::Key key = Qt::Key_V,
               Qt::KeyboardModifiers mods = Qt::ControlModifier) {
        if (!clip.isNull()) QGuiApplication::clipboard()->setText(clip);
        QTest::keyClick(QApplication::focusWidget(), key, mods);
    }
    QString Message() const {
        auto* label = Find<QLabel>("lblMessage");
        return label->isVisible() ? label->text() : QString();
    }
    // The hemisphere letters and boxes of a mode; 0: both modes and the view, everything a
    // paste may change (the results follow from them).
    QStringList State(int mode = 0) const {
        QStringList s{mode ? QString() : QString::number(w->VisibleFrame())};
        if (mode != 2) s << Find<ctlNSEW>("ctlSN")->Letter();
        if (mode != 1) s << Find<ctlNSEW>("ctlNS")->Letter() << Find<ctlNSEW>("ctlEW")->Letter();
        for (int i = 1; i <= 4; ++i) {
            if (mode != 2) s << TextOf(w->Nmb(i))->text();
            if (mode != 1) s << TextOf(w->Pos(i))->text();
        }
        return mode ? s.mid(1) : s;
    }
    void Shot(const char* name) const {
        const QString to = qEnvironmentVariable("KAVU_SCREENSHOT_DIR");
        if (to.isEmpty()) return;
        QTest::qWait(300); // for popups to be mapped and painted
        QGuiApplication::primaryScreen()->grabWindow(0).save(to + '/' + QLatin1String(name));
    }

    QTemporaryDir dir;
    QSettings store{dir.filePath(QStringLiteral("Velmora.ini")), QSettings::IniFormat};
    std::unique_ptr<frmMain> w;
};

TEST_F(Paste, OneSpellingOfEachFamilyFillsTheBoxesAsTyped) {
    frmMain& win = Open();
    Press(QStringLiteral("s 9-34-13"));
    EXPECT_EQ(State(1), QStringList({"S", "9", "34", "13", ""}));
    EXPECT_EQ(Find<QLineEdit>("txtScale")->text(), "1:200000");
    EXPECT_EQ(Message(), "");
    Press(QStringLiteral("О-37-123-а"), Qt::Key_Insert, Qt::ShiftModifier); // Cyrillic О
    EXPECT_EQ(State(1), QStringList({"N", "O", "37", "123", "А"}));
    EXPECT_TRUE(Find<QPushButton>("cmdKeep1")->isEnabled());
    Press(QStringLiteral("n37-004-3-1"));
    EXPECT_EQ(State(1), QStringList({"N", "N", "37", "004", "В"}));
    EXPECT_EQ(Message(), "N-37-4-В-а — лист 1:25000: показан его лист 1:50000, N-37-4-В");
    Press(QStringLiteral("P-37,38"));
    EXPECT_EQ(State(1), QStringList({"N", "P", "37", "", ""}));
    EXPECT_EQ(Message(), "P-37,38 — объединённый лист: показан его первый лист, P-37");

    Press(QStringLiteral("33°55′ ю.ш. 18°25′ з.д."));
    EXPECT_EQ(win.VisibleFrame(), 2);
    EXPECT_EQ(State(2), QStringList({"S", "W", "33", "55", "18", "25"}));
    EXPECT_TRUE(TextOf(win.Pos(1))->hasFocus());
    // 18" north of the parallel 56° N: the boxes say 56° 00', the sheets are those north of it
    // until a box changes.
    Press(QStringLiteral("56.005, 37.5"));
    EXPECT_EQ(State(2), QStringList({"N", "E", "56", "0", "37", "30"}));
    EXPECT_EQ(Message(), "Точка N 56° 00' 18\" E 37° 30'");
    EXPECT_EQ(win.Lst(6)->Result(), " O-37");
    EXPECT_EQ(win.ResultLog()->GMSY, "N 56° 00' 18\"");
    QTest::keyClick(TextOf(win.Pos(4)), Qt::Key_Up);
    EXPECT_EQ(win.Lst(6)->Result(), " N-37");
}

TEST_F(Paste, AnAmbiguousNameAsksARejectedTextSaysWhyAndNeitherChangesAnything) {
    frmMain& win = Open();
    Press(QStringLiteral("N-37"));
    const QStringList before = State();
    Press(QStringLiteral("N-37-1"));
    auto* list = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_TRUE(list);
    ASSERT_EQ(list->actions().size(), 4); // the question, a line, two readings
    EXPECT_EQ(list->actions()[2]->text(), "14-37-001 ( N-37-1 )   1:100000");
    EXPECT_EQ(list->actions()[3]->text(), "14-37-1 ( N-37-А )   1:500000");
    Shot("paste-choice.png");
    QTest::keyClick(list, Qt::Key_Escape);
    EXPECT_FALSE(QApplication::activePopupWidget());
    EXPECT_EQ(State(), before);

    Find("mnuLng2")->trigger();
    const int flashes = FlashMonitor::instance().count();
    Press(QStringLiteral("N-61-3"));
    EXPECT_EQ(FlashMonitor::instance().count(), flashes + 1);
    EXPECT_EQ(Message(), "Not a sheet name or a point: column 61 is outside 1–60");
    EXPECT_EQ(State(), before);
    Shot("paste-rejected.png");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up); // the next key takes it away
    EXPECT_EQ(Message(), "");

    Press(QStringLiteral("N-37-1"));
    list = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_TRUE(list);
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(State(1), QStringList({"N", "N", "37", "А", ""}));
    EXPECT_EQ(Find<QLineEdit>("txtScale")->text(), "1:500000");
    EXPECT_EQ(win.CurrentView(), 1);
}

TEST_F(Paste, CopyGivesEachViewAsPlainTextAndLeavesASelectionToItsBox) {
    frmMain& win = Open();
    Press(QStringLiteral("unchanged"), Qt::Key_C);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "unchanged");
    EXPECT_EQ(Message(), "Копировать пока нечего");
    Press(QStringLiteral("14-37"));
    Press(QString(), Qt::Key_C);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "Лист  14-37 ( N-37 )\n"
                                                    "масштаб 1:1000000\n"
                                                    "координаты:\n"
                                                    "верхний левый угол: N 56° 00' E 36° 00'\n"
                                                    "нижний правый угол: N 52° 00' E 42° 00'\n"
                                                    "центр листа:        N 54° 00' E 39° 00'\n");
    Find("mnuLng2")->trigger();
    Press(QStringLiteral("55.7558, 37.6173"));
    Press(QString(), Qt::Key_C);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              "Point with coordinates N 55° 45' 20.88\" E 37° 37' 02.28\"\n"
              "lies on the sheets: \n"
              "1:1000000  14-37 ( N-37 )\n"
              "1:500000   14-37-1 ( N-37-А )\n"
              "1:200000   14-37-02 ( N-37-II )\n"
              "1:100000   14-37-004 ( N-37-4 )\n"
              "1:50000    14-37-004-3 ( N-37-4-В )\n");
    TextOf(win.Lst(8))->setFocus();
    TextOf(win.Lst(8))->setSelection(1, 4);
    Press(QString(), Qt::Key_C);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "N-37");

    QTest::mouseMove(win.Scale(1), QPoint(5, 5));
    QTest::mouseClick(win.Scale(1), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    ASSERT_EQ(win.VisibleFrame(), 3);
    Find("mnuCopy")->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              "1:1000000\n"
              "15-36 ( O-36 )\t15-37 ( O-37 )\t15-38 ( O-38 )\n"
              "14-36 ( N-36 )\t14-37 ( N-37 )\t14-38 ( N-38 )\n"
              "13-36 ( M-36 )\t13-37 ( M-37 )\t13-38 ( M-38 )\n");
}

TEST_F(Paste, TheFiftyThousandthTooltipNamesTheLargerAndPublishedSheets) {
    frmMain& win = Open();
    Press(QStringLiteral("61 37"));
    const QString tip = win.Lst(5)->toolTip();
    EXPECT_TRUE(tip.startsWith("1:25000    16-37-111-1-1 ( P-37-111-А-а )\n1:10000 "));
    EXPECT_TRUE(tip.contains("\nИзданы объединёнными листами:\n1:1000000  16-37,38 ( P-37,38 )\n"));
    EXPECT_EQ(win.Lst(10)->toolTip(), tip);
    Find("mnuLng2")->trigger();
    EXPECT_TRUE(win.Lst(5)->toolTip().contains("Printed as joined sheets:"));
    QTest::mouseClick(Find<QPushButton>("cmdClear2"), Qt::LeftButton);
    EXPECT_EQ(win.Lst(5)->toolTip(), "");
}

TEST_F(Paste, TheGpsSettingComesBackAndConvertsAcrossAFiftyThousandthEdge) {
    Open();
    EXPECT_FALSE(Find("mnuPasteWgs84")->isChecked());
    // 4" west of 37° 45' E in WGS 84, 2.7" east of it on the 1942 datum.
    const QString nearEdge = QStringLiteral("55.75 37.748889");
    Press(nearEdge);
    EXPECT_EQ(w->Lst(5)->Result(), " 14-37-004-3");
    Find("mnuPasteWgs84")->trigger();
    Find("mnuSaveSettings")->trigger();
    Close();
    EXPECT_EQ(store.value(QStringLiteral("Kavu 1.0/PasteWgs84")).toString(), "True");
    Open();
    ASSERT_TRUE(Find("mnuPasteWgs84")->isChecked());
#if KAVU_HAVE_DATUM
    Press(nearEdge);
    EXPECT_EQ(w->Lst(5)->Result(), " 14-37-004-4");
    EXPECT_TRUE(Message().startsWith("Пересчитано из WGS 84 в СК-42: N 55° 44' 59.8"));
#endif
    Find("mnuPasteWgs84")->trigger();
    Close();
    EXPECT_EQ(store.value(QStringLiteral("Kavu 1.0/PasteWgs84")).toString(), "False");
}

} // namespace
