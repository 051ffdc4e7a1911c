#include "mapview/LandData.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace kavu::map {
namespace {

constexpr std::string_view kMagic = "KVLAND1\n";
constexpr double kUnit = 1e-5;                   // degree
constexpr std::int64_t kQuarterTurn = 9'000'000; // 90 degrees in units

void PutVarint(std::string& out, std::uint64_t v) {
    while (v >= 0x80) {
        out.push_back(char((v & 0x7F) | 0x80));
        v >>= 7;
    }
    out.push_back(char(v));
}

void PutSigned(std::string& out, std::int64_t v) {
    PutVarint(out, (std::uint64_t(v) << 1) ^ std::uint64_t(v >> 63));
}

class Reader {
  public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}
    bool Varint(std::uint64_t& v) {
        v = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            if (at_ >= bytes_.size()) return false;
            const auto b = static_cast<unsigned char>(bytes_[at_++]);
            v |= std::uint64_t(b & 0x7F) << shift;
            if ((b & 0x80) == 0) return true;
        }
        return false;
    }
    bool Signed(std::int64_t& v) {
        std::uint64_t u = 0;
        if (!Varint(u)) return false;
        v = std::int64_t(u >> 1) ^ -std::int64_t(u & 1);
        return true;
    }
    bool Byte(int& b) {
        if (at_ >= bytes_.size()) return false;
        b = static_cast<unsigned char>(bytes_[at_++]);
        return true;
    }
    std::size_t Left() const { return bytes_.size() - at_; }

  private:
    std::string_view bytes_;
    std::size_t at_ = 0;
};

double SegmentDistance(const GeoPoint& p, const GeoPoint& a, const GeoPoint& b) {
    const double dx = b.Longitude - a.Longitude, dy = b.Latitude - a.Latitude;
    const double len = dx * dx + dy * dy;
    double t =
        len > 0 ? ((p.Longitude - a.Longitude) * dx + (p.Latitude - a.Latitude) * dy) / len : 0;
    t = std::clamp(t, 0.0, 1.0);
    const double ex = a.Longitude + t * dx - p.Longitude, ey = a.Latitude + t * dy - p.Latitude;
    return std::sqrt(ex * ex + ey * ey);
}

} // namespace

void LandWriter::AddRing(int level, const std::vector<std::pair<double, double>>& points) {
    if (points.size() < 3) return;
    rings_.push_back(char(level));
    PutVarint(rings_, points.size());
    std::int64_t lat = 0, lon = 0;
    for (const auto& [la, lo] : points) {
        const auto y = std::llround(la / kUnit), x = std::llround(lo / kUnit);
        PutSigned(rings_, y - lat);
        PutSigned(rings_, x - lon);
        lat = y;
        lon = x;
    }
    ++count_;
}

std::string LandWriter::Bytes() const {
    std::string out(kMagic);
    PutVarint(out, count_);
    return out + rings_;
}

std::vector<GeoPoint> Simplify(const std::vector<GeoPoint>& ring, double tolerance) {
    if (tolerance <= 0 || ring.size() < 4) return ring;
    const std::size_t n = ring.size();
    // Split at the point farthest from the first, then simplify both halves.
    std::size_t far = 0;
    double farthest = -1;
    for (std::size_t i = 1; i < n; ++i) {
        const double d =
            std::hypot(ring[i].Latitude - ring[0].Latitude, ring[i].Longitude - ring[0].Longitude);
        if (d > farthest) {
            farthest = d;
            far = i;
        }
    }
    std::vector<bool> keep(n + 1, false);
    keep[0] = keep[far] = keep[n] = true;
    auto at = [&](std::size_t i) -> const GeoPoint& { return ring[i == n ? 0 : i]; };
    std::vector<std::pair<std::size_t, std::size_t>> stack{{0, far}, {far, n}};
    while (!stack.empty()) {
        const auto [a, b] = stack.back();
        stack.pop_back();
        double worst = 0;
        std::size_t index = a;
        for (std::size_t i = a + 1; i < b; ++i) {
            const double d = SegmentDistance(at(i), at(a), at(b));
            if (d > worst) {
                worst = d;
                index = i;
            }
        }
        if (worst > tolerance) {
            keep[index] = true;
            stack.push_back({a, index});
            stack.push_back({index, b});
        }
    }
    std::vector<GeoPoint> out;
    for (std::size_t i = 0; i < n; ++i)
        if (keep[i]) out.push_back(ring[i]);
    if (out.size() < 3) out.clear();
    return out;
}

std::optional<LandData> LandData::Decode(std::string_view bytes, std::string& error) {
    if (bytes.substr(0, kMagic.size()) != kMagic) {
        error = "the land data does not begin with its mark";
        return std::nullopt;
    }
    Reader in(bytes.substr(kMagic.size()));
    std::uint64_t count = 0;
    // Each ring takes at least 8 bytes: no count beyond that is believed.
    if (!in.Varint(count) || count > in.Left() / 8) {
        error = "the land data's ring count is damaged";
        return std::nullopt;
    }
    LandData land;
    land.rings_.reserve(count);
    for (std::uint64_t r = 0; r < count; ++r) {
        int level = 0;
        std::uint64_t n = 0;
        if (!in.Byte(level) || (level != 1 && level != 2) || !in.Varint(n) || n < 3 ||
            n > in.Left() / 2) {
            error = "the land data's ring " + std::to_string(r + 1) + " is damaged";
            return std::nullopt;
        }
        LandRing ring;
        ring.Level = level;
        auto& points = ring.Points[0];
        points.reserve(n);
        std::int64_t lat = 0, lon = 0;
        for (std::uint64_t i = 0; i < n; ++i) {
            std::int64_t dy = 0, dx = 0;
            if (!in.Signed(dy) || !in.Signed(dx)) {
                error = "the land data ends inside ring " + std::to_string(r + 1);
                return std::nullopt;
            }
            lat += dy;
            lon += dx;
            if (std::abs(lat) > kQuarterTurn || std::abs(lon) > 2 * kQuarterTurn) {
                error = "the land data has a point off the globe in ring " + std::to_string(r + 1);
                return std::nullopt;
            }
            points.push_back({double(lat) * kUnit, double(lon) * kUnit});
        }
        auto [s, nn] = std::minmax_element(
            points.begin(), points.end(), [](auto& a, auto& b) { return a.Latitude < b.Latitude; });
        auto [w, e] = std::minmax_element(points.begin(), points.end(), [](auto& a, auto& b) {
            return a.Longitude < b.Longitude;
        });
        ring.South = s->Latitude;
        ring.North = nn->Latitude;
        ring.West = w->Longitude;
        ring.East = e->Longitude;
        for (std::size_t l = 1; l < kLandTolerance.size(); ++l)
            ring.Points[l] = Simplify(points, kLandTolerance[l]);
        land.rings_.push_back(std::move(ring));
    }
    if (in.Left() != 0) {
        error = "the land data has bytes past its last ring";
        return std::nullopt;
    }
    return land;
}

std::size_t LandData::PointCount() const {
    std::size_t n = 0;
    for (const LandRing& r : rings_)
        n += r.Points[0].size();
    return n;
}

std::size_t LandData::LevelFor(const Viewport& view) {
    const double halfPixel = 0.5 / std::max(view.PixelsPerDegree(), view.PixelsPerDegreeX());
    std::size_t level = 0;
    for (std::size_t l = 1; l < kLandTolerance.size(); ++l)
        if (kLandTolerance[l] <= halfPixel) level = l;
    return level;
}

std::vector<ScreenPoint> ClipPolygon(const std::vector<ScreenPoint>& polygon, const ScreenRect& r) {
    std::vector<ScreenPoint> in = polygon, out;
    auto clip = [&](auto inside, auto cross) {
        out.clear();
        if (in.empty()) return;
        ScreenPoint prev = in.back();
        bool prevIn = inside(prev);
        for (const ScreenPoint& p : in) {
            const bool pIn = inside(p);
            if (pIn != prevIn) out.push_back(cross(prev, p));
            if (pIn) out.push_back(p);
            prev = p;
            prevIn = pIn;
        }
        in.swap(out);
    };
    auto atX = [](double x) {
        return [x](ScreenPoint a, ScreenPoint b) {
            return ScreenPoint{x, a.Y + (b.Y - a.Y) * (x - a.X) / (b.X - a.X)};
        };
    };
    auto atY = [](double y) {
        return [y](ScreenPoint a, ScreenPoint b) {
            return ScreenPoint{a.X + (b.X - a.X) * (y - a.Y) / (b.Y - a.Y), y};
        };
    };
    clip([&](ScreenPoint p) { return p.X >= r.Left; }, atX(r.Left));
    clip([&](ScreenPoint p) { return p.X <= r.Right; }, atX(r.Right));
    clip([&](ScreenPoint p) { return p.Y >= r.Top; }, atY(r.Top));
    clip([&](ScreenPoint p) { return p.Y <= r.Bottom; }, atY(r.Bottom));
    return in;
}

std::vector<std::vector<ScreenPoint>> VisibleRings(const LandData& land, const Viewport& view,
                                                   int level, double margin) {
    std::vector<std::vector<ScreenPoint>> out;
    const std::size_t lod = LandData::LevelFor(view);
    const double west = view.West(), east = view.East();
    const double north = view.North(), south = view.South();
    const ScreenRect box{-margin, -margin, view.Width() + margin, view.Height() + margin};
    const double ppx = view.PixelsPerDegreeX(), ppy = view.PixelsPerDegree();
    std::vector<ScreenPoint> screen;
    for (const LandRing& ring : land.Rings()) {
        if (ring.Level != level || ring.North < south || ring.South > north) continue;
        if ((ring.East - ring.West) * ppx < 1 && (ring.North - ring.South) * ppy < 1) continue;
        const auto& points = ring.Points[lod].empty() ? ring.Points[0] : ring.Points[lod];
        for (int copy = -2; copy <= 2; ++copy) {
            const double shift = 360.0 * copy;
            if (ring.East + shift < west || ring.West + shift > east) continue;
            screen.clear();
            screen.reserve(points.size());
            for (const GeoPoint& p : points)
                screen.push_back(
                    {view.XOfLongitude(p.Longitude + shift), view.YOfLatitude(p.Latitude)});
            const bool inside = std::all_of(screen.begin(), screen.end(), [&](ScreenPoint p) {
                return p.X >= box.Left && p.X <= box.Right && p.Y >= box.Top && p.Y <= box.Bottom;
            });
            std::vector<ScreenPoint> clipped = inside ? screen : ClipPolygon(screen, box);
            if (clipped.size() >= 3) out.push_back(std::move(clipped));
        }
    }
    return out;
}

} // namespace kavu::map
