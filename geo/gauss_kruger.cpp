#include "geo/gauss_kruger.h"
#include "geo/proj_handles.h"

#include <proj.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

namespace kavu::geo {

namespace {

constexpr int kZones = 60;

bool ValidZone(int zone) {
    return zone >= 1 && zone <= kZones;
}

ContextPtr MakeContext() {
    ContextPtr ctx(proj_context_create());
    if (ctx) {
        proj_context_set_enable_network(ctx.get(), 0);
        proj_log_level(ctx.get(), PJ_LOG_NONE);
    }
    return ctx;
}

std::string Kilometres(double metres) {
    const double km = metres / 1000;
    char text[32];
    if (std::fabs(km - std::round(km)) < 1e-9)
        std::snprintf(text, sizeof text, "%.0f", km);
    else
        std::snprintf(text, sizeof text, "%.3f", km);
    return text;
}

std::string TwoDigits(double metres) {
    const long long km = std::llround(std::floor(std::fabs(metres) / 1000 + 1e-9));
    char text[8];
    std::snprintf(text, sizeof text, "%02lld", km % 100);
    return text;
}

} // namespace

// ---- the projection ----------------------------------------------------------------------------

struct GaussKruger::Impl {
    ContextPtr ctx;
    mutable std::array<PjPtr, kZones + 1> zones; // made when first asked for

    PJ* Zone(int zone) const {
        if (!ValidZone(zone)) return nullptr;
        PjPtr& pj = zones[static_cast<std::size_t>(zone)];
        if (!pj) pj.reset(proj_create(ctx.get(), detail::ZoneProjection(zone).c_str()));
        return pj.get();
    }

    // Every zone is one projection moved along the equator: the longitude from the zone's axis
    // is projected, and the false easting added last. The corners of the sheets, on the same
    // few parallels and at the same few distances from every axis, are projected once for all
    // zones: the same projection on meridian 0 gives a zone's numbers to within 1e-9 m
    // (the rounding of the longitude in radians).
    PjPtr neutral;
    struct Known {
        std::uint64_t phi = 0; // bits of the latitude in radians
        std::int64_t lam = 0;  // half arc-seconds east of 90 degrees west of the axis; 0: empty
        double x = 0, y = 0;
    };
    static constexpr int kKnownBits = 17;
    mutable std::vector<Known> known;

    static double FalseEasting(int zone) { return zone * 1e6 + 500000; }

    bool Project(int zone, PJ* pj, double lon, double latitude, double& x, double& y) const {
        // Whole half arc-seconds from the axis: the corners and centres of every sheet.
        const double half = (lon - CentralMeridian(zone)) * 7200;
        const double whole = std::round(half);
        const double phi = proj_torad(latitude);
        if (!neutral || std::fabs(half - whole) > 1e-6 || std::fabs(whole) > 7200 * 90.0) {
            const PJ_COORD c = proj_trans(pj, PJ_FWD, proj_coord(proj_torad(lon), phi, 0, 0));
            x = c.xy.x;
            y = c.xy.y;
            return std::isfinite(x) && std::isfinite(y);
        }
        if (!Neutral(phi, whole, x, y)) return false;
        x += FalseEasting(zone);
        return true;
    }

    // Meridian 0's projection of `whole` half arc-seconds of longitude at `phi`: the easting
    // without its false easting, and the northing.
    bool Neutral(double phi, double whole, double& x, double& y) const {
        std::uint64_t a = 0;
        std::memcpy(&a, &phi, sizeof a);
        const auto b = static_cast<std::int64_t>(whole) + 7200 * 90 + 1;
        if (known.empty()) known.resize(std::size_t{1} << kKnownBits);
        Known& slot = known[((a * 0x9E3779B97F4A7C15ULL) ^
                             (static_cast<std::uint64_t>(b) * 0xC2B2AE3D27D4EB4FULL)) >>
                            (64 - kKnownBits)];
        if (slot.lam != b || slot.phi != a) {
            const PJ_COORD c =
                proj_trans(neutral.get(), PJ_FWD, proj_coord(proj_torad(whole / 7200), phi, 0, 0));
            if (!std::isfinite(c.xy.x) || !std::isfinite(c.xy.y)) return false;
            slot = {a, b, c.xy.x, c.xy.y};
        }
        x = slot.x;
        y = slot.y;
        return true;
    }

    // Whole frames the same way, keyed by their edges from the axis: one look for a sheet's
    // five points.
    struct KnownFrame {
        std::int32_t north = 0, south = 0, west = 0, east = 0; // arc-seconds; west 0: empty
        double x[5] = {}, y[5] = {};
    };
    static constexpr int kFrameBits = 15;
    mutable std::vector<KnownFrame> frames;
};

GaussKruger::GaussKruger(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
GaussKruger::~GaussKruger() = default;

std::unique_ptr<GaussKruger> GaussKruger::Create(std::string& error) {
    auto impl = std::make_unique<Impl>();
    impl->ctx = MakeContext();
    if (!impl->ctx) {
        error = "PROJ: cannot create a context";
        return nullptr;
    }
    impl->neutral.reset(proj_create(
        impl->ctx.get(), "+proj=tmerc +lat_0=0 +lon_0=0 +k=1 +x_0=0 +y_0=0 +ellps=krass +units=m"));
    // A PROJ whose transverse Mercator is not a pure shift between zones projects each zone
    // on its own.
    for (const auto& [dlon, lat] : {std::pair{2.75, 55.5}, std::pair{-3.0, -71.25}}) {
        PJ* zone = impl->Zone(7);
        if (!impl->neutral || zone == nullptr) break;
        const PJ_COORD a = proj_trans(
            zone, PJ_FWD, proj_coord(proj_torad(CentralMeridian(7) + dlon), proj_torad(lat), 0, 0));
        const PJ_COORD b = proj_trans(impl->neutral.get(), PJ_FWD,
                                      proj_coord(proj_torad(dlon), proj_torad(lat), 0, 0));
        if (!(std::fabs(a.xy.x - b.xy.x - Impl::FalseEasting(7)) < 1e-6 &&
              std::fabs(a.xy.y - b.xy.y) < 1e-6))
            impl->neutral.reset();
    }
    auto gk = std::unique_ptr<GaussKruger>(new GaussKruger(std::move(impl)));
    if (gk->impl_->Zone(1) == nullptr) {
        error = "PROJ: no transverse Mercator projection";
        return nullptr;
    }
    return gk;
}

bool GaussKruger::Forward(int zone, double latitude, double longitude, GridPoint& out) const {
    PJ* pj = impl_->Zone(zone);
    if (pj == nullptr || !std::isfinite(latitude) || !std::isfinite(longitude) ||
        std::fabs(latitude) > 90)
        return false;
    // Longitude relative to the axis keeps a point across 180 degrees on the right side.
    const double axis = CentralMeridian(zone);
    double lon = longitude;
    if (std::fabs(lon - axis) > 180) lon = axis + std::remainder(longitude - axis, 360);
    double x = 0, y = 0;
    if (!impl_->Project(zone, pj, lon, latitude, x, y)) return false;
    out = {y, x};
    return true;
}

bool GaussKruger::Inverse(int zone, const GridPoint& point, double& latitude,
                          double& longitude) const {
    PJ* pj = impl_->Zone(zone);
    if (pj == nullptr || !std::isfinite(point.X) || !std::isfinite(point.Y) ||
        static_cast<int>(std::floor(point.Y / 1e6)) != zone)
        return false;
    const PJ_COORD c = proj_trans(pj, PJ_INV, proj_coord(point.Y, point.X, 0, 0));
    if (!std::isfinite(c.lp.lam) || !std::isfinite(c.lp.phi)) return false;
    latitude = proj_todeg(c.lp.phi);
    longitude = std::remainder(proj_todeg(c.lp.lam), 360.0);
    return true;
}

namespace {

constexpr double kSecondDeg = 1.0 / 3600;

// The frame walked round as a ring of geographic points, densely enough that a grid line
// crosses each piece at most once; every piece lies on one parallel or meridian.
struct Ring {
    std::vector<std::pair<double, double>> geo; // latitude, longitude
    std::vector<GridPoint> grid;
};

} // namespace

bool GaussKruger::Corners(const SheetKey& key, int zone, GridPoint out[5]) const {
    const auto frame = ComputeSignedFrame(key);
    if (!IsSheetKey(key) || !frame) return false;
    if (zone == 0) zone = ZoneOfSheet(key);
    const double n = frame->North * kSecondDeg, s = frame->South * kSecondDeg;
    const double w = frame->West * kSecondDeg, e = frame->East * kSecondDeg;
    const double points[5][2] = {{n, w}, {n, e}, {s, e}, {s, w}, {(n + s) / 2, (w + e) / 2}};
    for (int i = 0; i < 5; ++i)
        if (!Forward(zone, points[i][0], points[i][1], out[i])) return false;
    return true;
}

bool GaussKruger::FrameCorners(const SignedFrame& f, int zone, GridPoint out[5]) const {
    PJ* pj = impl_->Zone(zone);
    if (pj == nullptr) return false;
    const double n = f.North / 3600.0, s = f.South / 3600.0, w = f.West / 3600.0,
                 e = f.East / 3600.0;
    const double at[5][2] = {{n, w}, {n, e}, {s, e}, {s, w}, {(n + s) / 2, (w + e) / 2}};
    const auto axis = static_cast<std::int32_t>(std::lround(CentralMeridian(zone) * 3600));
    const std::int64_t west = std::int64_t{f.West} - axis, east = std::int64_t{f.East} - axis;
    constexpr std::int64_t kQuarter = 90 * 3600;
    if (!impl_->neutral || west < -kQuarter || east > kQuarter || west >= east ||
        std::abs(f.North) > kQuarter || std::abs(f.South) > kQuarter) {
        for (int i = 0; i < 5; ++i)
            if (!Forward(zone, at[i][0], at[i][1], out[i])) return false;
        return true;
    }
    // Forward takes these points to the same half arc-seconds from the axis, so to the same
    // neutral values: the numbers are Forward's, bit for bit.
    const auto w32 = static_cast<std::int32_t>(west + kQuarter + 1); // never 0
    const auto e32 = static_cast<std::int32_t>(east);
    if (impl_->frames.empty()) impl_->frames.resize(std::size_t{1} << Impl::kFrameBits);
    const std::uint64_t hash =
        (static_cast<std::uint64_t>(static_cast<std::uint32_t>(f.North)) << 32 |
         static_cast<std::uint32_t>(f.South)) *
            0x9E3779B97F4A7C15ULL ^
        (static_cast<std::uint64_t>(static_cast<std::uint32_t>(w32)) << 32 |
         static_cast<std::uint32_t>(e32)) *
            0xC2B2AE3D27D4EB4FULL;
    Impl::KnownFrame& slot = impl_->frames[hash >> (64 - Impl::kFrameBits)];
    if (slot.west != w32 || slot.east != e32 || slot.north != f.North || slot.south != f.South) {
        const double whole[5] = {2.0 * west, 2.0 * east, 2.0 * east, 2.0 * west,
                                 static_cast<double>(west + east)};
        Impl::KnownFrame fresh{f.North, f.South, w32, e32, {}, {}};
        for (int i = 0; i < 5; ++i)
            if (!impl_->Neutral(proj_torad(at[i][0]), whole[i], fresh.x[i], fresh.y[i]))
                return false;
        slot = fresh;
    }
    for (int i = 0; i < 5; ++i)
        out[i] = {slot.y[i], slot.x[i] + Impl::FalseEasting(zone)};
    return true;
}

std::vector<GridLine> GaussKruger::Grid(const SheetKey& key, int zone, double step) const {
    const auto frame = ComputeSignedFrame(key);
    if (!IsSheetKey(key) || !frame) return {};
    return GridOfFrame(*frame, zone != 0 ? zone : ZoneOfSheet(key), step);
}

std::vector<GridLine> GaussKruger::GridOfFrame(const SignedFrame& f, int zone, double step) const {
    std::vector<GridLine> lines;
    const SignedFrame* frame = &f;
    if (!(step > 0) || !std::isfinite(step) || !ValidZone(zone)) return lines;
    const double n = frame->North * kSecondDeg, s = frame->South * kSecondDeg;
    const double w = frame->West * kSecondDeg, e = frame->East * kSecondDeg;

    constexpr int kPieces = 64;
    Ring ring;
    const double corners[5][2] = {{s, w}, {n, w}, {n, e}, {s, e}, {s, w}};
    for (int side = 0; side < 4; ++side)
        for (int k = 0; k < kPieces; ++k) {
            const double t = static_cast<double>(k) / kPieces;
            ring.geo.emplace_back(corners[side][0] + t * (corners[side + 1][0] - corners[side][0]),
                                  corners[side][1] + t * (corners[side + 1][1] - corners[side][1]));
        }
    for (const auto& [lat, lon] : ring.geo) {
        GridPoint p;
        if (!Forward(zone, lat, lon, p)) return lines;
        ring.grid.push_back(p);
    }

    // Where the line `value` of the coordinate `get` crosses the ring, by bisection along each
    // piece it crosses; sorted along the line and paired into the pieces inside the frame.
    auto crossings = [&](bool northing, double value) {
        auto get = [northing](const GridPoint& p) { return northing ? p.X : p.Y; };
        struct Hit {
            GridPoint at;
            double lat, lon;
        };
        std::vector<Hit> hits;
        const std::size_t count = ring.geo.size();
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t j = (i + 1) % count;
            const bool a = get(ring.grid[i]) < value, b = get(ring.grid[j]) < value;
            if (a == b) continue;
            double lo = 0, hi = 1;
            Hit hit{ring.grid[i], ring.geo[i].first, ring.geo[i].second};
            for (int iteration = 0; iteration < 60; ++iteration) {
                const double mid = (lo + hi) / 2;
                const double lat =
                    ring.geo[i].first + mid * (ring.geo[j].first - ring.geo[i].first);
                const double lon =
                    ring.geo[i].second + mid * (ring.geo[j].second - ring.geo[i].second);
                GridPoint p;
                if (!Forward(zone, lat, lon, p)) break;
                hit = {p, lat, lon};
                if ((get(p) < value) == a)
                    lo = mid;
                else
                    hi = mid;
            }
            if (northing)
                hit.at.X = value;
            else
                hit.at.Y = value;
            hits.push_back(hit);
        }
        std::sort(hits.begin(), hits.end(), [northing](const Hit& x, const Hit& y) {
            return northing ? x.at.Y < y.at.Y : x.at.X < y.at.X;
        });
        for (std::size_t k = 0; k + 1 < hits.size(); k += 2) {
            GridLine line;
            line.Northing = northing;
            line.Value = value;
            line.Full = Kilometres(value);
            line.Label = TwoDigits(value);
            line.From = hits[k].at;
            line.To = hits[k + 1].at;
            line.FromLatitude = hits[k].lat;
            line.FromLongitude = std::remainder(hits[k].lon, 360.0);
            line.ToLatitude = hits[k + 1].lat;
            line.ToLongitude = std::remainder(hits[k + 1].lon, 360.0);
            lines.push_back(std::move(line));
        }
    };
    for (const bool northing : {true, false}) {
        double lo = HUGE_VAL, hi = -HUGE_VAL;
        for (const GridPoint& p : ring.grid) {
            lo = std::min(lo, northing ? p.X : p.Y);
            hi = std::max(hi, northing ? p.X : p.Y);
        }
        for (double k = std::ceil(lo / step); k * step <= hi; ++k)
            crossings(northing, k * step);
    }
    return lines;
}

std::vector<ScanControlPoint> GaussKruger::ControlPoints(const SheetKey& key, double width,
                                                         double height, double step) const {
    const auto frame = ComputeSignedFrame(key);
    if (!IsSheetKey(key) || !frame) return {};
    return ControlPointsOfFrame(*frame, ZoneOfSheet(key), width, height, step);
}

std::vector<ScanControlPoint> GaussKruger::ControlPointsOfFrame(const SignedFrame& f, int zone,
                                                                double width, double height,
                                                                double step) const {
    std::vector<ScanControlPoint> points;
    const SignedFrame* frame = &f;
    if (!ValidZone(zone) || !(width > 0) || !(height > 0)) return points;
    GridPoint corner[4];
    const double n = frame->North * kSecondDeg, s = frame->South * kSecondDeg;
    const double w = frame->West * kSecondDeg, e = frame->East * kSecondDeg;
    const double at[4][2] = {{n, w}, {n, e}, {s, e}, {s, w}};
    for (int i = 0; i < 4; ++i)
        if (!Forward(zone, at[i][0], at[i][1], corner[i])) return points;
    // The sheet is printed with its middle meridian upright.
    GridPoint top, bottom;
    if (!Forward(zone, n, (w + e) / 2, top) || !Forward(zone, s, (w + e) / 2, bottom))
        return points;
    const double angle = std::atan2(top.Y - bottom.Y, top.X - bottom.X);
    const double c = std::cos(angle), sn = std::sin(angle);
    auto upright = [&](const GridPoint& p, double& u, double& v) {
        u = p.Y * c - p.X * sn;
        v = p.Y * sn + p.X * c;
    };
    double umin = HUGE_VAL, umax = -HUGE_VAL, vmin = HUGE_VAL, vmax = -HUGE_VAL;
    for (int i = 0; i < 4; ++i) {
        double u = 0, v = 0;
        upright(corner[i], u, v);
        umin = std::min(umin, u), umax = std::max(umax, u);
        vmin = std::min(vmin, v), vmax = std::max(vmax, v);
    }
    auto add = [&](std::string what, const GridPoint& at, double lat, double lon) {
        double u = 0, v = 0;
        upright(at, u, v);
        points.push_back({std::move(what), at, lat, lon, (u - umin) / (umax - umin) * width,
                          (vmax - v) / (vmax - vmin) * height});
    };
    const char* names[4] = {"NW", "NE", "SE", "SW"};
    const double geo[4][2] = {{n, w}, {n, e}, {s, e}, {s, w}};
    for (int i = 0; i < 4; ++i)
        add(names[i], corner[i], geo[i][0], std::remainder(geo[i][1], 360.0));
    if (!(step > 0)) return points;
    std::vector<double> xs, ys;
    for (const GridLine& line : GridOfFrame(f, zone, step))
        (line.Northing ? xs : ys).push_back(line.Value);
    xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
    for (const double x : xs)
        for (const double y : ys) {
            double lat = 0, lon = 0;
            if (!Inverse(zone, {x, y}, lat, lon)) continue;
            const double east = w + std::remainder(lon - w, 360.0);
            if (lat < s || lat > n || east < w || east > e) continue;
            add(Kilometres(x) + "/" + Kilometres(y), {x, y}, lat, lon);
        }
    return points;
}

// ---- any CRS -----------------------------------------------------------------------------------

struct CrsTransform::Impl {
    std::string name;
    bool projected = false;
    std::unique_ptr<GaussKruger> gk; // "gk"
    ContextPtr ctx;
    PjPtr op;               // EPSG:4284 to the CRS, both in their own axis order
    bool northFirst = true; // the CRS's first axis is latitude or northing
    std::string urn;        // "urn:ogc:def:crs:EPSG::32637"; empty without an authority code
};

CrsTransform::CrsTransform(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
CrsTransform::~CrsTransform() = default;

std::unique_ptr<CrsTransform> CrsTransform::Create(std::string_view crs, std::string& error) {
    auto impl = std::make_unique<Impl>();
    impl->name = std::string(crs);
    if (crs == "gk" || crs == "GK") {
        impl->name = "gk";
        impl->projected = true;
        impl->gk = GaussKruger::Create(error);
        if (!impl->gk) return nullptr;
        return std::unique_ptr<CrsTransform>(new CrsTransform(std::move(impl)));
    }
    impl->ctx = MakeContext();
    if (!impl->ctx) {
        error = "PROJ: cannot create a context";
        return nullptr;
    }
    PJ_CONTEXT* ctx = impl->ctx.get();
    PjPtr target(proj_create(ctx, impl->name.c_str()));
    PJ_TYPE type = target ? proj_get_type(target.get()) : PJ_TYPE_UNKNOWN;
    if (type == PJ_TYPE_BOUND_CRS) {
        PjPtr base(proj_get_source_crs(ctx, target.get()));
        type = base ? proj_get_type(base.get()) : PJ_TYPE_UNKNOWN;
    }
    const bool geographic = type == PJ_TYPE_GEOGRAPHIC_2D_CRS || type == PJ_TYPE_GEOGRAPHIC_3D_CRS;
    if (!target || !(geographic || type == PJ_TYPE_PROJECTED_CRS)) {
        error = "“" + impl->name + "” is not a geographic or projected CRS PROJ knows";
        return nullptr;
    }
    impl->projected = !geographic;
    const char* authority = proj_get_id_auth_name(target.get(), 0);
    const char* code = proj_get_id_code(target.get(), 0);
    if (authority != nullptr && code != nullptr)
        impl->urn = std::string("urn:ogc:def:crs:") + authority + "::" + code;
    impl->op.reset(proj_create_crs_to_crs(ctx, "EPSG:4284", impl->name.c_str(), nullptr));
    // The CRS's own axis order (EPSG:4284 is latitude first): which axis points north.
    PjPtr base(proj_get_type(target.get()) == PJ_TYPE_BOUND_CRS
                   ? proj_get_source_crs(ctx, target.get())
                   : nullptr);
    PjPtr cs(proj_crs_get_coordinate_system(ctx, base ? base.get() : target.get()));
    const char* direction = nullptr;
    if (cs &&
        proj_cs_get_axis_info(ctx, cs.get(), 0, nullptr, nullptr, &direction, nullptr, nullptr,
                              nullptr, nullptr) &&
        direction != nullptr)
        impl->northFirst = std::string(direction) == "north" || std::string(direction) == "south";
    if (!impl->op) {
        error = "PROJ: no transformation from EPSG:4284 to “" + impl->name + "”";
        return nullptr;
    }
    return std::unique_ptr<CrsTransform>(new CrsTransform(std::move(impl)));
}

bool CrsTransform::Projected() const {
    return impl_->projected;
}
bool CrsTransform::PerZone() const {
    return static_cast<bool>(impl_->gk);
}
const std::string& CrsTransform::Name() const {
    return impl_->name;
}
const std::string& CrsTransform::Urn() const {
    return impl_->urn;
}

bool CrsTransform::FromSeries(double latitude, double longitude, double& a, double& b,
                              int zone) const {
    if (impl_->gk) {
        GridPoint p;
        if (!impl_->gk->Forward(zone != 0 ? zone : ZoneOfLongitude(longitude), latitude, longitude,
                                p))
            return false;
        a = p.X;
        b = p.Y;
        return true;
    }
    const PJ_COORD c = proj_trans(impl_->op.get(), PJ_FWD, proj_coord(latitude, longitude, 0, 0));
    if (!std::isfinite(c.xy.x) || !std::isfinite(c.xy.y)) return false;
    a = impl_->northFirst ? c.xy.x : c.xy.y;
    b = impl_->northFirst ? c.xy.y : c.xy.x;
    return true;
}

bool CrsTransform::FrameFromSeries(const SignedFrame& frame, int zone, double (&out)[5][2]) const {
    if (!impl_->gk) return false;
    GridPoint points[5];
    if (!impl_->gk->FrameCorners(frame, zone, points)) return false;
    for (int i = 0; i < 5; ++i) {
        out[i][0] = points[i].X;
        out[i][1] = points[i].Y;
    }
    return true;
}

bool CrsTransform::ToSeries(double a, double b, double& latitude, double& longitude) const {
    if (impl_->gk) {
        if (!std::isfinite(b)) return false;
        return impl_->gk->Inverse(static_cast<int>(std::floor(b / 1e6)), {a, b}, latitude,
                                  longitude);
    }
    const PJ_COORD c =
        proj_trans(impl_->op.get(), PJ_INV,
                   impl_->northFirst ? proj_coord(a, b, 0, 0) : proj_coord(b, a, 0, 0));
    if (!std::isfinite(c.xy.x) || !std::isfinite(c.xy.y)) return false;
    latitude = c.xy.x;
    longitude = c.xy.y;
    return true;
}

} // namespace kavu::geo
