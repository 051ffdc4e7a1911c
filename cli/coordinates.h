// Where coordinates enter and leave kavu-sheet. Points are read into the series' own 1942
// datum and frames are written from it; a datum conversion hooks in here, at one place for
// input and one for output, and nothing else in the tool changes.
#pragma once

#include "engine/sheet.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace kavu::cli {

struct Datum {
    /// Appended to the name of every coordinate column and key written in this datum, so that
    /// the header says which datum each column is in: empty for the series datum, "_wgs84".
    std::string Suffix;
    bool IsSeries() const { return Suffix.empty(); }
    /// A point as read, to the series datum. Unset: the input is already in it. False and
    /// `reason` set when the point cannot be converted.
    std::function<bool(ExactPoint& point, std::string& reason)> ToSeries;
    /// Degrees in the series datum to the output datum. Unset: written as they are.
    std::function<void(double& latitude, double& longitude)> FromSeries;
    /// A projected CRS (--crs): metres, northing first (X then Y for Gauss–Krüger), both ways
    /// between it and the series' degrees; `zone` picks a Gauss–Krüger zone (0: the point's).
    /// Unset for a geographic CRS.
    std::function<bool(double latitude, double longitude, double& northing, double& easting,
                       int zone)>
        ToProjected;
    std::function<bool(double northing, double easting, double& latitude, double& longitude)>
        FromProjected;
    /// "gk": a whole frame's corners and centre at once (ToProjected of each, faster).
    std::function<bool(const SignedFrame& frame, int zone, double (&out)[5][2])> FrameToProjected;
    bool PerZone = false; // "gk": each sheet or point in its own Gauss–Krüger zone
    /// The projected CRS as a GeoJSON file names it: "urn:ogc:def:crs:EPSG::32637", or the
    /// PROJ string given; empty for "gk" (a file takes one zone's CRS, see ZoneCrs).
    std::string CrsName;
};

/// A frame in the output datum, signed decimal degrees (north and east positive).
struct FrameDegrees {
    double North = 0, South = 0, West = 0, East = 0;
    double CentreLatitude = 0, CentreLongitude = 0;
};
FrameDegrees ToDegrees(const SignedFrame& frame, const Datum& datum);

/// A coordinate column's name in the datum: "north" + "_wgs84".
inline std::string ColumnName(std::string_view name, const Datum& datum) {
    return std::string(name) + datum.Suffix;
}

/// Signed degrees of an exact point, as read (no datum change).
double LatitudeDegrees(const ExactPoint& point);
double LongitudeDegrees(const ExactPoint& point);

/// Degrees rounded to 1e-9 (a few micrometres), so that they print short: 55.833333333.
double RoundDegrees(double degrees);

/// The shortest decimal text that reads back as `degrees` after RoundDegrees ("55.833333333",
/// "37.5", "-180"), written from whole nanodegrees: several times faster than a general
/// shortest-double writer, and the same text. At most kDegreesTextSize bytes; nothing for a
/// value that is not finite.
inline constexpr std::size_t kDegreesTextSize = 24;
std::size_t WriteDegrees(char* out, double degrees);
void AppendDegrees(std::string& out, double degrees);

/// "55°50′00″N", "37°41′52.5″E", "180°00′00″W": degrees, two-digit minutes and seconds, the
/// seconds to a thousandth where not whole, then the hemisphere letter (N or E for zero).
/// WriteDms writes at most kDmsTextSize bytes.
inline constexpr std::size_t kDmsTextSize = 48;
std::size_t WriteDms(char* out, double degrees, bool latitude);
/// WriteDms of a signed count of thousandths of an arc-second, without the detour through
/// degrees: for a frame's whole and half seconds in the series datum, the same text as
/// WriteDms(milli / 3600000.0). Beyond kMaxMilli, "?".
inline constexpr std::int64_t kMaxMilli = std::int64_t{1} << 53;
std::size_t WriteDmsMilli(char* out, std::int64_t milli, bool latitude);
void AppendDms(std::string& out, double degrees, bool latitude);

} // namespace kavu::cli
