#include "geo/datum.h"

#include <proj.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unordered_map>

namespace kavu::geo {

namespace {

struct ContextDeleter {
    void operator()(PJ_CONTEXT* ctx) const { proj_context_destroy(ctx); }
};
struct PjDeleter {
    void operator()(PJ* pj) const { proj_destroy(pj); }
};
using ContextPtr = std::unique_ptr<PJ_CONTEXT, ContextDeleter>;
using PjPtr = std::unique_ptr<PJ, PjDeleter>;

std::string ProjReason(PJ_CONTEXT* ctx) {
    const char* text = proj_context_errno_string(ctx, proj_context_errno(ctx));
    return text != nullptr && *text != '\0' ? text : "unknown PROJ error";
}

// "Inverse of Pulkovo 1942 to WGS 84 (16) (EPSG:15865), 4.5 m"
std::string DescribeOperation(PJ_CONTEXT* ctx, PJ* op) {
    std::string text = proj_get_name(op) != nullptr ? proj_get_name(op) : "unnamed operation";
    const char* auth = proj_get_id_auth_name(op, 0);
    const char* code = proj_get_id_code(op, 0);
    if (auth != nullptr && code != nullptr) text += std::string(" (") + auth + ":" + code + ")";
    const double accuracy = proj_coordoperation_get_accuracy(ctx, op);
    char buffer[48];
    if (accuracy >= 0)
        std::snprintf(buffer, sizeof buffer, ", %g m", accuracy);
    else
        std::snprintf(buffer, sizeof buffer, ", accuracy unknown");
    return text + buffer;
}

} // namespace

// PROJ needs over a microsecond a point here. The shift is smooth wherever one operation
// serves, so it is taken from PROJ at nine points of each cell of 1/8 degree (corners, middles
// of the sides, centre) and interpolated inside by a quadratic, which stays within 1e-9
// degree (0.1 mm) of PROJ. A cell where it misses PROJ's own value at two more points by
// more than that is left to PROJ point by point: that is where the edge of an operation's
// area of use crosses it, and the shift jumps by metres.
constexpr double kCellsPerDegree = 8;
constexpr double kCachedLatitude = 85; // beyond: close to the pole, always PROJ

struct DatumShift::Impl {
    ContextPtr ctx;
    PjPtr shift; // EPSG:4326 -> EPSG:4284, longitude first, degrees
    PjPtr named; // the same, latitude first: its operations keep their EPSG names
    std::string description;

    struct Cell {
        bool direct = true;
        double lat[9], lon[9]; // shift at u, v = 0, 1/2, 1 (u east, v north), row by row
    };
    mutable std::unordered_map<std::int64_t, Cell> cells;

    // PROJ's shift at a point.
    bool Probe(double latitude, double longitude, double& dlat, double& dlon) const {
        const PJ_COORD c = proj_trans(shift.get(), PJ_FWD, proj_coord(longitude, latitude, 0, 0));
        if (!std::isfinite(c.xy.x) || !std::isfinite(c.xy.y)) return false;
        dlat = c.xy.y - latitude;
        dlon = std::remainder(c.xy.x - longitude, 360.0);
        return true;
    }

    static void Interpolate(const Cell& cell, double u, double v, double& dlat, double& dlon) {
        const double wu[3] = {2 * (u - 0.5) * (u - 1), -4 * u * (u - 1), 2 * u * (u - 0.5)};
        const double wv[3] = {2 * (v - 0.5) * (v - 1), -4 * v * (v - 1), 2 * v * (v - 0.5)};
        dlat = dlon = 0;
        for (int k = 0; k < 9; ++k) {
            const double w = wu[k % 3] * wv[k / 3];
            dlat += w * cell.lat[k];
            dlon += w * cell.lon[k];
        }
    }

    const Cell& CellAt(std::int64_t row, std::int64_t column) const {
        const std::int64_t id = row * 4096 + column;
        auto found = cells.find(id);
        if (found != cells.end()) return found->second;
        Cell cell;
        bool ok = true;
        for (int k = 0; k < 9 && ok; ++k)
            ok = Probe((row + (k / 3) * 0.5) / kCellsPerDegree,
                       (column + (k % 3) * 0.5) / kCellsPerDegree - 180, cell.lat[k], cell.lon[k]);
        constexpr double kChecks[2][2] = {{0.25, 0.25}, {0.75, 0.75}};
        cell.direct = !ok;
        for (const auto& [u, v] : kChecks) {
            double lat = 0, lon = 0, ilat = 0, ilon = 0;
            if (cell.direct) break;
            Interpolate(cell, u, v, ilat, ilon);
            cell.direct = !Probe((row + v) / kCellsPerDegree, (column + u) / kCellsPerDegree - 180,
                                 lat, lon) ||
                          std::fabs(lat - ilat) > 1e-9 || std::fabs(lon - ilon) > 1e-9;
        }
        return cells.emplace(id, cell).first->second;
    }

    bool Forward(double& latitude, double& longitude) const {
        if (std::fabs(latitude) < kCachedLatitude) {
            const double y = latitude * kCellsPerDegree;
            const double x = (longitude + 180) * kCellsPerDegree;
            const double row = std::floor(y), column = std::floor(x);
            if (column >= 0 && column < 360 * kCellsPerDegree) {
                const Cell& cell =
                    CellAt(static_cast<std::int64_t>(row), static_cast<std::int64_t>(column));
                if (!cell.direct) {
                    double dlat = 0, dlon = 0;
                    Interpolate(cell, x - column, y - row, dlat, dlon);
                    latitude += dlat;
                    longitude = std::remainder(longitude + dlon, 360.0);
                    return true;
                }
            }
        }
        double dlat = 0, dlon = 0;
        if (!Probe(latitude, longitude, dlat, dlon)) return false;
        latitude += dlat;
        longitude = std::remainder(longitude + dlon, 360.0);
        return true;
    }
};

DatumShift::DatumShift(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
DatumShift::~DatumShift() = default;

std::unique_ptr<DatumShift> DatumShift::Create(std::string& error) {
    auto impl = std::make_unique<Impl>();
    impl->ctx.reset(proj_context_create());
    if (!impl->ctx) {
        error = "PROJ: cannot create a context";
        return nullptr;
    }
    PJ_CONTEXT* ctx = impl->ctx.get();
    // Grids are not fetched: the answer must not depend on the network.
    proj_context_set_enable_network(ctx, 0);
    proj_log_level(ctx, PJ_LOG_NONE);

    // PROJ keeps every candidate and picks per point the most accurate one whose area holds it,
    // as cs2cs does.
    PjPtr raw(proj_create_crs_to_crs(ctx, "EPSG:4326", "EPSG:4284", nullptr));
    if (!raw) {
        error = "PROJ: no transformation from EPSG:4326 to EPSG:4284: " + ProjReason(ctx);
        return nullptr;
    }
    impl->shift.reset(proj_normalize_for_visualization(ctx, raw.get()));
    if (!impl->shift) {
        error = "PROJ: " + ProjReason(ctx);
        return nullptr;
    }
    impl->named = std::move(raw);

    int candidates = 0;
    PjPtr source(proj_create(ctx, "EPSG:4326"));
    PjPtr target(proj_create(ctx, "EPSG:4284"));
    if (PJ_OPERATION_FACTORY_CONTEXT* factory =
            proj_create_operation_factory_context(ctx, nullptr)) {
        proj_operation_factory_context_set_spatial_criterion(
            ctx, factory, PROJ_SPATIAL_CRITERION_PARTIAL_INTERSECTION);
        proj_operation_factory_context_set_grid_availability_use(
            ctx, factory, PROJ_GRID_AVAILABILITY_DISCARD_OPERATION_IF_MISSING_GRID);
        if (source && target) {
            if (PJ_OBJ_LIST* list =
                    proj_create_operations(ctx, source.get(), target.get(), factory)) {
                candidates = proj_list_get_count(list);
                proj_list_destroy(list);
            }
        }
        proj_operation_factory_context_destroy(factory);
    }

    auto shift = std::unique_ptr<DatumShift>(new DatumShift(std::move(impl)));
    shift->impl_->description =
        std::string("EPSG:4326 (WGS 84) to EPSG:4284 (Pulkovo 1942) by PROJ ") +
        proj_info().version + ", the most accurate of " + std::to_string(candidates) +
        " offline operations whose area holds the point; in Russia " +
        shift->OperationAt(55.7558, 37.6173);
    return shift;
}

bool DatumShift::ToSeries(double& latitude, double& longitude) const {
    if (!std::isfinite(latitude) || !std::isfinite(longitude) || std::fabs(latitude) > 90)
        return false;
    double lat = latitude, lon = longitude;
    if (!impl_->Forward(lat, lon)) return false;
    latitude = lat;
    longitude = lon;
    return true;
}

bool DatumShift::ToWgs84(double& latitude, double& longitude) const {
    if (!std::isfinite(latitude) || !std::isfinite(longitude) || std::fabs(latitude) > 90)
        return false;
    // The inverse of the forward shift, found by correcting a guess against it: a round trip
    // returns the point. (PROJ's own inverse misses its forward shift by up to 4 mm.)
    double lat = latitude, lon = longitude;
    for (int step = 0; step < 4; ++step) {
        double a = lat, b = lon;
        if (!impl_->Forward(a, b)) return false;
        const double dlat = a - latitude, dlon = std::remainder(b - longitude, 360.0);
        if (std::fabs(dlat) < 1e-12 && std::fabs(dlon) < 1e-12) break;
        lat -= dlat;
        lon -= dlon;
        if (std::fabs(lat) > 90) return false;
    }
    latitude = lat;
    longitude = std::remainder(lon, 360.0);
    return true;
}

std::string DatumShift::Description() const {
    return impl_->description;
}

std::string DatumShift::OperationAt(double latitude, double longitude) const {
    PJ* named = impl_->named.get();
    const PJ_COORD c = proj_trans(named, PJ_FWD, proj_coord(latitude, longitude, 0, 0));
    if (!std::isfinite(c.xy.x)) return {};
    PjPtr op(proj_trans_get_last_used_operation(named));
    return op ? DescribeOperation(impl_->ctx.get(), op.get()) : std::string();
}

} // namespace kavu::geo
