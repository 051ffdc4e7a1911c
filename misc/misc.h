// Window routines shared by the controls, the result log and the main window.
#pragma once

#include <QColor>
#include <QFont>
#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

class QLineEdit;
class QWidget;

namespace kavu {

/// Layout sizes are in twips: 15 make one pixel, and Qt's high-DPI scaling does the rest.
inline constexpr int kTwipsPerPixel = 15;
constexpr int Px(int twips) {
    return twips / kTwipsPerPixel;
}

/// System colours by their classic codes (the high bit marks a system colour):
inline constexpr std::uint32_t kWindowBackground = 0x80000005; // background of an input box
inline constexpr std::uint32_t kWindowText = 0x80000008;
inline constexpr std::uint32_t kButtonFace = 0x8000000F; // background of a disabled input
inline constexpr std::uint32_t kGrayText = 0x80000011;
inline constexpr std::uint32_t kButtonText = 0x80000012;
/// Pure red, as FlashError and a latitude junction show it.
inline constexpr QRgb kPureRed = qRgb(255, 0, 0);

/// The colour of a system-colour code from the application palette; any other value is read as
/// a 0x00BBGGRR colour value (255 is pure red).
QColor SystemColor(std::uint32_t code);

/// Sets the background the widget paints behind its text (its Base and Window roles).
void SetBackground(QWidget* widget, const QColor& colour);
/// Sets the colour of the widget's text (its Text, WindowText and ButtonText roles).
void SetTextColour(QWidget* widget, const QColor& colour);
/// Window background when enabled, button face when disabled.
void ApplyEnabledLook(QWidget* box, bool enabled);

/// Pixels the widest of `texts` takes in `font`.
int WidestText(const QFont& font, const QStringList& texts);
/// The largest font in which `fits` holds: `base`, else a narrower stretch of it, else the same
/// at each smaller pixel size down to `smallestPixelSize`; the narrowest and smallest when none
/// does.
QFont LargestFittingFont(const QFont& base, const std::function<bool(const QFont&)>& fits,
                         int smallestPixelSize);
/// The largest font in which the widest text (as `widest` measures it) fits `room` pixels.
QFont FitFont(const QFont& base, const std::function<int(const QFont&)>& widest, int room,
              int smallestPixelSize = 6);

/// Pixels a one-line box leaves for its text: its width less the style's frame, the margins a
/// line edit keeps on either side, and one pixel for the cursor.
int LineEditTextRoom(const QLineEdit* box);

/// The one error signal of the input fields: a beep, the box's background pure red, painted at
/// once, 100 ms on the interface thread, then the window background again.
void FlashError(QWidget* box);

/// Counts flashes and announces each one, since a beep is silent and 100 ms of red is easily
/// missed. Tests read it; the program ignores it.
class FlashMonitor : public QObject {
    Q_OBJECT
  public:
    static FlashMonitor& instance();
    int count() const { return count_; }
    /// How long the red stays; 100 ms unless a test shortens it.
    int durationMs() const { return durationMs_; }
    void setDurationMs(int ms) { durationMs_ = ms < 0 ? 0 : ms; }
  signals:
    void flashed(QWidget* box);

  private:
    friend void FlashError(QWidget* box);
    int count_ = 0;
    int durationMs_ = 100;
};

/// Key codes of the keys the controls react to, as the classic virtual-key numbers.
namespace vk {
inline constexpr int Enter = 13;
inline constexpr int Escape = 27;
inline constexpr int Space = 32;
inline constexpr int PageUp = 33;
inline constexpr int PageDown = 34;
inline constexpr int Left = 37;
inline constexpr int Up = 38;
inline constexpr int Right = 39;
inline constexpr int Down = 40;
} // namespace vk

/// The virtual-key number of a Qt key (Qt::Key_Up -> 38, Qt::Key_Return -> 13, …); 0 for keys
/// that have no meaning here.
int VirtualKey(int qtKey);

/// True for Space (32), Esc (27) and Enter (13): the keys that close a panel.
constexpr bool IsCloseKey(int keyCode) {
    return keyCode == vk::Space || keyCode == vk::Escape || keyCode == vk::Enter;
}

/// Keeps the window (the top-level window of a child widget) above others, or not, without
/// moving or resizing it.
void SetTopmost(QWidget* window, bool flag);

/// The directory that holds the program, always ending in a separator.
QString ProgramDirectory();

/// Why a file operation failed, for a message: `error` is the errno the failing call left and
/// `systemText` the system's own words for it. Russian (`language` 1) gets Russian words for the
/// usual causes (no space, no permission, read-only file system, a folder in the way, no such
/// folder, disk quota, input/output error); anything else, and English, the system's text.
QString FailureReason(int error, const QString& systemText, int language);

} // namespace kavu
