#include "mapview/MapPainter.h"

#include "engine/neighbours.h"
#include "mapview/LandData.h"
#include "mapview/TrackLayer.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <cmath>

namespace kavu::map {
namespace {

constexpr std::int32_t kTurn = 360 * 3600;

QRectF ToRect(const ScreenRect& r) {
    return QRectF(QPointF(r.Left, r.Top), QPointF(r.Right, r.Bottom));
}

QPolygonF ToPolygon(const std::vector<ScreenPoint>& points) {
    QPolygonF polygon;
    polygon.reserve(qsizetype(points.size()));
    for (const ScreenPoint& p : points)
        polygon << QPointF(p.X, p.Y);
    return polygon;
}

bool Meets(const QRectF& r, const Viewport& view) {
    return r.right() >= 0 && r.left() <= view.Width() && r.bottom() >= 0 &&
           r.top() <= view.Height();
}

void DrawLand(QPainter& p, const Viewport& view, const LandData& land) {
    p.setPen(Qt::NoPen);
    // Ring by ring: one antialiased path of every ring costs the raster engine twice as much.
    p.setRenderHint(QPainter::Antialiasing, true);
    for (int level : {1, 2}) {
        p.setBrush(level == 1 ? MapColours::Land() : MapColours::Water());
        for (const auto& ring : VisibleRings(land, view, level))
            p.drawPolygon(ToPolygon(ring), Qt::WindingFill);
    }
    p.setRenderHint(QPainter::Antialiasing, false);
}

void DrawGrid(QPainter& p, const Viewport& view, int scale) {
    QPen pen(MapColours::Grid(), 0); // cosmetic: one device pixel at any ratio
    p.setPen(pen);
    const std::vector<GridLine> lines = GridLines(view, scale);
    QVector<QLineF> segments;
    segments.reserve(qsizetype(lines.size()));
    for (const GridLine& l : lines) {
        const double x1 = std::clamp(view.XOfLongitude(l.From.Longitude), -1.0, view.Width() + 1.0);
        const double x2 = std::clamp(view.XOfLongitude(l.To.Longitude), -1.0, view.Width() + 1.0);
        const double y1 = std::clamp(view.YOfLatitude(l.From.Latitude), -1.0, view.Height() + 1.0);
        const double y2 = std::clamp(view.YOfLatitude(l.To.Latitude), -1.0, view.Height() + 1.0);
        segments.append(QLineF(x1, y1, x2, y2));
    }
    p.drawLines(segments);
}

void DrawLabels(QPainter& p, const Viewport& view, int scale, const MapScene& scene) {
    const std::vector<GridSheet> sheets = VisibleSheets(view, scale);
    p.setFont(scene.Font);
    const QFontMetricsF metrics(scene.Font);
    const double height = metrics.height();
    const auto labels = ChooseLabels(
        view, sheets, scene.Lettered,
        [&](const std::string& text) {
            return std::pair<double, double>(metrics.horizontalAdvance(QString::fromUtf8(text)),
                                             height);
        },
        3, height + 4); // below the longitude labels
    p.setPen(MapColours::Text());
    for (const Label& l : labels)
        p.drawText(ToRect(l.Box), Qt::AlignCenter | Qt::TextDontClip, QString::fromUtf8(l.Text));
}

void OutlineFrame(QPainter& p, const Viewport& view, const SignedFrame& frame, const QPen& pen,
                  const QBrush& brush = Qt::NoBrush) {
    const QRectF r = ToRect(view.RectOf(NearCentre(view, frame)));
    if (!Meets(r, view)) return;
    // Far outside the view a huge rectangle only costs: hold it a little beyond the edges.
    const QRectF held = r.intersected(QRectF(-8, -8, view.Width() + 16, view.Height() + 16));
    p.setPen(Qt::NoPen);
    p.setBrush(brush);
    if (brush != Qt::NoBrush) p.drawRect(held);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    QVector<QLineF> edges;
    if (r.top() >= held.top()) edges << QLineF(held.left(), r.top(), held.right(), r.top());
    if (r.bottom() <= held.bottom())
        edges << QLineF(held.left(), r.bottom(), held.right(), r.bottom());
    if (r.left() >= held.left()) edges << QLineF(r.left(), held.top(), r.left(), held.bottom());
    if (r.right() <= held.right()) edges << QLineF(r.right(), held.top(), r.right(), held.bottom());
    p.drawLines(edges);
}

void DrawBlock(QPainter& p, const Viewport& view, const SheetKey& key) {
    // The 3 x 3 block: the eight neighbours outlined in the panel's text colour.
    QPen pen(MapColours::Text(), 2);
    pen.setCosmetic(true);
    const SheetKey west = StepWest(key), east = StepEast(key);
    for (const SheetKey& column : {west, key, east}) {
        for (const auto& cell :
             {StepNorth(column), std::optional<SheetKey>(column), StepSouth(column)}) {
            if (!cell || *cell == key) continue;
            if (const auto f = ComputeSignedFrame(*cell)) OutlineFrame(p, view, *f, pen);
        }
    }
}

// The sheet's fill goes under the track's cover, its frame over the grid.
void FillCurrent(QPainter& p, const Viewport& view, const SheetKey& key) {
    const auto frame = ComputeSignedFrame(key);
    if (!frame) return;
    QColor fill = MapColours::Mark();
    fill.setAlpha(110);
    OutlineFrame(p, view, *frame, Qt::NoPen, fill);
}

void FrameCurrent(QPainter& p, const Viewport& view, const SheetKey& key) {
    const auto frame = ComputeSignedFrame(key);
    if (!frame) return;
    QPen pen(MapColours::Mark(), 3);
    pen.setCosmetic(true);
    OutlineFrame(p, view, *frame, pen);
}

GeoPoint Degrees(const ExactPoint& point) {
    return {double(point.Latitude) / kUnitsPerSecond / 3600.0,
            double(point.Longitude) / kUnitsPerSecond / 3600.0};
}

void DrawPoint(QPainter& p, const Viewport& view, const ExactPoint& point, int drawn) {
    if (const auto sheet = SheetOfExactPoint(point, drawn)) {
        DrawBlock(p, view, sheet->Key);
        FrameCurrent(p, view, sheet->Key);
    }
    // Its sheets at the five scales of the window, outlined in the mark colour.
    for (int scale = 1; scale <= kScaleCount; ++scale) {
        if (scale == drawn) continue;
        const auto s = SheetOfExactPoint(point, scale);
        if (!s) continue;
        QPen pen(MapColours::Mark(), scale <= 2 ? 3 : 2, Qt::DashLine);
        pen.setCosmetic(true);
        if (const auto f = ComputeSignedFrame(s->Key)) OutlineFrame(p, view, *f, pen);
    }
    const ScreenPoint at = view.ToScreen(Degrees(point));
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(Qt::white, 2));
    p.setBrush(MapColours::Text());
    p.drawEllipse(QPointF(at.X, at.Y), 4.5, 4.5);
    p.setRenderHint(QPainter::Antialiasing, false);
}

void DrawTrack(QPainter& p, const Viewport& view, const TrackLayer& track, int scale) {
    QColor fill = MapColours::Cover();
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    for (const SignedFrame& f : track.CoverFrames(scale)) {
        const QRectF r = ToRect(view.RectOf(NearCentre(view, f)));
        if (Meets(r, view))
            p.drawRect(r.intersected(QRectF(-8, -8, view.Width() + 16, view.Height() + 16)));
    }
    auto line = [&](const std::vector<geo::LatLon>& points, bool closed) {
        QPolygonF polygon;
        double previous = view.Centre().Longitude;
        for (const geo::LatLon& q : points) {
            // Each vertex the short way round from the one before, the first near the centre.
            const double lon = previous + WrapLongitude(q.Longitude - previous);
            previous = lon;
            polygon << QPointF(view.XOfLongitude(lon), view.YOfLatitude(q.Latitude));
        }
        if (closed) polygon << polygon.front();
        return polygon;
    };
    p.setRenderHint(QPainter::Antialiasing, true);
    QPen pen(MapColours::Track(), 2.5);
    pen.setCosmetic(true);
    p.setPen(pen);
    QColor area = MapColours::Track();
    area.setAlpha(50);
    for (const auto& rings : track.Shapes().Areas) {
        QPainterPath path;
        path.setFillRule(Qt::OddEvenFill);
        for (const auto& ring : rings)
            if (!ring.empty()) path.addPolygon(line(ring, true));
        p.setBrush(area);
        p.drawPath(path);
    }
    p.setBrush(Qt::NoBrush);
    for (const auto& points : track.Shapes().Lines)
        if (!points.empty()) p.drawPolyline(line(points, false));
    p.setBrush(MapColours::Track());
    for (const auto& q : track.Shapes().Points) {
        const ScreenPoint at = view.ToScreen({q.Latitude, q.Longitude});
        p.drawEllipse(QPointF(at.X, at.Y), 3, 3);
    }
    p.setRenderHint(QPainter::Antialiasing, false);
}

// A signed angle as the window writes it: the equator and the meridians 0 and 180 take N or E.
QString AngleText(bool latitude, double degrees, double step) {
    auto seconds = std::llround(degrees * 3600);
    if (!latitude && seconds <= -180 * 3600) seconds += 360 * 3600;
    const char letter = latitude ? (seconds < 0 ? 'S' : 'N') : (seconds < 0 ? 'W' : 'E');
    const std::string text = FormatAngle(std::string(1, letter), std::int32_t(std::abs(seconds)),
                                         step < 1, step < 1.0 / 60 - 1e-12);
    return QString::fromUtf8(text);
}

void DrawEdgeLabels(QPainter& p, const Viewport& view, const MapScene& scene) {
    p.setFont(scene.Font);
    const QFontMetricsF metrics(scene.Font);
    const double step = DegreeStep(view, 4 * metrics.height());
    const double lonStep =
        DegreeStep(view, metrics.horizontalAdvance(QStringLiteral("W 180° 00' 00\"")) + 16);
    QColor back(255, 255, 255, 200);
    auto tag = [&](const QString& text, QPointF at, Qt::Alignment align) {
        QRectF box(QPointF(0, 0),
                   QSizeF(metrics.horizontalAdvance(text) + 6, metrics.height() + 2));
        if (align & Qt::AlignHCenter)
            box.moveCenter(QPointF(at.x(), box.center().y()));
        else
            box.moveLeft(at.x());
        if (align & Qt::AlignVCenter)
            box.moveTop(at.y() - box.height() / 2);
        else
            box.moveTop(at.y());
        p.setPen(Qt::NoPen);
        p.setBrush(back);
        p.drawRect(box);
        p.setPen(MapColours::Text());
        p.drawText(box, Qt::AlignCenter, text);
    };
    const double north = std::min(view.North(), 90.0), south = std::max(view.South(), -90.0);
    for (auto k = std::llround(std::ceil(south / step)); k * step <= north; ++k) {
        const double lat = double(k) * step, y = view.YOfLatitude(lat);
        // Clear of the degree labels along the top and of the scale bar.
        if (y < metrics.height() * 2 || y > view.Height() - 3 * metrics.height() - 12) continue;
        tag(AngleText(true, lat, step), QPointF(2, y), Qt::AlignVCenter);
    }
    for (auto k = std::llround(std::ceil(view.West() / lonStep)); k * lonStep <= view.East(); ++k) {
        const double lon = double(k) * lonStep, x = view.XOfLongitude(lon);
        if (x < 60 || x > view.Width() - 60) continue;
        tag(AngleText(false, WrapLongitude(lon), lonStep), QPointF(x, 2), Qt::AlignHCenter);
    }
}

void DrawScaleBar(QPainter& p, const Viewport& view, const MapScene& scene) {
    const ScaleBar bar = ChooseScaleBar(view, std::min(200.0, view.Width() / 3.0));
    const QFontMetricsF metrics(scene.Font);
    const bool russian = scene.Language != 2;
    const QString text = bar.Kilometres >= 1
                             ? QStringLiteral("%1 %2")
                                   .arg(bar.Kilometres)
                                   .arg(russian ? QStringLiteral("км") : QStringLiteral("km"))
                             : QStringLiteral("%1 %2")
                                   .arg(bar.Kilometres * 1000)
                                   .arg(russian ? QStringLiteral("м") : QStringLiteral("m"));
    const double x = 12, y = view.Height() - 14;
    const QRectF back(x - 6, y - metrics.height() - 8,
                      std::max(bar.Pixels, metrics.horizontalAdvance(text)) + 12,
                      metrics.height() + 16);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 200));
    p.drawRect(back);
    QPen pen(MapColours::Text(), 2);
    p.setPen(pen);
    p.drawLine(QLineF(x, y, x + bar.Pixels, y));
    p.drawLine(QLineF(x, y - 4, x, y + 4));
    p.drawLine(QLineF(x + bar.Pixels, y - 4, x + bar.Pixels, y + 4));
    p.drawText(QRectF(x, y - metrics.height() - 4, back.width(), metrics.height()),
               Qt::AlignLeft | Qt::AlignVCenter, text);
}

} // namespace

QColor MapColours::Water() {
    return QColor(200, 222, 240);
}
QColor MapColours::Land() {
    return QColor(243, 240, 226);
}
QColor MapColours::Grid() {
    return QColor(96, 96, 110);
}
QColor MapColours::Text() {
    return QColor(0, 0, 0);
}
QColor MapColours::Mark() {
    return QColor(255, 192, 128); // the neighbour panel's mark, 0x80C0FF
}
QColor MapColours::Track() {
    return QColor(200, 0, 110);
}
QColor MapColours::Cover() {
    return QColor(90, 190, 90, 120);
}

SignedFrame NearCentre(const Viewport& view, SignedFrame frame) {
    const double middle = (double(frame.West) + frame.East) / 2 / 3600.0;
    const double turns = std::round((view.Centre().Longitude - middle) / 360.0);
    const auto shift = std::int32_t(turns) * kTurn;
    frame.West += shift;
    frame.East += shift;
    return frame;
}

void PaintMap(QPainter& p, const Viewport& view, const MapScene& scene) {
    p.save();
    p.fillRect(QRectF(0, 0, view.Width(), view.Height()), MapColours::Water());
    if (scene.Land) DrawLand(p, view, *scene.Land);
    const int scale = GridScale(view, scene.Preferred);
    if (scene.Mode == 2 && scene.Point) {
        if (const auto sheet = SheetOfExactPoint(*scene.Point, scale))
            FillCurrent(p, view, sheet->Key);
    } else if (scene.Mode != 2 && scene.Sheet) {
        FillCurrent(p, view, *scene.Sheet);
    }
    if (scene.Track && !scene.Track->Empty()) DrawTrack(p, view, *scene.Track, scale);
    DrawGrid(p, view, scale);
    if (scene.Mode == 2) {
        if (scene.Point) DrawPoint(p, view, *scene.Point, scale);
    } else if (scene.Sheet) {
        DrawBlock(p, view, *scene.Sheet);
        FrameCurrent(p, view, *scene.Sheet);
    }
    DrawLabels(p, view, scale, scene);
    DrawEdgeLabels(p, view, scene);
    DrawScaleBar(p, view, scene);
    p.restore();
}

} // namespace kavu::map
