// The real window driven with real events: typing, arrows, clicks, the wheel, the menus, copy and
// paste, close.
#include "mainwindow/frmMain.h"

#include "controls/ctlGMS/ctlGMS.h"
#include "controls/ctlHELP/ctlHELP.h"
#include "controls/ctlLBL/ctlLBL.h"
#include "controls/ctlLSTN/ctlLSTN.h"
#include "controls/ctlLst/ctlLst.h"
#include "controls/ctlNNNN/ctlNNNN.h"
#include "controls/ctlNSEW/ctlNSEW.h"
#include "controls/ctlPos/ctlPos.h"
#include "mainwindow/WindowSettings.h"
#include "misc/misc.h"
#include "resultlog/clsRSLT.h"
#include "tests/support/WorkedExamples.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <memory>
#include <tuple>

using namespace kavu;

namespace {

QLineEdit* TextOf(QWidget* control) {
    return control->findChild<QLineEdit*>(QStringLiteral("Text"));
}

class Window : public ::testing::Test {
  protected:
    void SetUp() override {
        FlashMonitor::instance().setDurationMs(0);
        store = std::make_unique<QSettings>(dir.filePath(QStringLiteral("Velmora.ini")),
                                            QSettings::IniFormat);
    }
    void TearDown() override { Close(true); }

    frmMain& Open() {
        frmMain::Services s;
        s.settings = store.get();
        s.confirmExit = [this](const QString& text) {
            prompts << text;
            return answerYes;
        };
        s.warn = [this](const QString& text) { warnings << text; };
        s.makeLog = [this] {
            auto log = std::make_unique<clsRSLT>(dir.path() + QStringLiteral("/"), QString());
            log->setOpener([this](const QString& path) {
                opened << path;
                return true;
            });
            log->setMessageBox([this](const QString& text) { warnings << text; });
            log->setClock([] { return QDateTime(QDate(2026, 12, 6), QTime(10, 15, 0)); });
            return log;
        };
        w = std::make_unique<frmMain>(s);
        w->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        w->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(w.get()));
        return *w;
    }
    // Closes the window as the user would; false when it stayed open.
    bool Close(bool yes) {
        if (!w) return true;
        answerYes = yes;
        const bool closed = w->close();
        if (closed) w.reset();
        return closed;
    }
    template <typename T> T* Find(const char* name) const {
        return w->findChild<T*>(QString::fromLatin1(name));
    }
    QAction* Action(const char* name) const { return Find<QAction>(name); }
    void Type(QWidget* control, const QString& text) {
        QLineEdit* edit = TextOf(control);
        edit->selectAll();
        if (text.isEmpty()) QTest::keyClick(edit, Qt::Key_Backspace);
        for (const QChar c : text) {
            if (c.unicode() < 128) {
                QTest::keyClick(edit, c.toLatin1());
            } else { // QtTest types ASCII only; a Cyrillic key arrives as its text
                QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
                QApplication::sendEvent(edit, &press);
                QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
                QApplication::sendEvent(edit, &release);
            }
        }
    }
    void Click(QWidget* widget) {
        QTest::mouseMove(widget, QPoint(5, 5));
        QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    }
    QString Shown(const char* display) const { return Find<ctlGMS>(display)->Result(); }
    // The six angle displays: corners first, the centre last, as the log writes them.
    QString Corners() const {
        QStringList t;
        for (const char* d : {"ctlY1", "ctlX1", "ctlY2", "ctlX2", "ctlY0", "ctlX0"})
            t << Shown(d);
        return t.join('|');
    }
    QString Results() const {
        QStringList t;
        for (int i = 1; i <= 10; ++i)
            t << w->Lst(i)->Result();
        return t.join('|');
    }
    // "1" for each named widget or action that is enabled (or checked), "0" otherwise.
    QString Enabled(std::initializer_list<const char*> names) const {
        QString bits;
        for (const char* n : names) {
            QAction* a = Action(n);
            bits += (a ? a->isEnabled() : Find<QWidget>(n)->isEnabled()) ? '1' : '0';
        }
        return bits;
    }
    QString Checked(std::initializer_list<const char*> names) const {
        QString bits;
        for (const char* n : names)
            bits += Action(n)->isChecked() ? '1' : '0';
        return bits;
    }
    void Put(const char* key, const char* value) {
        store->setValue(kSettingsSection + '/' + QLatin1String(key), QString::fromLatin1(value));
    }
    QString Stored(const char* key) const {
        return store->value(kSettingsSection + '/' + QLatin1String(key)).toString();
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
    // Clicks the centre of a switch's arrow as the style lays it out: the lower arrow shows the
    // second letter, the upper one the first.
    void Hemisphere(const char* name, int second) {
        auto* ctl = Find<ctlNSEW>(name);
        auto* bar = ctl->findChild<QScrollBar*>(QStringLiteral("VScroll"));
        QStyleOptionSlider opt;
        opt.initFrom(bar);
        opt.orientation = Qt::Vertical;
        opt.maximum = 1;
        const auto sc = second ? QStyle::SC_ScrollBarAddLine : QStyle::SC_ScrollBarSubLine;
        const QPoint at =
            bar->style()->subControlRect(QStyle::CC_ScrollBar, &opt, sc, bar).center();
        ASSERT_EQ(bar->style()->hitTestComplexControl(QStyle::CC_ScrollBar, &opt, at, bar), sc);
        ASSERT_EQ(at.y() > bar->height() / 2, bool(second));
        QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, at);
        const QString letters = ctl->View() ? QStringLiteral("EW") : QStringLiteral("NS");
        EXPECT_EQ(ctl->Letter(), letters.mid(second, 1));
    }

    QTemporaryDir dir;
    std::unique_ptr<QSettings> store;
    std::unique_ptr<frmMain> w;
    QStringList prompts, warnings, opened;
    bool answerYes = true;
};

TEST_F(Window, FirstStartWithAnEmptyStore) {
    frmMain& win = Open();
    EXPECT_EQ(win.windowTitle(), "Kavu");
    EXPECT_EQ(Find<QMenu>("mnuAction")->title(), "Действие");
    EXPECT_EQ(Find<QLabel>("lblNumber")->text(), "Введите номер листа:");
    EXPECT_EQ(Find<QGroupBox>("fraAct1")->title(), "Лист -> Координаты");
    EXPECT_EQ(std::pair(win.CurrentView(), win.VisibleFrame()), std::pair(1, 1));
    EXPECT_EQ(Checked({"mnuAct1", "mnuAct2", "mnuLng1", "mnuAlwaysOnTop", "mnuSaveSettings",
                       "mnuPasteWgs84"}),
              "101000");
    EXPECT_EQ(Enabled({"mnuExport", "cmdKeep1", "cmdKeep2", "cmdClear1", "cmdClear2", "ctlNmb1",
                       "ctlNmb2", "ctlNmb3", "ctlNmb4"}),
              "000001000");
    EXPECT_EQ(Action("mnuContents")->shortcut(), QKeySequence(Qt::Key_F1));
    EXPECT_TRUE(TextOf(win.Nmb(1))->hasFocus());
    for (QWidget* box : {static_cast<QWidget*>(win.Nmb(2)), static_cast<QWidget*>(win.Pos(2))})
        EXPECT_EQ(TextOf(box)->palette().color(QPalette::Base), SystemColor(kButtonFace));
    const QRect screen = QGuiApplication::primaryScreen()->geometry(); // centred
    EXPECT_EQ(win.pos(), QPoint((screen.width() * 15 - 3810) / 2 / 15,
                                (screen.height() * 15 - 4020) / 2 / 15));
    EXPECT_TRUE(Close(true));
    EXPECT_TRUE(prompts.isEmpty());
    EXPECT_TRUE(store->allKeys().isEmpty()); // Save Settings off: nothing is left behind
}

TEST_F(Window, SheetNumberTypedBoxByBox) {
    frmMain& win = Open();
    Type(win.Nmb(1), "n");
    EXPECT_EQ(TextOf(win.Nmb(1))->text(), "N");
    EXPECT_EQ(Enabled({"ctlNmb2", "ctlNmb3", "cmdClear1", "cmdKeep1"}), "1010");
    EXPECT_EQ(Corners(), "|||||");
    Type(win.Nmb(2), "37");
    EXPECT_EQ(Corners(), "N 56° 00'|E 36° 00'|N 52° 00'|E 42° 00'|N 54° 00'|E 39° 00'");
    EXPECT_EQ(Find<QLineEdit>("txtScale")->text(), "1:1000000");
    EXPECT_EQ(Enabled({"ctlNmb3", "ctlNmb4", "cmdKeep1"}), "101");
    Type(win.Nmb(3), "001");
    EXPECT_EQ(Find<QLineEdit>("txtScale")->text(), "1:100000");
    Type(win.Nmb(4), "в");
    EXPECT_EQ(TextOf(win.Nmb(4))->text(), "В");
    EXPECT_EQ(Find<QLineEdit>("txtScale")->text(), "1:50000");
    EXPECT_EQ(Shown("ctlX0"), "E 36° 07' 30\"");
    QTest::keyClick(TextOf(win.Nmb(4)), Qt::Key_Up); // a quarter letter steps as a letter
    EXPECT_EQ(TextOf(win.Nmb(4))->text(), "Г");
    // Box 3 back to a one-digit part: the quarter goes, and the scale with it.
    Type(win.Nmb(3), "1");
    EXPECT_EQ(TextOf(win.Nmb(4))->text(), "");
    EXPECT_FALSE(win.Nmb(4)->isEnabled());
    EXPECT_EQ(Find<QLineEdit>("txtScale")->text(), "1:500000");
    EXPECT_EQ(Corners(), "N 56° 00'|E 36° 00'|N 54° 00'|E 39° 00'|N 55° 00'|E 37° 30'");
    Hemisphere("ctlSN", 1); // the southern sheet of the same numbers, at once
    EXPECT_EQ(Corners(), "S 52° 00'|E 36° 00'|S 54° 00'|E 39° 00'|S 53° 00'|E 37° 30'");
    // An invalid text flashes, comes back and recomputes the same result.
    const int flashes = FlashMonitor::instance().count();
    TextOf(win.Nmb(2))->end(false);
    QTest::keyClicks(TextOf(win.Nmb(2)), "1");
    EXPECT_GT(FlashMonitor::instance().count(), flashes);
    EXPECT_EQ(TextOf(win.Nmb(2))->text(), "37");
    EXPECT_EQ(Shown("ctlY1"), "S 52° 00'");
    // Arrows step box 3 in its typed form and still move the caret; page keys do not step.
    Type(win.Nmb(3), "4");
    QStringList shown;
    for (auto key : {Qt::Key_PageUp, Qt::Key_Up, Qt::Key_Right, Qt::Key_Down, Qt::Key_Left}) {
        QTest::keyClick(TextOf(win.Nmb(3)), key);
        shown << TextOf(win.Nmb(3))->text();
    }
    EXPECT_EQ(shown.join(' ') + QString::number(TextOf(win.Nmb(3))->cursorPosition()),
              "4 01 02 01 40");
    // Row letters and Roman digits step in their typed form too.
    Type(win.Nmb(3), "xii");
    QTest::keyClick(TextOf(win.Nmb(3)), Qt::Key_Up);
    QTest::keyClick(TextOf(win.Nmb(1)), Qt::Key_Up);
    EXPECT_EQ(TextOf(win.Nmb(1))->text() + TextOf(win.Nmb(3))->text(), "OXIII");
    // Emptying box 1 empties and closes everything to its right; Keep stays as it was.
    Type(win.Nmb(1), "");
    EXPECT_EQ(Enabled({"ctlNmb2", "ctlNmb3", "ctlNmb4", "cmdClear1", "cmdKeep1"}), "00001");
    for (int i = 2; i <= 4; ++i)
        EXPECT_EQ(TextOf(win.Nmb(i))->text(), "");
    EXPECT_EQ(Corners() + Find<QLineEdit>("txtScale")->text(), "|||||");
}

TEST_F(Window, PointEntryAndTheLimitsOfTheSpinners) {
    Put("Action", "2");
    frmMain& win = Open();
    EXPECT_EQ(win.VisibleFrame(), 2);
    EXPECT_TRUE(TextOf(win.Pos(1))->hasFocus());
    EXPECT_FALSE(win.Pos(2)->isEnabled());
    Type(win.Pos(1), "55");
    EXPECT_EQ(Enabled({"ctlPos2", "ctlScale1"}) + win.Lst(1)->Result(), "10");
    Type(win.Pos(3), "37");
    // Empty minutes count as 0.
    EXPECT_EQ(win.Lst(1)->Result() + "|" + win.Lst(10)->Result(), " 14-37| N-37-39-А");
    EXPECT_EQ(TextOf(win.Pos(2))->text(), "");
    EXPECT_EQ(
        Enabled({"ctlScale1", "ctlScale2", "ctlScale3", "ctlScale4", "ctlScale5", "cmdKeep2"}),
        "111111");
    Type(win.Pos(2), "45");
    Type(win.Pos(4), "37");
    EXPECT_EQ(Results(), " 14-37| 14-37-1| 14-37-02| 14-37-004| 14-37-004-3| N-37| N-37-А| "
                         "N-37-II| N-37-4| N-37-4-В");
    // Carry from 59 minutes into the degrees, each spinner reporting its own change.
    Type(win.Pos(1), "10");
    Type(win.Pos(2), "59");
    QTest::keyClick(TextOf(win.Pos(2)), Qt::Key_Up);
    EXPECT_EQ(TextOf(win.Pos(1))->text() + TextOf(win.Pos(2))->text(), "110");
    EXPECT_EQ(win.Lst(1)->Result(), " 3-37");
    QTest::keyClick(TextOf(win.Pos(2)), Qt::Key_Down);
    EXPECT_EQ(TextOf(win.Pos(1))->text() + TextOf(win.Pos(2))->text(), "1059");
    // PageUp steps by the stride; a typed text out of range flashes and comes back.
    QTest::keyClick(TextOf(win.Pos(1)), Qt::Key_PageUp);
    const int flashes = FlashMonitor::instance().count();
    TextOf(win.Pos(1))->end(false);
    QTest::keyClicks(TextOf(win.Pos(1)), "5");
    EXPECT_EQ(TextOf(win.Pos(1))->text(), "14");
    EXPECT_EQ(FlashMonitor::instance().count(), flashes + 1);
    // N 84: the minutes count as 0 and cannot rise; S turns 84 into 83 and empties them.
    Type(win.Pos(1), "84");
    EXPECT_EQ(TextOf(win.Pos(2))->text(), "0");
    EXPECT_EQ(win.Pos(2)->MaxValue(), 0);
    EXPECT_EQ(win.Lst(1)->Result(), " 21-37");
    Hemisphere("ctlNS", 1);
    EXPECT_EQ(TextOf(win.Pos(1))->text() + "|" + TextOf(win.Pos(2))->text(), "83|");
    EXPECT_EQ(win.Lst(1)->Result(), "s 21-37");
    // W 180: minutes 0; back to E turns it into 179 and empties the minutes.
    Hemisphere("ctlEW", 1);
    EXPECT_EQ(win.Pos(3)->MaxValue(), 180);
    EXPECT_EQ(TextOf(win.Pos(4))->text(), "37"); // 37 W keeps its minutes
    Type(win.Pos(3), "180");
    EXPECT_EQ(TextOf(win.Pos(4))->text(), "0");
    EXPECT_EQ(win.Lst(1)->Result(), "s 21-1");
    Hemisphere("ctlEW", 0);
    EXPECT_EQ(TextOf(win.Pos(3))->text() + "|" + TextOf(win.Pos(4))->text(), "179|");
    EXPECT_EQ(win.Lst(1)->Result(), "s 21-60");
    // Emptying the latitude degrees empties and closes the minutes and clears the results.
    Type(win.Pos(1), "");
    EXPECT_EQ(Enabled({"ctlPos2", "ctlScale1", "cmdClear2"}) + win.Lst(1)->Result(), "001");
}

TEST_F(Window, NeighbourPanelOpensFromAScaleLabelAndReturns) {
    Put("Action", "2");
    frmMain& win = Open();
    Type(win.Pos(1), "56");
    Type(win.Pos(3), "37");
    Click(win.Scale(3));
    auto* panel = Find<ctlLSTN>("ctlLSTN");
    EXPECT_EQ(std::tuple(win.VisibleFrame(), win.CurrentView(), panel->Y(), panel->X()),
              std::tuple(3, 3, 56 * 3600, 37 * 3600));
    Action("mnuContents")->trigger(); // help over the panel comes back to the panel
    EXPECT_EQ(win.VisibleFrame(), 0);
    emit Find<ctlHELP>("ctlHELP")->Cancel();
    EXPECT_EQ(win.VisibleFrame(), 3);
    emit panel->Cancel();
    EXPECT_EQ(std::pair(win.VisibleFrame(), win.CurrentView()), std::pair(2, 2));
    EXPECT_TRUE(TextOf(win.Pos(1))->hasFocus());
    EXPECT_EQ(TextOf(win.Pos(1))->text(), "56");
}

// A sheet kept in one mode and a point in the other go out in one block, in the language of the
// moment each was kept; closing after the export asks nothing.
TEST_F(Window, KeepBothModesExportAndCloseWithoutAQuestion) {
    frmMain& win = Open();
    Type(win.Nmb(1), "14");
    Type(win.Nmb(2), "37");
    Click(Find<QPushButton>("cmdKeep1"));
    EXPECT_FALSE(Find<QPushButton>("cmdKeep1")->isEnabled());
    EXPECT_TRUE(Action("mnuExport")->isEnabled());
    EXPECT_TRUE(TextOf(win.Nmb(1))->hasFocus());
    Action("mnuLng2")->trigger();
    Action("mnuAct2")->trigger();
    Type(win.Pos(1), "55");
    Type(win.Pos(2), "45");
    Type(win.Pos(3), "37");
    Type(win.Pos(4), "37");
    Click(Find<QPushButton>("cmdKeep2"));
    EXPECT_TRUE(TextOf(win.Pos(1))->hasFocus());

    // A failed export keeps everything kept for the next try.
    const QString exportFile = dir.filePath(QStringLiteral("Export.txt"));
    ASSERT_TRUE(QDir().mkdir(exportFile));
    Action("mnuExport")->trigger();
    EXPECT_EQ(std::pair(int(warnings.size()), Action("mnuExport")->isEnabled()),
              std::pair(1, true));
    ASSERT_TRUE(QDir().rmdir(exportFile));
    Action("mnuExport")->trigger();
    EXPECT_FALSE(Action("mnuExport")->isEnabled());
    ASSERT_EQ(opened.size(), 1);
    QFile file(opened[0]);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray expected = examples::Cp1251(
        clsRSLT::DateTimeLine(QDateTime(QDate(2026, 12, 6), QTime(10, 15, 0)), QLocale::system()) +
        "\r\n\r\n" + examples::kSheetRu + examples::kPointEn);
    EXPECT_EQ(file.readAll(), expected);
    EXPECT_TRUE(Close(false));
    EXPECT_TRUE(prompts.isEmpty());
}

TEST_F(Window, KeptResultsAskBeforeClosing) {
    frmMain& win = Open();
    Action("mnuSaveSettings")->trigger();
    Type(win.Nmb(1), "14");
    Type(win.Nmb(2), "37");
    Click(Find<QPushButton>("cmdKeep1"));
    EXPECT_FALSE(Close(false)); // No keeps the window, and the settings are written all the same
    EXPECT_EQ(prompts,
              QStringList{"Остались неэкспортированные данные.\r\nЗавершить работу программы?"});
    EXPECT_EQ(Stored("SaveSettings"), "True");
    Action("mnuLng2")->trigger();
    EXPECT_FALSE(Close(false));
    EXPECT_EQ(prompts.value(1), "Exist non-exported data.\r\nExit program?");
    EXPECT_EQ(Stored("Language"), "2");
    EXPECT_TRUE(Close(true));
}

TEST_F(Window, SettingsComeBackInTheNextWindow) {
    Open().move(40, 30);
    for (const char* item :
         {"mnuLng2", "mnuAct2", "mnuAlwaysOnTop", "mnuSaveSettings", "mnuPasteWgs84"})
        Action(item)->trigger();
    EXPECT_TRUE(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    ASSERT_TRUE(Close(true));
    EXPECT_EQ(Stored("Action") + Stored("AlwaysOnTop") + Stored("PasteWgs84"), "2TrueTrue");
    frmMain& again = Open();
    EXPECT_EQ(std::pair(again.LanguageIndex(), again.VisibleFrame()), std::pair(2, 2));
    EXPECT_EQ(Find<QMenu>("mnuAction")->title(), "Action");
    EXPECT_EQ(Checked({"mnuAlwaysOnTop", "mnuSaveSettings", "mnuPasteWgs84"}), "111");
    EXPECT_TRUE(again.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(again.frameGeometry().topLeft(), QPoint(40, 30));
    Action("mnuPasteWgs84")->trigger();
    ASSERT_TRUE(Close(true));
    EXPECT_EQ(Stored("PasteWgs84"), "False");
    Open();
    Action("mnuSaveSettings")->trigger(); // unchecked and closed: the section is gone
    ASSERT_TRUE(Close(true));
    EXPECT_TRUE(store->allKeys().isEmpty());
}

// A saved position off the screen is centred again.
TEST_F(Window, SavedNeighbourViewAndPositionOffScreen) {
    Put("Action", "3");
    Put("Left", "-300000");
    Put("Top", "150");
    frmMain& win = Open();
    EXPECT_EQ(win.VisibleFrame(), 3);
    EXPECT_EQ(Checked({"mnuAct1", "mnuAct2"}), "00");
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(win.pos().x(), (screen.width() * 15 - 3810) / 2 / 15);
    emit Find<ctlLSTN>("ctlLSTN")->Cancel();
    EXPECT_EQ(win.VisibleFrame(), 2);
    EXPECT_EQ(Checked({"mnuAct1", "mnuAct2"}), "00");
}

TEST_F(Window, LanguageSwitchFollowsTheHelpAndKeepsTheInputs) {
    frmMain& win = Open();
    Type(win.Nmb(1), "14");
    Action("mnuAbout")->trigger();
    EXPECT_EQ(win.VisibleFrame(), 0);
    EXPECT_EQ(Find<QGroupBox>("fraAct0")->title(), "О Программе");
    Action("mnuLng2")->trigger();
    EXPECT_EQ(Find<QGroupBox>("fraAct0")->title(), "About");
    EXPECT_EQ(Find<QGroupBox>("fraAct1")->title(), "Sheet -> Coordinate");
    EXPECT_EQ(Find<QLabel>("lblResult2")->text(), "Result:");
    EXPECT_EQ(Find<QWidget>("imgClear2")->toolTip(), "Clear");
    Action("mnuContents")->trigger();
    EXPECT_EQ(Find<QGroupBox>("fraAct0")->title(), "Help");
    Action("mnuLng1")->trigger();
    EXPECT_EQ(Find<QGroupBox>("fraAct0")->title(), "Справка");
    EXPECT_EQ(TextOf(win.Nmb(1))->text(), "14");
    EXPECT_EQ(Find<ctlHELP>("ctlHELP")->Language(), 1);
    EXPECT_EQ(win.ResultLog()->Language, 1);
}

TEST_F(Window, WheelStepsOnlyTheFocusedFieldUnderThePointer) {
    Put("Action", "2");
    frmMain& win = Open();
    Type(win.Pos(1), "10");
    Type(win.Pos(3), "20");
    QLineEdit* lat = TextOf(win.Pos(1));
    QLineEdit* lon = TextOf(win.Pos(3));
    lat->setFocus();
    auto notch = [](QWidget* over, int delta, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        const QPointF at(5, 5);
        QWheelEvent e(at, over->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, mods,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(over, &e);
    };
    QTest::mouseMove(lat, QPoint(5, 5));
    notch(lat, 120);
    EXPECT_EQ(lat->text(), "11");
    EXPECT_EQ(win.Lst(1)->Result(), " 3-34"); // the window recomputed
    notch(lat, -360);                         // three notches in one message: one step
    EXPECT_EQ(lat->text(), "10");
    notch(lat, 120, Qt::ControlModifier);
    EXPECT_EQ(lat->text(), "10");
    // Over the other field, which has no focus: nothing moves.
    QTest::mouseMove(lon, QPoint(5, 5));
    notch(lon, 120);
    EXPECT_EQ(lon->text(), "20");
    EXPECT_EQ(lat->text(), "10");
    // The sheet-number boxes take the same notches.
    Action("mnuAct1")->trigger();
    Type(win.Nmb(1), "14");
    TextOf(win.Nmb(1))->setFocus();
    QTest::mouseMove(TextOf(win.Nmb(1)), QPoint(5, 5));
    notch(TextOf(win.Nmb(1)), 120);
    EXPECT_EQ(TextOf(win.Nmb(1))->text(), "15");
}

// In both languages every label and box of the frames has the one font, and in it every caption
// and the widest results are wholly in view (a box too narrow scrolls, hiding an end).
TEST_F(Window, OneFontInWhichEveryCaptionAndResultFits) {
    for (const char* language : {"1", "2"}) {
        Put("Language", language);
        Put("Action", "2");
        frmMain& win = Open();
        QWidget* frames = Find<QWidget>("central");
        const QFontInfo font(frames->font());
        for (QWidget* w : frames->findChildren<QWidget*>()) {
            const QFontInfo own(w->font());
            ASSERT_EQ(std::tuple(own.family(), own.pixelSize(), own.style()),
                      std::tuple(font.family(), font.pixelSize(), font.style()))
                << w->objectName().toStdString();
            if (auto* label = qobject_cast<QLabel*>(w)) {
                EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()),
                          label->contentsRect().width())
                    << label->text().toStdString();
            }
        }
        for (int i = 1; i <= 5; ++i) { // bold while hovered
            QFont bold = win.Scale(i)->font();
            bold.setBold(true);
            EXPECT_LE(QFontMetrics(bold).horizontalAdvance(win.Scale(i)->Caption()),
                      win.Scale(i)->CaptionRect().width());
        }
        const auto inView = [](QLineEdit* b) {
            b->setCursorPosition(b->text().size());
            const bool start = b->cursorPositionAt(QPoint(4, 9)) == 0;
            b->setCursorPosition(0);
            return start && b->cursorPositionAt(QPoint(b->width() - 4, 9)) == b->text().size();
        };
        for (const char* corner : {"E", "W"}) { // the widest designations of both notations
            Hemisphere("ctlNS", 1);
            Hemisphere("ctlEW", *corner == 'W');
            for (int lat = 80; lat <= 83; ++lat)
                for (int lon = 174; lon <= 179; ++lon) {
                    Type(win.Pos(1), QString::number(lat));
                    Type(win.Pos(2), QStringLiteral("59"));
                    Type(win.Pos(3), QString::number(lon));
                    Type(win.Pos(4), QStringLiteral("59"));
                    for (int i = 1; i <= 10; ++i)
                        ASSERT_TRUE(inView(TextOf(win.Lst(i))))
                            << win.Lst(i)->Result().toStdString();
                }
        }
        Action("mnuAct1")->trigger();
        Type(win.Nmb(1), "u");
        Type(win.Nmb(2), "60");
        Type(win.Nmb(3), "144");
        Type(win.Nmb(4), "4");
        for (const char* name : {"ctlY1", "ctlX1", "ctlY0", "ctlX0", "ctlY2", "ctlX2"})
            EXPECT_TRUE(inView(TextOf(Find<QWidget>(name)))) << Shown(name).toStdString();
        EXPECT_TRUE(Close(true));
    }
}

// A settings file that cannot be written: the user hears once, with the place and the reason,
// and the window closes all the same.
TEST_F(Window, SettingsThatCannotBeWrittenAreToldOnce) {
    const QString inTheWay = dir.filePath(QStringLiteral("Velmora.conf"));
    ASSERT_TRUE(QDir().mkdir(inTheWay));
    store = std::make_unique<QSettings>(inTheWay, QSettings::IniFormat);
    Open();
    Action("mnuSaveSettings")->trigger();
    Type(w->Nmb(1), "14");
    Type(w->Nmb(2), "37");
    Click(Find<QPushButton>("cmdKeep1"));
    EXPECT_FALSE(Close(false));
    EXPECT_TRUE(Close(true));
    EXPECT_EQ(warnings, QStringList{"Не удалось сохранить настройки в файле '" + inTheWay +
                                    "': на месте файла находится папка."});
}

TEST_F(Window, PasteOneSpellingOfEachFamilyFillsTheBoxesAsTyped) {
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

TEST_F(Window, PasteAnAmbiguousNameAsksARejectedTextSaysWhyAndNeitherChangesAnything) {
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

    Action("mnuLng2")->trigger();
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

TEST_F(Window, PasteCopyGivesEachViewAsPlainTextAndLeavesASelectionToItsBox) {
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
    Action("mnuLng2")->trigger();
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
    Action("mnuCopy")->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              "1:1000000\n"
              "15-36 ( O-36 )\t15-37 ( O-37 )\t15-38 ( O-38 )\n"
              "14-36 ( N-36 )\t14-37 ( N-37 )\t14-38 ( N-38 )\n"
              "13-36 ( M-36 )\t13-37 ( M-37 )\t13-38 ( M-38 )\n");
}

TEST_F(Window, PasteTheFiftyThousandthTooltipNamesTheLargerAndPublishedSheets) {
    frmMain& win = Open();
    Press(QStringLiteral("61 37"));
    const QString tip = win.Lst(5)->toolTip();
    EXPECT_TRUE(tip.startsWith("1:25000    16-37-111-1-1 ( P-37-111-А-а )\n1:10000 "));
    EXPECT_TRUE(tip.contains("\nИзданы объединёнными листами:\n1:1000000  16-37,38 ( P-37,38 )\n"));
    EXPECT_EQ(win.Lst(10)->toolTip(), tip);
    Action("mnuLng2")->trigger();
    EXPECT_TRUE(win.Lst(5)->toolTip().contains("Printed as joined sheets:"));
    QTest::mouseClick(Find<QPushButton>("cmdClear2"), Qt::LeftButton);
    EXPECT_EQ(win.Lst(5)->toolTip(), "");
}

// 4" west of 37° 45' E in WGS 84, 2.7" east of it on the 1942 datum.
TEST_F(Window, PastedGpsPointsConvertAcrossAFiftyThousandthEdge) {
    Open();
    const QString nearEdge = QStringLiteral("55.75 37.748889");
    Press(nearEdge);
    EXPECT_EQ(w->Lst(5)->Result(), " 14-37-004-3");
    Action("mnuPasteWgs84")->trigger();
#if KAVU_HAVE_DATUM
    Press(nearEdge);
    EXPECT_EQ(w->Lst(5)->Result(), " 14-37-004-4");
    EXPECT_TRUE(Message().startsWith("Пересчитано из WGS 84 в СК-42: N 55° 44' 59.8"));
#endif
}

} // namespace
