// The map's modules, and a track dropped on the map: its shapes, and the sheets that cover it at
// each scale as they are asked for. Reading the file and finding the cover take GDAL and PROJ,
// which live in a module (kavu-map-gis.so) loaded the first time a track comes: the program starts
// without them.
#pragma once

#include "engine/sheet.h"
#include "geo/shapes.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kavu::map {

/// What the module does.
class TrackReader {
  public:
    virtual ~TrackReader() = default;
    /// Every shape of the file in the series datum; nothing and a one-line `error` naming the
    /// file and the reason.
    virtual std::optional<geo::Shapes> Read(const std::string& path, std::string& error) = 0;
    /// The sheets of `scale` the shapes meet, as `kavu-sheet cover` finds them; nothing and
    /// `error` for an area that winds round a pole.
    virtual std::optional<std::vector<SheetKey>> Cover(const geo::Shapes& shapes, int scale,
                                                       std::string& error) = 0;
};

/// The entry point `entry` of one of the map's modules, loaded beside the program, under
/// ../libexec/kavu, or where the build put it (`built`); nothing and `error` when it cannot be.
void* MapModuleEntry(const std::string& file, const std::string& built, const char* entry,
                     std::string& error);

/// The track module's reader; nothing and `error` when the module cannot be loaded.
std::unique_ptr<TrackReader> LoadTrackReader(std::string& error);

class TrackLayer {
  public:
    void Set(std::string name, geo::Shapes shapes);
    void Clear();
    bool Empty() const { return shapes_.Empty(); }
    const std::string& Name() const { return name_; }
    const geo::Shapes& Shapes() const { return shapes_; }
    /// Degrees: the shapes' extent, for fitting the view.
    SignedFrame Extent() const { return extent_; }

    bool HasCover(int scale) const;
    void SetCover(int scale, std::vector<SheetKey> sheets);
    /// The sheets of the cover (empty before SetCover), north to south, west to east.
    const std::vector<SheetKey>& Cover(int scale) const;
    /// Their frames, in the same order.
    const std::vector<SignedFrame>& CoverFrames(int scale) const;
    /// Their designations one a line, without the leading blank.
    std::string Names(int scale, bool lettered) const;

  private:
    std::string name_;
    geo::Shapes shapes_;
    SignedFrame extent_;
    std::array<std::optional<std::vector<SheetKey>>, 8> cover_;
    std::array<std::vector<SignedFrame>, 8> frames_;
};

} // namespace kavu::map

/// The module's one entry point: a new reader.
extern "C" kavu::map::TrackReader* KavuMapTrackReader();
