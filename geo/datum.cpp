#include "geo/datum.h"
#include "geo/proj_handles.h"

#include <proj.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <unordered_map>

namespace kavu::geo {

namespace {

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

// PROJ needs over a microsecond a point here, too slow for a million points. The shift is
// smooth wherever one operation serves, so it is taken from PROJ at the nodes of a patch and
// interpolated inside by a polynomial: degree 4 on patches of one degree, which stays within
// 1e-10 degree of PROJ. A patch where the polynomial misses PROJ's own value at four more
// points by over 5e-10 degree (0.05 mm) is crossed by the edge of an operation's area of use,
// where the shift jumps by metres; it is split into patches of 1/8 degree with quadratics,
// and those the edge crosses are left to PROJ point by point.
constexpr double kCachedLatitude = 85; // beyond: close to the pole, always PROJ
// Misfit allowed at the check points, in degrees of latitude: half the promise, as the checks
// are only four points.
constexpr double kTolerance = 5e-10;

// Patches of 1 / PerDegree degree, N nodes a side (Chebyshev-Lobatto: the corners included).
template <int N, int PerDegree> class Patches {
  public:
    struct Patch {
        bool smooth = false;
        double lat[N * N], lon[N * N]; // shift at the nodes, row by row from the south-west
    };

    // The patch holding the point and where in it the point lies (0..1 east and north).
    template <typename Probe>
    const Patch* Find(double latitude, double longitude, const Probe& probe, double& u,
                      double& v) const {
        const double y = latitude * PerDegree, x = (longitude + 180) * PerDegree;
        const double row = std::floor(y), column = std::floor(x);
        if (!(column >= 0 && column < 360 * PerDegree)) return nullptr;
        u = x - column;
        v = y - row;
        const auto r = static_cast<std::int64_t>(row), c = static_cast<std::int64_t>(column);
        const std::int64_t id = r * 4096 + c;
        auto found = patches_.find(id);
        if (found == patches_.end()) found = patches_.emplace(id, Make(r, c, probe)).first;
        return &found->second;
    }

    static void Interpolate(const Patch& p, double u, double v, double& dlat, double& dlon) {
        double wu[N], wv[N];
        Weights(u, wu);
        Weights(v, wv);
        dlat = dlon = 0;
        for (int j = 0; j < N; ++j) {
            double rowLat = 0, rowLon = 0;
            for (int i = 0; i < N; ++i) {
                rowLat += wu[i] * p.lat[j * N + i];
                rowLon += wu[i] * p.lon[j * N + i];
            }
            dlat += wv[j] * rowLat;
            dlon += wv[j] * rowLon;
        }
    }

  private:
    struct Nodes {
        double t[N], scale[N]; // positions, and 1 / prod (t_i - t_k) of the Lagrange weights
        Nodes() {
            for (int i = 0; i < N; ++i)
                t[i] = 0.5 - 0.5 * std::cos(M_PI * i / (N - 1));
            for (int i = 0; i < N; ++i) {
                double d = 1;
                for (int k = 0; k < N; ++k)
                    if (k != i) d *= t[i] - t[k];
                scale[i] = 1 / d;
            }
        }
    };
    static const Nodes& Node() {
        static const Nodes nodes;
        return nodes;
    }
    static void Weights(double x, double w[N]) {
        const Nodes& n = Node();
        for (int i = 0; i < N; ++i) {
            double p = n.scale[i];
            for (int k = 0; k < N; ++k)
                if (k != i) p *= x - n.t[k];
            w[i] = p;
        }
    }
    template <typename Probe>
    static Patch Make(std::int64_t row, std::int64_t column, const Probe& probe) {
        auto lat = [&](double v) { return (row + v) / PerDegree; };
        auto lon = [&](double u) { return (column + u) / PerDegree - 180; };
        Patch p;
        const Nodes& n = Node();
        for (int k = 0; k < N * N; ++k)
            if (!probe(lat(n.t[k / N]), lon(n.t[k % N]), p.lat[k], p.lon[k])) return p;
        constexpr double kChecks[4][2] = {{0.3, 0.6}, {0.7, 0.2}, {0.15, 0.85}, {0.55, 0.4}};
        for (const auto& [u, v] : kChecks) {
            double plat = 0, plon = 0, ilat = 0, ilon = 0;
            Interpolate(p, u, v, ilat, ilon);
            // On the ground: a degree of longitude shrinks towards the poles.
            const double shrink = std::cos(lat(v) * M_PI / 180);
            if (!probe(lat(v), lon(u), plat, plon) || std::fabs(plat - ilat) > kTolerance ||
                std::fabs(plon - ilon) * shrink > kTolerance)
                return p;
        }
        p.smooth = true;
        return p;
    }

    mutable std::unordered_map<std::int64_t, Patch> patches_;
};

struct DatumShift::Impl {
    ContextPtr ctx;
    PjPtr shift; // EPSG:4326 -> EPSG:4284, longitude first, degrees
    PjPtr named; // the same, latitude first: its operations keep their EPSG names
    std::mutex describing;
    std::string description; // built by the first call of Description
    Patches<5, 1> coarse;
    Patches<3, 8> fine;

    // PROJ's shift at a point.
    bool Probe(double latitude, double longitude, double& dlat, double& dlon) const {
        const PJ_COORD c = proj_trans(shift.get(), PJ_FWD, proj_coord(longitude, latitude, 0, 0));
        if (!std::isfinite(c.xy.x) || !std::isfinite(c.xy.y)) return false;
        dlat = c.xy.y - latitude;
        dlon = std::remainder(c.xy.x - longitude, 360.0);
        return true;
    }

    bool Forward(double& latitude, double& longitude) const {
        auto probe = [this](double lat, double lon, double& dlat, double& dlon) {
            return Probe(lat, lon, dlat, dlon);
        };
        double dlat = 0, dlon = 0, u = 0, v = 0;
        bool done = false;
        if (std::fabs(latitude) < kCachedLatitude) {
            if (auto* p = coarse.Find(latitude, longitude, probe, u, v); p && p->smooth) {
                coarse.Interpolate(*p, u, v, dlat, dlon);
                done = true;
            } else if (auto* q = fine.Find(latitude, longitude, probe, u, v); q && q->smooth) {
                fine.Interpolate(*q, u, v, dlat, dlon);
                done = true;
            }
        }
        if (!done && !Probe(latitude, longitude, dlat, dlon)) return false;
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
    return std::unique_ptr<DatumShift>(new DatumShift(std::move(impl)));
}

// Built when asked: listing PROJ's operations costs a run more than converting its points.
std::string DatumShift::Description() const {
    std::lock_guard<std::mutex> lock(impl_->describing);
    if (!impl_->description.empty()) return impl_->description;
    PJ_CONTEXT* ctx = impl_->ctx.get();
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

    impl_->description = std::string("EPSG:4326 (WGS 84) to EPSG:4284 (Pulkovo 1942) by PROJ ") +
                         proj_info().version + ", the most accurate of " +
                         std::to_string(candidates) +
                         " offline operations whose area holds the point; in Russia " +
                         OperationAt(55.7558, 37.6173);
    return impl_->description;
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

std::string DatumShift::OperationAt(double latitude, double longitude) const {
    PJ* named = impl_->named.get();
    const PJ_COORD c = proj_trans(named, PJ_FWD, proj_coord(latitude, longitude, 0, 0));
    if (!std::isfinite(c.xy.x)) return {};
    PjPtr op(proj_trans_get_last_used_operation(named));
    return op ? DescribeOperation(impl_->ctx.get(), op.get()) : std::string();
}

} // namespace kavu::geo
