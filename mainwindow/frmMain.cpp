#include "mainwindow/frmMain.h"

#include "controls/ctlGMS/ctlGMS.h"
#include "controls/ctlHELP/ctlHELP.h"
#include "controls/ctlLBL/ctlLBL.h"
#include "controls/ctlLSTN/ctlLSTN.h"
#include "controls/ctlLst/ctlLst.h"
#include "controls/ctlNNNN/ctlNNNN.h"
#include "controls/ctlNNNN/ctlNNNNLogic.h"
#include "controls/ctlNSEW/ctlNSEW.h"
#include "controls/ctlPos/ctlPos.h"
#include "mainwindow/Captions.h"
#include "mainwindow/Pictures.h"
#include "mainwindow/WindowSettings.h"
#include "mainwindow/modMouseWheel.h"
#include "mapview/MapWindow.h"
#include "misc/misc.h"
#include "resultlog/clsRSLT.h"

#include <QCloseEvent>
#include <QDir>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSettings>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace kavu {
namespace {

QRect Twips(int left, int top, int width, int height) {
    return QRect(Px(left), Px(top), Px(width), Px(height));
}

// Outer size of the window and place and size of every frame, twips.
constexpr int kWindowWidth = 3810;
constexpr int kWindowHeight = 4020;
constexpr int kFrameLeft = 120, kFrameTop = 120, kFrameWidth = 3495, kFrameHeight = 3135;
// Below this the window's text would be hard to read; the result boxes narrow themselves then.
constexpr int kSmallestPixelSize = 9;

QString Tr(const CaptionText& text, int language) {
    return QString::fromUtf8(text[language]);
}

template <typename T> T* Named(T* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}

QLabel* MakeLabel(QWidget* parent, const QString& name, const QRect& geometry,
                  Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop) {
    auto* label = Named(new QLabel(parent), name);
    label->setGeometry(geometry);
    label->setAlignment(alignment);
    return label;
}

QPushButton* MakePictureButton(QWidget* parent, const QString& name, const QRect& geometry,
                               const QIcon& icon) {
    auto* button = Named(new QPushButton(parent), name);
    button->setGeometry(geometry);
    button->setIcon(icon);
    button->setIconSize(QSize(12, 14));
    button->setFlat(false);
    return button;
}

bool DefaultConfirmExit(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(kWindowCaption), text,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

} // namespace

frmMain::frmMain(QWidget* parent) : frmMain(Services(), parent) {}

frmMain::frmMain(Services services, QWidget* parent)
    : QMainWindow(parent), services_(std::move(services)) {
    settings_ = services_.settings;
    if (!settings_) {
        ownSettings_ = std::make_unique<QSettings>(QSettings::UserScope, QStringLiteral("Velmora"));
        settings_ = ownSettings_.get();
    }
    setWindowTitle(QString::fromUtf8(kWindowCaption));
    setWindowIcon(ProgramIcon());
    BuildMenus();
    BuildFrames();
    BuildClipboard();
    ApplyWindowFont();
    ApplyTabOrder();
    Load();
}

frmMain::~frmMain() {
    if (wheel_) UnhookWheel(wheel_.get());
}

void frmMain::BuildMenus() {
    QMenuBar* bar = menuBar();
    mnuAction_ = Named(bar->addMenu(QString()), QStringLiteral("mnuAction"));
    for (int i = 1; i <= 2; ++i) {
        QAction* a = Named(mnuAction_->addAction(QString()), QStringLiteral("mnuAct%1").arg(i));
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, i] { mnuAct_Click(i); });
        mnuAct_[static_cast<std::size_t>(i)] = a;
    }
    mnuAction_->addSeparator()->setObjectName(QStringLiteral("mnu1"));
    mnuCopy_ = Named(mnuAction_->addAction(QString()), QStringLiteral("mnuCopy"));
    mnuPaste_ = Named(mnuAction_->addAction(QString()), QStringLiteral("mnuPaste"));
    mnuMap_ = Named(mnuAction_->addAction(QString()), QStringLiteral("mnuMap"));
    mnuMap_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    connect(mnuMap_, &QAction::triggered, this, &frmMain::mnuMap_Click);
    mnuAction_->addSeparator()->setObjectName(QStringLiteral("mnu6"));
    mnuExport_ = Named(mnuAction_->addAction(QString()), QStringLiteral("mnuExport"));
    connect(mnuExport_, &QAction::triggered, this, &frmMain::mnuExport_Click);
    mnuAction_->addSeparator()->setObjectName(QStringLiteral("mnu2"));
    mnuExit_ = Named(mnuAction_->addAction(QString()), QStringLiteral("mnuExit"));
    connect(mnuExit_, &QAction::triggered, this, &QWidget::close);

    mnuOpt_ = Named(bar->addMenu(QString()), QStringLiteral("mnuOpt"));
    mnuAlwaysOnTop_ = Named(mnuOpt_->addAction(QString()), QStringLiteral("mnuAlwaysOnTop"));
    mnuAlwaysOnTop_->setCheckable(true);
    // The action has already flipped its mark when triggered fires.
    connect(mnuAlwaysOnTop_, &QAction::triggered, this, [this](bool on) { SetAlwaysOnTop(on); });
    mnuOpt_->addSeparator()->setObjectName(QStringLiteral("mnu3"));
    for (int i = 1; i <= 2; ++i) {
        QAction* a = Named(mnuOpt_->addAction(QString::fromUtf8(kLanguageItem[i])),
                           QStringLiteral("mnuLng%1").arg(i));
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, i] { mnuLng_Click(i); });
        mnuLng_[static_cast<std::size_t>(i)] = a;
    }
    mnuOpt_->addSeparator()->setObjectName(QStringLiteral("mnu4"));
    mnuPasteWgs84_ = Named(mnuOpt_->addAction(QString()), QStringLiteral("mnuPasteWgs84"));
    mnuPasteWgs84_->setCheckable(true);
    mnuSaveSettings_ = Named(mnuOpt_->addAction(QString()), QStringLiteral("mnuSaveSettings"));
    mnuSaveSettings_->setCheckable(true);

    mnuHelp_ = Named(bar->addMenu(QString()), QStringLiteral("mnuHelp"));
    mnuContents_ = Named(mnuHelp_->addAction(QString()), QStringLiteral("mnuContents"));
    mnuContents_->setShortcut(QKeySequence(Qt::Key_F1));
    mnuContents_->setShortcutContext(Qt::ApplicationShortcut);
    connect(mnuContents_, &QAction::triggered, this, &frmMain::mnuContents_Click);
    mnuHelp_->addSeparator()->setObjectName(QStringLiteral("mnu5"));
    mnuAbout_ = Named(mnuHelp_->addAction(QString()), QStringLiteral("mnuAbout"));
    connect(mnuAbout_, &QAction::triggered, this, &frmMain::mnuAbout_Click);
}

void frmMain::BuildFrames() {
    auto* central = Named(new QWidget(this), QStringLiteral("central"));
    setCentralWidget(central);
    central->setFixedSize(Px(kFrameLeft * 2 + kFrameWidth), Px(kFrameTop * 2 + kFrameHeight));
    const char* designCaptions[4] = {"***", "Sheet -> Coordinate", "Coordinate -> Sheet",
                                     "Neighbor Sheets"};
    for (int i = 0; i <= 3; ++i) {
        auto* frame = Named(new QGroupBox(QString::fromUtf8(designCaptions[i]), central),
                            QStringLiteral("fraAct%1").arg(i));
        frame->setGeometry(Twips(kFrameLeft, kFrameTop, kFrameWidth, kFrameHeight));
        fraAct_[static_cast<std::size_t>(i)] = frame;
    }

    // Help.
    ctlHELP_ = Named(new ctlHELP(fraAct_[0]), QStringLiteral("ctlHELP"));
    ctlHELP_->setGeometry(Twips(120, 240, 3255, 2760));
    connect(ctlHELP_, &ctlHELP::Cancel, this, [this] { ShowFrame(currentView_); });

    // Sheet to coordinates.
    QGroupBox* f1 = fraAct_[1];
    lblNumber_ = MakeLabel(f1, QStringLiteral("lblNumber"), Twips(720, 360, 2175, 255));
    ctlSN_ = Named(new ctlNSEW(f1), QStringLiteral("ctlSN"));
    ctlSN_->setGeometry(Twips(120, 600, 495, 285));
    connect(ctlSN_, &ctlNSEW::Change, this, [this](const QString& value) {
        sheetHemisphere_ = value;
        UpdateSheetToCoordinates();
    });
    for (int i = 1; i <= 4; ++i) {
        auto* box = Named(new ctlNNNN(f1), QStringLiteral("ctlNmb%1").arg(i));
        box->setView(i);
        box->setGeometry(Twips(720 + 600 * (i - 1), 600, 615, 285));
        connect(box, &ctlNNNN::Change, this, [this, i](int value) {
            sheetNumberParts_[static_cast<std::size_t>(i)] = value;
            UpdateSheetToCoordinates();
        });
        ctlNmb_[static_cast<std::size_t>(i)] = box;
    }
    lblResult1_ = MakeLabel(f1, QStringLiteral("lblResult1"), Twips(480, 1080, 1095, 255));
    MakeLabel(f1, QStringLiteral("Image1"), Twips(120, 1350, 240, 240))->setPixmap(GridPicture(1));
    MakeLabel(f1, QStringLiteral("Image2"), Twips(360, 1710, 240, 240))->setPixmap(GridPicture(5));
    MakeLabel(f1, QStringLiteral("Image3"), Twips(600, 2070, 240, 240))->setPixmap(GridPicture(9));
    auto angle = [f1](const char* name, int left, int top) {
        auto* display = Named(new ctlGMS(f1), QString::fromLatin1(name));
        display->setShowMinute(true);
        display->setGeometry(Twips(left, top, 1215, 285));
        return display;
    };
    ctlY1_ = angle("ctlY1", 480, 1320);
    ctlX1_ = angle("ctlX1", 1680, 1320);
    ctlY0_ = angle("ctlY0", 720, 1680);
    ctlX0_ = angle("ctlX0", 1920, 1680);
    ctlY2_ = angle("ctlY2", 960, 2040);
    ctlX2_ = angle("ctlX2", 2160, 2040);
    lblScale_ = MakeLabel(f1, QStringLiteral("lblScale"), Twips(120, 2550, 735, 255),
                          Qt::AlignRight | Qt::AlignTop);
    txtScale_ = Named(new QLineEdit(f1), QStringLiteral("txtScale"));
    txtScale_->setGeometry(Twips(960, 2520, 1215, 285));
    txtScale_->setReadOnly(true);
    txtScale_->setTextMargins(0, 0, 0, 0);

    // Coordinates to sheet.
    QGroupBox* f2 = fraAct_[2];
    lblCoordinate_ = MakeLabel(f2, QStringLiteral("lblCoordinate"), Twips(120, 360, 1815, 255));
    ctlNS_ = Named(new ctlNSEW(f2), QStringLiteral("ctlNS"));
    ctlNS_->setGeometry(Twips(120, 600, 495, 285));
    connect(ctlNS_, &ctlNSEW::Change, this, &frmMain::ctlNS_Change);
    ctlEW_ = Named(new ctlNSEW(f2), QStringLiteral("ctlEW"));
    ctlEW_->setView(1);
    ctlEW_->setGeometry(Twips(120, 960, 495, 285));
    connect(ctlEW_, &ctlNSEW::Change, this, &frmMain::ctlEW_Change);
    struct PosDesign {
        int left, top, view, maxValue, stride;
        bool raiseOverflow;
    };
    const PosDesign posDesign[5] = {{},
                                    {840, 600, 1, 84, 4, false},
                                    {1560, 600, 2, 59, 10, true},
                                    {840, 960, 1, 180, 6, false},
                                    {1560, 960, 2, 59, 15, true}};
    for (int i = 1; i <= 4; ++i) {
        const PosDesign& d = posDesign[i];
        auto* spinner = Named(new ctlPos(f2), QStringLiteral("ctlPos%1").arg(i));
        spinner->setView(d.view);
        spinner->setMaxValue(d.maxValue);
        spinner->setStride(d.stride);
        spinner->setRaiseOverflow(d.raiseOverflow);
        spinner->setGeometry(Twips(d.left, d.top, 630, 285));
        connect(spinner, &ctlPos::Change, this, [this, i](int value) { ctlPos_Change(i, value); });
        connect(spinner, &ctlPos::Overflow, this,
                [this, i](int value) { ctlPos_[static_cast<std::size_t>(i - 1)]->Modify(value); });
        ctlPos_[static_cast<std::size_t>(i)] = spinner;
    }
    lblResult2_ = MakeLabel(f2, QStringLiteral("lblResult2"), Twips(1080, 1440, 1095, 255));
    for (int i = 1; i <= 5; ++i) {
        auto* label = Named(new ctlLBL(f2), QStringLiteral("ctlScale%1").arg(i));
        label->setAlignment(1);
        label->setCaption(
            QString::fromUtf8(ScaleName(i).data(), static_cast<int>(ScaleName(i).size())));
        label->setGeometry(i == 1 ? Twips(30, 1710, 945, 240)
                                  : Twips(120, 1710 + 240 * (i - 1), 855, 240));
        connect(label, &ctlLBL::Click, this, [this, i] { ctlScale_Click(i); });
        ctlScale_[static_cast<std::size_t>(i)] = label;
    }
    for (int i = 1; i <= 10; ++i) {
        auto* field = Named(new ctlLst(f2), QStringLiteral("ctlLst%1").arg(i));
        const int row = i <= 5 ? i : i - 5;
        field->setStandard(i <= 5 ? 1 : 2);
        field->setCaliber(row);
        field->setGeometry(Twips(i <= 5 ? 1080 : 2160, 1680 + 240 * (row - 1), 1095, 285));
        ctlLst_[static_cast<std::size_t>(i)] = field;
    }

    // Keep and Clear of both modes, with an empty picture beneath each that keeps the tooltip
    // showing while the button is disabled.
    const QIcon keepIcon = ButtonIcon(KeepPicture(true), KeepPicture(false));
    const QIcon clearIcon = ButtonIcon(ClearPicture(true), ClearPicture(false));
    const int buttonTop[3] = {0, 2520, 960};
    for (int i = 1; i <= 2; ++i) {
        QGroupBox* f = fraAct_[static_cast<std::size_t>(i)];
        const QRect clearRect = Twips(2520, buttonTop[i], 285, 285);
        const QRect keepRect = Twips(2880, buttonTop[i], 285, 285);
        imgClear_[static_cast<std::size_t>(i)] =
            MakeLabel(f, QStringLiteral("imgClear%1").arg(i), clearRect);
        imgKeep_[static_cast<std::size_t>(i)] =
            MakeLabel(f, QStringLiteral("imgKeep%1").arg(i), keepRect);
        auto* clear =
            MakePictureButton(f, QStringLiteral("cmdClear%1").arg(i), clearRect, clearIcon);
        auto* keep = MakePictureButton(f, QStringLiteral("cmdKeep%1").arg(i), keepRect, keepIcon);
        connect(clear, &QPushButton::clicked, this, [this, i] { ResetMode(i); });
        connect(keep, &QPushButton::clicked, this, [this, i] { cmdKeep_Click(i); });
        clear->installEventFilter(this);
        keep->installEventFilter(this);
        cmdClear_[static_cast<std::size_t>(i)] = clear;
        cmdKeep_[static_cast<std::size_t>(i)] = keep;
    }

    // Neighbour sheets.
    ctlLSTN_ = Named(new ctlLSTN(fraAct_[3]), QStringLiteral("ctlLSTN"));
    ctlLSTN_->setGeometry(Twips(120, 240, 3255, 2760));
    connect(ctlLSTN_, &ctlLSTN::Cancel, this, &frmMain::ctlLSTN_Cancel);
}

bool frmMain::FontFits(const QFont& font) const {
    using namespace captions;
    const std::pair<QLabel*, CaptionText> labels[] = {{lblNumber_, lblNumber},
                                                      {lblResult1_, lblResult1},
                                                      {lblResult2_, lblResult1},
                                                      {lblScale_, lblScale},
                                                      {lblCoordinate_, lblCoordinate}};
    for (const auto& [label, text] : labels)
        if (WidestText(font, {Tr(text, 1), Tr(text, 2)}) > label->contentsRect().width())
            return false;
    QStringList scaleNames;
    for (int i = 1; i <= kScaleCount; ++i)
        scaleNames << QString::fromUtf8(ScaleName(i).data(), static_cast<int>(ScaleName(i).size()));
    if (WidestText(font, scaleNames) > LineEditTextRoom(txtScale_)) return false;
    for (ctlGMS* d : {ctlY1_, ctlX1_, ctlY2_, ctlX2_, ctlY0_, ctlX0_})
        if (!d->Fits(font)) return false;
    for (int i = 1; i <= 10; ++i)
        if (!ctlLst_[static_cast<std::size_t>(i)]->Fits(font)) return false;
    for (int i = 1; i <= 5; ++i)
        if (!ctlScale_[static_cast<std::size_t>(i)]->Fits(font)) return false;
    return ctlLSTN_->Fits(font);
}

void frmMain::ApplyWindowFont() {
    // One face and size for every label and box of the frames, chosen once from the font
    // metrics: the largest in which every caption of both languages and every result fits.
    QWidget* frames = centralWidget();
    frames->setFont(LargestFittingFont(
        frames->font(), [this](const QFont& f) { return FontFits(f); }, kSmallestPixelSize));
}

void frmMain::ApplyTabOrder() {
    std::vector<QWidget*> order = {ctlNmb_[1], ctlNmb_[2], ctlNmb_[3],   ctlNmb_[4],  ctlSN_,
                                   ctlY1_,     ctlX1_,     ctlY0_,       ctlX0_,      ctlY2_,
                                   ctlX2_,     txtScale_,  cmdClear_[1], cmdKeep_[1], ctlPos_[1],
                                   ctlPos_[2], ctlNS_,     ctlPos_[3],   ctlPos_[4],  ctlEW_};
    for (int i = 1; i <= 10; ++i)
        order.push_back(ctlLst_[static_cast<std::size_t>(i)]);
    order.push_back(cmdClear_[2]);
    order.push_back(cmdKeep_[2]);
    for (std::size_t i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void frmMain::Load() {
    // The design size is the outer one; the title bar is the platform's, so the window takes
    // what its menu bar and frames need, and keeps it.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    const WindowSettings s = ReadWindowSettings(*settings_);
    mapSettings_ = std::make_unique<WindowSettings>(s);
    mnuLng_Click(s.Language);
    mnuAct_Click(s.Action);
    SetAlwaysOnTop(s.AlwaysOnTop);
    mnuSaveSettings_->setChecked(s.SaveSettings);
    mnuPasteWgs84_->setChecked(s.PasteWgs84);
    PlaceWindow(s.Left, s.Top);
    wheel_ = std::make_unique<WheelRouter>(this, [this](int direction) {
        for (int i = 1; i <= 4; ++i) {
            ctlNmb_[static_cast<std::size_t>(i)]->setMouseWheel(direction);
            ctlPos_[static_cast<std::size_t>(i)]->setMouseWheel(direction);
        }
    });
    HookWheel(wheel_.get());
}

void frmMain::PlaceWindow(int left, int top) {
    QScreen* primary = QGuiApplication::primaryScreen();
    const QRect screen = primary ? primary->geometry() : QRect(0, 0, 1024, 768);
    bool centre = left == kCentred || top == kCentred;
    if (!centre) {
        // A position saved on a screen that is gone would hide the window: centre it instead.
        const QRect wanted(left / kTwipsPerPixel, top / kTwipsPerPixel, Px(kWindowWidth),
                           Px(kWindowHeight));
        centre = true;
        for (QScreen* s : QGuiApplication::screens()) {
            const QRect overlap = s->geometry().intersected(wanted);
            if (overlap.width() >= 32 && overlap.height() >= 16 &&
                s->geometry().contains(
                    QPoint(std::clamp(wanted.center().x(), wanted.left(), wanted.right()),
                           wanted.top() + 4))) {
                centre = false;
                break;
            }
        }
    }
    if (centre) {
        left = (screen.width() * kTwipsPerPixel - kWindowWidth) / 2;
        top = (screen.height() * kTwipsPerPixel - kWindowHeight) / 2;
        left += screen.left() * kTwipsPerPixel;
        top += screen.top() * kTwipsPerPixel;
    }
    move(left / kTwipsPerPixel, top / kTwipsPerPixel);
}

int frmMain::VisibleFrame() const {
    for (int i = 0; i <= 3; ++i)
        if (!fraAct_[static_cast<std::size_t>(i)]->isHidden()) return i;
    return -1;
}

void frmMain::ShowFrame(int n) {
    for (int i = 0; i <= 3; ++i)
        fraAct_[static_cast<std::size_t>(i)]->setVisible(i == n);
}

void frmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!activated_) {
        activated_ = true;
        ResetMode(1);
        ResetMode(2);
    }
}

void frmMain::ResetMode(int n) {
    if (n == 1) {
        for (int i = 1; i <= 4; ++i) {
            sheetNumberParts_[static_cast<std::size_t>(i)] = 0;
            ctlNmb_[static_cast<std::size_t>(i)]->Reset();
            ctlNmb_[static_cast<std::size_t>(i)]->setEnabled(i == 1);
        }
        ctlSN_->Reset();
        sheetHemisphere_ = QStringLiteral("N");
        ClearResults(1);
        cmdClear_[1]->setEnabled(false);
        cmdKeep_[1]->setEnabled(false);
        if (currentView_ == 1) ctlNmb_[1]->setFocus();
        return;
    }
    exactPoint_.reset();
    for (int i = 1; i <= 4; ++i) {
        coordinateParts_[static_cast<std::size_t>(i)] = -1;
        ctlPos_[static_cast<std::size_t>(i)]->Reset();
        ctlPos_[static_cast<std::size_t>(i)]->setEnabled(i % 2 == 1);
    }
    ctlNS_->Reset();
    pointNS_ = QStringLiteral("N");
    ctlEW_->Reset();
    pointEW_ = QStringLiteral("E");
    ctlPos_[1]->setMaxValue(84);
    ctlPos_[2]->setMaxValue(59);
    ctlPos_[2]->setMajorMaxValue(ctlPos_[1]->MaxValue());
    ctlPos_[3]->setMaxValue(179);
    ctlPos_[4]->setMaxValue(59);
    ctlPos_[4]->setMajorMaxValue(ctlPos_[3]->MaxValue());
    ClearResults(2);
    cmdClear_[2]->setEnabled(false);
    cmdKeep_[2]->setEnabled(false);
    if (currentView_ == 2) ctlPos_[1]->setFocus();
}

void frmMain::ClearResults(int n) {
    if (n == 1) {
        for (ctlGMS* d : {ctlY1_, ctlX1_, ctlY2_, ctlX2_, ctlY0_, ctlX0_})
            d->Clear();
        txtScale_->clear();
        shownSheet_.reset();
        return;
    }
    for (int i = 1; i <= 10; ++i)
        ctlLst_[static_cast<std::size_t>(i)]->Clear();
    for (int i = 1; i <= 5; ++i)
        ctlScale_[static_cast<std::size_t>(i)]->setEnabled(false);
    shownPoint_.reset();
    UpdateLargerScalesTip();
}

void frmMain::UpdateSheetToCoordinates() {
    auto& parts = sheetNumberParts_;
    ClearResults(1);
    if (parts[1] == 0) {
        parts[2] = 0;
        ctlNmb_[2]->Reset();
        ctlNmb_[2]->setEnabled(false);
    }
    if (parts[2] == 0) {
        parts[3] = 0;
        ctlNmb_[3]->Reset();
        ctlNmb_[3]->setEnabled(false);
    }
    if (parts[3] == 0) {
        parts[4] = 0;
        ctlNmb_[4]->Reset();
        ctlNmb_[4]->setEnabled(false);
    }
    const int rowAndColumn = BoxScale[1] & BoxScale[2];
    ctlNmb_[2]->setEnabled(BoxScale[1] != 0);
    ctlNmb_[3]->setEnabled(rowAndColumn != 0);
    ctlNmb_[4]->setEnabled(BoxScale[3] == 4);
    if (!ctlNmb_[4]->isEnabled()) {
        parts[4] = 0;
        ctlNmb_[4]->Reset();
    }
    int scale = 0;
    if (rowAndColumn != 0) {
        scale = rowAndColumn;
        if (BoxScale[3] != 0) {
            scale = BoxScale[3];
            if (BoxScale[4] != 0) scale = BoxScale[4];
        }
    }
    cmdClear_[1]->setEnabled(BoxScale[1] != 0);
    if (scale == 0) return UpdateMap();

    const SheetKey key{scale,    sheetHemisphere_ == QLatin1String("S") ? 'S' : 'N',
                       parts[1], parts[2],
                       parts[3], parts[4]};
    const std::optional<SheetFrame> frame = ComputeSheetFrame(key);
    if (!frame) return; // the boxes never let such a key through
    currentFrame_ = *frame;
    shownSheet_ = key;
    UpdateMap();
    const QString ew = currentFrame_.EW == 'W' ? QStringLiteral("W") : QStringLiteral("E");
    ctlY1_->setValue(sheetHemisphere_, currentFrame_.Y1);
    ctlX1_->setValue(ew, currentFrame_.X1);
    ctlY2_->setValue(sheetHemisphere_, currentFrame_.Y2);
    ctlX2_->setValue(ew, currentFrame_.X2);
    ctlY0_->setValue(sheetHemisphere_, currentFrame_.Y0);
    ctlX0_->setValue(ew, currentFrame_.X0);
    const QString scaleName =
        QString::fromUtf8(ScaleName(scale).data(), static_cast<int>(ScaleName(scale).size()));
    txtScale_->setText(scaleName);
    cmdKeep_[1]->setEnabled(true);

    clsRSLT& log = Log();
    log.setSheetNew(0, QString::fromStdString(FormatSheetNew(key)));
    log.setSheetOld(0, QString::fromStdString(FormatSheetOld(key)));
    log.Y1 = ctlY1_->Result();
    log.X1 = ctlX1_->Result();
    log.Y2 = ctlY2_->Result();
    log.X2 = ctlX2_->Result();
    log.Y0 = ctlY0_->Result();
    log.X0 = ctlX0_->Result();
    log.M = scaleName;
}

void frmMain::ctlNS_Change(const QString& value) {
    exactPoint_.reset();
    pointNS_ = value;
    if (pointNS_ == QLatin1String("N")) {
        ctlPos_[1]->setMaxValue(84);
    } else {
        ctlPos_[1]->setMaxValue(83);
        if (coordinateParts_[1] >= 83) {
            coordinateParts_[1] = 83;
            ctlPos_[2]->Reset();
            coordinateParts_[2] = -1;
        }
    }
    ctlPos_[2]->setMajorMaxValue(ctlPos_[1]->MaxValue());
    UpdateCoordinatesToSheet();
}

void frmMain::ctlEW_Change(const QString& value) {
    exactPoint_.reset();
    pointEW_ = value;
    if (pointEW_ == QLatin1String("E")) {
        ctlPos_[3]->setMaxValue(179);
        if (coordinateParts_[3] >= 179) {
            coordinateParts_[3] = 179;
            ctlPos_[4]->Reset();
            coordinateParts_[4] = -1;
        }
    } else {
        ctlPos_[3]->setMaxValue(180);
    }
    ctlPos_[4]->setMajorMaxValue(ctlPos_[3]->MaxValue());
    UpdateCoordinatesToSheet();
}

void frmMain::ctlPos_Change(int index, int value) {
    exactPoint_.reset();
    coordinateParts_[static_cast<std::size_t>(index)] = value;
    UpdateCoordinatesToSheet();
}

void frmMain::UpdateCoordinatesToSheet() {
    auto& parts = coordinateParts_;
    ClearResults(2);
    // Minutes follow their degrees: open while the degrees hold a value, empty otherwise.
    for (int minutes : {2, 4}) {
        const auto m = static_cast<std::size_t>(minutes);
        ctlPos_[m]->setEnabled(parts[m - 1] >= 0);
        if (parts[m - 1] < 0) {
            ctlPos_[m]->Reset();
            parts[m] = -1;
        } else if (parts[m] == -1) {
            parts[m] = 0;
        }
        ctlPos_[m]->setMajorValue(parts[m - 1]);
        ctlPos_[m]->setMajorMaxValue(ctlPos_[m - 1]->MaxValue());
    }
    if (parts[1] == ctlPos_[1]->MaxValue() && pointNS_ == QLatin1String("N")) {
        parts[2] = 0;
        ctlPos_[2]->setMaxValue(0);
    } else {
        ctlPos_[2]->setMaxValue(59);
    }
    if (parts[3] == ctlPos_[3]->MaxValue() && pointEW_ == QLatin1String("W")) {
        parts[4] = 0;
        ctlPos_[4]->setMaxValue(0);
    } else {
        ctlPos_[4]->setMaxValue(59);
    }
    cmdClear_[2]->setEnabled(parts[3] >= 0 || parts[1] >= 0);
    if (parts[1] < 0 || parts[3] < 0) return UpdateMap();

    int latitude = (parts[1] * 60 + parts[2]) * 60;
    int longitude = (parts[3] * 60 + parts[4]) * 60;
    for (int i = 1; i <= 10; ++i) {
        ctlLst* field = ctlLst_[static_cast<std::size_t>(i)];
        if (exactPoint_)
            field->Calculate(*exactPoint_);
        else
            field->Calculate(pointNS_, latitude, pointEW_, longitude);
    }
    if (exactPoint_) {
        // The panel and the log take whole seconds: the pasted point less its fraction.
        latitude = static_cast<int>(std::abs(exactPoint_->Latitude) / kUnitsPerSecond);
        longitude = static_cast<int>(std::abs(exactPoint_->Longitude) / kUnitsPerSecond);
    }
    shownPoint_ = exactPoint_ ? *exactPoint_
                              : BoxPoint(pointNS_ == QLatin1String("S"), latitude,
                                         pointEW_ == QLatin1String("W"), longitude);
    UpdateLargerScalesTip();
    for (int i = 1; i <= 5; ++i)
        ctlScale_[static_cast<std::size_t>(i)]->setEnabled(true);
    ctlLSTN_->setY(latitude);
    ctlLSTN_->setX(longitude);
    cmdKeep_[2]->setEnabled(true);
    UpdateMap();

    clsRSLT& log = Log();
    log.GMSY = QString::fromStdString(FormatAngle(pointNS_.toStdString(), latitude, true, false));
    log.GMSX = QString::fromStdString(FormatAngle(pointEW_.toStdString(), longitude, true, false));
    for (int i = 1; i <= 5; ++i) {
        log.setSheetNew(i, ctlLst_[static_cast<std::size_t>(i)]->Result());
        log.setSheetOld(i, ctlLst_[static_cast<std::size_t>(i + 5)]->Result());
    }
}

void frmMain::ctlScale_Click(int index) {
    neighbourSheet_ = ctlLst_[static_cast<std::size_t>(index)]->Result();
    ctlLSTN_->Calculate(neighbourSheet_);
    currentView_ = 3;
    ShowFrame(3);
}

void frmMain::ctlLSTN_Cancel() {
    currentView_ = 2;
    ShowFrame(2);
    ctlPos_[1]->setFocus();
}

void frmMain::mnuAct_Click(int index) {
    currentView_ = index;
    for (int k = 1; k <= 2; ++k)
        mnuAct_[static_cast<std::size_t>(k)]->setChecked(k == index);
    ShowFrame(index);
    UpdateMap();
}

void frmMain::mnuLng_Click(int index) {
    languageIndex_ = index;
    for (int k = 1; k <= 2; ++k)
        mnuLng_[static_cast<std::size_t>(k)]->setChecked(k == index);
    if (index == 1 || index == 2) {
        using namespace captions;
        mnuAction_->setTitle(Tr(mnuAction, index));
        mnuAct_[1]->setText(Tr(mnuAct1, index));
        mnuAct_[2]->setText(Tr(mnuAct2, index));
        mnuExport_->setText(Tr(mnuExport, index));
        mnuExit_->setText(Tr(mnuExit, index));
        mnuOpt_->setTitle(Tr(mnuOpt, index));
        mnuAlwaysOnTop_->setText(Tr(mnuAlwaysOnTop, index));
        mnuSaveSettings_->setText(Tr(mnuSaveSettings, index));
        mnuHelp_->setTitle(Tr(mnuHelp, index));
        mnuContents_->setText(Tr(mnuContents, index));
        mnuAbout_->setText(Tr(mnuAbout, index));
        fraAct_[3]->setTitle(Tr(fraAct3, index));
        lblNumber_->setText(Tr(lblNumber, index));
        lblResult1_->setText(Tr(lblResult1, index));
        lblScale_->setText(Tr(lblScale, index));
        lblCoordinate_->setText(Tr(lblCoordinate, index));
        cmdClear_[1]->setToolTip(Tr(cmdClearTip, index));
        cmdKeep_[1]->setToolTip(Tr(cmdKeepTip, index));
        mnuCopy_->setText(Tr(mnuCopy, index));
        mnuPaste_->setText(Tr(mnuPaste, index));
        mnuMap_->setText(Tr(mnuMap, index));
        mnuPasteWgs84_->setText(Tr(mnuPasteWgs84, index));
    }
    for (int k = 1; k <= 2; ++k)
        fraAct_[static_cast<std::size_t>(k)]->setTitle(
            mnuAct_[static_cast<std::size_t>(k)]->text());
    lblResult2_->setText(lblResult1_->text());
    for (QWidget* w : {static_cast<QWidget*>(cmdClear_[2]), static_cast<QWidget*>(imgClear_[1]),
                       static_cast<QWidget*>(imgClear_[2])})
        w->setToolTip(cmdClear_[1]->toolTip());
    for (QWidget* w : {static_cast<QWidget*>(cmdKeep_[2]), static_cast<QWidget*>(imgKeep_[1]),
                       static_cast<QWidget*>(imgKeep_[2])})
        w->setToolTip(cmdKeep_[1]->toolTip());
    ctlHELP_->setLanguage(index);
    fraAct_[0]->setTitle(ctlHELP_->Caption());
    Log().Language = index;
    UpdateLargerScalesTip();
    if (map_) map_->SetLanguage(index);
}

clsRSLT& frmMain::Log() {
    if (!resultLog_) {
        resultLog_ = services_.makeLog ? services_.makeLog() : std::make_unique<clsRSLT>();
        connect(resultLog_.get(), &clsRSLT::exportEnabledChanged, mnuExport_, &QAction::setEnabled);
        resultLog_->Clear();
    }
    return *resultLog_;
}

void frmMain::cmdKeep_Click(int index) {
    Log().Add(index);
    mnuExport_->setEnabled(true);
    cmdKeep_[static_cast<std::size_t>(index)]->setEnabled(false);
}

void frmMain::mnuExport_Click() {
    clsRSLT& log = Log();
    // Only a written file lets the kept results go; a failed export keeps them for another try.
    if (log.Export()) log.Clear();
}

void frmMain::mnuContents_Click() {
    ShowFrame(0);
    ctlHELP_->Show(currentView_);
    fraAct_[0]->setTitle(ctlHELP_->Caption());
}

void frmMain::mnuAbout_Click() {
    ShowFrame(0);
    ctlHELP_->Show(0);
    fraAct_[0]->setTitle(ctlHELP_->Caption());
}

void frmMain::SetAlwaysOnTop(bool flag) {
    mnuAlwaysOnTop_->setChecked(flag);
    SetTopmost(this, flag);
}

void frmMain::SaveWindowSettings() {
    WindowSettings s;
    s.Action = currentView_;
    s.AlwaysOnTop = mnuAlwaysOnTop_->isChecked();
    s.Language = languageIndex_;
    s.SaveSettings = mnuSaveSettings_->isChecked();
    s.PasteWgs84 = mnuPasteWgs84_->isChecked();
    const QPoint at = frameGeometry().topLeft();
    s.Left = at.x() * kTwipsPerPixel;
    s.Top = at.y() * kTwipsPerPixel;
    KeepMapSettings(s);
    TellStoreFailure(WriteWindowSettings(*settings_, s));
}

void frmMain::DeleteWindowSettings() {
    TellStoreFailure(kavu::DeleteWindowSettings(*settings_));
}

void frmMain::TellStoreFailure(const std::optional<StoreFailure>& failure) {
    // Once a run: a second close after No would only repeat it.
    if (!failure || toldStoreFailure_) return;
    toldStoreFailure_ = true;
    const QString reason = FailureReason(failure->error, failure->systemText, languageIndex_);
    const QString text = Tr(captions::SettingsNotSaved, languageIndex_) +
                         QDir::toNativeSeparators(failure->path) + QStringLiteral("'") +
                         (reason.isEmpty() ? QString() : QStringLiteral(": ") + reason) +
                         QStringLiteral(".");
    if (services_.warn) {
        services_.warn(text);
        return;
    }
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(kWindowCaption), text, QMessageBox::Ok,
                    this);
    box.exec();
}

void frmMain::closeEvent(QCloseEvent* event) {
    bool cancel = false;
    if (mnuExport_->isEnabled()) {
        const QString prompt = Tr(captions::ExitPrompt, languageIndex_);
        const bool yes = services_.confirmExit ? services_.confirmExit(prompt)
                                               : DefaultConfirmExit(this, prompt);
        cancel = !yes;
    }
    if (mnuSaveSettings_->isChecked())
        SaveWindowSettings();
    else
        DeleteWindowSettings();
    if (cancel) {
        event->ignore();
        return;
    }
    if (wheel_) UnhookWheel(wheel_.get());
    if (map_) map_->close();
    event->accept();
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    // After any release on Keep or Clear the focus goes back to the first field of the mode.
    // The button sees its release first: taking its focus earlier would cancel the click.
    if (event->type() != QEvent::MouseButtonRelease || handlingRelease_)
        return QMainWindow::eventFilter(watched, event);
    for (int i = 1; i <= 2; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (watched != cmdKeep_[k] && watched != cmdClear_[k]) continue;
        handlingRelease_ = true;
        QCoreApplication::sendEvent(watched, event);
        handlingRelease_ = false;
        if (i == 1)
            ctlNmb_[1]->setFocus();
        else
            ctlPos_[1]->setFocus();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace kavu
