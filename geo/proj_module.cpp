// The module that links PROJ (see proj_module.h).
#include "geo/proj_module.h"

#include "geo/datum.h"

namespace kavu::geo {
namespace {

class Wgs84 : public PointConversion {
  public:
    explicit Wgs84(std::unique_ptr<DatumShift> shift) : shift_(std::move(shift)) {}
    bool ToSeries(double& latitude, double& longitude) const override {
        return shift_->ToSeries(latitude, longitude);
    }
    bool FromSeries(double& latitude, double& longitude) const override {
        return shift_->ToWgs84(latitude, longitude);
    }

  private:
    std::unique_ptr<DatumShift> shift_;
};

class Module : public ProjModule {
  public:
    std::unique_ptr<PointConversion> Wgs84Shift(std::string& error) const override {
        auto shift = DatumShift::Create(error);
        if (!shift) return nullptr;
        return std::make_unique<Wgs84>(std::move(shift));
    }
    std::unique_ptr<GaussKruger> GaussKrugerZones(std::string& error) const override {
        return GaussKruger::Create(error);
    }
    std::unique_ptr<CrsTransform> Crs(std::string_view crs, std::string& error) const override {
        return CrsTransform::Create(crs, error);
    }
};

} // namespace
} // namespace kavu::geo

extern "C" const kavu::geo::ProjModule* KavuProjModule() {
    static const kavu::geo::Module module;
    return &module;
}
