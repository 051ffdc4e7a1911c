// Rectangular (Gauss–Krüger) coordinates of the series: the transverse Mercator projection of
// each 6-degree zone on the Krassowsky ellipsoid of the 1942 datum, through PROJ. Zone n covers
// longitudes 6(n-1) .. 6n degrees east of Greenwich (zone 31 begins at 180 degrees), scale 1 on
// its central meridian 6n - 3. X is the northing from the equator (negative in the south: no
// false northing), Y the easting with 500,000 m at the central meridian and the zone number
// written in front of it (zone 7: Y = 7 413 188).
//
// The classes are used through their virtual functions only, so that a program can take them
// from a module it loads when first needed (PROJ's libraries stay unmapped until then).
#pragma once

#include "engine/sheet.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kavu::geo {

/// The zone of a longitude in degrees (any value; taken modulo 360): 1..60. A central meridian
/// belongs to its zone; a zone edge to the zone east of it.
inline int ZoneOfLongitude(double longitude) {
    double east = std::fmod(longitude, 360.0);
    if (east < 0) east += 360;
    return std::clamp(static_cast<int>(std::floor(east / 6)) + 1, 1, 60);
}

/// The zone every sheet of the column lies in: column c is zone c - 30 east of Greenwich and
/// c + 30 west of it. 0 for a key whose column is outside 1..60.
inline int ZoneOfSheet(const SheetKey& key) {
    if (key.Column < 1 || key.Column > 60) return 0;
    return key.Column > 30 ? key.Column - 30 : key.Column + 30;
}

/// The central meridian of a zone in degrees, in -180..180.
inline double CentralMeridian(int zone) {
    if (zone >= 1 && zone <= 60) return zone <= 30 ? 6.0 * zone - 3 : 6.0 * zone - 363;
    return std::remainder(6.0 * zone - 3, 360.0);
}

namespace detail {
// The conversion alone (geographic radians to metres): the same numbers as EPSG:284xx.
inline std::string ZoneProjection(int zone) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "+proj=tmerc +lat_0=0 +lon_0=%g +k=1 +x_0=%d500000 +y_0=0 +ellps=krass +units=m",
                  CentralMeridian(zone), zone);
    return text;
}
} // namespace detail

/// The zone's CRS as PROJ and GDAL take it: "EPSG:28404" .. "EPSG:28432" where EPSG has a code,
/// otherwise a PROJ string with the same parameters and the same datum. Empty for a zone outside
/// 1..60.
inline std::string ZoneCrs(int zone) {
    if (zone < 1 || zone > 60) return {};
    if (zone >= 4 && zone <= 32) return "EPSG:" + std::to_string(28400 + zone);
    // The datum as PROJ gives it for EPSG:28404..28432.
    return detail::ZoneProjection(zone) +
           " +towgs84=25,-141,-78.5,0,0.35,0.736,0 +no_defs +type=crs";
}

/// The grid step the series prints at a scale (1..7): 1 km, 2 km at 1:100,000, none (0)
/// at 1:200,000 and smaller.
inline double PrintedGridStep(int scale) {
    if (scale == 4) return 2000;
    return scale >= 5 && scale <= 7 ? 1000 : 0;
}

/// A point in rectangular coordinates, metres.
struct GridPoint {
    double X = 0; // northing from the equator
    double Y = 0; // easting with the zone number in front (zone * 1,000,000 + 500,000 on the axis)
};

/// One piece of a kilometre-grid line inside a sheet's frame.
struct GridLine {
    bool Northing = true; // a line X = Value (runs west to east); else Y = Value
    double Value = 0;     // metres; Y with the zone number
    std::string Full;     // the value in kilometres as printed at the corners: "6182", "7413"
    std::string Label;    // its last two digits, as printed along the frame: "82", "13"
    GridPoint From, To;   // ends on the frame, west to east or south to north
    double FromLatitude = 0, FromLongitude = 0, ToLatitude = 0, ToLongitude = 0; // 1942, degrees
};

/// A ground control point of a scan of a sheet.
struct ScanControlPoint {
    std::string What; // "NW", "NE", "SE", "SW", or "6182/7413" for a grid crossing
    GridPoint At;
    double Latitude = 0, Longitude = 0; // 1942 datum, degrees
    double Pixel = 0, Line = 0;         // in the scan, 0 0 at the top-left of its first pixel
};

/// Keeps the corners it has projected: one object serves one thread at a time.
class GaussKruger {
  public:
    /// nullptr and `error` set when PROJ cannot be set up.
    static std::unique_ptr<GaussKruger> Create(std::string& error);
    virtual ~GaussKruger();

    /// 1942 latitude and longitude in degrees to rectangular coordinates in `zone` (1..60; a
    /// point may be given in a neighbouring zone). False for a zone outside 1..60, latitude
    /// beyond 90 degrees or a value PROJ cannot project.
    virtual bool Forward(int zone, double latitude, double longitude, GridPoint& out) const;
    /// The inverse; Y carries the zone number, which must be `zone`'s. Longitude in -180..180.
    virtual bool Inverse(int zone, const GridPoint& point, double& latitude,
                         double& longitude) const;

    /// The corners (NW, NE, SE, SW) and the centre of a sheet in `zone` (0: the sheet's own).
    /// False for a key that is not a sheet.
    virtual bool Corners(const SheetKey& key, int zone, GridPoint out[5]) const;

    /// The corners (NW, NE, SE, SW) and the centre of any frame in `zone` (1..60), each what
    /// Forward gives for the frame's degrees (arc-seconds / 3600; the centre halfway between).
    virtual bool FrameCorners(const SignedFrame& frame, int zone, GridPoint out[5]) const;

    /// The kilometre grid of a sheet in `zone` (0: the sheet's own) every `step` metres, lines of
    /// X first (south to north), then of Y (west to east), each clipped to the frame. Empty for a
    /// key that is not a sheet or a step not above 0.
    virtual std::vector<GridLine> Grid(const SheetKey& key, int zone, double step) const;

    /// Control points of a scan `width` x `height` pixels of the sheet as printed (its middle
    /// meridian upright), cropped to the box of its frame corners: the four corners, then (with
    /// `step` above 0) every grid crossing inside the frame. An affine map takes the pixels to the
    /// rectangular coordinates of the sheet's zone exactly. Empty for a key that is not a sheet.
    virtual std::vector<ScanControlPoint> ControlPoints(const SheetKey& key, double width,
                                                        double height, double step) const;
    /// The same for any frame (a published sheet's) drawn in `zone`.
    virtual std::vector<ScanControlPoint> ControlPointsOfFrame(const SignedFrame& frame, int zone,
                                                               double width, double height,
                                                               double step) const;
    /// The grid of any frame in `zone`.
    virtual std::vector<GridLine> GridOfFrame(const SignedFrame& frame, int zone,
                                              double step) const;

  private:
    struct Impl;
    explicit GaussKruger(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

/// Positions in any CRS PROJ knows, or "gk" (the Gauss–Krüger zone of each point), to and from
/// the series' 1942 datum. Values travel northing first, as latitude does, whatever axis order
/// the CRS defines: latitude, longitude for a geographic CRS; northing, easting in metres for a
/// projected one (X, Y for EPSG:284xx and gk).
class CrsTransform {
  public:
    /// nullptr and `error` set for a CRS PROJ does not know.
    static std::unique_ptr<CrsTransform> Create(std::string_view crs, std::string& error);
    virtual ~CrsTransform();

    virtual bool Projected() const; // metres, written to 1 mm; else degrees
    virtual bool PerZone() const;   // "gk"
    virtual const std::string& Name() const;
    /// "urn:ogc:def:crs:EPSG::32637", as GeoJSON files name a CRS; empty for "gk" and for a CRS
    /// without an authority's code (a PROJ string).
    virtual const std::string& Urn() const;

    /// 1942 degrees to the CRS. For "gk" the zone is the point's own unless `zone` says another.
    virtual bool FromSeries(double latitude, double longitude, double& a, double& b,
                            int zone = 0) const;
    /// "gk" only: the corners (NW, NE, SE, SW) and centre of a frame in `zone`, northing and
    /// easting, as FromSeries gives them. False for another CRS.
    virtual bool FrameFromSeries(const SignedFrame& frame, int zone, double (&out)[5][2]) const;
    /// The CRS to 1942 degrees; for "gk" the zone is read from Y's leading digits.
    virtual bool ToSeries(double a, double b, double& latitude, double& longitude) const;

  private:
    struct Impl;
    explicit CrsTransform(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

} // namespace kavu::geo
