#include "geo/archive_io.h"
#include "geo/gdal_session.h"
#include "geo/layer_file.h"
#include "geo/layers.h"

#include <cpl_conv.h>
#include <cpl_string.h>
#include <cpl_vsi.h>
#include <gdal_priv.h>
#include <gdal_utils.h>
#include <ogr_geometry.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>
#include <unistd.h>

namespace kavu::geo {
namespace {

namespace fs = std::filesystem;

std::string Reason(const char* fallback) {
    const char* text = CPLGetLastErrorMsg();
    return text != nullptr && *text != '\0' ? text : fallback;
}

double Degrees(std::int32_t seconds) {
    return seconds / 3600.0;
}

OGRPolygon* Polygon(const std::vector<std::array<double, 2>>& outline) {
    auto* ring = new OGRLinearRing;
    for (const auto& [x, y] : outline)
        ring->addPoint(x, y);
    ring->closeRings();
    auto* polygon = new OGRPolygon;
    polygon->addRingDirectly(ring);
    return polygon;
}

// A name beside `target` that no other run takes; the finished file is renamed into place.
std::string Scratch(const std::string& target) {
    const fs::path path(target);
    return (path.parent_path() /
            (".kavu-" + std::to_string(::getpid()) + "-" + path.filename().string()))
        .string();
}

struct Options {
    CPLStringList list;
    Options& operator<<(const std::string& arg) {
        list.AddString(arg.c_str());
        return *this;
    }
};

std::string Number(double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%.15g", v);
    return text;
}

// The scan, and a VRT over it with the control points; the VRT reads the scan, so it is closed
// first.
struct Georeferenced {
    std::unique_ptr<GDALDataset> Source, Vrt;
    ~Georeferenced() { Vrt.reset(); }
};

bool OpenWithGcps(const ScanCorners& scan, const std::string& target, Georeferenced& g,
                  std::string& error) {
    std::unique_ptr<GDALDataset>& source = g.Source;
    source.reset(GDALDataset::Open(scan.Scan.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY));
    if (!source) {
        error = scan.Scan + ": " + Reason("GDAL cannot read it as a raster");
        return false;
    }
    const double w = source->GetRasterXSize(), h = source->GetRasterYSize();
    for (int i = 0; i < 4; ++i) {
        const double x = scan.Pixels[2 * i], y = scan.Pixels[2 * i + 1];
        if (!(x >= 0 && x <= w && y >= 0 && y <= h)) {
            static const char* kCorner[] = {"NW", "NE", "SE", "SW"};
            error = scan.Scan + ": the " + std::string(kCorner[i]) + " corner " + Number(x) + "," +
                    Number(y) + " lies outside the scan (" + Number(w) + " x " + Number(h) +
                    " pixels)";
            return false;
        }
    }
    Options args;
    args << "-of"
         << "VRT"
         << "-a_srs" << scan.Crs;
    for (int i = 0; i < 4; ++i)
        args << "-gcp" << Number(scan.Pixels[2 * i]) << Number(scan.Pixels[2 * i + 1])
             << Number(scan.Ground[2 * i]) << Number(scan.Ground[2 * i + 1]);
    GDALTranslateOptions* options = GDALTranslateOptionsNew(args.list.List(), nullptr);
    int failed = 0;
    GDALDatasetH out = GDALTranslate(target.c_str(), source.get(), options, &failed);
    GDALTranslateOptionsFree(options);
    if (out == nullptr || failed) {
        error = target + ": " + Reason("GDAL cannot write it");
        if (out != nullptr) GDALClose(out);
        return false;
    }
    g.Vrt.reset(GDALDataset::FromHandle(out));
    return true;
}

bool Finish(std::unique_ptr<GDALDataset> dataset, const std::string& scratch,
            const std::string& target, std::string& error) {
    CPLErrorReset();
    dataset.reset();
    std::error_code ec;
    if (CPLGetLastErrorType() >= CE_Failure) {
        error = target + ": " + Reason("GDAL cannot finish writing it");
        fs::remove(scratch, ec);
        return false;
    }
    fs::rename(scratch, target, ec);
    if (ec) {
        error = target + ": " + ec.message();
        fs::remove(scratch, ec);
        return false;
    }
    return true;
}

} // namespace

bool WriteAttributeLayer(const std::string& path, const std::string& driverName,
                         const std::string& layerName, const std::vector<Attribute>& attributes,
                         const std::vector<AttributeRow>& rows, std::string& error) {
    LayerContents contents;
    contents.Fields = [&](OGRLayer& layer) {
        for (const Attribute& a : attributes) {
            OGRFieldDefn field(a.Name.c_str(), a.Type == Attribute::Real      ? OFTReal
                                               : a.Type == Attribute::Boolean ? OFTInteger
                                                                              : OFTString);
            if (a.Type == Attribute::Boolean) field.SetSubType(OFSTBoolean);
            if (layer.CreateField(&field) != OGRERR_NONE) return false;
        }
        return true;
    };
    contents.Features = [&](OGRLayer& layer, const LayerFailure& fail) {
        for (const AttributeRow& row : rows) {
            OGRFeature feature(layer.GetLayerDefn());
            for (std::size_t i = 0; i < attributes.size(); ++i) {
                const std::string& v = row.Values[i];
                const int index = static_cast<int>(i);
                switch (attributes[i].Type) {
                case Attribute::Text:
                    feature.SetField(index, v.c_str());
                    break;
                case Attribute::Real:
                    if (v.empty())
                        feature.SetFieldNull(index);
                    else
                        feature.SetField(index, std::strtod(v.c_str(), nullptr));
                    break;
                case Attribute::Boolean:
                    feature.SetField(index, v == "true" ? 1 : 0);
                    break;
                }
            }
            if (row.Frame) feature.SetGeometryDirectly(Polygon(FrameOutline(*row.Frame)));
            if (layer.CreateFeature(&feature) != OGRERR_NONE)
                return fail("GDAL cannot write a feature");
        }
        return true;
    };
    return WriteLayerFile(path, driverName, "EPSG:4284", layerName.c_str(), wkbPolygon, contents,
                          error);
}

std::vector<std::array<double, 2>> FrameOutline(const SignedFrame& f) {
    std::vector<std::array<double, 2>> xy;
    const std::int32_t steps = std::max<std::int32_t>(1, (f.East - f.West + 59) / 60);
    auto along = [&](std::int32_t i) {
        return Degrees(f.West) + (Degrees(f.East) - Degrees(f.West)) * i / steps;
    };
    for (std::int32_t i = 0; i <= steps; ++i)
        xy.push_back({along(i), Degrees(f.South)});
    for (std::int32_t i = steps; i >= 0; --i)
        xy.push_back({along(i), Degrees(f.North)});
    xy.push_back(xy.front());
    return xy;
}

bool WritePoints(const ScanCorners& scan, const std::string& path, std::string& error) {
    OGRSpatialReference srs;
    char* wkt = nullptr;
    const char* options[] = {"FORMAT=WKT2_2019", "MULTILINE=NO", nullptr};
    if (srs.SetFromUserInput(scan.Crs.c_str()) != OGRERR_NONE ||
        srs.exportToWkt(&wkt, options) != OGRERR_NONE) {
        CPLFree(wkt);
        error = path + ": PROJ does not know the CRS " + scan.Crs;
        return false;
    }
    std::string text = std::string("#CRS: ") + wkt + "\n";
    CPLFree(wkt);
    text += "mapX,mapY,sourceX,sourceY,enable,dX,dY,residual\n";
    for (int i = 0; i < 4; ++i)
        text += Number(scan.Ground[2 * i]) + "," + Number(scan.Ground[2 * i + 1]) + "," +
                Number(scan.Pixels[2 * i]) + "," + Number(-scan.Pixels[2 * i + 1]) + ",1,0,0,0\n";
    const std::string scratch = Scratch(path);
    std::FILE* file = std::fopen(scratch.c_str(), "wb");
    const bool written =
        file != nullptr && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (file != nullptr && std::fclose(file) != 0) error = std::strerror(errno);
    std::error_code ec;
    if (!written || !error.empty()) {
        error = path + ": " + (error.empty() ? std::strerror(errno) : error);
        fs::remove(scratch, ec);
        return false;
    }
    fs::rename(scratch, path, ec);
    if (ec) {
        error = path + ": " + ec.message();
        fs::remove(scratch, ec);
        return false;
    }
    return true;
}

bool WriteGcpVrt(const ScanCorners& scan, const std::string& vrt, std::string& error) {
    const QuietGdal gdal;
    // Written where it belongs, so that the scan's path in it is relative to the right folder.
    const std::string scratch = Scratch(vrt) + ".vrt";
    Georeferenced g;
    if (!OpenWithGcps(scan, scratch, g, error)) return false;
    return Finish(std::move(g.Vrt), scratch, vrt, error);
}

bool WarpToFrame(const ScanCorners& scan, const std::string& tiff, std::string& error) {
    const QuietGdal gdal;
    Georeferenced source;
    if (!OpenWithGcps(scan, "/vsimem/kavu-scan.vrt", source, error)) return false;
    // The cutline, as a layer in memory that the warper reads, in the CRS of the frame.
    const std::string cutline = "/vsimem/kavu-frame.gpkg";
    {
        GDALDriver* gpkg = GetGDALDriverManager()->GetDriverByName("GPKG");
        std::unique_ptr<GDALDataset> cut(
            gpkg ? gpkg->Create(cutline.c_str(), 0, 0, 0, GDT_Unknown, nullptr) : nullptr);
        OGRSpatialReference srs;
        srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        OGRLayer* layer = cut && srs.SetFromUserInput(scan.Crs.c_str()) == OGRERR_NONE
                              ? cut->CreateLayer("frame", &srs, wkbPolygon, nullptr)
                              : nullptr;
        bool made = false;
        if (layer != nullptr) {
            OGRFeature feature(layer->GetLayerDefn());
            feature.SetGeometryDirectly(Polygon(scan.Outline));
            made = layer->CreateFeature(&feature) == OGRERR_NONE;
        }
        if (!made) {
            error = tiff + ": " + Reason("GDAL cannot make the cutline of the frame");
            cut.reset();
            VSIUnlink(cutline.c_str());
            return false;
        }
    }
    // The output grid spans the frame's box; the cutline blanks what lies outside the frame.
    double west = scan.Outline.at(0)[0], east = west, south = scan.Outline[0][1], north = south;
    for (const auto& [x, y] : scan.Outline) {
        west = std::min(west, x), east = std::max(east, x);
        south = std::min(south, y), north = std::max(north, y);
    }
    Options args;
    for (const std::string& arg : {std::string("-of"),
                                   std::string("GTiff"),
                                   std::string("-t_srs"),
                                   scan.Crs,
                                   std::string(scan.Affine ? "-order" : "-tps"),
                                   std::string(scan.Affine ? "1" : ""),
                                   std::string("-r"),
                                   std::string("bilinear"),
                                   std::string("-te"),
                                   Number(west),
                                   Number(south),
                                   Number(east),
                                   Number(north),
                                   std::string("-cutline"),
                                   cutline,
                                   std::string("-dstnodata"),
                                   std::string("0"),
                                   std::string("-co"),
                                   std::string("TILED=YES"),
                                   std::string("-co"),
                                   std::string("COMPRESS=DEFLATE"),
                                   std::string("-overwrite")})
        if (!arg.empty()) args << arg;
    GDALWarpAppOptions* options = GDALWarpAppOptionsNew(args.list.List(), nullptr);
    const std::string scratch = Scratch(tiff) + ".tif";
    GDALDatasetH in = GDALDataset::ToHandle(source.Vrt.get());
    int failed = 0;
    GDALDatasetH out = GDALWarp(scratch.c_str(), nullptr, 1, &in, options, &failed);
    GDALWarpAppOptionsFree(options);
    VSIUnlink(cutline.c_str());
    source.Vrt.reset();
    VSIUnlink("/vsimem/kavu-scan.vrt");
    if (out == nullptr || failed) {
        error = tiff + ": " + Reason("GDAL cannot warp the scan");
        if (out != nullptr) GDALClose(out);
        std::error_code ec;
        fs::remove(scratch, ec);
        return false;
    }
    return Finish(std::unique_ptr<GDALDataset>(GDALDataset::FromHandle(out)), scratch, tiff, error);
}

} // namespace kavu::geo
