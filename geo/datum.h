// Datum shift between WGS 84 (EPSG:4326, what GPS receivers and web maps give) and the 1942
// datum the series is drawn on (EPSG:4284, Krassowsky ellipsoid), through PROJ. Build one per
// run: creating the transformation is the slow part. It keeps PROJ's values for the cells of
// the globe it has been asked about, so one object serves one thread at a time.
#pragma once

#include <memory>
#include <string>

namespace kavu::geo {

class DatumShift {
  public:
    /// The best transformation PROJ offers offline for the area; nullptr and `error` set when
    /// PROJ has none.
    static std::unique_ptr<DatumShift> Create(std::string& error);
    ~DatumShift();

    /// Degrees, latitude first. False (values unchanged) when PROJ cannot convert the point.
    /// Within 1e-9 degree (0.1 mm) of PROJ; ToWgs84 is the inverse of ToSeries, so a round
    /// trip returns the point to well under a millimetre.
    bool ToSeries(double& latitude, double& longitude) const; // WGS 84 -> 1942
    bool ToWgs84(double& latitude, double& longitude) const;  // 1942 -> WGS 84

    /// The operation PROJ picked and its stated accuracy, for --help and notes.
    std::string Description() const;

    /// The operation PROJ uses for a WGS 84 point (it picks one per point by area of use);
    /// empty when it has none there.
    std::string OperationAt(double latitude, double longitude) const;

  private:
    struct Impl;
    explicit DatumShift(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

/// The operation a proj_create_crs_to_crs object of PROJ 9.1 applies to a point, and its value,
/// bit for bit, between two geographic CRSs taking latitude first in degrees; from one listing
/// of PROJ's operations, where that object makes three.
class OperationChoice {
  public:
    /// nullptr and `error` set when PROJ has no operation, or a CRS is not of that kind.
    static std::unique_ptr<OperationChoice> Create(const char* source, const char* target,
                                                   std::string& error);
    ~OperationChoice();

    /// Degrees, latitude first: PROJ's value bit for bit. False (values unchanged) where PROJ
    /// gives none.
    bool Forward(double& latitude, double& longitude) const;
    /// How many operations PROJ listed.
    int Listed() const;

  private:
    friend class DatumShift;
    struct Impl;
    explicit OperationChoice(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

} // namespace kavu::geo
