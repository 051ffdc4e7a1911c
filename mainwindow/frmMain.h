// The program's one window: four views on one spot (help, sheet to coordinates, coordinates
// to sheet, neighbour sheets), the menus, both working modes, the language, the settings and
// the result log. It only wires the controls' events to small handlers; the controls and the
// engine do the work.
#pragma once

#include "engine/sheet.h"
#include "mainwindow/ClipboardTexts.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QTimer;
class QPushButton;
class QSettings;

namespace kavu {

class clsRSLT;
class ctlGMS;
class ctlHELP;
class ctlLBL;
class ctlLst;
class ctlLSTN;
class ctlNNNN;
class ctlNSEW;
class ctlPos;
class WheelRouter;
struct StoreFailure;

class frmMain : public QMainWindow {
    Q_OBJECT
  public:
    /// What the window takes from outside; tests replace each.
    struct Services {
        /// The settings store; none: the per-user store of "Velmora".
        QSettings* settings = nullptr;
        /// Asks whether to close with results not exported; true for Yes. None: a message box.
        std::function<bool(const QString& text)> confirmExit;
        /// Makes the result log, with its file place, opener and message box. None: the log
        /// of the program directory and the desktop's opener.
        std::function<std::unique_ptr<clsRSLT>()> makeLog;
        /// Shows a warning with an OK button. None: a message box.
        std::function<void(const QString& text)> warn;
    };

    explicit frmMain(QWidget* parent = nullptr);
    explicit frmMain(Services services, QWidget* parent = nullptr);
    ~frmMain() override;

    int CurrentView() const { return currentView_; }
    int LanguageIndex() const { return languageIndex_; }
    /// The visible frame, 0..3.
    int VisibleFrame() const;
    clsRSLT* ResultLog() const { return resultLog_.get(); }

    // The controls, 1-based as the window numbers them; for tests and benchmarks.
    ctlNNNN* Nmb(int i) const { return ctlNmb_[static_cast<std::size_t>(i)]; }
    ctlPos* Pos(int i) const { return ctlPos_[static_cast<std::size_t>(i)]; }
    ctlLst* Lst(int i) const { return ctlLst_[static_cast<std::size_t>(i)]; }
    ctlLBL* Scale(int i) const { return ctlScale_[static_cast<std::size_t>(i)]; }

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildFrames();
    void BuildMenus();
    bool FontFits(const QFont& font) const;
    void ApplyWindowFont();
    void ApplyTabOrder();
    void Load();

    void ShowFrame(int n);
    void ResetMode(int n);
    void ClearResults(int n);
    void UpdateSheetToCoordinates();
    void UpdateCoordinatesToSheet();
    void SetAlwaysOnTop(bool flag);
    void SaveWindowSettings();
    void DeleteWindowSettings();
    void TellStoreFailure(const std::optional<StoreFailure>& failure);
    void PlaceWindow(int left, int top);
    clsRSLT& Log();

    void mnuAct_Click(int index);
    void mnuLng_Click(int index);
    void mnuExport_Click();
    void mnuContents_Click();
    void mnuAbout_Click();
    void cmdKeep_Click(int index);
    void ctlNS_Change(const QString& value);
    void ctlEW_Change(const QString& value);
    void ctlPos_Change(int index, int value);
    void ctlScale_Click(int index);
    void ctlLSTN_Cancel();

    // Copy and paste (frmMainClipboard.cpp).
    void BuildClipboard();
    void mnuCopy_Click();
    void mnuPaste_Click();
    void FillSheet(const PastedSheet& sheet);
    void FillPoint(const PastedPoint& point);
    void ChooseSheet(const std::vector<PastedSheet>& sheets);
    void Tell(const TwoLanguages& message, bool error);
    void HideMessage();
    bool ShiftToSeries(double& latitude, double& longitude);
    const GridConversion& Grid();
    void UpdateLargerScalesTip();

    Services services_;
    std::unique_ptr<QSettings> ownSettings_;
    QSettings* settings_ = nullptr;
    std::unique_ptr<clsRSLT> resultLog_;
    std::unique_ptr<WheelRouter> wheel_;
    bool activated_ = false;
    bool handlingRelease_ = false;
    bool toldStoreFailure_ = false;

    // Window state.
    int currentView_ = 1;
    int languageIndex_ = 1;
    std::array<int, 5> sheetNumberParts_{};
    QString sheetHemisphere_ = QStringLiteral("N");
    SheetFrame currentFrame_;
    std::array<int, 5> coordinateParts_{-1, -1, -1, -1, -1};
    QString pointNS_ = QStringLiteral("N");
    QString pointEW_ = QStringLiteral("E");
    // The sheets of a pasted point are those of the point itself, seconds and all, until the
    // user changes one of its boxes.
    std::optional<ExactPoint> exactPoint_;
    // What each view shows, for Copy; nothing while a view has no complete result.
    std::optional<SheetKey> shownSheet_;
    std::optional<ExactPoint> shownPoint_;
    QString neighbourSheet_;
    DatumShiftFunction datumShift_;
    bool datumTried_ = false;
    GridConversion grid_;
    bool gridTried_ = false;
    std::unique_ptr<QObject> cornerTips_;
    QLabel* lblMessage_ = nullptr;
    QTimer* messageTimer_ = nullptr;
    std::unique_ptr<QObject> clipboardKeys_;

    // Frames and controls; index 0 unused where the window counts from 1.
    std::array<QGroupBox*, 4> fraAct_{};
    QLabel* lblNumber_ = nullptr;
    QLabel* lblResult1_ = nullptr;
    QLabel* lblResult2_ = nullptr;
    QLabel* lblScale_ = nullptr;
    QLabel* lblCoordinate_ = nullptr;
    ctlNSEW* ctlSN_ = nullptr;
    ctlNSEW* ctlNS_ = nullptr;
    ctlNSEW* ctlEW_ = nullptr;
    std::array<ctlNNNN*, 5> ctlNmb_{};
    std::array<ctlPos*, 5> ctlPos_{};
    ctlGMS* ctlY1_ = nullptr;
    ctlGMS* ctlX1_ = nullptr;
    ctlGMS* ctlY0_ = nullptr;
    ctlGMS* ctlX0_ = nullptr;
    ctlGMS* ctlY2_ = nullptr;
    ctlGMS* ctlX2_ = nullptr;
    QLineEdit* txtScale_ = nullptr;
    std::array<QPushButton*, 3> cmdClear_{};
    std::array<QPushButton*, 3> cmdKeep_{};
    std::array<QLabel*, 3> imgClear_{};
    std::array<QLabel*, 3> imgKeep_{};
    std::array<ctlLBL*, 6> ctlScale_{};
    std::array<ctlLst*, 11> ctlLst_{};
    ctlLSTN* ctlLSTN_ = nullptr;
    ctlHELP* ctlHELP_ = nullptr;

    // Menus.
    QMenu* mnuAction_ = nullptr;
    QMenu* mnuOpt_ = nullptr;
    QMenu* mnuHelp_ = nullptr;
    std::array<QAction*, 3> mnuAct_{};
    QAction* mnuCopy_ = nullptr;
    QAction* mnuPaste_ = nullptr;
    QAction* mnuExport_ = nullptr;
    QAction* mnuExit_ = nullptr;
    QAction* mnuAlwaysOnTop_ = nullptr;
    std::array<QAction*, 3> mnuLng_{};
    QAction* mnuPasteWgs84_ = nullptr;
    QAction* mnuSaveSettings_ = nullptr;
    QAction* mnuContents_ = nullptr;
    QAction* mnuAbout_ = nullptr;
};

} // namespace kavu
