#include "geo/layers.h"
#include "geo/frame_outline.h"
#include "geo/gdal_session.h"
#include "geo/layer_file.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_string.h>
#include <gdal_priv.h>
#include <ogr_geometry.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

namespace kavu::geo {

namespace fs = std::filesystem;

namespace {

std::string GdalReason(const char* fallback) {
    const char* text = CPLGetLastErrorMsg();
    return text != nullptr && *text != '\0' ? text : fallback;
}

std::string Trimmed(std::string text) {
    const auto first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first);
}

// A fresh folder beside `target`, so that the finished file is moved, not copied, into place.
std::optional<fs::path> TemporaryFolder(const fs::path& target, std::string& error) {
    const fs::path parent = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < 16; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, ".kavu-%08llx",
                      static_cast<unsigned long long>(random() & 0xffffffffu));
        std::error_code ec;
        const fs::path folder = parent / name;
        if (fs::create_directory(folder, ec)) return folder;
        if (ec) {
            error = target.string() + ": " + ec.message();
            return std::nullopt;
        }
    }
    error = target.string() + ": cannot make a temporary folder beside it";
    return std::nullopt;
}

// Moves every file the driver wrote (a shapefile is several) next to `target`.
bool MoveInto(const fs::path& folder, const fs::path& target, std::string& error) {
    const fs::path parent = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        fs::rename(entry.path(), parent / entry.path().filename(), ec);
        if (ec) break;
    }
    if (ec) error = target.string() + ": " + ec.message();
    fs::remove_all(folder, ec);
    return error.empty();
}

// A shifted longitude stays on the side of 180 degrees it came from.
bool Shift(const DatumShift* toWgs84, double& latitude, double& longitude) {
    if (toWgs84 == nullptr) return true;
    const double original = longitude;
    if (!toWgs84->ToWgs84(latitude, longitude)) return false;
    longitude = original + std::remainder(longitude - original, 360.0);
    return true;
}

} // namespace

std::optional<FrameFeature> FeatureOf(const SheetKey& key) {
    auto frame = ComputeSignedFrame(key);
    auto published = PublishedSheetOf(key);
    if (!frame || !published) return std::nullopt;
    FrameFeature f;
    f.Frame = *frame;
    f.New = Trimmed(FormatSheetNew(key));
    f.Old = Trimmed(FormatSheetOld(key));
    f.Scale = std::string(ScaleName(key.Scale));
    f.PublishedNew = Trimmed(published->New);
    f.PublishedOld = Trimmed(published->Old);
    return f;
}

FrameFeature FeatureOf(const PublishedSheet& sheet) {
    FrameFeature f;
    f.Frame = sheet.Frame;
    f.New = f.PublishedNew = Trimmed(sheet.New);
    f.Old = f.PublishedOld = Trimmed(sheet.Old);
    f.Scale = std::string(ScaleName(sheet.Members[0].Scale));
    return f;
}

std::string DriverForPath(const std::string& path) {
    GDALAllRegister();
    const std::string extension = CPLGetExtension(path.c_str());
    if (extension.empty()) return {};
    GDALDriverManager* manager = GetGDALDriverManager();
    for (int i = 0; i < manager->GetDriverCount(); ++i) {
        GDALDriver* driver = manager->GetDriver(i);
        if (driver->GetMetadataItem(GDAL_DCAP_VECTOR) == nullptr ||
            driver->GetMetadataItem(GDAL_DCAP_CREATE) == nullptr)
            continue;
        const char* extensions = driver->GetMetadataItem(GDAL_DMD_EXTENSIONS);
        if (extensions == nullptr) extensions = driver->GetMetadataItem(GDAL_DMD_EXTENSION);
        if (extensions == nullptr) continue;
        const CPLStringList list(CSLTokenizeString(extensions));
        for (int k = 0; k < list.size(); ++k)
            if (EQUAL(list[k], extension.c_str())) return driver->GetDescription();
    }
    return {};
}

bool WriteLayerFile(const std::string& path, const std::string& driverName, const std::string& crs,
                    const char* layerName, OGRwkbGeometryType geometry,
                    const LayerContents& contents, std::string& error) {
    const QuietGdal gdal;

    const std::string name = driverName.empty() ? DriverForPath(path) : driverName;
    if (name.empty()) {
        error = path + ": no GDAL driver writes files named so; name one with --driver";
        return false;
    }
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(name.c_str());
    if (driver == nullptr || driver->GetMetadataItem(GDAL_DCAP_VECTOR) == nullptr ||
        driver->GetMetadataItem(GDAL_DCAP_CREATE) == nullptr) {
        error = path + ": GDAL has no driver " + name + " that writes vector files";
        return false;
    }
    const fs::path target(path);
    if (target.filename().empty()) {
        error = path + ": not a file name";
        return false;
    }
    const auto folder = TemporaryFolder(target, error);
    if (!folder) return false;
    const std::string scratch = (*folder / target.filename()).string();

    const LayerFailure fail = [&](const char* fallback) {
        error = path + ": " + GdalReason(fallback);
        std::error_code ec;
        fs::remove_all(*folder, ec);
        return false;
    };
    {
        std::unique_ptr<GDALDataset> dataset(
            driver->Create(scratch.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
        if (!dataset) return fail("GDAL cannot create it");
        OGRSpatialReference srs;
        if (srs.SetFromUserInput(crs.c_str()) != OGRERR_NONE)
            return fail(("PROJ has no CRS " + crs).c_str());
        srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        // Designations hold Cyrillic letters; formats that default to a code page (shapefile
        // attributes) are asked for UTF-8.
        CPLStringList layerOptions;
        const char* accepted = driver->GetMetadataItem(GDAL_DS_LAYER_CREATIONOPTIONLIST);
        if (accepted != nullptr && std::strstr(accepted, "name='ENCODING'") != nullptr)
            layerOptions.SetNameValue("ENCODING", "UTF-8");
        OGRLayer* layer = dataset->CreateLayer(layerName, &srs, geometry, layerOptions.List());
        if (layer == nullptr) return fail("GDAL cannot create a layer in it");
        if (!contents.Fields(*layer)) return fail("GDAL cannot add the attributes");
        const bool transaction = layer->StartTransaction() == OGRERR_NONE;
        if (!contents.Features(*layer, fail)) return false;
        if (transaction && layer->CommitTransaction() != OGRERR_NONE)
            return fail("GDAL cannot finish the layer");
        // Drivers write much of the file on closing and report trouble only as an error.
        CPLErrorReset();
        dataset.reset();
        if (CPLGetLastErrorType() >= CE_Failure) return fail("GDAL cannot finish writing it");
    }
    return MoveInto(*folder, target, error);
}

bool WriteFrames(const std::string& path, const std::string& driverName,
                 std::span<const FrameFeature> frames, const DatumShift* toWgs84,
                 std::string& error) {
    const VertexTransform shift = [toWgs84](double latitude, double longitude, double& x,
                                            double& y) {
        if (!Shift(toWgs84, latitude, longitude)) return false;
        x = longitude;
        y = latitude;
        return true;
    };
    return WriteFramesIn(path, driverName, frames, toWgs84 != nullptr ? "EPSG:4326" : "EPSG:4284",
                         shift, 0, error);
}

bool WriteFramesIn(const std::string& path, const std::string& driverName,
                   std::span<const FrameFeature> frames, const std::string& crs,
                   const VertexTransform& project, int zone, std::string& error) {
    LayerContents contents;
    contents.Fields = [zone](OGRLayer& layer) {
        for (const char* field :
             {kFieldNew, kFieldOld, kFieldScale, kFieldPublishedNew, kFieldPublishedOld}) {
            OGRFieldDefn definition(field, OFTString);
            if (layer.CreateField(&definition) != OGRERR_NONE) return false;
        }
        OGRFieldDefn zoneField("zone", OFTInteger);
        return zone == 0 || layer.CreateField(&zoneField) == OGRERR_NONE;
    };
    contents.Features = [&](OGRLayer& layer, const LayerFailure& fail) {
        for (const FrameFeature& frame : frames) {
            OGRFeature feature(layer.GetLayerDefn());
            feature.SetField(kFieldNew, frame.New.c_str());
            feature.SetField(kFieldOld, frame.Old.c_str());
            feature.SetField(kFieldScale, frame.Scale.c_str());
            feature.SetField(kFieldPublishedNew, frame.PublishedNew.c_str());
            feature.SetField(kFieldPublishedOld, frame.PublishedOld.c_str());
            if (zone != 0) feature.SetField("zone", zone);
            auto* ring = new OGRLinearRing;
            for (const auto& [longitude, latitude] : FrameOutline(frame.Frame)) {
                double x = 0, y = 0;
                if (!project(latitude, longitude, x, y)) {
                    delete ring;
                    CPLError(CE_Failure, CPLE_AppDefined, "PROJ cannot convert %s to %s",
                             frame.Old.c_str(), crs.c_str());
                    return fail("");
                }
                ring->addPoint(x, y);
            }
            auto* polygon = new OGRPolygon;
            polygon->addRingDirectly(ring);
            feature.SetGeometryDirectly(polygon);
            if (layer.CreateFeature(&feature) != OGRERR_NONE)
                return fail("GDAL cannot write a frame");
        }
        return true;
    };
    return WriteLayerFile(path, driverName, crs, "sheets", wkbPolygon, contents, error);
}

bool WriteGridLines(const std::string& path, const std::string& driverName,
                    const std::string& sheet, int zone, std::span<const GridLine> lines,
                    std::string& error) {
    LayerContents contents;
    contents.Fields = [](OGRLayer& layer) {
        const std::pair<const char*, OGRFieldType> fields[] = {
            {"sheet", OFTString}, {"zone", OFTInteger}, {"axis", OFTString},
            {"value", OFTReal},   {"full", OFTString},  {"label", OFTString}};
        for (const auto& [field, type] : fields) {
            OGRFieldDefn definition(field, type);
            if (layer.CreateField(&definition) != OGRERR_NONE) return false;
        }
        return true;
    };
    contents.Features = [&](OGRLayer& layer, const LayerFailure& fail) {
        for (const GridLine& line : lines) {
            OGRFeature feature(layer.GetLayerDefn());
            feature.SetField("sheet", sheet.c_str());
            feature.SetField("zone", zone);
            feature.SetField("axis", line.Northing ? "X" : "Y");
            feature.SetField("value", line.Value);
            feature.SetField("full", line.Full.c_str());
            feature.SetField("label", line.Label.c_str());
            auto* geometry = new OGRLineString;
            geometry->addPoint(line.From.Y, line.From.X); // easting, northing
            geometry->addPoint(line.To.Y, line.To.X);
            feature.SetGeometryDirectly(geometry);
            if (layer.CreateFeature(&feature) != OGRERR_NONE)
                return fail("GDAL cannot write a line");
        }
        return true;
    };
    return WriteLayerFile(path, driverName, ZoneCrs(zone), "grid", wkbLineString, contents, error);
}

std::optional<std::vector<ControlPoint>>
CornerPoints(const SignedFrame& frame, const DatumShift* toWgs84, int width, int height) {
    const struct {
        const char* name;
        std::int32_t lat, lon;
        int px, ln;
    } corners[] = {{"NW", frame.North, frame.West, 0, 0},
                   {"NE", frame.North, frame.East, width, 0},
                   {"SE", frame.South, frame.East, width, height},
                   {"SW", frame.South, frame.West, 0, height}};
    std::vector<ControlPoint> out;
    for (const auto& c : corners) {
        ControlPoint p;
        p.Corner = c.name;
        p.Pixel = c.px;
        p.Line = c.ln;
        p.Latitude = c.lat / 3600.0;
        p.Longitude = c.lon / 3600.0;
        if (!Shift(toWgs84, p.Latitude, p.Longitude)) return std::nullopt;
        out.push_back(p);
    }
    return out;
}

namespace {
// Degrees to 1e-9 (0.1 mm), without trailing zeros: "37.5", "55.833333333".
std::string Number(double v) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%.9f", v);
    std::string text = buffer;
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
    return text == "-0" ? "0" : text;
}
} // namespace

std::string GdalTranslateGcps(std::span<const ControlPoint> points, bool sized) {
    std::string out;
    for (const ControlPoint& p : points) {
        out.append(out.empty() ? "-gcp " : " -gcp ");
        if (sized) {
            out.append(Number(p.Pixel)).append(" ").append(Number(p.Line));
        } else {
            out.append(p.Corner).append("_PIXEL ").append(p.Corner).append("_LINE");
        }
        out.append(" ").append(Number(p.Longitude)).append(" ").append(Number(p.Latitude));
    }
    return out;
}

bool WritePointsFile(const std::string& path, std::span<const ControlPoint> points, int epsg,
                     std::string& error) {
    OGRSpatialReference srs;
    char* wkt = nullptr;
    const char* options[] = {"FORMAT=WKT2_2019", "MULTILINE=NO", nullptr};
    if (srs.importFromEPSG(epsg) != OGRERR_NONE || srs.exportToWkt(&wkt, options) != OGRERR_NONE) {
        CPLFree(wkt);
        error = path + ": PROJ has no EPSG:" + std::to_string(epsg);
        return false;
    }
    std::string text = std::string("#CRS: ") + wkt + "\n";
    CPLFree(wkt);
    text += "mapX,mapY,sourceX,sourceY,enable,dX,dY,residual\n";
    for (const ControlPoint& p : points)
        text += Number(p.Longitude) + "," + Number(p.Latitude) + "," + Number(p.Pixel) + "," +
                Number(p.Line == 0 ? 0.0 : -p.Line) + ",1,0,0,0\n";

    const fs::path target(path);
    const auto folder = TemporaryFolder(target, error);
    if (!folder) return false;
    {
        std::ofstream file(*folder / target.filename(), std::ios::binary);
        file << text;
        file.close();
        if (!file) {
            std::error_code ec;
            fs::remove_all(*folder, ec);
            error = path + ": cannot write it";
            return false;
        }
    }
    return MoveInto(*folder, target, error);
}

} // namespace kavu::geo
