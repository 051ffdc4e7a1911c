// Draws the map for a viewport with QPainter: on the window, into a PNG image, into an SVG
// file, and in the benchmark, all the same way.
#pragma once

#include "engine/sheet.h"
#include "mapview/MapViewport.h"

#include <QColor>
#include <QFont>

#include <optional>

class QPainter;

namespace kavu::map {

class LandData;
class TrackLayer;

/// What the map shows besides the grid.
struct MapScene {
    const LandData* Land = nullptr;
    const TrackLayer* Track = nullptr;
    int Mode = 1;                    // 1 sheet mode, 2 point mode
    std::optional<SheetKey> Sheet;   // sheet mode: the main window's sheet
    std::optional<ExactPoint> Point; // point mode: the main window's point
    bool Lettered = false;           // labels in the old notation
    int Language = 1;                // 1 Russian, 2 English
    int Preferred = 1;               // the scale whose grid is drawn when it fits (GridScale)
    QFont Font;
};

/// The colours; the sheet and its neighbours use those of the neighbour panel.
struct MapColours {
    static QColor Water();
    static QColor Land();
    static QColor Grid();
    static QColor Text(); // the panel's text; the 3 x 3 block is outlined in it
    static QColor Mark(); // the panel's mark: the current sheet's frame and fill
    static QColor Track();
    static QColor Cover(); // the sheets covering a track
};

/// Paints everything into the painter's device, which is the viewport's size.
void PaintMap(QPainter& painter, const Viewport& view, const MapScene& scene);

/// A frame moved by whole turns so that it lies nearest the view's centre.
SignedFrame NearCentre(const Viewport& view, SignedFrame frame);

} // namespace kavu::map
