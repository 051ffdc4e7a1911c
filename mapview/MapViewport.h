// The map's geometry without any widget: where a place lands on the screen and back, which
// sheets of which scale the view shows, the sheet under a pixel, the grid's lines and the
// labels that fit their frames.
//
// The projection is plate carrée stretched by the cosine of the centre's latitude, so that
// sheets near the centre keep their true shape. Longitudes are unwrapped around the centre: a
// view across 180 degrees runs on past +180 (or below -180) instead of jumping.
#pragma once

#include "engine/sheet.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kavu::map {

struct GeoPoint {
    double Latitude = 0;  // degrees, north positive
    double Longitude = 0; // degrees, east positive
};

struct ScreenPoint {
    double X = 0; // pixels from the left
    double Y = 0; // pixels from the top
};

struct ScreenRect {
    double Left = 0, Top = 0, Right = 0, Bottom = 0;
    double Width() const { return Right - Left; }
    double Height() const { return Bottom - Top; }
};

class Viewport {
  public:
    // A 1:10,000 sheet several hundred pixels tall at the closest; the whole world at the
    // farthest.
    static constexpr double kMinPixelsPerDegree = 1.0;
    static constexpr double kMaxPixelsPerDegree = 400000.0;
    static constexpr double kMaxCentreLatitude = 85.0;

    Viewport() = default;
    Viewport(int width, int height, GeoPoint centre, double pixelsPerDegree);

    void SetSize(int width, int height);
    /// The latitude is held within ±85 degrees, and so that the view ends at the poles; the
    /// longitude is wrapped to [-180, 180).
    void SetCentre(GeoPoint centre);
    /// Held within kMinPixelsPerDegree..kMaxPixelsPerDegree.
    void SetPixelsPerDegree(double pixelsPerDegree);

    int Width() const { return width_; }
    int Height() const { return height_; }
    GeoPoint Centre() const { return centre_; }
    double PixelsPerDegree() const { return ppd_; }
    /// Horizontal pixels per degree of longitude.
    double PixelsPerDegreeX() const { return ppd_ * cosine_; }

    /// The place under `at` stays under it; `factor` above 1 zooms in.
    void ZoomAround(double factor, ScreenPoint at);
    /// Moves the picture by this many pixels (positive: the picture moves right and down).
    void Pan(double dx, double dy);
    /// Centres on the frame (signed arc-seconds) and zooms so that it takes `share` of the
    /// smaller side of the view.
    void Fit(const SignedFrame& frame, double share = 0.5);

    /// The longitude is taken the short way round from the centre.
    ScreenPoint ToScreen(GeoPoint point) const;
    /// No wrapping: the caller has placed the longitude near the centre's.
    double XOfLongitude(double longitude) const;
    double YOfLatitude(double latitude) const;
    /// The longitude comes back in [-180, 180).
    GeoPoint ToGeo(ScreenPoint at) const;
    /// The frame's rectangle, its longitudes unwrapped near the centre's.
    ScreenRect RectOf(const SignedFrame& frame) const;

    /// Visible extent in degrees: longitudes unwrapped around the centre, latitudes as they are
    /// (they may run past the poles when zoomed far out).
    double West() const;
    double East() const;
    double North() const;
    double South() const;

  private:
    void HoldPoles();

    int width_ = 1000, height_ = 800;
    GeoPoint centre_{55.75, 37.62};
    double ppd_ = 100;
    double cosine_ = 0.5;
    double wantedLatitude_ = 55.75; // the centre asked for, before the poles hold it
};

/// Longitude wrapped to [-180, 180).
double WrapLongitude(double longitude);

/// The scale (1..7) whose grid the view draws: `preferred` (the main window's) while its sheets
/// are at least kMinSheet…Px tall and wide and smaller than the view; coarser when they are
/// too small, finer (down to 1:10,000) when one zooms in past them.
inline constexpr double kMinSheetHeightPx = 36;
inline constexpr double kMinSheetWidthPx = 24;
int GridScale(const Viewport& view, int preferred = kSheetScaleCount);

/// A sheet as drawn: a published sheet (its members joined, north of 60 degrees) or a sheet
/// alone, its frame unwrapped near the view's centre.
struct GridSheet {
    SheetKey First;    // its first (westernmost) member
    int Members = 1;   // joined sheets side by side, 1..4
    SignedFrame Frame; // signed arc-seconds; may run past ±180 degrees
};

/// Every sheet of `scale` that meets the view, each visible copy once (a view wider than the
/// world holds some twice), north to south and west to east.
std::vector<GridSheet> VisibleSheets(const Viewport& view, int scale);

/// A grid line in degrees, unwrapped near the view's centre: a parallel between sheet rows
/// (From and To share the latitude) or the meridian between two sheets of a row.
struct GridLine {
    GeoPoint From, To;
};
/// The lines that draw every frame VisibleSheets gives: each parallel once across the view,
/// each meridian once per row.
std::vector<GridLine> GridLines(const Viewport& view, int scale);

/// The point rounded to whole seconds, its longitude wrapped to [-180, 180); nothing off the
/// grid (above 84 degrees N, at or below 84 degrees S).
std::optional<ExactPoint> WholeSecondPoint(GeoPoint point);

/// The sheet of `scale` under the pixel (its point taken to whole seconds, as a click takes
/// it); nothing beyond 84 degrees.
std::optional<SheetKey> SheetAt(const Viewport& view, ScreenPoint at, int scale);

/// The label of a drawn sheet: its designation, or the published sheet's, without the
/// leading blank; `lettered` picks the old notation.
std::string SheetLabel(const GridSheet& sheet, bool lettered);

struct Label {
    std::size_t Sheet = 0; // index into the sheets given
    std::string Text;
    ScreenRect Box; // where the text goes: centred in the frame's visible part
};
/// Measures a UTF-8 text: its width and height in pixels.
using TextMeasure = std::function<std::pair<double, double>(const std::string&)>;
/// Labels of the sheets whose text fits inside its frame with `margin` pixels to spare.
/// `top` pixels along the top edge are kept free (for the degree labels).
std::vector<Label> ChooseLabels(const Viewport& view, const std::vector<GridSheet>& sheets,
                                bool lettered, const TextMeasure& measure, double margin = 3,
                                double top = 0);

/// The ground distance, in kilometres, of a round length (1, 2 or 5 times a power of ten)
/// whose bar is at most `maxPixels` long at the centre, and that bar's pixels.
struct ScaleBar {
    double Kilometres = 0;
    double Pixels = 0;
};
ScaleBar ChooseScaleBar(const Viewport& view, double maxPixels);

/// Degree labels on the edges: a round step (in degrees) that leaves about `minPixels`
/// between labels along latitude.
double DegreeStep(const Viewport& view, double minPixels);

} // namespace kavu::map
