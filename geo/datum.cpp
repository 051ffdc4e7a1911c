#include "geo/datum.h"
#include "geo/proj_handles.h"

#include <proj.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

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
// interpolated inside by a polynomial, which stays within 1e-10 degree of PROJ.
//
// PROJ picks the operation of a point by the bounding boxes of the operations' areas of use, so
// the shift jumps (by metres) only on the edges of those boxes. A patch no edge touches is served
// by one operation: patches of 8 degrees cover most of the globe from 40 PROJ calls each, and
// where an edge runs, or the polynomial misses PROJ's own value at four more points by over
// 5e-10 degree (0.05 mm), the patch is split into patches of 2, 1/2 and 1/8
// degree; one of 1/8 degree an edge touches is left to PROJ point by point. Every point is
// converted the same way whatever came before it, so a run gives the same value for it twice.
constexpr double kCachedLatitude = 85; // beyond: close to the pole, always PROJ
// Misfit allowed at the check points, in degrees of latitude: half the promise, as the checks
// are only four points.
constexpr double kTolerance = 5e-10;
// The finest sheet edges of the series (1:10,000: 2'30" of latitude, 3'45" of longitude from
// the equator and from 180 degrees); every coarser edge is one of them. A point the polynomial
// puts closer to one than twice the promise is taken from PROJ itself, so that its sheet is
// always the one PROJ's value puts it in.
constexpr double kEdgeLatitude = 2.5 / 60, kEdgeLongitude = 3.75 / 60;
constexpr double kEdgeMargin = 2e-9;

// A box PROJ tests a point against, in degrees; West > East when it crosses 180 degrees.
struct Box {
    double West, South, East, North;
};

// Whether an edge of a box touches the closed patch [south, north] x [west, east]. A box
// crossing 180 degrees has no edge there: both sides of it lie inside.
bool Touches(const Box& b, double south, double north, double west, double east) {
    auto overlaps = [](double lo1, double hi1, double lo2, double hi2) {
        return lo1 <= hi2 && lo2 <= hi1;
    };
    auto spans = [&](double lo, double hi) {
        return b.West <= b.East ? overlaps(b.West, b.East, lo, hi)
                                : overlaps(b.West, 180, lo, hi) || overlaps(-180, b.East, lo, hi);
    };
    for (double y : {b.South, b.North})
        if (y >= south && y <= north && spans(west, east)) return true;
    for (double x : {b.West, b.East})
        if (std::fabs(x) < 180 && x >= west && x <= east &&
            overlaps(b.South, b.North, south, north))
            return true;
    return false;
}

// Whether every point of `inner` lies in `outer` (either may cross 180 degrees).
bool Holds(const Box& outer, const Box& inner) {
    if (inner.South < outer.South || inner.North > outer.North) return false;
    const auto east = [](const Box& b) { return b.East < b.West ? b.East + 360 : b.East; };
    double west = inner.West, last = east(inner);
    if (west < outer.West) west += 360, last += 360;
    return west >= outer.West && last <= east(outer);
}

// Patches of 1 / perDegree degree, N nodes a side (Chebyshev-Lobatto: the corners included).
// The shift east is kept on the ground (times the cosine of the latitude), where it is as smooth
// as the shift north: in degrees of longitude it grows without bound towards the poles.
template <int N> class Patches {
  public:
    struct Patch {
        bool built = false;
        bool smooth = false;
        double north[N * N], east[N * N]; // coefficients of the polynomials, see Interpolate
    };

    explicit Patches(double perDegree)
        : perDegree_(perDegree), rowOffset_(static_cast<std::int64_t>(std::ceil(90 * perDegree))),
          columns_(static_cast<std::int64_t>(360 * perDegree)) {}

    // The patch holding the point and where in it the point lies (0..1 east and north); nullptr
    // outside the grid. `touched` tells whether an area's edge runs through a patch (south,
    // north, west, east).
    template <typename Probe, typename Touched>
    const Patch* Find(double latitude, double longitude, const Probe& probe, const Touched& touched,
                      double& u, double& v) const {
        const double y = latitude * perDegree_, x = (longitude + 180) * perDegree_;
        const double row = std::floor(y), column = std::floor(x);
        if (!(column >= 0 && column < static_cast<double>(columns_) && std::fabs(latitude) < 90))
            return nullptr;
        u = x - column;
        v = y - row;
        const auto r = static_cast<std::int64_t>(row), c = static_cast<std::int64_t>(column);
        Patch& p = Slot(r, c);
        if (!p.built) {
            Make(p, r, c, probe, touched);
        }
        return &p;
    }

    // The shift north in degrees of latitude, east in degrees of a great circle: the patch's
    // polynomial in powers of u - 1/2 and v - 1/2, by Horner's rule.
    static void Interpolate(const Patch& p, double u, double v, double& north, double& east) {
        const double x = u - 0.5, y = v - 0.5;
        north = east = 0;
        for (int j = N - 1; j >= 0; --j) {
            double rowNorth = 0, rowEast = 0;
            for (int i = N - 1; i >= 0; --i) {
                rowNorth = rowNorth * x + p.north[j * N + i];
                rowEast = rowEast * x + p.east[j * N + i];
            }
            north = north * y + rowNorth;
            east = east * y + rowEast;
        }
    }

  private:
    // Node positions (0..1), and the powers of t - 1/2 each node's Lagrange polynomial has:
    // power[k][i] is the coefficient of (t - 1/2)^k in the polynomial that is 1 at node i and 0
    // at the others.
    struct Nodes {
        double t[N], power[N][N];
        Nodes() {
            for (int i = 0; i < N; ++i)
                t[i] = 0.5 - 0.5 * std::cos(M_PI * i / (N - 1));
            for (int i = 0; i < N; ++i) {
                double c[N] = {1}; // the product of (x - (t_k - 1/2)), lowest power first
                int degree = 0;
                double d = 1;
                for (int k = 0; k < N; ++k) {
                    if (k == i) continue;
                    const double root = t[k] - 0.5;
                    ++degree;
                    for (int m = degree; m >= 0; --m)
                        c[m] = (m > 0 ? c[m - 1] : 0) - root * (m < degree ? c[m] : 0);
                    d *= t[i] - t[k];
                }
                for (int k = 0; k < N; ++k)
                    power[k][i] = c[k] / d;
            }
        }
    };
    static const Nodes& Node() {
        static const Nodes nodes;
        return nodes;
    }
    // The node values (row by row from the south-west) to powers of v - 1/2 by rows and u - 1/2
    // within each, in place.
    static void ToPowers(double f[N * N]) {
        const Nodes& n = Node();
        double g[N * N];
        for (int a = 0; a < N; ++a) // along u, each row of nodes
            for (int k = 0; k < N; ++k) {
                double s = 0;
                for (int b = 0; b < N; ++b)
                    s += n.power[k][b] * f[a * N + b];
                g[a * N + k] = s;
            }
        for (int j = 0; j < N; ++j) // along v
            for (int k = 0; k < N; ++k) {
                double s = 0;
                for (int a = 0; a < N; ++a)
                    s += n.power[j][a] * g[a * N + k];
                f[j * N + k] = s;
            }
    }

    // A table of every patch while it stays small (a pointer each), a hash map beyond.
    Patch& Slot(std::int64_t row, std::int64_t column) const {
        std::unique_ptr<Patch>* slot = nullptr;
        if (2 * rowOffset_ * columns_ <= (1 << 19)) {
            if (table_.empty()) table_.resize(static_cast<std::size_t>(2 * rowOffset_ * columns_));
            slot = &table_[static_cast<std::size_t>((row + rowOffset_) * columns_ + column)];
        } else {
            slot = &map_[row * 65536 + column];
        }
        if (!*slot) *slot = std::make_unique<Patch>();
        return **slot;
    }

    // PROJ's shift at a node, east on the ground.
    template <typename Probe>
    static bool Ground(const Probe& probe, double lat, double lon, double& north, double& east) {
        if (!probe(lat, lon, north, east)) return false;
        east *= std::cos(lat * M_PI / 180);
        return true;
    }

    template <typename Probe, typename Touched>
    void Make(Patch& p, std::int64_t row, std::int64_t column, const Probe& probe,
              const Touched& touched) const {
        p.built = true;
        auto lat = [&](double v) { return (static_cast<double>(row) + v) / perDegree_; };
        auto lon = [&](double u) { return (static_cast<double>(column) + u) / perDegree_ - 180; };
        if (touched(lat(0), lat(1), lon(0), lon(1))) return;
        const Nodes& n = Node();
        for (int k = 0; k < N * N; ++k)
            if (!Ground(probe, lat(n.t[k / N]), lon(n.t[k % N]), p.north[k], p.east[k])) return;
        ToPowers(p.north);
        ToPowers(p.east);
        constexpr double kChecks[4][2] = {{0.3, 0.6}, {0.7, 0.2}, {0.15, 0.85}, {0.55, 0.4}};
        for (const auto& [u, v] : kChecks) {
            double pn = 0, pe = 0, in = 0, ie = 0;
            Interpolate(p, u, v, in, ie);
            if (!Ground(probe, lat(v), lon(u), pn, pe) || std::fabs(pn - in) > kTolerance ||
                std::fabs(pe - ie) > kTolerance)
                return;
        }
        p.smooth = true;
    }

    double perDegree_;
    std::int64_t rowOffset_, columns_;
    mutable std::vector<std::unique_ptr<Patch>> table_;
    mutable std::unordered_map<std::int64_t, std::unique_ptr<Patch>> map_;
};

// How far x lies from the nearest multiple of `step`.
double OffEdge(double x, double step) {
    return std::fabs(x - std::nearbyint(x / step) * step);
}

struct DatumShift::Impl {
    ContextPtr ctx;
    PjPtr shift; // EPSG:4326 -> EPSG:4284, longitude first, degrees
    PjPtr named; // the same, latitude first: its operations keep their EPSG names
    std::mutex describing;
    std::string description; // built by the first call of Description
    mutable bool boxesKnown = false;
    mutable std::vector<Box> boxes; // every candidate operation's area of use
    Patches<6> huge{1.0 / 8};
    Patches<5> large{1.0 / 2};
    Patches<4> medium{2};
    Patches<3> small{8};

    // PROJ's shift at a point.
    bool Probe(double latitude, double longitude, double& dlat, double& dlon) const {
        const PJ_COORD c = proj_trans(shift.get(), PJ_FWD, proj_coord(longitude, latitude, 0, 0));
        if (!std::isfinite(c.xy.x) || !std::isfinite(c.xy.y)) return false;
        dlat = c.xy.y - latitude;
        dlon = std::remainder(c.xy.x - longitude, 360.0);
        return true;
    }

    // The areas of every operation PROJ could pick; when PROJ cannot list them, every patch
    // larger than 1/2 degree counts as touched, and only the check points find the edges.
    void ListBoxes() const {
        boxesKnown = true;
        PJ_CONTEXT* c = ctx.get();
        PjPtr source(proj_create(c, "EPSG:4326")), target(proj_create(c, "EPSG:4284"));
        PJ_OPERATION_FACTORY_CONTEXT* factory = proj_create_operation_factory_context(c, nullptr);
        if (factory == nullptr) return;
        proj_operation_factory_context_set_spatial_criterion(
            c, factory, PROJ_SPATIAL_CRITERION_PARTIAL_INTERSECTION);
        PJ_OBJ_LIST* list = source && target
                                ? proj_create_operations(c, source.get(), target.get(), factory)
                                : nullptr;
        proj_operation_factory_context_destroy(factory);
        if (list == nullptr) return;
        std::vector<std::pair<Box, PjPtr>> areas;
        for (int i = 0, n = proj_list_get_count(list); i < n; ++i) {
            PjPtr op(proj_list_get(c, list, i));
            Box b{};
            if (op &&
                proj_get_area_of_use(c, op.get(), &b.West, &b.South, &b.East, &b.North,
                                     nullptr) &&
                b.West > -1000) // -1000: no area given, which PROJ applies everywhere
                areas.emplace_back(b, std::move(op));
        }
        proj_list_destroy(list);
        // Where no box holds the point PROJ takes an operation of its own choosing. When that
        // is the operation of a box holding every other box, the shift is the same on both
        // sides of that box's edges: they are no edges.
        PjPtr outside;
        for (const auto& [lat, lon] : {std::pair{-89.0, 0.0}, {0.0, 0.0}, {-45.0, -120.0}}) {
            bool held = false;
            for (const auto& a : areas)
                held = held || Holds(a.first, {lon, lat, lon, lat});
            if (held) continue;
            const PJ_COORD p = proj_trans(named.get(), PJ_FWD, proj_coord(lat, lon, 0, 0));
            if (std::isfinite(p.xy.x))
                outside.reset(proj_trans_get_last_used_operation(named.get()));
            break;
        }
        for (const auto& [box, op] : areas) {
            bool all =
                outside && proj_is_equivalent_to(op.get(), outside.get(), PJ_COMP_EQUIVALENT);
            for (const auto& a : areas)
                all = all && Holds(box, a.first);
            if (!all) boxes.push_back(box);
        }
        if (boxes.empty()) boxes.push_back({-180, -90, 180, 90}); // the whole world: no edge
    }

    bool Touched(double south, double north, double west, double east) const {
        if (boxes.empty()) return north - south > 0.5;
        for (const Box& b : boxes)
            if (Touches(b, south, north, west, east)) return true;
        return false;
    }

    bool Interpolated(double latitude, double longitude, double& dlat, double& dlon) const {
        if (!(std::fabs(latitude) < kCachedLatitude)) return false;
        if (!boxesKnown) ListBoxes(); // on the first point: a run that converts none skips it
        auto probe = [this](double lat, double lon, double& a, double& b) {
            return Probe(lat, lon, a, b);
        };
        auto touched = [this](double s, double n, double w, double e) {
            return Touched(s, n, w, e);
        };
        double u = 0, v = 0;
        if (auto* p = huge.Find(latitude, longitude, probe, touched, u, v); p && p->smooth) {
            huge.Interpolate(*p, u, v, dlat, dlon);
        } else if (auto* q = large.Find(latitude, longitude, probe, touched, u, v);
                   q && q->smooth) {
            large.Interpolate(*q, u, v, dlat, dlon);
        } else if (auto* r = medium.Find(latitude, longitude, probe, touched, u, v);
                   r && r->smooth) {
            medium.Interpolate(*r, u, v, dlat, dlon);
        } else if (auto* s = small.Find(latitude, longitude, probe, touched, u, v);
                   s && s->smooth) {
            small.Interpolate(*s, u, v, dlat, dlon);
        } else {
            return false;
        }
        // Beside a sheet edge the interpolation's error could move the point across it.
        const double shrink = std::cos(latitude * M_PI / 180);
        dlon /= shrink;
        const double lat = latitude + dlat, lon = longitude + dlon + 180;
        return OffEdge(lat, kEdgeLatitude) > kEdgeMargin &&
               OffEdge(lon, kEdgeLongitude) * shrink > kEdgeMargin;
    }

    bool Forward(double& latitude, double& longitude) const {
        double dlat = 0, dlon = 0;
        if (!Interpolated(latitude, longitude, dlat, dlon) &&
            !Probe(latitude, longitude, dlat, dlon))
            return false;
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
