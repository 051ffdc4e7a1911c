#include "mapview/TrackLayer.h"

#include <algorithm>
#include <cmath>
#include <dlfcn.h>
#include <filesystem>
#include <system_error>

namespace kavu::map {
namespace {

const std::vector<SheetKey> kNone;
const std::vector<SignedFrame> kNoFrames;

bool ValidScale(int scale) {
    return scale >= 1 && scale <= kSheetScaleCount;
}

} // namespace

void* MapModuleEntry(const std::string& file, const std::string& built, const char* entry,
                     std::string& error) {
    std::error_code ec;
    const auto folder = std::filesystem::read_symlink("/proc/self/exe", ec).parent_path();
    std::vector<std::filesystem::path> places;
    if (!ec) {
        places.push_back(folder / file);
        places.push_back(folder.parent_path() / KAVU_MODULEDIR / file);
    }
    places.push_back(built);
    std::string reason = "it is not installed";
    for (const auto& path : places) {
        if (!std::filesystem::exists(path, ec)) continue;
        void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        void* function = handle ? ::dlsym(handle, entry) : nullptr;
        if (function != nullptr) return function;
        reason = ::dlerror();
        break;
    }
    error = "the module " + file + " cannot be loaded: " + reason;
    return nullptr;
}

std::unique_ptr<TrackReader> LoadTrackReader(std::string& error) {
    auto* entry = reinterpret_cast<TrackReader* (*)()>(
        MapModuleEntry("kavu-map-gis.so", KAVU_MAP_MODULE_BUILT, "KavuMapTrackReader", error));
    return entry ? std::unique_ptr<TrackReader>(entry()) : nullptr;
}

void TrackLayer::Set(std::string name, geo::Shapes shapes) {
    Clear();
    name_ = std::move(name);
    shapes_ = std::move(shapes);
    double south = 90, north = -90, west = 180, east = -180;
    auto take = [&](const geo::LatLon& p) {
        if (!std::isfinite(p.Latitude) || !std::isfinite(p.Longitude)) return;
        south = std::min(south, p.Latitude);
        north = std::max(north, p.Latitude);
        west = std::min(west, p.Longitude);
        east = std::max(east, p.Longitude);
    };
    for (const auto& p : shapes_.Points)
        take(p);
    for (const auto& line : shapes_.Lines)
        for (const auto& p : line)
            take(p);
    for (const auto& area : shapes_.Areas)
        for (const auto& ring : area)
            for (const auto& p : ring)
                take(p);
    if (south <= north)
        extent_ = {std::int32_t(std::lround(north * 3600)), std::int32_t(std::lround(south * 3600)),
                   std::int32_t(std::lround(west * 3600)), std::int32_t(std::lround(east * 3600))};
}

void TrackLayer::Clear() {
    name_.clear();
    shapes_ = {};
    extent_ = {};
    for (auto& c : cover_)
        c.reset();
    for (auto& f : frames_)
        f.clear();
}

bool TrackLayer::HasCover(int scale) const {
    return ValidScale(scale) && cover_[std::size_t(scale)].has_value();
}

void TrackLayer::SetCover(int scale, std::vector<SheetKey> sheets) {
    if (!ValidScale(scale)) return;
    auto& frames = frames_[std::size_t(scale)];
    frames.clear();
    frames.reserve(sheets.size());
    for (const SheetKey& key : sheets)
        frames.push_back(ComputeSignedFrame(key).value_or(SignedFrame{}));
    cover_[std::size_t(scale)] = std::move(sheets);
}

const std::vector<SheetKey>& TrackLayer::Cover(int scale) const {
    return HasCover(scale) ? *cover_[std::size_t(scale)] : kNone;
}

const std::vector<SignedFrame>& TrackLayer::CoverFrames(int scale) const {
    return HasCover(scale) ? frames_[std::size_t(scale)] : kNoFrames;
}

std::string TrackLayer::Names(int scale, bool lettered) const {
    std::string text;
    for (const SheetKey& key : Cover(scale)) {
        std::string name = lettered ? FormatSheetOld(key) : FormatSheetNew(key);
        if (!name.empty() && name.front() == ' ') name.erase(0, 1);
        text += name;
        text += '\n';
    }
    return text;
}

} // namespace kavu::map
