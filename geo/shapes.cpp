#include "geo/shapes.h"
#include "geo/gdal_session.h"

#include <cpl_error.h>
#include <gdal_priv.h>
#include <ogr_geometry.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <cmath>
#include <memory>

namespace kavu::geo {

namespace {

// GDAL's last message, without the file name it sometimes begins with (the caller names it).
std::string GdalReason(const char* fallback, const std::string& path = {}) {
    const char* text = CPLGetLastErrorMsg();
    std::string reason = text != nullptr && *text != '\0' ? text : fallback;
    if (!path.empty() && reason.rfind(path + ": ", 0) == 0) reason.erase(0, path.size() + 2);
    return reason;
}

struct GeometryDeleter {
    void operator()(OGRGeometry* g) const { OGRGeometryFactory::destroyGeometry(g); }
};
using GeometryPtr = std::unique_ptr<OGRGeometry, GeometryDeleter>;

std::vector<LatLon> Vertices(const OGRSimpleCurve& curve) {
    std::vector<LatLon> out(static_cast<std::size_t>(curve.getNumPoints()));
    for (int i = 0; i < curve.getNumPoints(); ++i)
        out[static_cast<std::size_t>(i)] = {curve.getY(i), curve.getX(i)};
    return out;
}

// Longitude and latitude in the geometry become LatLon; curves are linearised first.
void Collect(const OGRGeometry& geometry, Shapes& out) {
    switch (wkbFlatten(geometry.getGeometryType())) {
    case wkbPoint: {
        const auto& p = *geometry.toPoint();
        if (!p.IsEmpty()) out.Points.push_back({p.getY(), p.getX()});
        return;
    }
    case wkbLineString:
        if (!geometry.IsEmpty()) out.Lines.push_back(Vertices(*geometry.toLineString()));
        return;
    case wkbPolygon: {
        std::vector<std::vector<LatLon>> rings;
        for (const OGRLinearRing* ring : *geometry.toPolygon())
            if (!ring->IsEmpty()) rings.push_back(Vertices(*ring));
        if (!rings.empty()) out.Areas.push_back(std::move(rings));
        return;
    }
    case wkbMultiPoint:
    case wkbMultiLineString:
    case wkbMultiPolygon:
    case wkbGeometryCollection:
        for (const OGRGeometry* part : *geometry.toGeometryCollection())
            Collect(*part, out);
        return;
    default:
        if (geometry.hasCurveGeometry()) {
            GeometryPtr linear(geometry.getLinearGeometry());
            if (linear && !linear->hasCurveGeometry()) Collect(*linear, out);
        }
        return;
    }
}

// Applies `f` to every coordinate of the shapes; false when it fails for one.
template <typename F> bool ForEachVertex(Shapes& shapes, F f) {
    for (LatLon& p : shapes.Points)
        if (!f(p)) return false;
    for (auto& line : shapes.Lines)
        for (LatLon& p : line)
            if (!f(p)) return false;
    for (auto& area : shapes.Areas)
        for (auto& ring : area)
            for (LatLon& p : ring)
                if (!f(p)) return false;
    return true;
}

OGRSpatialReference Geographic(int epsg) {
    OGRSpatialReference srs;
    srs.importFromEPSG(epsg);
    srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    return srs;
}

} // namespace

std::optional<Shapes> ReadShapes(const std::string& path, const ReadOptions& options,
                                 std::string& error) {
    const QuietGdal gdal;

    std::unique_ptr<GDALDataset> dataset(
        GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY | GDAL_OF_VERBOSE_ERROR));
    if (!dataset) {
        error = path + ": " + GdalReason("GDAL cannot read it as a vector file", path);
        return std::nullopt;
    }
    const bool gpx = EQUAL(dataset->GetDriverName(), "GPX");
    // A receiver records a track across 180 degrees, and KML viewers join points, the short
    // way; every other format is straight in its coordinates.
    const bool shortWay =
        gpx || EQUAL(dataset->GetDriverName(), "KML") || EQUAL(dataset->GetDriverName(), "LIBKML");
    const OGRSpatialReference series = Geographic(4284);
    const OGRSpatialReference wgs84 = Geographic(4326);

    Shapes all;
    all.Joins = shortWay ? Join::ShortWay : Join::AsDrawn;
    for (OGRLayer* layer : dataset->GetLayers()) {
        if (gpx &&
            (EQUAL(layer->GetName(), "track_points") || EQUAL(layer->GetName(), "route_points")))
            continue;
        // Files on the 1942 datum are taken to its geographic CRS, all others to WGS 84 and
        // then through the one datum shift of the run, as typed points are.
        bool needsShift = options.NoCrsIsWgs84;
        std::unique_ptr<OGRCoordinateTransformation> transform;
        if (const OGRSpatialReference* srs = layer->GetSpatialRef()) {
            std::unique_ptr<OGRSpatialReference> base(srs->CloneGeogCS());
            const char* ignoreAxes[] = {"IGNORE_DATA_AXIS_TO_SRS_AXIS_MAPPING=YES",
                                        "CRITERION=EQUIVALENT_EXCEPT_AXIS_ORDER_GEOGCRS", nullptr};
            const bool onSeries = base && base->IsSame(&series, ignoreAxes);
            needsShift = !onSeries;
            const OGRSpatialReference& target = onSeries ? series : wgs84;
            if (!srs->IsSame(&target, ignoreAxes) ||
                srs->GetDataAxisToSRSAxisMapping() != target.GetDataAxisToSRSAxisMapping()) {
                transform.reset(OGRCreateCoordinateTransformation(srs, &target));
                if (!transform) {
                    error = path + ": " +
                            GdalReason("its CRS cannot be converted to geographic coordinates");
                    return std::nullopt;
                }
            }
        }
        Shapes shapes;
        layer->ResetReading();
        for (auto& feature : *layer) {
            OGRGeometry* geometry = feature->GetGeometryRef();
            if (geometry == nullptr || geometry->IsEmpty()) continue;
            if (transform && geometry->transform(transform.get()) != OGRERR_NONE) {
                error = path + ": " + GdalReason("a geometry cannot be converted from its CRS");
                return std::nullopt;
            }
            Collect(*geometry, shapes);
        }
        if (needsShift) {
            if (options.Shift == nullptr) {
                error = path + ": no datum shift from WGS 84 to the 1942 datum";
                return std::nullopt;
            }
            const bool ok = ForEachVertex(shapes, [&](LatLon& p) {
                // PROJ takes longitudes within 180 degrees; the turns are kept.
                const double turns = 360 * std::floor((p.Longitude + 180) / 360);
                p.Longitude -= turns;
                const bool shifted = options.Shift->ToSeries(p.Latitude, p.Longitude);
                p.Longitude += turns;
                return shifted;
            });
            if (!ok) {
                error = path + ": PROJ cannot convert a point to the 1942 datum";
                return std::nullopt;
            }
        }
        const bool positions = ForEachVertex(shapes, [](LatLon& p) {
            return std::isfinite(p.Latitude) && std::isfinite(p.Longitude) &&
                   std::fabs(p.Latitude) <= 90 && std::fabs(p.Longitude) <= 360;
        });
        if (!positions) {
            error = path + ": a vertex lies off the globe (latitude beyond 90 degrees, or "
                           "longitude beyond 360)";
            return std::nullopt;
        }
        all.Points.insert(all.Points.end(), shapes.Points.begin(), shapes.Points.end());
        for (auto& line : shapes.Lines)
            all.Lines.push_back(std::move(line));
        for (auto& area : shapes.Areas)
            all.Areas.push_back(std::move(area));
    }
    if (all.Empty()) {
        error = path + ": no geometry in the file";
        return std::nullopt;
    }
    if (options.BufferMetres > 0) return Buffer(all, options.BufferMetres, error);
    return all;
}

std::optional<Shapes> Buffer(const Shapes& shapes, double metres, std::string& error) {
    if (!(metres >= 0) || !std::isfinite(metres)) {
        error = "the buffer must be a distance of 0 metres or more";
        return std::nullopt;
    }
    if (metres == 0) return shapes;
    auto failed = [&] {
        error = "GEOS cannot widen the shapes: " + GdalReason("no result");
        return std::nullopt;
    };
    const OGRSpatialReference series = Geographic(4284);
    Shapes out;
    const bool shortWay = shapes.Joins == Join::ShortWay;
    // Each widened shape comes back from its local projection with longitudes within 180
    // degrees, and is joined the short way.
    out.Joins = Join::ShortWay;
    // Each shape in a projection centred on it, so that the distance holds all round it.
    auto widen = [&](OGRGeometry& geometry, LatLon centre) -> bool {
        OGRSpatialReference local;
        local.CopyGeogCSFrom(&series);
        local.SetAE(centre.Latitude, centre.Longitude, 0, 0);
        local.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        std::unique_ptr<OGRCoordinateTransformation> there(
            OGRCreateCoordinateTransformation(&series, &local));
        std::unique_ptr<OGRCoordinateTransformation> back(
            OGRCreateCoordinateTransformation(&local, &series));
        if (!there || !back || geometry.transform(there.get()) != OGRERR_NONE) return false;
        GeometryPtr wide(geometry.Buffer(metres, 30));
        if (!wide || wide->transform(back.get()) != OGRERR_NONE) return false;
        Collect(*wide, out);
        return true;
    };
    auto centreOf = [shortWay](std::span<const LatLon> vertices) {
        double south = 90, north = -90;
        for (const LatLon& p : vertices)
            south = std::min(south, p.Latitude), north = std::max(north, p.Latitude);
        // The middle of the longitudes taken the short way round from the first vertex.
        double west = 0, east = 0, x = 0;
        for (std::size_t i = 1; i < vertices.size(); ++i) {
            double d = vertices[i].Longitude - vertices[i - 1].Longitude;
            if (shortWay) d -= 360 * std::round(d / 360);
            x += d;
            west = std::min(west, x), east = std::max(east, x);
        }
        return LatLon{(south + north) / 2, vertices.front().Longitude + (west + east) / 2};
    };
    auto lineString = [shortWay](std::span<const LatLon> vertices, OGRSimpleCurve& curve) {
        // Unwrapped, so that a shape joined across 180 degrees stays in one piece.
        double x = vertices.front().Longitude;
        for (std::size_t i = 0; i < vertices.size(); ++i) {
            if (i > 0) {
                double d = vertices[i].Longitude - vertices[i - 1].Longitude;
                x += shortWay ? d - 360 * std::round(d / 360) : d;
            }
            curve.addPoint(x, vertices[i].Latitude);
        }
    };
    for (const LatLon& p : shapes.Points) {
        OGRPoint point(p.Longitude, p.Latitude);
        if (!widen(point, p)) return failed();
    }
    for (const auto& line : shapes.Lines) {
        if (line.empty()) continue;
        OGRLineString geometry;
        lineString(line, geometry);
        if (!widen(geometry, centreOf(line))) return failed();
    }
    for (const auto& area : shapes.Areas) {
        if (area.empty() || area.front().empty()) continue;
        OGRPolygon polygon;
        for (const auto& ring : area) {
            if (ring.empty()) continue;
            auto* linear = new OGRLinearRing;
            lineString(ring, *linear);
            linear->closeRings();
            polygon.addRingDirectly(linear);
        }
        if (!widen(polygon, centreOf(area.front()))) return failed();
    }
    return out;
}

bool AddToCover(const Shapes& shapes, SheetCover& cover, std::string& error) {
    for (const LatLon& p : shapes.Points)
        cover.AddPoint(p);
    for (const auto& line : shapes.Lines)
        cover.AddLine(line, shapes.Joins);
    for (const auto& area : shapes.Areas) {
        if (!cover.AddArea(area, shapes.Joins)) {
            error = "an area winds round a pole and has no inside on the sheet grid";
            return false;
        }
    }
    return true;
}

} // namespace kavu::geo
