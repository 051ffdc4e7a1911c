#include "geo/datum.h"
#include "geo/proj_handles.h"

#include <proj.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
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

// PROJ's proj_create_crs_to_crs lists the operations, then lists the conversions from each
// CRS's own longitude and latitude to it, to put the areas in the CRS's axes; ours take
// latitude first in degrees, so the conversion is an exact swap of the axes. What follows is
// PROJ 9.1's choice per point (proj_trans, pj_get_suggested_operation) on the first listing.
struct OperationChoice::Impl {
    ContextPtr ctx;
    // The operations PROJ may pick, as listed.
    struct Listed {
        PjPtr op;
        Box area; // in degrees; West > East across 180 degrees, -1000 when none is given
    };
    std::vector<Listed> ops;
    // One entry of PROJ's list of choices: an area across 180 degrees makes two.
    struct Candidate {
        PJ* op;
        double minLat, minLon, maxLat, maxLon; // the area, as PROJ tests a point against it
        double accuracy;                       // metres; negative when unknown
        bool offshore;
    };
    std::vector<Candidate> candidates;
    int listed = 0;
    // Outside every box PROJ takes the first candidate that needs no grid; -1 when none does.
    int fallback = -1;

    bool List(const char* source, const char* target, std::string& error);
    void Add(PJ* op, double west, double south, double east, double north, const char* areaName);
    int Suggest(const int excluded[2], double latitude, double longitude) const;
    int Apply(double latitude, double longitude, PJ_COORD& out) const;
};

namespace {

// A geographic CRS whose first axis is latitude, both in degrees.
bool LatitudeFirstDegrees(PJ_CONTEXT* ctx, PJ* crs) {
    if (proj_get_type(crs) != PJ_TYPE_GEOGRAPHIC_2D_CRS) return false;
    const PjPtr cs(proj_crs_get_coordinate_system(ctx, crs));
    if (!cs || proj_cs_get_axis_count(ctx, cs.get()) != 2) return false;
    for (int i = 0; i < 2; ++i) {
        const char *direction = nullptr, *unit = nullptr;
        if (!proj_cs_get_axis_info(ctx, cs.get(), i, nullptr, nullptr, &direction, nullptr, &unit,
                                   nullptr, nullptr) ||
            direction == nullptr || unit == nullptr ||
            std::strcmp(direction, i == 0 ? "north" : "east") != 0 ||
            std::strcmp(unit, "degree") != 0)
            return false;
    }
    return true;
}

} // namespace

bool OperationChoice::Impl::List(const char* source, const char* target, std::string& error) {
    PJ_CONTEXT* c = ctx.get();
    const std::string failed =
        std::string("PROJ: no transformation from ") + source + " to " + target + ": ";
    const PjPtr from(proj_create(c, source)), to(proj_create(c, target));
    if (!from || !to) {
        error = failed + ProjReason(c);
        return false;
    }
    for (PJ* crs : {from.get(), to.get()})
        if (!LatitudeFirstDegrees(c, crs)) {
            error = std::string("PROJ: ") + (crs == from.get() ? source : target) +
                    " is not a geographic CRS in degrees, latitude first";
            return false;
        }
    // The settings proj_create_crs_to_crs lists with.
    PJ_OPERATION_FACTORY_CONTEXT* factory = proj_create_operation_factory_context(c, nullptr);
    if (factory == nullptr) {
        error = failed + ProjReason(c);
        return false;
    }
    proj_operation_factory_context_set_allow_ballpark_transformations(c, factory, 1);
    proj_operation_factory_context_set_spatial_criterion(
        c, factory, PROJ_SPATIAL_CRITERION_PARTIAL_INTERSECTION);
    proj_operation_factory_context_set_grid_availability_use(
        c, factory,
        proj_context_is_network_enabled(c) != 0
            ? PROJ_GRID_AVAILABILITY_KNOWN_AVAILABLE
            : PROJ_GRID_AVAILABILITY_DISCARD_OPERATION_IF_MISSING_GRID);
    const std::unique_ptr<PJ_OBJ_LIST, decltype(&proj_list_destroy)> list(
        proj_create_operations(c, from.get(), to.get(), factory), &proj_list_destroy);
    proj_operation_factory_context_destroy(factory);
    listed = list ? proj_list_get_count(list.get()) : 0;
    if (listed == 0) {
        error = failed + ProjReason(c);
        return false;
    }
    for (int i = 0; i < listed; ++i) {
        PjPtr op(proj_list_get(c, list.get(), i));
        if (!op) continue;
        Box b{-1000, -1000, -1000, -1000};
        const char* areaName = nullptr;
        const bool hasArea =
            proj_get_area_of_use(c, op.get(), &b.West, &b.South, &b.East, &b.North, &areaName) != 0;
        const std::size_t before = candidates.size();
        if (listed == 1) // PROJ uses it as it is
            candidates.push_back({op.get(), 0, 0, 0, 0, -1, false});
        else if (!hasArea) // PROJ leaves it out
            continue;
        else if (b.West <= b.East)
            Add(op.get(), b.West, b.South, b.East, b.North, areaName);
        else {
            Add(op.get(), b.West, b.South, 180, b.North, areaName);
            Add(op.get(), -180, b.South, b.East, b.North, areaName);
        }
        if (candidates.size() > before) ops.push_back({std::move(op), b});
    }
    if (candidates.empty()) {
        error = failed + ProjReason(c);
        return false;
    }
    for (std::size_t i = 0; i < candidates.size() && fallback < 0; ++i)
        if (proj_coordoperation_get_grid_used_count(c, candidates[i].op) == 0)
            fallback = static_cast<int>(i);
    // PROJ applies a lone operation everywhere.
    if (candidates.size() == 1) {
        constexpr double kMax = std::numeric_limits<double>::max();
        Candidate& only = candidates.front();
        only.minLat = only.minLon = -kMax;
        only.maxLat = only.maxLon = kMax;
    }
    return true;
}

// PROJ's box in the source CRS: the extremes of 21 points along each side of the area (the
// same arithmetic, so the same last bits), with the axes swapped.
void OperationChoice::Impl::Add(PJ* op, double west, double south, double east, double north,
                                const char* areaName) {
    constexpr double kMax = std::numeric_limits<double>::max();
    Candidate a{op, -kMax, -kMax, kMax, kMax, 0, false};
    if (!(west == -180.0 && east == 180.0 && south == -90.0 && north == 90.0)) {
        a.minLat = a.minLon = kMax;
        a.maxLat = a.maxLon = -kMax;
        auto take = [&a](double lon, double lat) {
            a.minLat = std::min(a.minLat, lat);
            a.minLon = std::min(a.minLon, lon);
            a.maxLat = std::max(a.maxLat, lat);
            a.maxLon = std::max(a.maxLon, lon);
        };
        const double stepLon = (east - west) / 20, stepLat = (north - south) / 20;
        for (int j = 0; j <= 20; ++j) {
            const double lon = west + j * stepLon, lat = south + j * stepLat;
            take(lon, south);
            take(lon, north);
            take(west, lat);
            take(east, lat);
        }
    }
    if (!(a.minLat <= a.maxLat)) return;
    a.accuracy = proj_coordoperation_get_accuracy(ctx.get(), op);
    a.offshore = areaName != nullptr && std::strstr(areaName, "- offshore") != nullptr;
    candidates.push_back(a);
}

// The most accurate candidate whose box holds the point (edges included); on equal accuracy
// the one whose box lies strictly inside the other's; offshore areas lose. PROJ's own order of
// tests, so the same candidate wins.
int OperationChoice::Impl::Suggest(const int excluded[2], double latitude, double longitude) const {
    int best = -1;
    double bestAccuracy = std::numeric_limits<double>::max();
    for (int i = 0, n = static_cast<int>(candidates.size()); i < n; ++i) {
        if (i == excluded[0] || i == excluded[1]) continue;
        const Candidate& a = candidates[static_cast<std::size_t>(i)];
        if (!(latitude >= a.minLat && longitude >= a.minLon && latitude <= a.maxLat &&
              longitude <= a.maxLon))
            continue;
        const Candidate* b = best < 0 ? nullptr : &candidates[static_cast<std::size_t>(best)];
        if (b == nullptr ||
            (a.accuracy >= 0 &&
             (a.accuracy < bestAccuracy ||
              (a.accuracy == bestAccuracy && a.minLat > b->minLat && a.minLon > b->minLon &&
               a.maxLat < b->maxLat && a.maxLon < b->maxLon)) &&
             !a.offshore)) {
            best = i;
            bestAccuracy = a.accuracy;
        }
    }
    return best;
}

// The candidate PROJ uses for the point and its value there; -1 where PROJ has none. A
// candidate whose grid does not cover the point gives way to the next best, twice at most.
int OperationChoice::Impl::Apply(double latitude, double longitude, PJ_COORD& out) const {
    const PJ_COORD in = proj_coord(latitude, longitude, 0, 0);
    int excluded[2] = {-1, -1};
    for (int retry = 0; retry <= 2; ++retry) {
        const int best = Suggest(excluded, latitude, longitude);
        if (best < 0) break;
        out = proj_trans(candidates[static_cast<std::size_t>(best)].op, PJ_FWD, in);
        if (out.xyzt.x != HUGE_VAL) return best;
        if (retry == 2) break;
        excluded[retry] = best;
    }
    const int i = fallback;
    if (i >= 0) out = proj_trans(candidates[static_cast<std::size_t>(i)].op, PJ_FWD, in);
    return i;
}

OperationChoice::OperationChoice(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
OperationChoice::~OperationChoice() = default;

std::unique_ptr<OperationChoice> OperationChoice::Create(const char* source, const char* target,
                                                         std::string& error) {
    auto impl = std::make_unique<Impl>();
    impl->ctx.reset(proj_context_create());
    if (!impl->ctx) {
        error = "PROJ: cannot create a context";
        return nullptr;
    }
    // Grids are not fetched: the answer must not depend on the network.
    proj_context_set_enable_network(impl->ctx.get(), 0);
    proj_log_level(impl->ctx.get(), PJ_LOG_NONE);
    if (!impl->List(source, target, error)) return nullptr;
    return std::unique_ptr<OperationChoice>(new OperationChoice(std::move(impl)));
}

bool OperationChoice::Forward(double& latitude, double& longitude) const {
    PJ_COORD c{};
    if (impl_->Apply(latitude, longitude, c) < 0 || !std::isfinite(c.v[0]) ||
        !std::isfinite(c.v[1]))
        return false;
    latitude = c.v[0];
    longitude = c.v[1];
    return true;
}

int OperationChoice::Listed() const {
    return impl_->listed;
}

struct DatumShift::Impl {
    std::unique_ptr<OperationChoice> choice; // EPSG:4326 -> EPSG:4284, latitude first, degrees
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
        PJ_COORD c{};
        if (choice->impl_->Apply(latitude, longitude, c) < 0 || !std::isfinite(c.v[0]) ||
            !std::isfinite(c.v[1]))
            return false;
        dlat = c.v[0] - latitude;
        dlon = std::remainder(c.v[1] - longitude, 360.0);
        return true;
    }

    // The areas of every operation PROJ could pick. Where no box holds the point PROJ takes the
    // first operation needing no grid: when that is the operation of a box holding every other
    // box, the shift is the same on both sides of that box's edges, so they are no edges.
    void ListBoxes() const {
        boxesKnown = true;
        const OperationChoice::Impl& c = *choice->impl_;
        const PJ* outside =
            c.fallback >= 0 ? c.candidates[static_cast<std::size_t>(c.fallback)].op : nullptr;
        for (const auto& a : c.ops) {
            if (a.area.West <= -1000) continue; // no area: PROJ never picks it by one
            bool all = a.op.get() == outside;
            for (const auto& b : c.ops)
                all = all && (b.area.West <= -1000 || Holds(a.area, b.area));
            if (!all) boxes.push_back(a.area);
        }
        if (boxes.empty()) boxes.push_back({-180, -90, 180, 90}); // the whole world: no edge
    }

    bool Touched(double south, double north, double west, double east) const {
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
    // PROJ keeps every candidate and picks per point the most accurate one whose area holds it,
    // as cs2cs does.
    auto impl = std::make_unique<Impl>();
    impl->choice = OperationChoice::Create("EPSG:4326", "EPSG:4284", error);
    if (!impl->choice) return nullptr;
    return std::unique_ptr<DatumShift>(new DatumShift(std::move(impl)));
}

std::string DatumShift::Description() const {
    std::lock_guard<std::mutex> lock(impl_->describing);
    if (!impl_->description.empty()) return impl_->description;
    impl_->description = std::string("EPSG:4326 (WGS 84) to EPSG:4284 (Pulkovo 1942) by PROJ ") +
                         proj_info().version + ", the most accurate of " +
                         std::to_string(impl_->choice->Listed()) +
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
    const OperationChoice::Impl& c = *impl_->choice->impl_;
    PJ_COORD p{};
    const int i = c.Apply(latitude, longitude, p);
    if (i < 0 || !std::isfinite(p.v[0])) return {};
    return DescribeOperation(c.ctx.get(), c.candidates[static_cast<std::size_t>(i)].op);
}

} // namespace kavu::geo
