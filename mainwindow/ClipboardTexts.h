// What a pasted text means to the window and what each view copies, without any widget: the
// window asks these routines and only moves their answers into its boxes and the clipboard.
#pragma once

#include "engine/neighbours.h"
#include "engine/readers.h"
#include "engine/sheet.h"

#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <vector>

namespace kavu {

/// A message in both interface languages, [1] Russian and [2] English; index 0 unused.
struct TwoLanguages {
    std::array<QString, 3> Text;
    const QString& operator[](int language) const {
        return Text[language == 2 ? std::size_t{2} : std::size_t{1}];
    }
    bool isEmpty() const { return Text[1].isEmpty(); }
};

/// One way to read a pasted designation, as the sheet-number boxes take it.
struct PastedSheet {
    SheetKey Shown;               // what the boxes hold: the sheet itself, at most 1:50,000
    std::array<QString, 5> Boxes; // the texts of boxes 1..4 as a user would type them
    QString Label;                // the reading in the choice list
    TwoLanguages Note;            // why the boxes hold another sheet; empty when they do not
};

/// A pasted point, in the 1942 datum.
struct PastedPoint {
    ExactPoint Point;
    bool South = false, West = false;
    int LatitudeDegrees = 0, LatitudeMinutes = 0;   // what the position boxes take; the
    int LongitudeDegrees = 0, LongitudeMinutes = 0; // seconds are dropped
};

struct PasteAnswer {
    enum class Kind { Rejected, Sheet, Point };
    Kind What = Kind::Rejected;
    std::vector<PastedSheet> Sheets; // Kind::Sheet: one reading, or several to choose from
    PastedPoint Point;               // Kind::Point
    TwoLanguages Message;            // the reason of a rejection, or what a point became
};

/// WGS 84 to the 1942 datum in degrees, latitude first; false when the point cannot be
/// converted.
using DatumShiftFunction = std::function<bool(double& latitude, double& longitude)>;

/// Rectangular coordinates of a zone and the 1942 datum, both ways (Y carries the zone number);
/// false when the point cannot be converted.
struct GridConversion {
    std::function<bool(int zone, double latitude, double longitude, double& x, double& y)> Forward;
    std::function<bool(const RectangularPoint& point, double& latitude, double& longitude)> Inverse;
};

/// Reads `text` as a designation, then as a point, then as rectangular coordinates. `wgs84`,
/// when set, converts a point in degrees before anything else is done with it; rectangular
/// coordinates are on the 1942 datum by definition and go through `grid`. Never throws; an
/// unreadable text is a rejection with a reason.
PasteAnswer ReadPasted(const QString& text, const DatumShiftFunction& wgs84 = {},
                       const GridConversion& grid = {});

/// Rectangular coordinates as the window writes them, whole metres in groups of three:
/// "X 6 182 348  Y 7 413 188".
QString GridPointText(double x, double y);

/// The north-west and south-east corners and the centre of a sheet in the Gauss–Krüger zone of
/// its column, as GridPointText writes them; empty texts when `grid` cannot give them.
std::array<QString, 3> SheetGridTexts(const SheetKey& key, const GridConversion& grid);

/// The hemisphere switches and the degree and minute boxes of a point on the grid, the seconds
/// dropped; 180 degrees E comes back as 180 degrees W.
PastedPoint PointBoxes(ExactPoint point);

/// The angle of an exact point, as the windows write angles, with seconds to 0.01" when they
/// are not whole: "N 55° 45' 20.88\"".
QString ExactAngleText(char letter, std::int64_t units);
/// Both angles of a point, latitude first, one blank between.
QString ExactPointText(const ExactPoint& point);

/// The texts the sheet-to-coordinates view shows.
struct SheetView {
    QString New, Old, Scale;
    QString Y1, X1, Y2, X2, Y0, X0;
    std::array<QString, 3> Grid; // the same corners and centre in rectangular coordinates
};
/// The texts the coordinates-to-sheet view shows; New and Old 1..5 by scale.
struct PointView {
    QString Y, X;
    std::array<QString, 6> New, Old;
};

/// Plain text of each view for the clipboard, in the layout the export uses for a kept result,
/// lines ended by "\n"; a sheet's rectangular corners and centre follow its geographic ones
/// under the same labels.
QString CopyText(const SheetView& view, int language);
QString CopyText(const PointView& view, int language);
/// The scale, then the 3 x 3 block row by row, cells "new ( old )" separated by tabs (so a
/// spreadsheet takes it as a block); a missing neighbour is an empty cell.
QString CopyText(const NeighbourGrid& grid);

/// The 1:25,000 and 1:10,000 sheets of a point and, where the series was printed joined, the
/// published sheet at each scale; empty for a point no sheet holds.
QString LargerScalesText(const ExactPoint& point, int language);

/// The exact point of whole-second box values.
ExactPoint BoxPoint(bool south, std::int32_t latitude, bool west, std::int32_t longitude);

} // namespace kavu
