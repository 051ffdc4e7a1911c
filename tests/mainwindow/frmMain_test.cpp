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

const QDateTime kNow(QDate(2026, 12, 6), QTime(10, 15, 0));

QLineEdit* TextOf(QWidget* control) {
    return control->findChild<QLineEdit*>(QStringLiteral("Text"));
}
template <typename... T> QString Join(const T&... parts) {
    return QStringList{QString(parts)...}.join('|');
}

class Window : public ::testing::Test {
  protected:
    void SetUp() override { FlashMonitor::instance().setDurationMs(0); }
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
            log->setClock([] { return kNow; });
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
    QString Title(const char* frame) const { return Find<QGroupBox>(frame)->title(); }
    QString ScaleShown() const { return Find<QLineEdit>("txtScale")->text(); }
    QString N(int i) const { return TextOf(w->Nmb(i))->text(); }
    QString P(int i) const { return TextOf(w->Pos(i))->text(); }
    QString R(int i) const { return w->Lst(i)->Result(); }
    void Key(QWidget* control, Qt::Key key) { QTest::keyClick(TextOf(control), key); }
    void Type(QWidget* control, const QString& text) {
        QLineEdit* edit = TextOf(control);
        edit->selectAll();
        if (text.isEmpty()) QTest::keyClick(edit, Qt::Key_Backspace);
        for (const QChar c : text) // QtTest names ASCII keys only; a Cyrillic key is its text
            QTest::sendKeyEvent(QTest::Click, edit,
                                c.unicode() < 128 ? QTest::asciiToKey(c.toLatin1())
                                                  : Qt::Key_unknown,
                                QString(c), Qt::NoModifier);
    }
    // Types into the boxes of a mode (1 the sheet number, 2 the point) from the first on; a
    // null text leaves its box alone.
    void Fill(int mode, std::initializer_list<QString> texts) {
        int i = 0;
        for (const QString& t : texts) {
            ++i;
            if (!t.isNull()) Type(mode == 1 ? static_cast<QWidget*>(w->Nmb(i)) : w->Pos(i), t);
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
    // "1" for each named widget or action that is enabled (or checked), "0" otherwise.
    QString Checked(std::initializer_list<const char*> names) const { return Bits(names, true); }
    QString Bits(std::initializer_list<const char*> names, bool checked = false) const {
        QString bits;
        for (const char* n : names) {
            QAction* a = Action(n);
            const bool on = checked ? a->isChecked()
                            : a     ? a->isEnabled()
                                    : Find<QWidget>(n)->isEnabled();
            bits += on ? '1' : '0';
        }
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
    QString Clipboard() const { return QGuiApplication::clipboard()->text(); }
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
            if (mode != 2) s << N(i);
            if (mode != 1) s << P(i);
        }
        return mode ? s.mid(1) : s;
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
    std::unique_ptr<QSettings> store = std::make_unique<QSettings>(
        dir.filePath(QStringLiteral("Velmora.ini")), QSettings::IniFormat);
    std::unique_ptr<frmMain> w;
    QStringList prompts, warnings, opened;
    bool answerYes = true;
};

int CentredLeft() {
    return (QGuiApplication::primaryScreen()->geometry().width() * 15 - 3810) / 2 / 15;
}

TEST_F(Window, FirstStartTheSheetNumberBoxByBoxAndTheOtherLanguage) {
    frmMain& win = Open();
    EXPECT_EQ(Join(win.windowTitle(), Find<QMenu>("mnuAction")->title(),
                   Find<QLabel>("lblNumber")->text(), Title("fraAct1")),
              "Kavu|Действие|Введите номер листа:|Лист -> Координаты");
    EXPECT_EQ(std::pair(win.CurrentView(), win.VisibleFrame()), std::pair(1, 1));
    EXPECT_EQ(Checked({"mnuAct1", "mnuAct2", "mnuLng1", "mnuAlwaysOnTop", "mnuSaveSettings",
                       "mnuPasteWgs84"}),
              "101000");
    EXPECT_EQ(Bits({"mnuExport", "cmdKeep1", "cmdKeep2", "cmdClear1", "cmdClear2", "ctlNmb1",
                    "ctlNmb2", "ctlNmb3", "ctlNmb4"}),
              "000001000");
    EXPECT_EQ(Action("mnuContents")->shortcut(), QKeySequence(Qt::Key_F1));
    EXPECT_TRUE(TextOf(win.Nmb(1))->hasFocus());
    for (QWidget* box : {static_cast<QWidget*>(win.Nmb(2)), static_cast<QWidget*>(win.Pos(2))})
        EXPECT_EQ(TextOf(box)->palette().color(QPalette::Base), SystemColor(kButtonFace));
    const QRect screen = QGuiApplication::primaryScreen()->geometry(); // centred
    EXPECT_EQ(win.pos(), QPoint(CentredLeft(), (screen.height() * 15 - 4020) / 2 / 15));

    // The sheet number typed box by box.
    Type(win.Nmb(1), "n");
    EXPECT_EQ(N(1) + Bits({"ctlNmb2", "ctlNmb3", "cmdClear1", "cmdKeep1"}) + Corners(),
              "N1010|||||");
    Type(win.Nmb(2), "37");
    EXPECT_EQ(Corners(), "N 56° 00'|E 36° 00'|N 52° 00'|E 42° 00'|N 54° 00'|E 39° 00'");
    EXPECT_EQ(ScaleShown() + Bits({"ctlNmb3", "ctlNmb4", "cmdKeep1"}), "1:1000000101");
    Type(win.Nmb(3), "001");
    EXPECT_EQ(ScaleShown(), "1:100000");
    Type(win.Nmb(4), "в");
    EXPECT_EQ(Join(N(4), ScaleShown(), Shown("ctlX0")), "В|1:50000|E 36° 07' 30\"");
    Key(win.Nmb(4), Qt::Key_Up); // a quarter letter steps as a letter
    EXPECT_EQ(N(4), "Г");
    // Box 3 back to a one-digit part: the quarter goes, and the scale with it.
    Type(win.Nmb(3), "1");
    EXPECT_EQ(Join(N(4), Bits({"ctlNmb4"}), ScaleShown()), "|0|1:500000");
    Hemisphere("ctlSN", 1); // the southern sheet of the same numbers, at once
    EXPECT_EQ(Corners(), "S 52° 00'|E 36° 00'|S 54° 00'|E 39° 00'|S 53° 00'|E 37° 30'");
    // An invalid text flashes, comes back and recomputes the same result.
    const int flashes = FlashMonitor::instance().count();
    TextOf(win.Nmb(2))->end(false);
    QTest::keyClicks(TextOf(win.Nmb(2)), "1");
    EXPECT_GT(FlashMonitor::instance().count(), flashes);
    EXPECT_EQ(N(2) + Shown("ctlY1"), "37S 52° 00'");
    // Arrows step box 3 in its typed form and still move the caret; page keys do not step.
    Type(win.Nmb(3), "4");
    QStringList shown;
    for (auto key : {Qt::Key_PageUp, Qt::Key_Up, Qt::Key_Right, Qt::Key_Down, Qt::Key_Left}) {
        Key(win.Nmb(3), key);
        shown << N(3);
    }
    EXPECT_EQ(shown.join(' ') + QString::number(TextOf(win.Nmb(3))->cursorPosition()),
              "4 01 02 01 40");
    // Row letters and Roman digits step in their typed form too.
    Type(win.Nmb(3), "xii");
    Key(win.Nmb(3), Qt::Key_Up);
    Key(win.Nmb(1), Qt::Key_Up);
    EXPECT_EQ(N(1) + N(3), "OXIII");
    // Emptying box 1 empties and closes everything to its right; Keep stays as it was.
    Type(win.Nmb(1), "");
    EXPECT_EQ(Bits({"ctlNmb2", "ctlNmb3", "ctlNmb4", "cmdClear1", "cmdKeep1"}), "00001");
    EXPECT_EQ(State(1), QStringList({"S", "", "", "", ""}));
    EXPECT_EQ(Corners() + ScaleShown(), "|||||");

    // The help follows the language, and what was typed stays.
    Type(win.Nmb(1), "14");
    Action("mnuContents")->trigger();
    Action("mnuLng2")->trigger();
    EXPECT_EQ(Join(Title("fraAct0"), Title("fraAct1"), N(1)), "Help|Sheet -> Coordinate|14");
    EXPECT_EQ(std::pair(Find<ctlHELP>("ctlHELP")->Language(), win.ResultLog()->Language),
              std::pair(2, 2));
    EXPECT_TRUE(Close(true));
    EXPECT_TRUE(prompts.isEmpty());
    EXPECT_TRUE(store->allKeys().isEmpty()); // Save Settings off: nothing is left behind
}

TEST_F(Window, PointEntryTheLimitsOfTheSpinnersAndTheWheel) {
    Put("Action", "2");
    frmMain& win = Open();
    EXPECT_TRUE(TextOf(win.Pos(1))->hasFocus());
    EXPECT_FALSE(win.Pos(2)->isEnabled());
    Type(win.Pos(1), "55");
    EXPECT_EQ(Bits({"ctlPos2", "ctlScale1"}) + R(1), "10");
    Type(win.Pos(3), "37");
    // Empty minutes count as 0.
    EXPECT_EQ(Join(R(1), R(10), P(2)), " 14-37| N-37-39-А|");
    EXPECT_EQ(Bits({"ctlScale1", "ctlScale2", "ctlScale3", "ctlScale4", "ctlScale5", "cmdKeep2"}),
              "111111");
    Fill(2, {{}, "45", {}, "37"});
    QStringList results;
    for (int i = 1; i <= 10; ++i)
        results << R(i);
    EXPECT_EQ(results.join('|'), " 14-37| 14-37-1| 14-37-02| 14-37-004| 14-37-004-3| N-37| N-37-А| "
                                 "N-37-II| N-37-4| N-37-4-В");
    // Carry from 59 minutes into the degrees, each spinner reporting its own change.
    Fill(2, {"10", "59"});
    Key(win.Pos(2), Qt::Key_Up);
    EXPECT_EQ(P(1) + P(2) + R(1), "110 3-37");
    Key(win.Pos(2), Qt::Key_Down);
    EXPECT_EQ(P(1) + P(2), "1059");
    // PageUp steps by the stride; a typed text out of range flashes and comes back.
    Key(win.Pos(1), Qt::Key_PageUp);
    const int flashes = FlashMonitor::instance().count();
    TextOf(win.Pos(1))->end(false);
    QTest::keyClicks(TextOf(win.Pos(1)), "5");
    EXPECT_EQ(P(1), "14");
    EXPECT_EQ(FlashMonitor::instance().count(), flashes + 1);
    // N 84: the minutes count as 0 and cannot rise; S turns 84 into 83 and empties them.
    Type(win.Pos(1), "84");
    EXPECT_EQ(Join(P(2), QString::number(win.Pos(2)->MaxValue()), R(1)), "0|0| 21-37");
    Hemisphere("ctlNS", 1);
    EXPECT_EQ(Join(P(1), P(2), R(1)), "83||s 21-37");
    // W 180: minutes 0; back to E turns it into 179 and empties the minutes.
    Hemisphere("ctlEW", 1);
    EXPECT_EQ(win.Pos(3)->MaxValue(), 180);
    EXPECT_EQ(P(4), "37"); // 37 W keeps its minutes
    Type(win.Pos(3), "180");
    EXPECT_EQ(P(4) + R(1), "0s 21-1");
    Hemisphere("ctlEW", 0);
    EXPECT_EQ(Join(P(3), P(4), R(1)), "179||s 21-60");
    // Emptying the latitude degrees empties and closes the minutes and clears the results.
    Type(win.Pos(1), "");
    EXPECT_EQ(Bits({"ctlPos2", "ctlScale1", "cmdClear2"}) + R(1), "001");

    // The wheel steps only the focused box under the pointer. A notch with the pointer over a
    // box; what the box shows after it.
    Fill(2, {"10", {}, "20"});
    QLineEdit* lat = TextOf(win.Pos(1));
    lat->setFocus();
    auto notch = [](QLineEdit* over, int delta, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        const QPointF at(5, 5);
        QTest::mouseMove(over, at.toPoint());
        QWheelEvent e(at, over->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, mods,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(over, &e);
        return over->text();
    };
    EXPECT_EQ(notch(lat, 120), "11");
    EXPECT_EQ(R(1), "s 3-34"); // the window recomputed
    EXPECT_EQ(notch(lat, 120, Qt::ControlModifier), "11");
    // Over the other field, which has no focus: nothing moves.
    EXPECT_EQ(notch(TextOf(win.Pos(3)), 120) + P(1), "2011");
    // The sheet-number boxes take the same notches.
    Action("mnuAct1")->trigger();
    Type(win.Nmb(1), "14");
    TextOf(win.Nmb(1))->setFocus();
    EXPECT_EQ(notch(TextOf(win.Nmb(1)), 120), "15");
}

// The panel kept as the view from the last run, and a saved position off the screen: centred.
TEST_F(Window, NeighbourPanelOpensFromAScaleLabelAndReturns) {
    Put("Action", "3");
    Put("Left", "-300000");
    Put("Top", "150");
    frmMain& win = Open();
    EXPECT_EQ(win.VisibleFrame(), 3);
    EXPECT_EQ(Checked({"mnuAct1", "mnuAct2"}), "00");
    EXPECT_EQ(win.pos().x(), CentredLeft());
    auto* panel = Find<ctlLSTN>("ctlLSTN");
    emit panel->Cancel();
    EXPECT_EQ(win.VisibleFrame(), 2);
    EXPECT_EQ(Checked({"mnuAct1", "mnuAct2"}), "00");
    Fill(2, {"56", {}, "37"});
    Click(win.Scale(3));
    EXPECT_EQ(std::tuple(win.VisibleFrame(), win.CurrentView(), panel->Y(), panel->X()),
              std::tuple(3, 3, 56 * 3600, 37 * 3600));
    Action("mnuContents")->trigger(); // help over the panel comes back to the panel
    EXPECT_EQ(win.VisibleFrame(), 0);
    emit Find<ctlHELP>("ctlHELP")->Cancel();
    EXPECT_EQ(win.VisibleFrame(), 3);
    emit panel->Cancel();
    EXPECT_EQ(std::pair(win.VisibleFrame(), win.CurrentView()), std::pair(2, 2));
    EXPECT_TRUE(TextOf(win.Pos(1))->hasFocus());
    EXPECT_EQ(P(1), "56");
}

// A sheet kept in one mode and a point in the other go out in one block, in the language of the
// moment each was kept. Until then closing asks, and No keeps the window with the settings
// written all the same; after the export it asks nothing.
TEST_F(Window, KeepBothModesAskBeforeClosingExportAndCloseWithoutAQuestion) {
    frmMain& win = Open();
    Action("mnuSaveSettings")->trigger();
    Fill(1, {"14", "37"});
    Click(Find<QPushButton>("cmdKeep1"));
    EXPECT_EQ(Bits({"cmdKeep1", "mnuExport"}), "01");
    EXPECT_TRUE(TextOf(win.Nmb(1))->hasFocus());
    EXPECT_FALSE(Close(false));
    Action("mnuLng2")->trigger();
    Action("mnuAct2")->trigger();
    Fill(2, {"55", "45", "37", "37"});
    Click(Find<QPushButton>("cmdKeep2"));
    EXPECT_TRUE(TextOf(win.Pos(1))->hasFocus());
    EXPECT_FALSE(Close(false));
    EXPECT_EQ(prompts.join('|'),
              "Остались неэкспортированные данные.\r\nЗавершить работу программы?|"
              "Exist non-exported data.\r\nExit program?");
    EXPECT_EQ(Stored("SaveSettings") + Stored("Language"), "True2");

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
    EXPECT_EQ(file.readAll(),
              examples::Cp1251(clsRSLT::DateTimeLine(kNow, QLocale::system()) + "\r\n\r\n" +
                               examples::kSheetRu + examples::kPointEn));
    EXPECT_TRUE(Close(false));
    EXPECT_EQ(prompts.size(), 2);
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

    // A settings file that cannot be written: the user hears once, with the place and the reason,
    // and the window closes all the same.
    const QString inTheWay = dir.filePath(QStringLiteral("Velmora.conf"));
    ASSERT_TRUE(QDir().mkdir(inTheWay));
    store = std::make_unique<QSettings>(inTheWay, QSettings::IniFormat);
    Open();
    Action("mnuSaveSettings")->trigger();
    Fill(1, {"14", "37"});
    Click(Find<QPushButton>("cmdKeep1"));
    EXPECT_FALSE(Close(false));
    EXPECT_TRUE(Close(true));
    EXPECT_EQ(warnings, QStringList{"Не удалось сохранить настройки в файле '" + inTheWay +
                                    "': на месте файла находится папка."});
}

// In both languages every label and box of the frames has the one font, and in it every caption
// and the widest results are wholly in view (a box too narrow scrolls, hiding an end).
TEST_F(Window, OneFontInWhichEveryCaptionAndResultFits) {
    for (const char* language : {"1", "2"}) {
        Put("Language", language);
        Put("Action", "2");
        frmMain& win = Open();
        QWidget* frames = Find<QWidget>("central");
        const QFont font = frames->font();
        const QFontInfo is(font);
        for (QWidget* w : frames->findChildren<QWidget*>()) {
            const QFontInfo own(w->font());
            ASSERT_EQ(std::tuple(own.family(), own.pixelSize(), own.style(), w->font().stretch()),
                      std::tuple(is.family(), is.pixelSize(), is.style(), font.stretch()))
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
                    Fill(2, {QString::number(lat), "59", QString::number(lon), "59"});
                    for (int i = 1; i <= 10; ++i)
                        ASSERT_TRUE(inView(TextOf(win.Lst(i)))) << R(i).toStdString();
                }
        }
        Action("mnuAct1")->trigger();
        Fill(1, {"u", "60", "144", "4"});
        for (const char* name : {"ctlY1", "ctlX1", "ctlY0", "ctlX0", "ctlY2", "ctlX2"})
            EXPECT_TRUE(inView(TextOf(Find<QWidget>(name)))) << Shown(name).toStdString();
        EXPECT_TRUE(Close(true));
    }
}

// The boxes fill as if typed, a point switches the mode; a name of two readings asks, a rejected
// text says why, and neither changes anything.
TEST_F(Window, PasteFillsTheBoxesAsTypedAsksWhenAmbiguousAndSaysWhyItRejects) {
    frmMain& win = Open();
    Press("О-37-123-а", Qt::Key_Insert, Qt::ShiftModifier); // Cyrillic О
    EXPECT_EQ(State(1), QStringList({"N", "O", "37", "123", "А"}));
    EXPECT_TRUE(Find<QPushButton>("cmdKeep1")->isEnabled());
    Press("s 9-34-13");
    EXPECT_EQ(State(1), QStringList({"S", "9", "34", "13", ""}));
    EXPECT_EQ(ScaleShown() + Message(), "1:200000");
    Press("n37-004-3-1");
    EXPECT_EQ(Message(), "N-37-4-В-а — лист 1:25000: показан его лист 1:50000, N-37-4-В");
    Press("P-37,38");
    EXPECT_EQ(State(1), QStringList({"N", "P", "37", "", ""}));
    EXPECT_EQ(Message(), "P-37,38 — объединённый лист: показан его первый лист, P-37");

    Press("33°55′ ю.ш. 18°25′ з.д.");
    EXPECT_EQ(win.VisibleFrame(), 2);
    EXPECT_EQ(State(2), QStringList({"S", "W", "33", "55", "18", "25"}));
    EXPECT_TRUE(TextOf(win.Pos(1))->hasFocus());
    // 18" north of the parallel 56° N: the boxes say 56° 00', the sheets are those north of it
    // until a box changes.
    Press("56.005, 37.5");
    EXPECT_EQ(State(2), QStringList({"N", "E", "56", "0", "37", "30"}));
    EXPECT_EQ(Join(Message(), R(6), win.ResultLog()->GMSY),
              "Точка N 56° 00' 18\" E 37° 30'| O-37|N 56° 00' 18\"");
    Key(win.Pos(4), Qt::Key_Up);
    EXPECT_EQ(R(6), " N-37");

    Press("N-37");
    const QStringList before = State();
    Press("N-37-1");
    auto* list = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_TRUE(list);
    ASSERT_EQ(list->actions().size(), 4); // the question, a line, two readings
    EXPECT_EQ(list->actions()[2]->text(), "14-37-001 ( N-37-1 )   1:100000");
    EXPECT_EQ(list->actions()[3]->text(), "14-37-1 ( N-37-А )   1:500000");
    QTest::keyClick(list, Qt::Key_Escape);
    EXPECT_FALSE(QApplication::activePopupWidget());
    EXPECT_EQ(State(), before);

    Action("mnuLng2")->trigger();
    const int flashes = FlashMonitor::instance().count();
    Press("N-61-3");
    EXPECT_EQ(FlashMonitor::instance().count(), flashes + 1);
    EXPECT_EQ(Message(), "Not a sheet name or a point: column 61 is outside 1–60");
    EXPECT_EQ(State(), before);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up); // the next key takes it away
    EXPECT_EQ(Message(), "");

    Press("N-37-1");
    list = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_TRUE(list);
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(State(1), QStringList({"N", "N", "37", "А", ""}));
    EXPECT_EQ(ScaleShown(), "1:500000");
    EXPECT_EQ(win.CurrentView(), 1);
}

// A view copies as its block in the log; the 1:50,000 tooltip names the larger sheets and,
// where the series was printed joined, those; a WGS 84 point moves to the 1942 datum.
TEST_F(Window, CopyTooltipsAndGpsConversion) {
    frmMain& win = Open();
    Press("unchanged", Qt::Key_C);
    EXPECT_EQ(Clipboard() + Message(), "unchangedКопировать пока нечего");
    // Plain line ends and no blank line after the block.
    const auto plain = [](QString block) { return block.chopped(2).replace("\r\n", "\n"); };
    Press("14-37");
    Press(QString(), Qt::Key_C);
#if KAVU_HAVE_DATUM
    // The corners and centre in the sheet's zone follow, and each corner box's tooltip has its own.
    EXPECT_EQ(Clipboard(), plain(examples::kSheetRu) +
                               "верхний левый угол: X 6 212 735  Y 7 312 851\n"
                               "нижний правый угол: X 5 767 697  Y 7 706 015\n"
                               "центр листа:        X 5 986 021  Y 7 500 000\n");
    for (const auto& [box, tip] : {std::pair{"ctlY1", "X 6 212 735  Y 7 312 851"},
                                   {"ctlX2", "X 5 767 697  Y 7 706 015"},
                                   {"ctlX0", "X 5 986 021  Y 7 500 000"}}) {
        auto* control = win.findChild<QWidget*>(box);
        QHelpEvent help(QEvent::ToolTip, QPoint(1, 1), control->mapToGlobal(QPoint(1, 1)));
        QApplication::sendEvent(control, &help);
        EXPECT_EQ(control->toolTip(), tip) << box;
    }
#else
    EXPECT_EQ(Clipboard(), plain(examples::kSheetRu));
#endif

    Press("61 37");
    const QString tip = win.Lst(5)->toolTip();
    EXPECT_TRUE(tip.startsWith("1:25000    16-37-111-1-1 ( P-37-111-А-а )\n1:10000 "));
    EXPECT_TRUE(tip.contains("\nИзданы объединёнными листами:\n1:1000000  16-37,38 ( P-37,38 )\n"));
    EXPECT_EQ(win.Lst(10)->toolTip(), tip);
    Action("mnuLng2")->trigger();
    EXPECT_TRUE(win.Lst(5)->toolTip().contains("Printed as joined sheets:"));
    QTest::mouseClick(Find<QPushButton>("cmdClear2"), Qt::LeftButton);
    EXPECT_EQ(win.Lst(5)->toolTip(), "");

    Press("55.7558, 37.6173"); // the point keeps the seconds as pasted
    Press(QString(), Qt::Key_C);
    EXPECT_EQ(Clipboard(),
              plain(examples::kPointEn).replace("45' E 37° 37'", "45' 20.88\" E 37° 37' 02.28\""));
    TextOf(win.Lst(8))->setFocus();
    TextOf(win.Lst(8))->setSelection(1, 4);
    Press(QString(), Qt::Key_C);
    EXPECT_EQ(Clipboard(), "N-37");

    // 4" west of 37° 45' E in WGS 84, 2.7" east of it on the 1942 datum.
    Action("mnuLng1")->trigger();
    Press("55.75 37.748889");
    EXPECT_EQ(R(5), " 14-37-004-3");
    Action("mnuPasteWgs84")->trigger();
#if KAVU_HAVE_DATUM
    Press("55.75 37.748889");
    EXPECT_EQ(R(5), " 14-37-004-4");
    EXPECT_TRUE(Message().startsWith("Пересчитано из WGS 84 в СК-42: N 55° 44' 59.8"));
#endif

    Click(win.Scale(1));
    ASSERT_EQ(win.VisibleFrame(), 3);
    Action("mnuCopy")->trigger();
    EXPECT_EQ(Clipboard(), "1:1000000\n"
                           "15-36 ( O-36 )\t15-37 ( O-37 )\t15-38 ( O-38 )\n"
                           "14-36 ( N-36 )\t14-37 ( N-37 )\t14-38 ( N-38 )\n"
                           "13-36 ( M-36 )\t13-37 ( M-37 )\t13-38 ( M-38 )\n");
}

} // namespace
