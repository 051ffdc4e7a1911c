#include "geo/datum.h"

#include <proj.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace kavu::geo {

namespace {

struct ContextDeleter {
    void operator()(PJ_CONTEXT* ctx) const { proj_context_destroy(ctx); }
};
struct PjDeleter {
    void operator()(PJ* pj) const { proj_destroy(pj); }
};
using ContextPtr = std::unique_ptr<PJ_CONTEXT, ContextDeleter>;
using PjPtr = std::unique_ptr<PJ, PjDeleter>;

std::string ProjReason(PJ_CONTEXT* ctx) {
    const char* text = proj_context_errno_string(ctx, proj_context_errno(ctx));
    return text != nullptr && *text != '\0' ? text : "unknown PROJ error";
}

// "Inverse of Pulkovo 1942 to WGS 84 (16) (EPSG:15865), 4.5 m"
std::string DescribeOperation(PJ_CONTEXT* ctx, PJ* op) {
    std::string text = proj_get_name(op) != nullptr ? proj_get_name(op) : "unnamed operation";
    const char* auth = proj_get_id_auth_name(op, 0);
    const char* code = proj_get_id_code(op, 0);
    if (auth != nullptr && code != nullptr) text += std::string(" (") + auth + ":" + code + ")";
    const double accuracy = proj_coordoperation_get_accuracy(ctx, op);
    char buffer[48];
    if (accuracy >= 0)
        std::snprintf(buffer, sizeof buffer, ", %g m", accuracy);
    else
        std::snprintf(buffer, sizeof buffer, ", accuracy unknown");
    return text + buffer;
}

} // namespace

struct DatumShift::Impl {
    ContextPtr ctx;
    PjPtr shift; // EPSG:4326 -> EPSG:4284, longitude first, degrees
    PjPtr named; // the same, latitude first: its operations keep their EPSG names
    std::string description;
};

DatumShift::DatumShift(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
DatumShift::~DatumShift() = default;

std::unique_ptr<DatumShift> DatumShift::Create(std::string& error) {
    auto impl = std::make_unique<Impl>();
    impl->ctx.reset(proj_context_create());
    if (!impl->ctx) {
        error = "PROJ: cannot create a context";
        return nullptr;
    }
    PJ_CONTEXT* ctx = impl->ctx.get();
    // Grids are not fetched: the answer must not depend on the network.
    proj_context_set_enable_network(ctx, 0);
    proj_log_level(ctx, PJ_LOG_NONE);

    // PROJ keeps every candidate and picks per point the most accurate one whose area holds it,
    // as cs2cs does.
    PjPtr raw(proj_create_crs_to_crs(ctx, "EPSG:4326", "EPSG:4284", nullptr));
    if (!raw) {
        error = "PROJ: no transformation from EPSG:4326 to EPSG:4284: " + ProjReason(ctx);
        return nullptr;
    }
    impl->shift.reset(proj_normalize_for_visualization(ctx, raw.get()));
    if (!impl->shift) {
        error = "PROJ: " + ProjReason(ctx);
        return nullptr;
    }
    impl->named = std::move(raw);

    int candidates = 0;
    PjPtr source(proj_create(ctx, "EPSG:4326"));
    PjPtr target(proj_create(ctx, "EPSG:4284"));
    if (PJ_OPERATION_FACTORY_CONTEXT* factory =
            proj_create_operation_factory_context(ctx, nullptr)) {
        proj_operation_factory_context_set_spatial_criterion(
            ctx, factory, PROJ_SPATIAL_CRITERION_PARTIAL_INTERSECTION);
        proj_operation_factory_context_set_grid_availability_use(
            ctx, factory, PROJ_GRID_AVAILABILITY_DISCARD_OPERATION_IF_MISSING_GRID);
        if (source && target) {
            if (PJ_OBJ_LIST* list =
                    proj_create_operations(ctx, source.get(), target.get(), factory)) {
                candidates = proj_list_get_count(list);
                proj_list_destroy(list);
            }
        }
        proj_operation_factory_context_destroy(factory);
    }

    auto shift = std::unique_ptr<DatumShift>(new DatumShift(std::move(impl)));
    shift->impl_->description =
        std::string("EPSG:4326 (WGS 84) to EPSG:4284 (Pulkovo 1942) by PROJ ") +
        proj_info().version + ", the most accurate of " + std::to_string(candidates) +
        " offline operations whose area holds the point; in Russia " +
        shift->OperationAt(55.7558, 37.6173);
    return shift;
}

bool DatumShift::ToSeries(double& latitude, double& longitude) const {
    if (!std::isfinite(latitude) || !std::isfinite(longitude) || std::fabs(latitude) > 90)
        return false;
    PJ_COORD c = proj_coord(longitude, latitude, 0, 0);
    c = proj_trans(impl_->shift.get(), PJ_FWD, c);
    if (!std::isfinite(c.xy.x) || !std::isfinite(c.xy.y) || c.xy.x == HUGE_VAL) return false;
    longitude = c.xy.x;
    latitude = c.xy.y;
    return true;
}

bool DatumShift::ToWgs84(double& latitude, double& longitude) const {
    if (!std::isfinite(latitude) || !std::isfinite(longitude) || std::fabs(latitude) > 90)
        return false;
    PJ* shift = impl_->shift.get();
    PJ_COORD c = proj_trans(shift, PJ_INV, proj_coord(longitude, latitude, 0, 0));
    if (!std::isfinite(c.xy.x) || !std::isfinite(c.xy.y)) return false;
    // PROJ picks the inverse operation by the 1942 position, the forward one by the WGS 84
    // position; near the edge of an operation's area they differ. Correct against the forward
    // shift so that a round trip returns the point.
    for (int step = 0; step < 3; ++step) {
        const PJ_COORD back = proj_trans(shift, PJ_FWD, c);
        if (!std::isfinite(back.xy.x) || !std::isfinite(back.xy.y)) break;
        double dx = back.xy.x - longitude;
        dx -= 360 * std::round(dx / 360);
        const double dy = back.xy.y - latitude;
        if (std::fabs(dx) < 1e-11 && std::fabs(dy) < 1e-11) break;
        c.xy.x -= dx;
        c.xy.y -= dy;
    }
    longitude = c.xy.x - 360 * std::round(c.xy.x / 360);
    latitude = c.xy.y;
    return true;
}

std::string DatumShift::Description() const {
    return impl_->description;
}

std::string DatumShift::OperationAt(double latitude, double longitude) const {
    PJ* named = impl_->named.get();
    const PJ_COORD c = proj_trans(named, PJ_FWD, proj_coord(latitude, longitude, 0, 0));
    if (!std::isfinite(c.xy.x)) return {};
    PjPtr op(proj_trans_get_last_used_operation(named));
    return op ? DescribeOperation(impl_->ctx.get(), op.get()) : std::string();
}

} // namespace kavu::geo
