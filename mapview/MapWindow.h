// The map window: a thin shell round the viewport and the painter. It takes the main window's
// sheet or point, reports a clicked sheet or point, reads dropped tracks through the module,
// and saves the picture.
#pragma once

#include "engine/sheet.h"
#include "mapview/MapViewport.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QLabel;
class QMenu;

namespace kavu::map {

class LandData;
class MapCanvas;
class TrackLayer;
class TrackReader;

class MapWindow : public QMainWindow {
    Q_OBJECT
  public:
    /// What the window takes from outside; tests replace each.
    struct Services {
        /// Asks for a file to open (save false) or to write (save true); empty: cancelled.
        std::function<QString(bool save)> chooseFile;
    };

    explicit MapWindow(Services services = {}, QWidget* parent = nullptr);
    ~MapWindow() override;

    void SetLanguage(int language);
    /// Sheet mode with this sheet (none: no sheet yet); `follow` moves the view to it.
    void ShowSheet(const std::optional<SheetKey>& sheet, bool follow = true);
    /// Point mode with this point (none: no point yet).
    void ShowPoint(const std::optional<ExactPoint>& point, bool follow = true);

    /// What the map shows: the main window's sheet (sheet mode) or point (point mode).
    int Mode() const { return mode_; }
    const std::optional<SheetKey>& Sheet() const { return sheet_; }
    const std::optional<ExactPoint>& Point() const { return point_; }
    /// The surface the map is drawn on.
    QWidget* Canvas() const;

    Viewport& View();
    const Viewport& View() const;
    /// The scale whose grid is drawn now.
    int DrawnScale() const;
    const TrackLayer& Track() const;
    /// The status line's text.
    QString StatusText() const;
    /// Where the land comes from failed to decode: the reason; empty when it is shown.
    const QString& LandError() const { return landError_; }

    /// Reads a track and fills the sheets covering it; false with the reason in the status
    /// line.
    bool OpenTrack(const QString& path);
    /// PNG or SVG by the name's ending; false with the reason in the status line.
    bool SaveImage(const QString& path);
    /// The covering sheets' names one a line; false when there is no track.
    bool CopyNames();

  signals:
    void SheetPicked(const kavu::SheetKey& key);
    void PointPicked(const kavu::ExactPoint& point);

  protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    friend class MapCanvas;
    void LoadLand();
    void Follow();
    void Pick(ScreenPoint at);
    void Hover(ScreenPoint at);
    void UpdateCover();
    void Tell(const QString& text);
    void UpdateStatus();
    int Preferred() const;

    Services services_;
    MapCanvas* canvas_ = nullptr;
    QLabel* status_ = nullptr;
    QMenu* menu_ = nullptr;
    QAction* open_ = nullptr;
    QAction* save_ = nullptr;
    QAction* copy_ = nullptr;
    QAction* close_ = nullptr;
    std::unique_ptr<LandData> land_;
    bool landTried_ = false;
    QString landError_;
    std::unique_ptr<TrackLayer> track_;
    std::unique_ptr<TrackReader> reader_;
    int language_ = 1;
    int mode_ = 1;
    std::optional<SheetKey> sheet_;
    std::optional<ExactPoint> point_;
    bool picking_ = false;
    QString hover_;
    QString message_;
};

} // namespace kavu::map
