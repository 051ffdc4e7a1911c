#include "cli/projection.h"

#include "geo/proj_module.h"

#include <memory>

namespace kavu::cli {

const geo::GaussKruger* Projection(std::string& error) {
    static std::string failure;
    static const std::unique_ptr<geo::GaussKruger> gk = [] {
        const geo::ProjModule* module = geo::LoadProjModule(failure);
        return module ? module->GaussKrugerZones(failure) : nullptr;
    }();
    if (!gk) error = failure;
    return gk.get();
}

} // namespace kavu::cli
