// The land and lakes under the map: rings of GSHHS (coarse land, low-resolution lakes) in a
// compact form compiled into the program, decoded when the map first opens, simplified once per
// zoom level, culled and clipped to the view on each repaint.
//
// The form: the 8 bytes "KVLAND1\n", the ring count, then each ring as its level (1 land,
// 2 lake), its point count and its points as differences from the one before in 1e-5 degree,
// latitude then longitude; every number after the level is a zigzag LEB128 varint.
#pragma once

#include "mapview/MapViewport.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kavu::map {

class LandWriter {
  public:
    /// Points are (latitude, longitude) in degrees.
    void AddRing(int level, const std::vector<std::pair<double, double>>& points);
    std::string Bytes() const;

  private:
    std::string rings_;
    std::size_t count_ = 0;
};

/// Simplification levels: the tolerance in degrees of each (0: every point).
inline constexpr std::array<double, 4> kLandTolerance{0, 0.02, 0.1, 0.5};

struct LandRing {
    int Level = 1;
    double South = 0, North = 0, West = 0, East = 0;
    std::array<std::vector<GeoPoint>, kLandTolerance.size()> Points; // by simplification level
};

class LandData {
  public:
    /// Nothing and `error` for bytes that are not the form above.
    static std::optional<LandData> Decode(std::string_view bytes, std::string& error);

    const std::vector<LandRing>& Rings() const { return rings_; }
    std::size_t PointCount() const;

    /// The coarsest level whose error stays under half a pixel.
    static std::size_t LevelFor(const Viewport& view);

  private:
    std::vector<LandRing> rings_;
};

/// The rings of `level` (1 land, 2 lakes) that meet the view, each visible copy once, in
/// pixels, clipped to the view grown by `margin` pixels; rings smaller than a pixel are left out.
std::vector<std::vector<ScreenPoint>> VisibleRings(const LandData& land, const Viewport& view,
                                                   int level, double margin = 2);

/// Sutherland–Hodgman: the part of a closed polygon inside the rectangle.
std::vector<ScreenPoint> ClipPolygon(const std::vector<ScreenPoint>& polygon, const ScreenRect& r);

/// Douglas–Peucker on a closed ring, keeping its first point; `tolerance` in degrees.
std::vector<GeoPoint> Simplify(const std::vector<GeoPoint>& ring, double tolerance);

} // namespace kavu::map
