#include "mapview/MapWindow.h"

#include "engine/published.h"
#include "mapview/LandData.h"
#include "mapview/MapPainter.h"
#include "mapview/TrackLayer.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QStatusBar>
#include <QWheelEvent>

#include <cmath>

namespace kavu::map {
namespace {

struct Text {
    const char* Russian;
    const char* English;
    QString operator()(int language) const {
        return QString::fromUtf8(language == 2 ? English : Russian);
    }
};
constexpr Text kTitle{"Kavu — Карта", "Kavu — Map"};
constexpr Text kAction{"Действие", "Action"};
constexpr Text kOpenTrack{"Открыть трек…", "Open track…"};
constexpr Text kSaveImage{"Сохранить изображение…", "Save image…"};
constexpr Text kCopy{"Копировать", "Copy"};
constexpr Text kClose{"Закрыть", "Close"};
constexpr Text kTrackSheets{"Листов под треком: ", "Sheets under the track: "};
constexpr Text kNoTrack{"Трека нет: бросьте файл на карту", "No track: drop a file on the map"};
constexpr Text kSaved{"Сохранено: ", "Saved: "};
constexpr Text kNotSaved{"Не удалось сохранить ", "Could not save "};
constexpr Text kCopied{"Скопировано листов: ", "Sheets copied: "};

constexpr double kNotch = 1.4142135623730951; // one wheel notch
constexpr int kArrowStep = 64;                // pixels an arrow key pans
constexpr int kDragSlack = 4;                 // a press that moves less is a click

std::string Shown(std::string text) {
    if (!text.empty() && text.front() == ' ') text.erase(0, 1);
    return text;
}

SignedFrame MoscowSheet() {
    return ComputeSignedFrame(SheetKey{1, 'N', 14, 37}).value_or(SignedFrame{});
}

QString AngleText(char letter, double degrees) {
    const auto seconds = std::int32_t(std::llround(std::abs(degrees) * 3600) / 60 * 60);
    return QString::fromUtf8(FormatAngle(std::string(1, letter), seconds, true, false));
}

} // namespace

// The drawing surface: paints, and turns the mouse into the window's moves.
class MapCanvas : public QWidget {
  public:
    explicit MapCanvas(MapWindow* window) : QWidget(window), window_(window) {
        setObjectName(QStringLiteral("MapCanvas"));
        setMouseTracking(true);
        setFocusPolicy(Qt::StrongFocus);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setMinimumSize(200, 150);
    }

    Viewport view{1000, 800, {55.75, 37.62}, 100};
    MapScene scene;

  protected:
    void resizeEvent(QResizeEvent*) override { view.SetSize(width(), height()); }

    void paintEvent(QPaintEvent*) override {
        window_->UpdateCover();
        QPainter p(this);
        PaintMap(p, view, scene);
    }

    void wheelEvent(QWheelEvent* e) override {
        const double notches = e->angleDelta().y() / 120.0;
        if (notches == 0) return;
        view.ZoomAround(std::pow(kNotch, notches), {e->position().x(), e->position().y()});
        window_->Hover({e->position().x(), e->position().y()});
        update();
    }

    void mousePressEvent(QMouseEvent* e) override {
        if (e->button() != Qt::LeftButton) return;
        pressed_ = last_ = e->position();
        dragging_ = false;
    }

    void mouseMoveEvent(QMouseEvent* e) override {
        if (e->buttons() & Qt::LeftButton) {
            if ((e->position() - pressed_).manhattanLength() >= kDragSlack) dragging_ = true;
            if (dragging_) {
                view.Pan(e->position().x() - last_.x(), e->position().y() - last_.y());
                last_ = e->position();
                update();
            }
        }
        window_->Hover({e->position().x(), e->position().y()});
    }

    void mouseReleaseEvent(QMouseEvent* e) override {
        if (e->button() != Qt::LeftButton) return;
        if (!dragging_) window_->Pick({e->position().x(), e->position().y()});
        dragging_ = false;
    }

    void mouseDoubleClickEvent(QMouseEvent* e) override {
        if (e->button() != Qt::LeftButton) return;
        view.Pan(width() / 2.0 - e->position().x(), height() / 2.0 - e->position().y());
        update();
    }

  private:
    MapWindow* window_;
    QPointF pressed_, last_;
    bool dragging_ = false;
};

MapWindow::MapWindow(Services services, QWidget* parent)
    : QMainWindow(parent), services_(std::move(services)), track_(std::make_unique<TrackLayer>()) {
    setObjectName(QStringLiteral("MapWindow"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setAcceptDrops(true);
    canvas_ = new MapCanvas(this);
    canvas_->scene.Track = track_.get();
    setCentralWidget(canvas_);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("MapStatus"));
    status_->setTextInteractionFlags(Qt::NoTextInteraction);
    statusBar()->addWidget(status_, 1);

    menu_ = menuBar()->addMenu(QString());
    menu_->setObjectName(QStringLiteral("mnuMapAction"));
    open_ = menu_->addAction(QString());
    open_->setObjectName(QStringLiteral("mnuOpenTrack"));
    open_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    connect(open_, &QAction::triggered, this, [this] {
        const QString path =
            services_.chooseFile
                ? services_.chooseFile(false)
                : QFileDialog::getOpenFileName(
                      this, open_->text(), QString(),
                      QStringLiteral("GPX, KML, GeoJSON, Shapefile, GeoPackage "
                                     "(*.gpx *.kml *.geojson *.json *.shp *.gpkg);;"
                                     "* (*)"));
        if (!path.isEmpty()) OpenTrack(path);
    });
    save_ = menu_->addAction(QString());
    save_->setObjectName(QStringLiteral("mnuSaveImage"));
    save_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(save_, &QAction::triggered, this, [this] {
        const QString path =
            services_.chooseFile
                ? services_.chooseFile(true)
                : QFileDialog::getSaveFileName(this, save_->text(), QStringLiteral("map.png"),
                                               QStringLiteral("PNG (*.png);;SVG (*.svg)"));
        if (!path.isEmpty()) SaveImage(path);
    });
    copy_ = menu_->addAction(QString());
    copy_->setObjectName(QStringLiteral("mnuMapCopy"));
    copy_->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)});
    connect(copy_, &QAction::triggered, this, [this] { CopyNames(); });
    menu_->addSeparator();
    close_ = menu_->addAction(QString());
    close_->setObjectName(QStringLiteral("mnuMapClose"));
    connect(close_, &QAction::triggered, this, &QWidget::close);

    resize(1000, 800);
    canvas_->view.Fit(MoscowSheet());
    SetLanguage(1);
}

MapWindow::~MapWindow() = default;

QWidget* MapWindow::Canvas() const {
    return canvas_;
}

Viewport& MapWindow::View() {
    return canvas_->view;
}
const Viewport& MapWindow::View() const {
    return canvas_->view;
}
const TrackLayer& MapWindow::Track() const {
    return *track_;
}

int MapWindow::Preferred() const {
    if (mode_ == 2) return point_ ? kScaleCount : 1;
    return sheet_ ? sheet_->Scale : 1;
}

int MapWindow::DrawnScale() const {
    return GridScale(canvas_->view, Preferred());
}

void MapWindow::SetLanguage(int language) {
    language_ = language == 2 ? 2 : 1;
    setWindowTitle(kTitle(language_));
    menu_->setTitle(kAction(language_));
    open_->setText(kOpenTrack(language_));
    save_->setText(kSaveImage(language_));
    copy_->setText(kCopy(language_));
    close_->setText(kClose(language_));
    canvas_->scene.Language = language_;
    UpdateStatus();
    canvas_->update();
}

void MapWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    LoadLand();
}

void MapWindow::LoadLand() {
    if (landTried_) return;
    landTried_ = true;
    QFile file(QStringLiteral(":/kavu/map/land.bin"));
    if (!file.open(QIODevice::ReadOnly)) {
        landError_ = QStringLiteral("the land data is missing from the program");
        return;
    }
    const QByteArray bytes = file.readAll();
    std::string error;
    auto land =
        LandData::Decode(std::string_view(bytes.constData(), std::size_t(bytes.size())), error);
    if (!land) {
        landError_ = QString::fromStdString(error);
        return;
    }
    land_ = std::make_unique<LandData>(std::move(*land));
    canvas_->scene.Land = land_.get();
}

void MapWindow::ShowSheet(const std::optional<SheetKey>& sheet, bool follow) {
    mode_ = 1;
    sheet_ = sheet;
    canvas_->scene.Mode = 1;
    canvas_->scene.Sheet = sheet;
    canvas_->scene.Preferred = Preferred();
    if (follow && !picking_) Follow();
    UpdateStatus();
    canvas_->update();
}

void MapWindow::ShowPoint(const std::optional<ExactPoint>& point, bool follow) {
    mode_ = 2;
    point_ = point;
    canvas_->scene.Mode = 2;
    canvas_->scene.Point = point;
    canvas_->scene.Preferred = Preferred();
    if (follow && !picking_) Follow();
    UpdateStatus();
    canvas_->update();
}

void MapWindow::Follow() {
    Viewport& view = canvas_->view;
    if (mode_ == 1 && sheet_) {
        const auto frame = ComputeSignedFrame(*sheet_);
        if (!frame) return;
        // A sheet already in full view at a readable size stays where it is.
        const ScreenRect r = view.RectOf(NearCentre(view, *frame));
        const bool shown = r.Left >= 0 && r.Top >= 0 && r.Right <= view.Width() &&
                           r.Bottom <= view.Height() && r.Height() >= kMinSheetHeightPx &&
                           GridScale(view, sheet_->Scale) == sheet_->Scale;
        if (!shown) view.Fit(*frame);
    } else if (mode_ == 2 && point_) {
        const GeoPoint g{double(point_->Latitude) / kUnitsPerSecond / 3600.0,
                         double(point_->Longitude) / kUnitsPerSecond / 3600.0};
        const ScreenPoint at = view.ToScreen(g);
        if (at.X < 16 || at.Y < 16 || at.X > view.Width() - 16 || at.Y > view.Height() - 16)
            view.SetCentre(g);
    }
}

void MapWindow::Pick(ScreenPoint at) {
    picking_ = true;
    if (mode_ == 2) {
        if (const auto point = WholeSecondPoint(canvas_->view.ToGeo(at))) emit PointPicked(*point);
    } else if (const auto key = SheetAt(canvas_->view, at, DrawnScale())) {
        emit SheetPicked(*key);
    }
    picking_ = false;
}

void MapWindow::Hover(ScreenPoint at) {
    const GeoPoint g = canvas_->view.ToGeo(at);
    QString text;
    if (const auto key = SheetAt(canvas_->view, at, DrawnScale())) {
        text = QString::fromStdString(Shown(FormatSheetNew(*key)));
        if (const auto group = PublishedSheetOf(*key); group && group->Joined())
            text += QStringLiteral(" (") + QString::fromStdString(Shown(group->New)) +
                    QStringLiteral(")");
        text += QStringLiteral("   ");
    }
    if (std::abs(g.Latitude) <= 90)
        text += AngleText(g.Latitude < 0 ? 'S' : 'N', g.Latitude) + QStringLiteral("  ") +
                AngleText(g.Longitude < 0 ? 'W' : 'E', g.Longitude);
    hover_ = text;
    UpdateStatus();
}

void MapWindow::UpdateCover() {
    if (track_->Empty() || !reader_) return;
    const int scale = DrawnScale();
    if (track_->HasCover(scale)) return UpdateStatus(); // the scale may have changed
    std::string error;
    auto sheets = reader_->Cover(track_->Shapes(), scale, error);
    track_->SetCover(scale, sheets ? std::move(*sheets) : std::vector<SheetKey>{});
    if (!sheets) message_ = QString::fromStdString(error);
    UpdateStatus();
}

bool MapWindow::OpenTrack(const QString& path) {
    std::string error;
    if (!reader_) reader_ = LoadTrackReader(error);
    if (!reader_) {
        Tell(QString::fromStdString(error));
        return false;
    }
    auto shapes = reader_->Read(QFile::encodeName(path).toStdString(), error);
    if (!shapes) {
        Tell(QString::fromStdString(error));
        return false;
    }
    track_->Set(QFileInfo(path).fileName().toStdString(), std::move(*shapes));
    message_.clear();
    // The whole track in view, unless it is a single point.
    const SignedFrame e = track_->Extent();
    if (e.North - e.South > 1 || e.East - e.West > 1)
        canvas_->view.Fit(e, 0.8);
    else
        canvas_->view.SetCentre({e.North / 3600.0, e.West / 3600.0});
    UpdateCover();
    UpdateStatus();
    canvas_->update();
    return true;
}

bool MapWindow::SaveImage(const QString& path) {
    const Viewport& view = canvas_->view;
    bool ok = false;
    if (path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) {
        using WriteSvg = bool (*)(const QString&, const QSize&, const QString&,
                                  const std::function<void(QPainter&)>&);
        std::string error;
        auto* write = reinterpret_cast<WriteSvg>(
            MapModuleEntry("kavu-map-svg.so", KAVU_MAP_SVG_BUILT, "KavuMapWriteSvg", error));
        if (!write) {
            Tell(kNotSaved(language_) + QDir::toNativeSeparators(path) + QStringLiteral(": ") +
                 QString::fromStdString(error));
            return false;
        }
        ok = write(path, QSize(view.Width(), view.Height()), windowTitle(),
                   [&](QPainter& p) { PaintMap(p, view, canvas_->scene); });
    } else {
        QImage image(view.Width(), view.Height(), QImage::Format_RGB32);
        QPainter p(&image);
        PaintMap(p, view, canvas_->scene);
        p.end();
        ok = image.save(path, "PNG");
    }
    Tell((ok ? kSaved(language_) : kNotSaved(language_)) + QDir::toNativeSeparators(path));
    return ok;
}

bool MapWindow::CopyNames() {
    if (track_->Empty()) {
        Tell(kNoTrack(language_));
        return false;
    }
    UpdateCover();
    const int scale = DrawnScale();
    QGuiApplication::clipboard()->setText(QString::fromStdString(track_->Names(scale, false)));
    Tell(kCopied(language_) + QString::number(track_->Cover(scale).size()));
    return true;
}

void MapWindow::Tell(const QString& text) {
    message_ = text;
    UpdateStatus();
}

QString MapWindow::StatusText() const {
    return status_->text();
}

void MapWindow::UpdateStatus() {
    QStringList parts;
    if (!hover_.isEmpty()) parts << hover_;
    if (!track_->Empty()) {
        const int scale = DrawnScale();
        parts << kTrackSheets(language_) + QString::number(track_->Cover(scale).size()) +
                     QStringLiteral(" (") +
                     QString::fromUtf8(ScaleName(scale).data(), int(ScaleName(scale).size())) +
                     QStringLiteral(")");
    }
    if (!message_.isEmpty()) parts << message_;
    status_->setText(parts.join(QStringLiteral("   ·   ")));
}

void MapWindow::keyPressEvent(QKeyEvent* event) {
    Viewport& view = canvas_->view;
    const ScreenPoint middle{view.Width() / 2.0, view.Height() / 2.0};
    switch (event->key()) {
    case Qt::Key_Escape:
        close();
        return;
    case Qt::Key_Left:
        view.Pan(kArrowStep, 0);
        break;
    case Qt::Key_Right:
        view.Pan(-kArrowStep, 0);
        break;
    case Qt::Key_Up:
        view.Pan(0, kArrowStep);
        break;
    case Qt::Key_Down:
        view.Pan(0, -kArrowStep);
        break;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        view.ZoomAround(kNotch, middle);
        break;
    case Qt::Key_Minus:
        view.ZoomAround(1 / kNotch, middle);
        break;
    default:
        QMainWindow::keyPressEvent(event);
        return;
    }
    canvas_->update();
}

void MapWindow::dragEnterEvent(QDragEnterEvent* event) {
    const QMimeData* data = event->mimeData();
    if (data && data->hasUrls() && !data->urls().isEmpty() && data->urls().front().isLocalFile())
        event->acceptProposedAction();
}

void MapWindow::dropEvent(QDropEvent* event) {
    const QMimeData* data = event->mimeData();
    if (!data || !data->hasUrls() || data->urls().isEmpty()) return;
    const QUrl url = data->urls().front();
    if (!url.isLocalFile()) return;
    event->acceptProposedAction();
    OpenTrack(url.toLocalFile());
}

} // namespace kavu::map
