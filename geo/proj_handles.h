// PROJ's contexts and objects, owned.
#pragma once

#include <proj.h>

#include <memory>

namespace kavu::geo {

struct ProjContextDeleter {
    void operator()(PJ_CONTEXT* ctx) const { proj_context_destroy(ctx); }
};
struct ProjDeleter {
    void operator()(PJ* pj) const { proj_destroy(pj); }
};
using ContextPtr = std::unique_ptr<PJ_CONTEXT, ProjContextDeleter>;
using PjPtr = std::unique_ptr<PJ, ProjDeleter>;

} // namespace kavu::geo
