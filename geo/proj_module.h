// PROJ in a module of its own (kavu-proj.so), loaded at the first conversion: a program that
// never converts a coordinate never maps libproj and the libraries it pulls in, and one that
// does, maps them without GDAL's.
#pragma once

#include "geo/gauss_kruger.h"

#include <memory>
#include <string>
#include <string_view>

namespace kavu::geo {

/// Degrees, latitude first, between the series' 1942 datum and another coordinate system.
/// False (values unchanged) when PROJ cannot convert the point.
class PointConversion {
  public:
    virtual ~PointConversion() = default;
    virtual bool ToSeries(double& latitude, double& longitude) const = 0;
    virtual bool FromSeries(double& latitude, double& longitude) const = 0;
};

/// What the module offers. It lives as long as the process; new conversions are added at the
/// end, so that an older caller keeps working.
class ProjModule {
  public:
    /// WGS 84 (EPSG:4326) to and from the 1942 datum, as geo::DatumShift converts; nullptr and
    /// `error` set when PROJ has no transformation.
    virtual std::unique_ptr<PointConversion> Wgs84Shift(std::string& error) const = 0;
    /// The Gauss–Krüger zones of the series; nullptr and `error` set when PROJ cannot give them.
    virtual std::unique_ptr<GaussKruger> GaussKrugerZones(std::string& error) const = 0;
    /// Positions in any CRS PROJ knows, or "gk"; nullptr and `error` set for one it does not.
    virtual std::unique_ptr<CrsTransform> Crs(std::string_view crs, std::string& error) const = 0;

  protected:
    ~ProjModule() = default;
};

/// Loads the module once (beside the program, in libexec/kavu once installed, or in the build
/// tree). nullptr and `error` set when it cannot be loaded.
const ProjModule* LoadProjModule(std::string& error);

/// dlopen of one of the project's modules by file name, from the same folders; its code stays
/// loaded to the end of the process. nullptr and `error` set when it cannot be loaded.
void* OpenModule(const char* file, std::string& error);

} // namespace kavu::geo

/// The module's one entry point.
extern "C" const kavu::geo::ProjModule* KavuProjModule();
