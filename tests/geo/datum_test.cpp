#include "geo/proj_handles.h"
#include "geo_fixture.h"

#include <proj.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <iomanip>
#include <random>

namespace {

// Distance in metres between two nearby points, good to a fraction of a millimetre at these
// separations.
double Metres(double lat1, double lon1, double lat2, double lon2) {
    const double dlon = std::remainder(lon2 - lon1, 360.0);
    const double north = (lat2 - lat1) * 111'000.0;
    const double east = dlon * 111'000.0 * std::cos(lat1 * M_PI / 180);
    return std::hypot(north, east);
}

// PROJ's own conversion from WGS 84 to the 1942 datum: what the interpolated shift must give.
struct ProjReference {
    kavu::geo::ContextPtr ctx{proj_context_create()};
    kavu::geo::PjPtr raw{proj_create_crs_to_crs(ctx.get(), "EPSG:4326", "EPSG:4284", nullptr)};
    kavu::geo::PjPtr proj{raw ? proj_normalize_for_visualization(ctx.get(), raw.get()) : nullptr};

    // Latitude and longitude (-180..180) of a WGS 84 point in 1942, as PROJ gives them.
    void Forward(double lat, double lon, double& a, double& b) const {
        const PJ_COORD c = proj_trans(proj.get(), PJ_FWD, proj_coord(lon, lat, 0, 0));
        a = c.xy.y;
        b = std::remainder(c.xy.x, 360.0);
    }
};

// Within 1e-9 degree of PROJ (0.1 mm; in longitude, on the ground).
testing::AssertionResult AgreesWithProj(const ProjReference& ref, double lat, double lon) {
    double a = lat, b = lon, pa = 0, pb = 0;
    if (!Shift().ToSeries(a, b))
        return testing::AssertionFailure() << "no shift at " << lat << " " << lon;
    ref.Forward(lat, lon, pa, pb);
    const double north = std::fabs(a - pa),
                 east = std::fabs(std::remainder(b - pb, 360.0) * std::cos(lat * M_PI / 180));
    if (north > 1e-9 || east > 1e-9)
        return testing::AssertionFailure() << lat << " " << lon << " is off PROJ by " << north
                                           << " degree north, " << east << " east";
    return testing::AssertionSuccess();
}

// cs2cs EPSG:4326 EPSG:4284 -f %.9f and cs2cs EPSG:4284 EPSG:4326 -f %.9f, PROJ 9.1.1, on the
// same input lines (latitude, longitude): Russia, by 180 degrees, the far north and the south,
// where other operations serve (the random points below sweep the rest).
constexpr double kCs2cs[][6] = {
    {55.7558, 37.6173, 55.755757306, 37.619174484, 55.755842662, 37.615425483},
    {66, -179.99, 65.999983262, -179.993323834, 66.000016672, -179.986676133},
    {81.5, 58, 81.499201625, 58.006063241, 81.500798287, 57.993935534},
    {-33.9, 18.4, -33.899193034, 18.401306888, -33.900806932, 18.398693124},
    {-70, -60, -70.000829186, -59.998695347, -69.999170851, -60.001304468},
};

TEST(DatumShift, AgreesWithCs2csBothWays) {
    for (const auto& r : kCs2cs) {
        double lat = r[0], lon = r[1];
        ASSERT_TRUE(Shift().ToSeries(lat, lon));
        EXPECT_NEAR(lat, r[2], 1e-9) << r[0] << " " << r[1];
        EXPECT_NEAR(lon, r[3], 1e-9) << r[0] << " " << r[1];
        lat = r[0], lon = r[1];
        ASSERT_TRUE(Shift().ToWgs84(lat, lon));
        // PROJ's inverse is not quite the inverse of its forward shift (cs2cs there and back
        // misses by up to 4 mm at -70 -60); ours is, and stays within 5 mm of PROJ's.
        EXPECT_LT(Metres(lat, lon, r[4], r[5]), 5e-3) << r[0] << " " << r[1];
    }
}

// The shift is interpolated between values PROJ gives; it must stay within 1e-9 degree of
// PROJ (0.1 mm; in longitude, on the ground) everywhere: at random over the globe, and point by
// point across the south and west edges of the area where PROJ changes operation (41.19 N, 19.58 E)
// and across 180 degrees. At the random points, there and back again lands within a millimetre.
TEST(DatumShift, AgreesWithProjPointByPoint) {
    const ProjReference ref;
    ASSERT_NE(ref.proj, nullptr);
    auto check = [&](double lat, double lon) { ASSERT_TRUE(AgreesWithProj(ref, lat, lon)); };
    std::mt19937_64 random(42);
    std::uniform_real_distribution<double> latitude(-89, 89), longitude(-180, 180);
    for (int i = 0; i < 20000; ++i) {
        const double lat = latitude(random), lon = longitude(random);
        check(lat, lon);
        double a = lat, b = lon, c = lat, d = lon;
        ASSERT_TRUE(Shift().ToSeries(a, b) && Shift().ToWgs84(a, b));
        ASSERT_TRUE(Shift().ToWgs84(c, d) && Shift().ToSeries(c, d));
        ASSERT_LT(std::max(Metres(lat, lon, a, b), Metres(lat, lon, c, d)), 1e-3)
            << lat << " " << lon;
    }
    for (double step = 0; step < 0.6; step += 0.0007) {
        check(40.9 + step, 44.83);
        check(55.1, 19.3 + step);
        check(65.3, std::remainder(179.7 + step, 360.0));
    }
}

// PROJ changes operation on the edges of the operations' areas of use, where patches of the
// interpolation must not reach across. Every edge of every area PROJ lists, walked along and
// crossed at distances from a micro-degree to half a degree, on both sides.
TEST(DatumShift, AgreesWithProjAcrossEveryAreaEdge) {
    const ProjReference ref;
    PJ_CONTEXT* ctx = ref.ctx.get();
    const kavu::geo::PjPtr source(proj_create(ctx, "EPSG:4326")),
        target(proj_create(ctx, "EPSG:4284"));
    const std::unique_ptr<PJ_OPERATION_FACTORY_CONTEXT,
                          decltype(&proj_operation_factory_context_destroy)>
        factory(proj_create_operation_factory_context(ctx, nullptr),
                &proj_operation_factory_context_destroy);
    proj_operation_factory_context_set_spatial_criterion(
        ctx, factory.get(), PROJ_SPATIAL_CRITERION_PARTIAL_INTERSECTION);
    const std::unique_ptr<PJ_OBJ_LIST, decltype(&proj_list_destroy)> ops(
        proj_create_operations(ctx, source.get(), target.get(), factory.get()), &proj_list_destroy);
    ASSERT_TRUE(ref.proj && ops);
    struct Box {
        double west, south, east, north;
    };
    std::vector<Box> boxes;
    for (int i = 0; i < proj_list_get_count(ops.get()); ++i) {
        const kavu::geo::PjPtr op(proj_list_get(ctx, ops.get(), i));
        Box b{};
        if (proj_get_area_of_use(ctx, op.get(), &b.west, &b.south, &b.east, &b.north, nullptr))
            boxes.push_back(b);
    }
    ASSERT_GE(boxes.size(), 10u);
    int checked = 0;
    auto check = [&](double lat, double lon) {
        lon = std::remainder(lon, 360.0);
        if (std::fabs(lat) >= 84.9) return;
        ASSERT_TRUE(AgreesWithProj(ref, lat, lon));
        ++checked;
    };
    constexpr double kAcross[] = {1e-6, 1e-4, 0.01, 0.07, 0.3, 0.5};
    for (const Box& b : boxes) {
        const double east = b.east < b.west ? b.east + 360 : b.east;
        for (double t = 0; t <= 1; t += 1.0 / 64) {
            const double lon = b.west + t * (east - b.west),
                         lat = b.south + t * (b.north - b.south);
            for (double d : kAcross)
                for (double side : {-d, d}) {
                    check(b.south + side, lon);
                    check(b.north + side, lon);
                    check(lat, b.west + side);
                    check(lat, east + side);
                }
        }
    }
    EXPECT_GT(checked, 30000);
}

// The tool rounds the converted point to its units and takes its sheet there. Points PROJ puts
// within 1e-11 to 1e-9 degree of a 1:10,000 sheet edge, all over the globe, fall in the sheet
// PROJ's own value gives, on both sides of the edge, whatever the interpolation's error.
TEST(DatumShift, SheetIsProjsBesideEverySheetEdge) {
    const ProjReference ref;
    ASSERT_NE(ref.proj, nullptr);
    constexpr double kUnits = 3600.0 * static_cast<double>(kavu::kUnitsPerSecond);
    auto sheet = [&](double lat, double lon) {
        const kavu::ExactPoint p{std::llround(lat * kUnits), std::llround(lon * kUnits)};
        const auto s = kavu::SheetOfExactPoint(p, kavu::kSheetScaleCount);
        return s ? s->Key : kavu::SheetKey{};
    };
    auto exact = [&](double lat, double lon, double& a, double& b) { ref.Forward(lat, lon, a, b); };
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> latitude(-84, 84), longitude(-179, 179);
    constexpr double kBeside[] = {1e-11, 1e-10, 4e-10, 1e-9};
    int checked = 0;
    for (int i = 0; i < 4000; ++i) {
        const double lat = latitude(random), lon = longitude(random);
        double a = 0, b = 0;
        exact(lat, lon, a, b);
        const double edgeLat = std::round(a * 24) / 24, edgeLon = std::round(b * 16) / 16;
        for (double d : kBeside)
            for (double side : {-d, d})
                for (const bool north : {true, false}) {
                    // Newton's steps move the point until PROJ puts it `side` off the edge.
                    double p = lat, q = lon, pa = a, pb = b;
                    for (int step = 0; step < 4; ++step) {
                        if (north)
                            p += edgeLat + side - pa;
                        else
                            q += std::remainder(edgeLon + side - pb, 360.0);
                        exact(p, q, pa, pb);
                    }
                    double sa = p, sb = q;
                    ASSERT_TRUE(Shift().ToSeries(sa, sb));
                    ASSERT_EQ(sheet(sa, sb), sheet(pa, pb)) << p << " " << q;
                    ++checked;
                }
    }
    EXPECT_EQ(checked, 4000 * 16);
}

// Our choice of PROJ's operation per point against PROJ's own, a proj_create_crs_to_crs object:
// the same bits, or no value from either, over the globe, across 180 degrees, and on, just
// inside and just outside every edge of every operation's area. Beside the 1942 datum, datums
// whose operations lie offshore (ED50), tie in accuracy with one area inside the other
// (AGD66) or the same area (HD72), or need a grid that leaves part of their area uncovered
// (NZGD49) or is first in the list (DHDN).
TEST(OperationChoice, SameBitsAsProjsOwnChoiceEverywhere) {
    for (const char* target :
         {"EPSG:4284", "EPSG:4230", "EPSG:4202", "EPSG:4237", "EPSG:4272", "EPSG:4314"}) {
        SCOPED_TRACE(target);
        std::string error;
        const auto choice = kavu::geo::OperationChoice::Create("EPSG:4326", target, error);
        ASSERT_TRUE(choice) << error;
        const kavu::geo::ContextPtr ctx(proj_context_create());
        PJ_CONTEXT* c = ctx.get();
        proj_context_set_enable_network(c, 0);
        const kavu::geo::PjPtr ref(proj_create_crs_to_crs(c, "EPSG:4326", target, nullptr));
        ASSERT_TRUE(ref);
        // The normalized object takes longitude first; its values must be the same bits too.
        const kavu::geo::PjPtr lonFirst(proj_normalize_for_visualization(c, ref.get()));
        ASSERT_TRUE(lonFirst);
        const bool datum1942 = std::string(target) == "EPSG:4284";
        auto bits = [](double x) { return std::bit_cast<std::uint64_t>(x); };
        std::int64_t checked = 0, converted = 0;
        auto same = [&](double lat, double lon) -> testing::AssertionResult {
            ++checked;
            const PJ_COORD p = proj_trans(ref.get(), PJ_FWD, proj_coord(lat, lon, 0, 0));
            const bool theirs = std::isfinite(p.v[0]) && std::isfinite(p.v[1]);
            double a = lat, b = lon;
            const bool ours = choice->Forward(a, b);
            if (ours != theirs || (ours && (bits(a) != bits(p.v[0]) || bits(b) != bits(p.v[1]))))
                return testing::AssertionFailure()
                       << std::setprecision(17) << lat << " " << lon << ": ours " << ours << " "
                       << a << " " << b << ", PROJ's " << p.v[0] << " " << p.v[1];
            converted += ours;
            if (datum1942 && ours) {
                const PJ_COORD q = proj_trans(lonFirst.get(), PJ_FWD, proj_coord(lon, lat, 0, 0));
                if (bits(q.v[1]) != bits(a) || bits(q.v[0]) != bits(b))
                    return testing::AssertionFailure() << std::setprecision(17) << lat << " " << lon
                                                       << ": not the normalized value";
            }
            return testing::AssertionSuccess();
        };
        // Every 0.25 degree for the 1942 datum, every degree for the others.
        const int steps = datum1942 ? 4 : 1;
        for (int i = -90 * steps; i <= 90 * steps; ++i)
            for (int j = -180 * steps; j <= 180 * steps; ++j)
                ASSERT_TRUE(same(i / double(steps), j / double(steps)));
        for (int i = -89 * steps; i <= 89 * steps; ++i)
            for (double lon :
                 {-180.0, std::nextafter(-180.0, 0.0), 180.0, std::nextafter(180.0, 0.0)})
                ASSERT_TRUE(same(i / double(steps) + 0.1, lon));

        // Every edge of every area PROJ lists, split at 180 degrees as PROJ splits it.
        PJ_OPERATION_FACTORY_CONTEXT* factory = proj_create_operation_factory_context(c, nullptr);
        proj_operation_factory_context_set_spatial_criterion(
            c, factory, PROJ_SPATIAL_CRITERION_PARTIAL_INTERSECTION);
        proj_operation_factory_context_set_grid_availability_use(
            c, factory, PROJ_GRID_AVAILABILITY_DISCARD_OPERATION_IF_MISSING_GRID);
        const kavu::geo::PjPtr source(proj_create(c, "EPSG:4326")), to(proj_create(c, target));
        PJ_OBJ_LIST* list = proj_create_operations(c, source.get(), to.get(), factory);
        proj_operation_factory_context_destroy(factory);
        ASSERT_NE(list, nullptr);
        ASSERT_EQ(proj_list_get_count(list), choice->Listed());
        std::vector<std::array<double, 4>> areas; // south, north, west, east
        for (int i = 0; i < proj_list_get_count(list); ++i) {
            const kavu::geo::PjPtr op(proj_list_get(c, list, i));
            double w = 0, s = 0, e = 0, n = 0;
            if (!proj_get_area_of_use(c, op.get(), &w, &s, &e, &n, nullptr) || w < -180) continue;
            if (w <= e) {
                areas.push_back({s, n, w, e});
            } else {
                areas.push_back({s, n, w, 180});
                areas.push_back({s, n, -180, e});
            }
        }
        proj_list_destroy(list);
        ASSERT_GE(areas.size(), 2u);
        auto beside = [](double x) {
            return std::array{x,
                              x - 1e-12,
                              x + 1e-12,
                              x - 1e-9,
                              x + 1e-9,
                              std::nextafter(x, -1e9),
                              std::nextafter(x, 1e9)};
        };
        for (const auto& [s, n, w, e] : areas)
            for (int k = -1; k <= 33; ++k) {
                // Along each edge, from just beyond one corner to just beyond the other.
                const double t = k / 32.0;
                const double lat = k < 0 ? s - 1e-9 : k > 32 ? n + 1e-9 : s + t * (n - s);
                const double lon = k < 0 ? w - 1e-9 : k > 32 ? e + 1e-9 : w + t * (e - w);
                for (double edge : {s, n})
                    for (double y : beside(edge))
                        ASSERT_TRUE(same(y, lon));
                for (double edge : {w, e})
                    for (double x : beside(edge))
                        ASSERT_TRUE(same(lat, x));
            }
        EXPECT_GT(checked, 60'000);
        EXPECT_GT(converted, checked / 2);
    }
}

TEST(OperationChoice, RefusesWhatItCannotServe) {
    std::string error;
    EXPECT_FALSE(kavu::geo::OperationChoice::Create("EPSG:4326", "EPSG:3857", error));
    EXPECT_NE(error.find("EPSG:3857 is not a geographic CRS"), std::string::npos) << error;
    error.clear();
    EXPECT_FALSE(kavu::geo::OperationChoice::Create("EPSG:4326", "EPSG:0", error));
    EXPECT_NE(error.find("PROJ: no transformation from EPSG:4326 to EPSG:0"), std::string::npos)
        << error;
}

TEST(DatumShift, RefusesWhatIsNotAPointAndNamesItsOperation) {
    for (auto [lat, lon] : {std::pair{NAN, 37.0}, {55.0, INFINITY}, {90.5, 0.0}, {-91.0, 0.0}}) {
        double a = lat, b = lon;
        EXPECT_FALSE(Shift().ToSeries(a, b));
        EXPECT_FALSE(Shift().ToWgs84(a, b));
        EXPECT_TRUE(std::isnan(lat) ? std::isnan(a) : a == lat);
        EXPECT_TRUE(std::isinf(lon) ? std::isinf(b) : b == lon);
    }
    EXPECT_NE(Shift().Description().find("EPSG:4284"), std::string::npos);
    EXPECT_NE(Shift().Description().find("(INVERSE(EPSG):5044), 3 m"), std::string::npos);
    EXPECT_EQ(Shift().OperationAt(55.7558, 37.6173),
              "Inverse of Pulkovo 1942 to WGS 84 (20) (INVERSE(EPSG):5044), 3 m");
    // PROJ picks per point: outside Russia's area another operation serves.
    EXPECT_EQ(Shift().OperationAt(-33.9, 18.4),
              "Inverse of Pulkovo 1942 to WGS 84 (16) (INVERSE(EPSG):15865), 4.5 m");
}

} // namespace
