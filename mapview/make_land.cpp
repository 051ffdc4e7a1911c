// Build-time tool: reads the GSHHS land (level 1) and lake (level 2) shapefiles with GDAL and
// writes their rings in the map's compact form (see LandData.h), so that the program itself
// reads no shapefile.
//
//   make_land OUTPUT LAND.shp LAKES.shp
#include "mapview/LandData.h"

#include <gdal.h>
#include <ogr_api.h>
#include <ogrsf_frmts.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

using kavu::map::LandWriter;

bool AddRings(const OGRGeometry* g, int level, LandWriter& out) {
    if (g == nullptr) return true;
    switch (wkbFlatten(g->getGeometryType())) {
    case wkbPolygon: {
        // The outer ring only: GSHHS keeps lakes and islands in lakes as levels of their own.
        const OGRLinearRing* ring = g->toPolygon()->getExteriorRing();
        if (ring == nullptr) return true;
        std::vector<std::pair<double, double>> points;
        points.reserve(std::size_t(ring->getNumPoints()));
        for (int i = 0; i < ring->getNumPoints(); ++i)
            points.emplace_back(ring->getY(i), ring->getX(i));
        out.AddRing(level, points);
        return true;
    }
    case wkbMultiPolygon:
    case wkbGeometryCollection:
        for (const OGRGeometry* part : *g->toGeometryCollection())
            if (!AddRings(part, level, out)) return false;
        return true;
    default:
        return true;
    }
}

bool ReadLayer(const char* path, int level, LandWriter& out) {
    std::unique_ptr<GDALDataset> ds(
        GDALDataset::Open(path, GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr, nullptr, nullptr));
    if (!ds || ds->GetLayerCount() < 1) {
        std::fprintf(stderr, "make_land: cannot read %s: %s\n", path, CPLGetLastErrorMsg());
        return false;
    }
    for (auto& feature : *ds->GetLayer(0))
        if (!AddRings(feature->GetGeometryRef(), level, out)) return false;
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: make_land OUTPUT LAND.shp LAKES.shp\n");
        return 2;
    }
    GDALAllRegister();
    LandWriter writer;
    if (!ReadLayer(argv[2], 1, writer) || !ReadLayer(argv[3], 2, writer)) return 1;
    const std::string bytes = writer.Bytes();
    std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), std::streamsize(bytes.size()));
    if (!file.flush()) {
        std::fprintf(stderr, "make_land: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
