#include "cli/projection.h"

#include <memory>

namespace kavu::cli {

const geo::GaussKruger* Projection(std::string& error) {
    static std::string failure;
    static const std::unique_ptr<geo::GaussKruger> gk = geo::GaussKruger::Create(failure);
    if (!gk) error = failure;
    return gk.get();
}

} // namespace kavu::cli
