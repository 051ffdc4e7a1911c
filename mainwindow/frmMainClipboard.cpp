// The window's copy and paste: the menu entries and their keys, filling the boxes from a pasted
// text, the choice between readings, the short messages, and the larger scales' tooltip.
#include "mainwindow/frmMain.h"

#include "controls/ctlGMS/ctlGMS.h"
#include "controls/ctlHELP/ctlHELP.h"
#include "controls/ctlLSTN/ctlLSTN.h"
#include "controls/ctlLst/ctlLst.h"
#include "controls/ctlNNNN/ctlNNNN.h"
#include "controls/ctlNSEW/ctlNSEW.h"
#include "controls/ctlPos/ctlPos.h"
#include "mainwindow/Captions.h"
#include "misc/misc.h"

#if KAVU_HAVE_DATUM
#include "geo/proj_module.h"
#endif

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QTimer>

#include <algorithm>

namespace kavu {

namespace {

constexpr int kMessageMs = 8000;

// Ctrl+C and Ctrl+V belong to the focused box while it would use them itself; these keys go to
// the window instead: Paste always (a whole designation or point never fits one box), Copy
// unless the box has a selection to copy.
class ClipboardKeys : public QObject {
  public:
    ClipboardKeys(QWidget* window, QAction* copy, QAction* paste, std::function<void()> onInput)
        : window_(window), copy_(copy), paste_(paste), onInput_(std::move(onInput)) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type == QEvent::KeyPress || type == QEvent::MouseButtonPress) {
            onInput_();
            return false;
        }
        if (type != QEvent::ShortcutOverride) return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || widget->window() != window_) return false;
        const QKeySequence key(static_cast<QKeyEvent*>(event)->keyCombination());
        const bool paste = paste_->shortcuts().contains(key);
        const bool copy = copy_->shortcuts().contains(key) && !HasSelection(widget);
        if (!paste && !copy) return false;
        event->ignore(); // not the box's: the shortcut runs
        return true;
    }

  private:
    static bool HasSelection(QWidget* w) {
        if (auto* e = qobject_cast<QLineEdit*>(w)) return e->hasSelectedText();
        if (auto* e = qobject_cast<QPlainTextEdit*>(w)) return e->textCursor().hasSelection();
        if (auto* e = qobject_cast<QTextEdit*>(w)) return e->textCursor().hasSelection();
        return false;
    }

    QWidget* window_;
    QAction* copy_;
    QAction* paste_;
    std::function<void()> onInput_;
};

DatumShiftFunction MakeDatumShift() {
#if KAVU_HAVE_DATUM
    std::string error;
    const geo::ProjModule* proj = geo::LoadProjModule(error);
    std::shared_ptr<const geo::PointConversion> shift;
    if (proj != nullptr) shift = proj->Wgs84Shift(error);
    if (!shift) return {};
    return [shift](double& latitude, double& longitude) {
        return shift->ToSeries(latitude, longitude);
    };
#else
    return {};
#endif
}

GridConversion MakeGridConversion() {
#if KAVU_HAVE_DATUM
    std::string error;
    const geo::ProjModule* module = geo::LoadProjModule(error);
    std::shared_ptr<geo::GaussKruger> gk =
        module ? module->GaussKrugerZones(error) : std::unique_ptr<geo::GaussKruger>();
    if (!gk) return {};
    GridConversion grid;
    grid.Forward = [gk](int zone, double latitude, double longitude, double& x, double& y) {
        geo::GridPoint p;
        if (!gk->Forward(zone, latitude, longitude, p)) return false;
        x = p.X;
        y = p.Y;
        return true;
    };
    grid.Inverse = [gk](const RectangularPoint& r, double& latitude, double& longitude) {
        return gk->Inverse(r.Zone, {r.X, r.Y}, latitude, longitude);
    };
    return grid;
#else
    return {};
#endif
}

// The tooltip of a corner box is made when it is asked for: PROJ stays unloaded until then.
class CornerTips : public QObject {
  public:
    explicit CornerTips(std::function<QString(QObject*)> tip) : tip_(std::move(tip)) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ToolTip)
            if (auto* box = qobject_cast<QWidget*>(watched)) box->setToolTip(tip_(watched));
        return false;
    }

  private:
    std::function<QString(QObject*)> tip_;
};

QString Tr(const CaptionText& text, int language) {
    return QString::fromUtf8(text[language]);
}

QLineEdit* TextBox(QWidget* control) {
    return control->findChild<QLineEdit*>(QStringLiteral("Text"));
}

} // namespace

void frmMain::BuildClipboard() {
    mnuCopy_->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)});
    mnuPaste_->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)});
    connect(mnuCopy_, &QAction::triggered, this, &frmMain::mnuCopy_Click);
    connect(mnuPaste_, &QAction::triggered, this, &frmMain::mnuPaste_Click);

    // A message floats under the input row like a tooltip, but stays until the next key or
    // click (a tooltip would go with the release of the V that pasted).
    lblMessage_ = new QLabel(this, Qt::ToolTip | Qt::FramelessWindowHint);
    lblMessage_->setObjectName(QStringLiteral("lblMessage"));
    lblMessage_->setForegroundRole(QPalette::ToolTipText);
    lblMessage_->setBackgroundRole(QPalette::ToolTipBase);
    lblMessage_->setAutoFillBackground(true);
    lblMessage_->setFrameStyle(QFrame::Box | QFrame::Plain);
    lblMessage_->setMargin(2);
    lblMessage_->setWordWrap(true);
    messageTimer_ = new QTimer(this);
    messageTimer_->setSingleShot(true);
    connect(messageTimer_, &QTimer::timeout, this, &frmMain::HideMessage);

    clipboardKeys_ =
        std::make_unique<ClipboardKeys>(this, mnuCopy_, mnuPaste_, [this] { HideMessage(); });
    qApp->installEventFilter(clipboardKeys_.get());

    // Each corner box's tooltip: its point in rectangular coordinates.
    const std::array<std::pair<ctlGMS*, std::size_t>, 6> corners{
        {{ctlY1_, 0}, {ctlX1_, 0}, {ctlY2_, 1}, {ctlX2_, 1}, {ctlY0_, 2}, {ctlX0_, 2}}};
    cornerTips_ = std::make_unique<CornerTips>([this, corners](QObject* box) {
        if (!shownSheet_) return QString();
        for (const auto& [control, i] : corners)
            if (control == box) return SheetGridTexts(*shownSheet_, Grid())[i];
        return QString();
    });
    for (const auto& corner : corners)
        corner.first->installEventFilter(cornerTips_.get());
}

const GridConversion& frmMain::Grid() {
    if (!gridTried_) {
        gridTried_ = true;
        grid_ = MakeGridConversion();
    }
    return grid_;
}

void frmMain::Tell(const TwoLanguages& message, bool error) {
    if (error) {
        QLineEdit* box = TextBox(currentView_ == 1 ? static_cast<QWidget*>(ctlNmb_[1])
                                                   : static_cast<QWidget*>(ctlPos_[1]));
        FlashError(box);
        ApplyEnabledLook(box, box->isEnabled());
    }
    lblMessage_->setText(message[languageIndex_]);
    // Under the input boxes of the view, over its results for a moment.
    const int view = std::max(0, VisibleFrame());
    const QWidget* frame = fraAct_[static_cast<std::size_t>(view)];
    lblMessage_->setFixedWidth(frame->width());
    lblMessage_->adjustSize();
    lblMessage_->move(frame->mapToGlobal(QPoint(0, Px(view == 2 ? 1260 : 900))));
    lblMessage_->show();
    messageTimer_->start(kMessageMs);
}

void frmMain::HideMessage() {
    if (lblMessage_ && lblMessage_->isVisible()) lblMessage_->hide();
}

bool frmMain::ShiftToSeries(double& latitude, double& longitude) {
    if (!datumTried_) {
        datumTried_ = true;
        datumShift_ = MakeDatumShift();
    }
    return datumShift_ && datumShift_(latitude, longitude);
}

void frmMain::mnuPaste_Click() {
    DatumShiftFunction wgs84;
    if (mnuPasteWgs84_->isChecked())
        wgs84 = [this](double& latitude, double& longitude) {
            return ShiftToSeries(latitude, longitude);
        };
    // Made only for a pasted rectangular pair.
    GridConversion grid;
    grid.Inverse = [this](const RectangularPoint& r, double& latitude, double& longitude) {
        return Grid().Inverse && Grid().Inverse(r, latitude, longitude);
    };
    const PasteAnswer answer = ReadPasted(QGuiApplication::clipboard()->text(), wgs84, grid);
    switch (answer.What) {
    case PasteAnswer::Kind::Rejected:
        Tell(answer.Message, true);
        return;
    case PasteAnswer::Kind::Point:
        FillPoint(answer.Point);
        Tell(answer.Message, false);
        return;
    case PasteAnswer::Kind::Sheet:
        if (answer.Sheets.size() == 1)
            FillSheet(answer.Sheets.front());
        else
            ChooseSheet(answer.Sheets);
        return;
    }
}

void frmMain::ChooseSheet(const std::vector<PastedSheet>& sheets) {
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("mnuPasteChoice"));
    connect(menu, &QMenu::aboutToHide, menu, &QObject::deleteLater);
    menu->addAction(Tr(captions::PasteChoice, languageIndex_))->setEnabled(false);
    menu->addSeparator();
    QAction* first = nullptr;
    for (const PastedSheet& sheet : sheets) {
        QAction* a = menu->addAction(sheet.Label);
        connect(a, &QAction::triggered, this, [this, sheet] { FillSheet(sheet); });
        if (!first) first = a;
    }
    menu->popup(ctlNmb_[1]->mapToGlobal(QPoint(0, ctlNmb_[1]->height())));
    menu->setActiveAction(first);
}

void frmMain::FillSheet(const PastedSheet& sheet) {
    mnuAct_Click(1);
    ctlSN_->Choose(sheet.Shown.Hemisphere == 'S' ? 1 : 0);
    for (std::size_t i = 1; i <= 4; ++i)
        ctlNmb_[i]->Enter(sheet.Boxes[i]);
    ctlNmb_[1]->setFocus();
    if (sheet.Note.isEmpty())
        HideMessage();
    else
        Tell(sheet.Note, false);
}

void frmMain::FillPoint(const PastedPoint& point) {
    mnuAct_Click(2);
    ctlNS_->Choose(point.South ? 1 : 0);
    ctlEW_->Choose(point.West ? 1 : 0);
    ctlPos_[1]->Enter(QString::number(point.LatitudeDegrees));
    ctlPos_[2]->Enter(QString::number(point.LatitudeMinutes));
    ctlPos_[3]->Enter(QString::number(point.LongitudeDegrees));
    ctlPos_[4]->Enter(QString::number(point.LongitudeMinutes));
    // Every box has had its say; from here on the point's own sheets are shown.
    exactPoint_ = point.Point;
    UpdateCoordinatesToSheet();
    ctlPos_[1]->setFocus();
}

void frmMain::mnuCopy_Click() {
    QString text;
    switch (VisibleFrame()) {
    case 0:
        if (auto* help = ctlHELP_->findChild<QPlainTextEdit*>()) text = help->toPlainText();
        break;
    case 1:
        if (shownSheet_) {
            SheetView v;
            v.New = QString::fromStdString(FormatSheetNew(*shownSheet_));
            v.Old = QString::fromStdString(FormatSheetOld(*shownSheet_));
            v.Scale = txtScale_->text();
            v.Y1 = ctlY1_->Result();
            v.X1 = ctlX1_->Result();
            v.Y2 = ctlY2_->Result();
            v.X2 = ctlX2_->Result();
            v.Y0 = ctlY0_->Result();
            v.X0 = ctlX0_->Result();
            v.Grid = SheetGridTexts(*shownSheet_, Grid());
            text = CopyText(v, languageIndex_);
        }
        break;
    case 2:
        if (shownPoint_) {
            PointView v;
            v.Y = ExactAngleText(pointNS_ == QLatin1String("S") ? 'S' : 'N', shownPoint_->Latitude);
            v.X =
                ExactAngleText(pointEW_ == QLatin1String("W") ? 'W' : 'E', shownPoint_->Longitude);
            for (std::size_t i = 1; i <= 5; ++i) {
                v.New[i] = ctlLst_[i]->Result();
                v.Old[i] = ctlLst_[i + 5]->Result();
            }
            text = CopyText(v, languageIndex_);
        }
        break;
    case 3: {
        const QByteArray number = neighbourSheet_.toUtf8();
        text = CopyText(ComputeNeighbours(
            std::string_view(number.constData(), static_cast<std::size_t>(number.size())),
            ctlLSTN_->X(), ctlLSTN_->Y()));
        break;
    }
    default:
        break;
    }
    if (text.isEmpty()) {
        Tell({{QString(), Tr(captions::NothingToCopy, 1), Tr(captions::NothingToCopy, 2)}}, false);
        return;
    }
    QGuiApplication::clipboard()->setText(text);
}

void frmMain::UpdateLargerScalesTip() {
    const QString tip = shownPoint_ ? LargerScalesText(*shownPoint_, languageIndex_) : QString();
    ctlLst_[5]->setToolTip(tip);
    ctlLst_[10]->setToolTip(tip);
}

} // namespace kavu
