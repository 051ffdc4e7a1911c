// The compiled part of the Python package `kavu`: sheets, readers, the vectorised calls, the
// cover and the datum, over the engine and geo libraries. The package's __init__.py adds the
// Python-side conveniences (argument shapes, GeoJSON walking) around it.
#include "cli/archive_names.h"
#include "cli/scale.h"
#include "engine/grid.h"
#include "engine/neighbours.h"
#include "engine/published.h"
#include "engine/readers.h"
#include "engine/sheet.h"
#include "geo/cover.h"
#include "geo/datum.h"
#include "geo/gauss_kruger.h"
#include "geo/shapes.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace py = pybind11;

namespace kavu::python {
namespace {

constexpr double kUnitsPerDegree = 3600.0 * static_cast<double>(kUnitsPerSecond);
constexpr std::int64_t kHalfTurn = 180 * 3600 * kUnitsPerSecond;
constexpr std::int64_t kTop = 84 * 3600 * kUnitsPerSecond;

std::string_view Shown(std::string_view text) {
    if (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    return text;
}

// ---- errors: the classes live in kavu/_errors.py, so that Python code can subclass them

[[noreturn]] void Raise(const char* name, py::tuple args) {
    py::object type = py::module_::import("kavu._errors").attr(name);
    py::object error = type(*args);
    PyErr_SetObject(type.ptr(), error.ptr());
    throw py::error_already_set();
}

// Python counts characters, the readers bytes.
std::size_t CharacterIndex(std::string_view text, std::size_t byte) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < byte && i < text.size(); ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) ++n;
    return n;
}

[[noreturn]] void RaiseRead(const ReadError& e, std::string_view text) {
    Raise("ReadError", py::make_tuple(e.English, CharacterIndex(text, e.Position), text));
}

[[noreturn]] void RaiseOutside(const std::string& reason) {
    Raise("OutsideSeries", py::make_tuple(reason));
}

// ---- arguments

const char* kScaleList = "(1:1000000, 1:500000, 1:200000, 1:100000, 1:50000, 1:25000 or 1:10000)";

/// Scale index 1..7 of "50k", "1:50 000", 50000 …; ValueError for anything else.
int ScaleArgument(const py::handle& scale) {
    std::string text;
    if (py::isinstance<py::bool_>(scale)) {
        text = "?";
    } else if (py::isinstance<py::int_>(scale)) {
        text = py::str(scale);
    } else if (py::isinstance<py::str>(scale)) {
        text = scale.cast<std::string>();
    } else {
        throw py::type_error("scale must be a text such as \"50k\" or a denominator such as 50000");
    }
    const int index = cli::ReadScale(text);
    if (index == 0)
        throw py::value_error("\"" + text + "\" is not a scale of the series " + kScaleList);
    return index;
}

std::int64_t Denominator(int scale) {
    constexpr std::int64_t kDenominator[] = {0,      1000000, 500000, 200000,
                                             100000, 50000,   25000,  10000};
    return kDenominator[scale];
}

bool Wgs84Argument(const std::string& datum) {
    if (datum == "1942") return false;
    if (datum == "wgs84" || datum == "WGS84" || datum == "WGS 84") return true;
    throw py::value_error("datum must be \"1942\" or \"wgs84\", not \"" + datum + "\"");
}

bool LetteredArgument(const std::string& notation) {
    if (notation == "old") return true;
    if (notation == "new") return false;
    throw py::value_error("notation must be \"old\" or \"new\", not \"" + notation + "\"");
}

// ---- the datum shift: built on first use, kept for the process; one thread at a time

std::mutex shiftMutex;

geo::DatumShift& Shift() {
    static std::unique_ptr<geo::DatumShift> shift;
    static std::string error;
    if (!shift) {
        shift = geo::DatumShift::Create(error);
        if (!shift) throw std::runtime_error("PROJ: " + error);
    }
    return *shift;
}

// ---- degrees to the engine's exact units

/// The engine's units of a number as the tool reads its decimal text. A float is read as the
/// shortest decimal that gives it back (what Python prints for it), so a point typed as
/// 55.0125 lies on the edge there just as it does for kavu-sheet. Only within a unit of a
/// 1:10,000 edge (every scale's edges are among them) can the binary value and that decimal
/// fall on different sides; only there is the text written out and read.
std::optional<ExactPoint> ExactOf(double latitude, double longitude) {
    if (!(std::fabs(latitude) <= 90) || !(std::fabs(longitude) <= 180)) return std::nullopt;
    const auto nearest = [](double degrees, std::int64_t edge, std::int64_t& units) {
        const double hi = degrees * kUnitsPerDegree;
        const double lo = std::fma(degrees, kUnitsPerDegree, -hi); // hi + lo is exact
        const double whole = std::nearbyint(hi);
        units = static_cast<std::int64_t>(whole);
        const double rest = (hi - whole) + lo;
        if (rest >= 0.5) ++units;
        if (rest < -0.5) --units;
        return units % edge == 0;
    };
    ExactPoint p;
    const bool nearEdge = nearest(latitude, SheetHeight(7) * kUnitsPerSecond, p.Latitude) |
                          nearest(longitude, SheetWidth(7) * kUnitsPerSecond, p.Longitude);
    if (!nearEdge) return p;
    char text[80];
    auto r = std::to_chars(text, text + 38, latitude, std::chars_format::fixed);
    if (r.ec != std::errc()) return std::nullopt;
    *r.ptr++ = ' ';
    r = std::to_chars(r.ptr, text + sizeof text, longitude, std::chars_format::fixed);
    if (r.ec != std::errc()) return std::nullopt;
    const PointResult read =
        ReadPoint(std::string_view(text, static_cast<std::size_t>(r.ptr - text)));
    if (!read.Ok) return std::nullopt;
    return read.Point;
}

/// A point as read, from WGS 84 to the series datum, as the tool converts it. Call with the
/// shift's lock held.
bool ToSeries(ExactPoint& p) {
    double lat = static_cast<double>(p.Latitude) / kUnitsPerDegree;
    double lon = static_cast<double>(p.Longitude) / kUnitsPerDegree;
    if (!Shift().ToSeries(lat, lon)) return false;
    p = {std::llround(lat * kUnitsPerDegree), std::llround(lon * kUnitsPerDegree)};
    return true;
}

// ---- sheets

struct Frame {
    double North, South, West, East;
};

Frame Degrees(const SignedFrame& f) {
    return {f.North / 3600.0, f.South / 3600.0, f.West / 3600.0, f.East / 3600.0};
}

/// GeoJSON Polygon of a frame, counter-clockwise. No frame of the series crosses 180 degrees
/// (columns and joined groups both stop at it), so one ring always serves.
py::dict GeoInterface(const SignedFrame& signed_) {
    const Frame f = Degrees(signed_);
    py::list ring;
    ring.append(py::make_tuple(f.West, f.South));
    ring.append(py::make_tuple(f.East, f.South));
    ring.append(py::make_tuple(f.East, f.North));
    ring.append(py::make_tuple(f.West, f.North));
    ring.append(py::make_tuple(f.West, f.South));
    py::list rings;
    rings.append(ring);
    py::dict g;
    g["type"] = "Polygon";
    g["coordinates"] = rings;
    return g;
}

struct Sheet {
    SheetKey Key;

    std::string New() const { return std::string(Shown(FormatSheetNew(Key))); }
    std::string Old() const { return std::string(Shown(FormatSheetOld(Key))); }
    SignedFrame Signed() const { return ComputeSignedFrame(Key).value_or(SignedFrame{}); }
    // Scale first, then north to south, then west to east: the order of a cover.
    std::tuple<int, int, int> Order() const {
        const detail::Cell c = detail::CellOfKey(Key);
        return {Key.Scale, c.Y, c.X};
    }
};

struct Published {
    PublishedSheet Value;
};

py::object PublishedOrNone(const SheetKey& key) {
    auto group = PublishedSheetOf(key);
    if (!group || !group->Joined()) return py::none();
    return py::cast(Published{*group});
}

/// True when a name has one reading, or several of which the first is spelt exactly as the
/// window writes that sheet ("N-37-4" is the 1:100,000 sheet, though it may also be read as
/// the fourth 1:500,000 one).
bool Unambiguous(const DesignationResult& result, std::string_view text) {
    if (result.Readings.size() == 1) return true;
    if (result.Readings.empty() || result.Readings[0].Joined) return false;
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    const SheetKey& key = result.Readings[0].Key;
    return Shown(FormatSheetOld(key)) == text || Shown(FormatSheetNew(key)) == text;
}

/// The one reading of a name; several readings that Unambiguous cannot decide between are
/// ambiguous.
SheetKey ReadSheet(std::string_view text) {
    const DesignationResult result = ReadDesignation(text);
    if (!result.Ok()) RaiseRead(result.Error, text);
    const DesignationReading& first = result.Readings.front();
    if (!Unambiguous(result, text)) {
        {
            py::list readings;
            for (const DesignationReading& r : result.Readings)
                readings.append(r.Joined ? py::cast(Published{r.Published})
                                         : py::cast(Sheet{r.Key}));
            Raise("AmbiguousName", py::make_tuple(text, readings));
        }
    }
    if (first.Joined)
        Raise("ReadError",
              py::make_tuple("names a published sheet of " + std::to_string(first.Published.Count) +
                                 " sheets, not one sheet: kavu.read gives it",
                             0, text));
    return first.Key;
}

py::list Read(std::string_view text) {
    const DesignationResult result = ReadDesignation(text);
    if (!result.Ok()) RaiseRead(result.Error, text);
    py::list out;
    for (const DesignationReading& r : result.Readings)
        out.append(r.Joined ? py::cast(Published{r.Published}) : py::cast(Sheet{r.Key}));
    return out;
}

// ---- rectangular coordinates: one projection for the process, one thread at a time

std::mutex gkMutex;

const geo::GaussKruger& Gk() {
    static std::unique_ptr<geo::GaussKruger> gk;
    static std::string error;
    if (!gk) {
        gk = geo::GaussKruger::Create(error);
        if (!gk) throw std::runtime_error("PROJ: " + error);
    }
    return *gk;
}

/// 1942 degrees of a rectangular pair, rounded to the engine's units as the tool rounds them,
/// so that the sheet of the answer is the tool's.
py::tuple DegreesOfGrid(const RectangularPoint& p, std::string_view text) {
    double latitude = 0, longitude = 0;
    bool ok = false;
    {
        py::gil_scoped_release unlocked;
        std::lock_guard lock(gkMutex);
        ok = Gk().Inverse(p.Zone, {p.X, p.Y}, latitude, longitude);
    }
    if (!ok) Raise("ReadError", py::make_tuple("PROJ cannot convert this X and Y", 0, text));
    return py::make_tuple(
        static_cast<double>(std::llround(latitude * kUnitsPerDegree)) / kUnitsPerDegree,
        static_cast<double>(std::llround(longitude * kUnitsPerDegree)) / kUnitsPerDegree);
}

/// Degrees, or a rectangular pair told from them by its letters or size (then on the 1942
/// datum whatever the caller's, as the tool reads it).
py::tuple ReadPointText(std::string_view text) {
    const PointResult read = ReadPoint(text);
    if (read.Ok)
        return py::make_tuple(static_cast<double>(read.Point.Latitude) / kUnitsPerDegree,
                              static_cast<double>(read.Point.Longitude) / kUnitsPerDegree);
    const RectangularResult grid = ReadRectangular(text);
    if (!grid.Rectangular) RaiseRead(read.Error, text);
    if (!grid.Ok) RaiseRead(grid.Error, text);
    return DegreesOfGrid(grid.Point, text);
}

py::tuple ReadGridText(std::string_view text) {
    const RectangularResult grid = ReadRectangular(text);
    if (!grid.Rectangular) {
        const PointResult read = ReadPoint(text);
        if (read.Ok)
            Raise("ReadError",
                  py::make_tuple("degrees, not X and Y: kavu.read_point reads them", 0, text));
        RaiseRead(read.Error, text);
    }
    if (!grid.Ok) RaiseRead(grid.Error, text);
    return py::make_tuple(grid.Point.X, grid.Point.Y);
}

int ZoneArgument(int zone) {
    if (zone < 1 || zone > 60)
        throw py::value_error("a Gauss-Krüger zone is 1 to 60, not " + std::to_string(zone));
    return zone;
}

/// Why X and Y are no point of a zone; nullopt when they are one. The zone is Y's leading
/// digits. Unlike the reader, any easting is taken: a sheet's corner on a zone's edge near the
/// equator lies past 834 000 m, and a point given in a neighbouring zone further still.
std::optional<std::string> GridProblem(double x, double y, int& zone) {
    if (!std::isfinite(x) || !std::isfinite(y)) return "X and Y must be numbers";
    const double z = std::floor(y / 1e6);
    if (!(z >= 1 && z <= 60))
        return "Y gives zone " +
               (std::fabs(z) < 1e6 ? std::to_string(static_cast<long long>(z))
                                   : std::string("beyond 60")) +
               ", outside 1–60";
    zone = static_cast<int>(z);
    return std::nullopt;
}

Sheet SheetOf(double latitude, double longitude, const py::handle& scaleArg,
              const std::string& datum) {
    const int scale = ScaleArgument(scaleArg);
    const bool wgs84 = Wgs84Argument(datum);
    std::optional<ExactPoint> p = ExactOf(latitude, longitude);
    if (!p) RaiseOutside("latitude must lie within ±90 and longitude within ±180 degrees");
    if (wgs84) {
        std::lock_guard lock(shiftMutex);
        if (!ToSeries(*p))
            RaiseOutside("PROJ cannot convert the point from WGS 84 to the 1942 datum");
    }
    const auto found = SheetOfExactPoint(*p, scale);
    if (!found) RaiseOutside("the series has no sheets beyond 84 degrees of latitude");
    return Sheet{found->Key};
}

Sheet Parent(const Sheet& s, const py::handle& scaleArg) {
    const int scale = ScaleArgument(scaleArg);
    if (scale > s.Key.Scale)
        throw py::value_error("the parent's scale must not be larger than the sheet's");
    const SignedFrame f = s.Signed();
    const ExactPoint centre{(static_cast<std::int64_t>(f.North) + f.South) * kUnitsPerSecond / 2,
                            (static_cast<std::int64_t>(f.West) + f.East) * kUnitsPerSecond / 2};
    return Sheet{SheetOfExactPoint(centre, scale)->Key};
}

std::vector<Sheet> Children(const Sheet& s, const py::handle& scaleArg) {
    const int scale = ScaleArgument(scaleArg);
    if (scale < s.Key.Scale)
        throw py::value_error("the children's scale must not be smaller than the sheet's");
    const int n = detail::CellsPerSide(scale) / detail::CellsPerSide(s.Key.Scale);
    const detail::Cell c = detail::CellOfKey(s.Key);
    std::vector<Sheet> out;
    out.reserve(static_cast<std::size_t>(n) * n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            out.push_back(Sheet{detail::KeyOfCell(scale, {c.X * n + x, c.Y * n + y})});
    return out;
}

py::tuple Neighbours(const Sheet& s) {
    const std::optional<SheetKey> rows[3] = {StepNorth(s.Key), s.Key, StepSouth(s.Key)};
    py::list out;
    for (const auto& middle : rows) {
        if (!middle) {
            out.append(py::make_tuple(py::none(), py::none(), py::none()));
            continue;
        }
        out.append(
            py::make_tuple(Sheet{StepWest(*middle)}, Sheet{*middle}, Sheet{StepEast(*middle)}));
    }
    return py::tuple(out);
}

py::dict Feature(py::dict geometry, const std::string& New, const std::string& Old, int scale,
                 py::object published) {
    py::dict properties;
    properties["new"] = New;
    properties["old"] = Old;
    properties["scale"] = Denominator(scale);
    properties["published"] = std::move(published);
    py::dict f;
    f["type"] = "Feature";
    f["geometry"] = std::move(geometry);
    f["properties"] = properties;
    return f;
}

// ---- vectorised calls

/// UTF-8 text into a row of UCS-4 code points (numpy's str); returns the code points written.
std::size_t PutCodePoints(std::string_view text, char32_t* out, std::size_t room) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < text.size() && n < room;) {
        const auto b = static_cast<unsigned char>(text[i]);
        const int len = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        char32_t c = len == 1 ? b : b & (0x7F >> len);
        for (int k = 1; k < len && i + k < text.size(); ++k)
            c = c << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        out[n++] = c;
        i += static_cast<std::size_t>(len);
    }
    return n;
}

using Doubles = py::array_t<double, py::array::c_style | py::array::forcecast>;

// Coordinates come as two parallel sequences; `what` names them in the error.
void PairedArguments(const Doubles& a, const Doubles& b, const char* what) {
    if (a.ndim() != 1 || b.ndim() != 1 || a.shape(0) != b.shape(0))
        throw py::value_error(std::string(what) + " must be two sequences of one length");
}

py::tuple Sheets(const Doubles& lats, const Doubles& lons, const py::handle& scaleArg,
                 const std::string& datum, const std::string& notation) {
    const int scale = ScaleArgument(scaleArg);
    const bool wgs84 = Wgs84Argument(datum);
    const bool lettered = LetteredArgument(notation);
    PairedArguments(lats, lons, "latitudes and longitudes");
    const auto n = static_cast<std::size_t>(lats.shape(0));
    // Two passes, formatting each name twice: once for the widest, once into numpy's own
    // buffer. A buffer of the widest possible names would cost more in memory traffic than
    // the second formatting does.
    std::vector<detail::Cell> cells(n);
    py::array_t<bool> bad(static_cast<py::ssize_t>(n));
    bool* badOut = bad.mutable_data();
    const double* lat = lats.data();
    const double* lon = lons.data();
    constexpr std::size_t kRoom = 24; // the longest name has 17 characters
    char32_t row[kRoom];
    std::size_t width = 1;
    {
        py::gil_scoped_release unlocked;
        std::unique_lock<std::mutex> lock(shiftMutex, std::defer_lock);
        if (wgs84) lock.lock();
        for (std::size_t i = 0; i < n; ++i) {
            std::optional<ExactPoint> p = ExactOf(lat[i], lon[i]);
            std::optional<PointSheet> found;
            if (p && (!wgs84 || ToSeries(*p))) found = SheetOfExactPoint(*p, scale);
            badOut[i] = !found;
            if (!found) continue;
            cells[i] = detail::CellOfKey(found->Key);
            const std::string name =
                lettered ? FormatSheetOld(found->Key) : FormatSheetNew(found->Key);
            width = std::max(width, PutCodePoints(Shown(name), row, kRoom));
        }
    }
    py::array names(py::dtype("<U" + std::to_string(width)),
                    std::vector<py::ssize_t>{static_cast<py::ssize_t>(n)});
    auto* out = static_cast<char32_t*>(names.mutable_data());
    {
        py::gil_scoped_release unlocked;
        for (std::size_t i = 0; i < n; ++i) {
            char32_t* to = out + i * width;
            std::size_t used = 0;
            if (!badOut[i]) {
                const SheetKey key = detail::KeyOfCell(scale, cells[i]);
                const std::string name = lettered ? FormatSheetOld(key) : FormatSheetNew(key);
                used = PutCodePoints(Shown(name), to, width);
            }
            std::fill(to + used, to + width, U'\0');
        }
    }
    return py::make_tuple(names, bad);
}

py::tuple Frames(const py::list& names, const std::string& datum) {
    const bool wgs84 = Wgs84Argument(datum);
    const auto n = static_cast<std::size_t>(names.size());
    std::vector<std::string> texts(n);
    std::vector<bool> given(n);
    for (std::size_t i = 0; i < n; ++i) {
        const py::handle item = names[i];
        given[i] = py::isinstance<py::str>(item);
        if (given[i]) texts[i] = item.cast<std::string>();
    }
    py::array_t<double> frames({static_cast<py::ssize_t>(n), py::ssize_t{4}});
    py::array_t<bool> bad(static_cast<py::ssize_t>(n));
    double* out = frames.mutable_data();
    bool* badOut = bad.mutable_data();
    {
        py::gil_scoped_release unlocked;
        std::unique_lock<std::mutex> lock(shiftMutex, std::defer_lock);
        if (wgs84) lock.lock();
        for (std::size_t i = 0; i < n; ++i) {
            double* row = out + 4 * i;
            std::optional<SignedFrame> frame;
            if (given[i]) {
                const DesignationResult read = ReadDesignation(texts[i]);
                if (read.Ok() && Unambiguous(read, texts[i]))
                    frame = read.Readings[0].Joined ? read.Readings[0].Published.Frame
                                                    : ComputeSignedFrame(read.Readings[0].Key);
            }
            Frame f{NAN, NAN, NAN, NAN};
            if (frame) {
                f = Degrees(*frame);
                if (wgs84 &&
                    !(Shift().ToWgs84(f.North, f.West) && Shift().ToWgs84(f.South, f.East)))
                    f = {NAN, NAN, NAN, NAN};
            }
            badOut[i] = std::isnan(f.North);
            row[0] = f.West;
            row[1] = f.South;
            row[2] = f.East;
            row[3] = f.North;
        }
    }
    return py::make_tuple(frames, bad);
}

/// Degrees between the datums, in place; NaN where PROJ cannot convert.
py::tuple ShiftPoints(const Doubles& lats, const Doubles& lons, bool toWgs84) {
    PairedArguments(lats, lons, "latitudes and longitudes");
    const auto n = lats.shape(0);
    py::array_t<double> outLat(n), outLon(n);
    const double* lat = lats.data();
    const double* lon = lons.data();
    double* la = outLat.mutable_data();
    double* lo = outLon.mutable_data();
    {
        py::gil_scoped_release unlocked;
        std::lock_guard lock(shiftMutex);
        const geo::DatumShift& shift = Shift();
        for (py::ssize_t i = 0; i < n; ++i) {
            la[i] = lat[i];
            lo[i] = lon[i];
            const bool ok = std::isfinite(la[i]) && std::isfinite(lo[i]) &&
                            (toWgs84 ? shift.ToWgs84(la[i], lo[i]) : shift.ToSeries(la[i], lo[i]));
            if (!ok) la[i] = lo[i] = NAN;
        }
    }
    return py::make_tuple(outLat, outLon);
}

/// Rectangular coordinates of degrees (1942, or WGS 84 shifted first) in `zone` (0: each
/// point's own), NaN where there are none.
py::tuple ToGk(const Doubles& lats, const Doubles& lons, int zone, const std::string& datum) {
    const bool wgs84 = Wgs84Argument(datum);
    if (zone != 0) ZoneArgument(zone);
    PairedArguments(lats, lons, "latitudes and longitudes");
    const auto n = lats.shape(0);
    py::array_t<double> outX(n), outY(n);
    const double* lat = lats.data();
    const double* lon = lons.data();
    double* xs = outX.mutable_data();
    double* ys = outY.mutable_data();
    {
        py::gil_scoped_release unlocked;
        std::unique_lock<std::mutex> shiftLock(shiftMutex, std::defer_lock);
        if (wgs84) shiftLock.lock();
        std::lock_guard lock(gkMutex);
        const geo::GaussKruger& gk = Gk();
        for (py::ssize_t i = 0; i < n; ++i) {
            double la = lat[i], lo = lon[i];
            geo::GridPoint p;
            const bool ok = std::fabs(la) <= 90 && std::isfinite(lo) &&
                            (!wgs84 || Shift().ToSeries(la, lo)) &&
                            gk.Forward(zone != 0 ? zone : geo::ZoneOfLongitude(lo), la, lo, p);
            xs[i] = ok ? p.X : NAN;
            ys[i] = ok ? p.Y : NAN;
        }
    }
    return py::make_tuple(outX, outY);
}

/// Degrees (1942, or WGS 84) of rectangular coordinates, the zone from Y; NaN where there are
/// none. `strict` raises the reason for the first bad pair instead.
py::tuple FromGk(const Doubles& xs, const Doubles& ys, const std::string& datum, bool strict) {
    const bool wgs84 = Wgs84Argument(datum);
    PairedArguments(xs, ys, "X and Y");
    const auto n = xs.shape(0);
    py::array_t<double> outLat(n), outLon(n);
    const double* x = xs.data();
    const double* y = ys.data();
    double* la = outLat.mutable_data();
    double* lo = outLon.mutable_data();
    std::optional<std::string> problem;
    {
        py::gil_scoped_release unlocked;
        std::unique_lock<std::mutex> shiftLock(shiftMutex, std::defer_lock);
        if (wgs84) shiftLock.lock();
        std::lock_guard lock(gkMutex);
        const geo::GaussKruger& gk = Gk();
        for (py::ssize_t i = 0; i < n; ++i) {
            int zone = 0;
            std::optional<std::string> why = GridProblem(x[i], y[i], zone);
            if (!why && !gk.Inverse(zone, {x[i], y[i]}, la[i], lo[i]))
                why = "PROJ cannot convert this X and Y";
            if (!why && wgs84 && !Shift().ToWgs84(la[i], lo[i]))
                why = "PROJ cannot convert the point from the 1942 datum to WGS 84";
            if (why) {
                la[i] = lo[i] = NAN;
                if (strict && !problem) problem = std::move(why);
            }
        }
    }
    if (problem) RaiseOutside(*problem);
    return py::make_tuple(outLat, outLon);
}

/// Zones of longitudes; 0 where a value is no number.
py::array_t<int> GkZones(const Doubles& lons) {
    py::array_t<int> out(lons.size());
    const double* lon = lons.data();
    int* zone = out.mutable_data();
    for (py::ssize_t i = 0; i < lons.size(); ++i)
        zone[i] = std::isfinite(lon[i]) ? geo::ZoneOfLongitude(lon[i]) : 0;
    return out;
}

// ---- the kilometre grid and control points of a sheet

/// (zone, lines) of a sheet's grid, each line (axis, value, full, label, (x, y) of its ends,
/// (lat, lon) of its ends). Zone and step checked as the tool checks them.
py::tuple KmGrid(const Sheet& s, std::optional<double> step, std::optional<int> zone) {
    const SheetKey& key = s.Key;
    if (step && !(*step >= 1 && std::isfinite(*step)))
        throw py::value_error("step must be a distance of 1 metre or more");
    const double every = step ? *step : geo::PrintedGridStep(key.Scale);
    if (every == 0)
        throw py::value_error("the series prints no kilometre grid at " +
                              std::string(ScaleName(key.Scale)) + ": give step in metres");
    const int own = geo::ZoneOfSheet(key);
    int z = own;
    if (zone) {
        const int east = own % 60 + 1, west = (own + 58) % 60 + 1;
        if (*zone != own && *zone != east && *zone != west)
            throw py::value_error("the sheet lies in zone " + std::to_string(own) +
                                  "; only its neighbours " + std::to_string(west) + " and " +
                                  std::to_string(east) + " have grids that reach it");
        z = *zone;
    }
    std::vector<geo::GridLine> lines;
    {
        py::gil_scoped_release unlocked;
        std::lock_guard lock(gkMutex);
        lines = Gk().Grid(key, z, every);
    }
    py::list out;
    for (const geo::GridLine& l : lines)
        out.append(py::make_tuple(
            l.Northing ? "X" : "Y", l.Value, l.Full, l.Label, py::make_tuple(l.From.X, l.From.Y),
            py::make_tuple(l.To.X, l.To.Y), py::make_tuple(l.FromLatitude, l.FromLongitude),
            py::make_tuple(l.ToLatitude, l.ToLongitude)));
    return py::make_tuple(z, out);
}

/// (zone, points) of a scan of a sheet or a joined sheet, as frame --gcp gives them: the
/// corners, and with a size the grid crossings at their pixels; each point (what, pixel,
/// line, x, y, lat, lon), pixel and line None without a size.
py::tuple Gcps(const py::object& what, std::optional<std::pair<double, double>> size) {
    SignedFrame frame;
    int scale = 0;
    if (py::isinstance<Sheet>(what)) {
        const Sheet& s = what.cast<const Sheet&>();
        frame = s.Signed();
        scale = s.Key.Scale;
    } else if (py::isinstance<Published>(what)) {
        const Published& p = what.cast<const Published&>();
        frame = p.Value.Frame;
        scale = p.Value.Members[0].Scale;
    } else {
        throw py::type_error("a kavu.Sheet, kavu.PublishedSheet or designation is expected");
    }
    if (size && !(size->first >= 1 && size->second >= 1 && std::isfinite(size->first) &&
                  std::isfinite(size->second)))
        throw py::value_error("size must be the scan's width and height in pixels, 1 or more");
    // The zone of the frame's middle, as the tool takes it for a joined sheet too.
    const int zone = geo::ZoneOfLongitude((frame.West + frame.East) / 7200.0);
    std::vector<geo::ScanControlPoint> points;
    {
        py::gil_scoped_release unlocked;
        std::lock_guard lock(gkMutex);
        points = size ? Gk().ControlPointsOfFrame(frame, zone, size->first, size->second,
                                                  geo::PrintedGridStep(scale))
                      : Gk().ControlPointsOfFrame(frame, zone, 1, 1, 0);
    }
    py::list out;
    for (const geo::ScanControlPoint& p : points)
        out.append(py::make_tuple(p.What, size ? py::object(py::float_(p.Pixel)) : py::none(),
                                  size ? py::object(py::float_(p.Line)) : py::none(), p.At.X,
                                  p.At.Y, p.Latitude, p.Longitude));
    return py::make_tuple(zone, out);
}

/// The regular readings of a scan's file stem, as kavu-sheet files reads it; ReadError with
/// the reason when it holds none.
py::list FileSheets(std::string_view stem) {
    const cli::FileName read = cli::ReadFileStem(stem);
    py::list out;
    for (const cli::FileSheet& f : read.Readings) {
        if (f.Irregular) continue;
        if (f.Joined) {
            if (auto group = PublishedSheetOf(f.Members[0]); group && group->Joined())
                out.append(Published{*group});
        } else {
            out.append(Sheet{f.Members[0]});
        }
    }
    if (out.empty())
        Raise("ReadError",
              py::make_tuple(read.Error.empty() ? "the name holds no sheet of the series"
                                                : read.Error,
                             0, stem));
    return out;
}

// ---- cover and grid

using Ring = std::vector<std::pair<double, double>>; // (longitude, latitude), as GeoJSON has it

std::vector<geo::LatLon> Vertices(const Ring& ring) {
    std::vector<geo::LatLon> out;
    out.reserve(ring.size());
    for (const auto& [lon, lat] : ring)
        out.push_back({lat, lon});
    return out;
}

py::list Cover(const Ring& points, const std::vector<Ring>& lines,
               const std::vector<std::vector<Ring>>& areas, const py::handle& scaleArg,
               double buffer, const std::string& datum, bool published, bool shortWay) {
    const int scale = ScaleArgument(scaleArg);
    const bool wgs84 = Wgs84Argument(datum);
    if (!(buffer >= 0) || !std::isfinite(buffer))
        throw py::value_error("buffer must be a distance in metres, 0 or more");
    std::string error;
    std::vector<SheetKey> keys;
    std::vector<PublishedSheet> groups;
    {
        py::gil_scoped_release unlocked;
        geo::Shapes shapes;
        shapes.Joins = shortWay ? geo::Join::ShortWay : geo::Join::AsDrawn;
        shapes.Points = Vertices(points);
        for (const Ring& line : lines)
            shapes.Lines.push_back(Vertices(line));
        for (const auto& rings : areas) {
            auto& area = shapes.Areas.emplace_back();
            for (const Ring& ring : rings)
                area.push_back(Vertices(ring));
        }
        if (wgs84) {
            std::lock_guard lock(shiftMutex);
            const geo::DatumShift& shift = Shift();
            const auto convert = [&](std::vector<geo::LatLon>& vs) {
                for (geo::LatLon& v : vs)
                    if (!shift.ToSeries(v.Latitude, v.Longitude)) v.Latitude = NAN;
            };
            convert(shapes.Points);
            for (auto& line : shapes.Lines)
                convert(line);
            for (auto& area : shapes.Areas)
                for (auto& ring : area)
                    convert(ring);
        }
        bool ok = true;
        if (buffer > 0) {
            auto widened = geo::Buffer(shapes, buffer, error);
            ok = widened.has_value();
            if (ok) shapes = std::move(*widened);
        }
        geo::SheetCover cover(scale);
        if (ok && geo::AddToCover(shapes, cover, error)) {
            if (published)
                groups = cover.Published();
            else
                keys = cover.Sheets();
        }
    }
    if (!error.empty()) throw py::value_error(error);
    py::list out;
    for (const SheetKey& k : keys)
        out.append(Sheet{k});
    for (const PublishedSheet& g : groups)
        out.append(g.Joined() ? py::cast(Published{g}) : py::cast(Sheet{g.Members[0]}));
    return out;
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    return a / b - (a % b != 0 && (a < 0) != (b < 0));
}
std::int64_t CeilDiv(std::int64_t a, std::int64_t b) {
    return -FloorDiv(-a, b);
}

/// The sheets of a box, row by row from the north, lazily: a box may hold millions. Rows span
/// latitudes (k h, (k + 1) h] and columns longitudes [j w, (j + 1) w), as the tool's box has it.
class Grid {
  public:
    Grid(py::sequence bbox, const py::handle& scaleArg, const std::string& datum)
        : scale_(ScaleArgument(scaleArg)) {
        const bool wgs84 = Wgs84Argument(datum);
        if (py::len(bbox) != 4)
            throw py::value_error("bbox must be (west, south, east, north) in degrees");
        const double west = bbox[0].cast<double>(), south = bbox[1].cast<double>();
        const double east = bbox[2].cast<double>(), north = bbox[3].cast<double>();
        auto sw = ExactOf(south, west), ne = ExactOf(north, east);
        if (!sw || !ne) throw py::value_error("bbox corners must lie within ±90 and ±180 degrees");
        if (wgs84) {
            std::lock_guard lock(shiftMutex);
            if (!ToSeries(*sw) || !ToSeries(*ne))
                RaiseOutside("PROJ cannot convert the box from WGS 84 to the 1942 datum");
        }
        std::int64_t w0 = sw->Longitude, e0 = ne->Longitude;
        if (w0 == kHalfTurn) w0 = -kHalfTurn;
        if (e0 == -kHalfTurn) e0 = kHalfTurn;
        if (sw->Latitude >= ne->Latitude) throw py::value_error("south must be below north");
        if (w0 == e0) throw py::value_error("west and east are the same meridian");
        h_ = SheetHeight(scale_) * kUnitsPerSecond;
        w_ = SheetWidth(scale_) * kUnitsPerSecond;
        top_ = std::min(CeilDiv(ne->Latitude, h_), kTop / h_) - 1;
        bottom_ = std::max(FloorDiv(sw->Latitude, h_), -kTop / h_);
        const auto span = [&](std::int64_t a, std::int64_t b) {
            spans_[spanCount_++] = {FloorDiv(a + kHalfTurn, w_), CeilDiv(b + kHalfTurn, w_) - 1};
        };
        if (w0 < e0) {
            span(w0, e0);
        } else {
            span(w0, kHalfTurn);
            span(-kHalfTurn, e0);
        }
        row_ = top_;
        column_ = spans_[0].first;
    }

    Sheet Next() {
        for (;;) {
            if (row_ < bottom_ || spanCount_ == 0) throw py::stop_iteration();
            if (column_ > spans_[span_].second) {
                if (++span_ == spanCount_) {
                    span_ = 0;
                    --row_;
                }
                column_ = spans_[span_].first;
                continue;
            }
            const ExactPoint centre{row_ * h_ + h_ / 2, -kHalfTurn + column_ * w_ + w_ / 2};
            ++column_;
            if (auto found = SheetOfExactPoint(centre, scale_)) return Sheet{found->Key};
        }
    }

  private:
    int scale_;
    std::int64_t h_ = 0, w_ = 0, top_ = 0, bottom_ = 0, row_ = 0, column_ = 0;
    std::pair<std::int64_t, std::int64_t> spans_[2];
    std::size_t spanCount_ = 0, span_ = 0;
};

} // namespace
} // namespace kavu::python

PYBIND11_MODULE(_kavu, m) {
    using namespace kavu;
    using namespace kavu::python;
    m.doc() = "The compiled core of kavu; use the package kavu.";

    py::class_<Published>(m, "PublishedSheet",
                          "A sheet as printed north of 60 degrees: two to four sheets of one "
                          "scale joined side by side on one paper (\"P-37,38\"). Immutable.")
        .def_property_readonly(
            "new", [](const Published& p) { return std::string(Shown(p.Value.New)); },
            "Designation in the all-digit notation, \"16-37,38\".")
        .def_property_readonly(
            "old", [](const Published& p) { return std::string(Shown(p.Value.Old)); },
            "Designation in the lettered notation, \"P-37,38\".")
        .def_property_readonly(
            "scale", [](const Published& p) { return Denominator(p.Value.Members[0].Scale); },
            "Scale denominator, e.g. 50000.")
        .def_property_readonly(
            "members",
            [](const Published& p) {
                py::list out;
                for (int i = 0; i < p.Value.Count; ++i)
                    out.append(Sheet{p.Value.Members[static_cast<std::size_t>(i)]});
                return py::tuple(out);
            },
            "The sheets joined, west to east.")
        .def_property_readonly("north",
                               [](const Published& p) { return Degrees(p.Value.Frame).North; })
        .def_property_readonly("south",
                               [](const Published& p) { return Degrees(p.Value.Frame).South; })
        .def_property_readonly("west",
                               [](const Published& p) { return Degrees(p.Value.Frame).West; })
        .def_property_readonly("east",
                               [](const Published& p) { return Degrees(p.Value.Frame).East; })
        .def_property_readonly(
            "centre",
            [](const Published& p) {
                const Frame f = Degrees(p.Value.Frame);
                return py::make_tuple((f.North + f.South) / 2, (f.West + f.East) / 2);
            },
            "(latitude, longitude) of the centre, degrees, 1942 datum.")
        .def_property_readonly(
            "zone",
            [](const Published& p) {
                return geo::ZoneOfLongitude((p.Value.Frame.West + p.Value.Frame.East) / 7200.0);
            },
            "The Gauss-Krüger zone of its middle, in which its control points are given.")
        .def_property_readonly(
            "__geo_interface__", [](const Published& p) { return GeoInterface(p.Value.Frame); },
            "The frame as a GeoJSON Polygon (longitude, latitude; 1942 datum, EPSG:4284).")
        .def_property_readonly(
            "feature",
            [](const Published& p) {
                return Feature(GeoInterface(p.Value.Frame), std::string(Shown(p.Value.New)),
                               std::string(Shown(p.Value.Old)), p.Value.Members[0].Scale,
                               py::none());
            },
            "The frame as a GeoJSON Feature with the designations as properties.")
        .def("__str__", [](const Published& p) { return std::string(Shown(p.Value.Old)); })
        .def("__repr__",
             [](const Published& p) {
                 return "kavu.read(\"" + std::string(Shown(p.Value.Old)) + "\")[0]";
             })
        .def("__eq__",
             [](const Published& a, const py::object& b) {
                 return py::isinstance<Published>(b) &&
                        a.Value.Members[0] == b.cast<const Published&>().Value.Members[0];
             })
        .def("__hash__", [](const Published& p) { return py::hash(py::str(Shown(p.Value.New))); });

    py::class_<Sheet>(m, "Sheet",
                      "One sheet of the series at one scale. Immutable, hashable and ordered "
                      "(by scale, then north to south, then west to east).")
        .def(py::init([](std::string_view text) { return Sheet{ReadSheet(text)}; }),
             py::arg("text"),
             "The sheet a designation names, in any common spelling (\"N-37-4-В\", "
             "\"o37-123-1\", \"14-37-004-3\"). ReadError when it names none, AmbiguousName "
             "(listing the readings) when it names several and is not the window's own "
             "spelling of one of them.")
        .def_property_readonly("new", &Sheet::New, "All-digit designation, \"14-37-004-3\".")
        .def_property_readonly("old", &Sheet::Old, "Lettered designation, \"N-37-4-В\".")
        .def_property_readonly(
            "scale", [](const Sheet& s) { return Denominator(s.Key.Scale); },
            "Scale denominator, e.g. 50000.")
        .def_property_readonly(
            "north", [](const Sheet& s) { return Degrees(s.Signed()).North; },
            "Northern edge, degrees (north positive), 1942 datum.")
        .def_property_readonly(
            "south", [](const Sheet& s) { return Degrees(s.Signed()).South; },
            "Southern edge, degrees (north positive), 1942 datum.")
        .def_property_readonly(
            "west", [](const Sheet& s) { return Degrees(s.Signed()).West; },
            "Western edge, degrees (east positive), 1942 datum.")
        .def_property_readonly(
            "east", [](const Sheet& s) { return Degrees(s.Signed()).East; },
            "Eastern edge, degrees (east positive), 1942 datum.")
        .def_property_readonly(
            "centre",
            [](const Sheet& s) {
                const Frame f = Degrees(s.Signed());
                return py::make_tuple((f.North + f.South) / 2, (f.West + f.East) / 2);
            },
            "(latitude, longitude) of the centre, degrees, 1942 datum.")
        .def_property_readonly(
            "published", [](const Sheet& s) { return PublishedOrNone(s.Key); },
            "The joined sheet it was printed in (PublishedSheet), or None when it was printed "
            "alone.")
        .def_property_readonly(
            "zone", [](const Sheet& s) { return geo::ZoneOfSheet(s.Key); },
            "The Gauss-Krüger zone (1..60) the sheet is drawn in.")
        .def("neighbours", &Neighbours,
             "The 3 x 3 block around the sheet, rows north to south, each west to east; the "
             "sheet itself in the middle, a row of None beyond 84 degrees.")
        .def("parent", &Parent, py::arg("scale"),
             "The sheet of a smaller scale (\"100k\", 1000000 …) that holds this one.")
        .def("children", &Children, py::arg("scale"),
             "The sheets of a larger scale that make up this one, north to south, west to east.")
        .def_property_readonly(
            "__geo_interface__", [](const Sheet& s) { return GeoInterface(s.Signed()); },
            "The frame as a GeoJSON Polygon (longitude, latitude; 1942 datum, EPSG:4284).")
        .def_property_readonly(
            "feature",
            [](const Sheet& s) {
                auto group = PublishedSheetOf(s.Key);
                return Feature(GeoInterface(s.Signed()), s.New(), s.Old(), s.Key.Scale,
                               group && group->Joined()
                                   ? py::object(py::str(std::string(Shown(group->Old))))
                                   : py::none());
            },
            "The frame as a GeoJSON Feature with the designations as properties.")
        .def("__str__", &Sheet::Old)
        .def("__repr__", [](const Sheet& s) { return "kavu.Sheet(\"" + s.Old() + "\")"; })
        .def("__hash__",
             [](const Sheet& s) {
                 const auto [scale, y, x] = s.Order();
                 return py::hash(py::make_tuple(scale, y, x));
             })
        .def("__eq__",
             [](const Sheet& a, const py::object& b) {
                 return py::isinstance<Sheet>(b) && a.Key == b.cast<const Sheet&>().Key;
             })
        .def("__lt__", [](const Sheet& a, const Sheet& b) { return a.Order() < b.Order(); })
        .def("__le__", [](const Sheet& a, const Sheet& b) { return a.Order() <= b.Order(); })
        .def("__gt__", [](const Sheet& a, const Sheet& b) { return a.Order() > b.Order(); })
        .def("__ge__", [](const Sheet& a, const Sheet& b) { return a.Order() >= b.Order(); })
        .def(py::pickle([](const Sheet& s) { return py::make_tuple(FormatSheetNew(s.Key)); },
                        [](const py::tuple& state) {
                            auto key = ParseSheetNew(state[0].cast<std::string>());
                            if (!key) throw py::value_error("not a pickled kavu.Sheet");
                            return Sheet{*key};
                        }));

    py::class_<Grid>(m, "Grid")
        .def("__iter__", [](Grid& g) -> Grid& { return g; })
        .def("__next__", &Grid::Next);

    m.def("sheet", &SheetOf, py::arg("lat"), py::arg("lon"), py::arg("scale") = "50k",
          py::arg("datum") = "1942",
          "The sheet of `scale` (\"1M\", \"500k\", \"200k\", \"100k\", \"50k\", \"25k\", "
          "\"10k\", \"1:50 000\" or 50000) that holds the point; `datum` is \"1942\" or "
          "\"wgs84\". OutsideSeries beyond 84 degrees of latitude.");
    m.def("read", &Read, py::arg("text"),
          "Every reading of a designation in any common spelling, the one in the window's own "
          "notation first: Sheet and PublishedSheet objects. ReadError (with `reason` and "
          "`position`) when it has none.");
    m.def("read_point", &ReadPointText, py::arg("text"),
          "A point in any common spelling (\"55.7558, 37.6173\", \"55 45 21 N 37 37 02 E\") as "
          "(lat, lon) in signed degrees. Rectangular coordinates (\"X=6182348 Y=7413188\") "
          "are read too and given as 1942 degrees, whatever datum the degrees are in. "
          "ReadError (with `reason` and `position`) when the text is not a point.");
    m.def("read_gk", &ReadGridText, py::arg("text"),
          "Rectangular coordinates as written on the sheets (\"X=6 182 348 Y=7 413 188\", "
          "\"x 6182348, y 7413188\", \"6182.348 7413.188\", Cyrillic Х У too) as (x, y) in "
          "metres, Y with its zone number in front. ReadError (with `reason` and `position`) "
          "when the text is not such a pair.");
    m.def(
        "gk_crs", [](int zone) { return geo::ZoneCrs(ZoneArgument(zone)); }, py::arg("zone"),
        "The CRS of a Gauss-Krüger zone (1..60) as PROJ, GDAL and QGIS take it: "
        "\"EPSG:28404\" .. \"EPSG:28432\", otherwise a PROJ string with the same "
        "parameters on the 1942 datum.");
    m.def("sheets", &Sheets);
    m.def("to_gk", &ToGk);
    m.def("from_gk", &FromGk);
    m.def("gk_zones", &GkZones);
    m.def("km_grid", &KmGrid);
    m.def("gcps", &Gcps);
    m.def("file_sheets", &FileSheets);
    m.def("frames", &Frames);
    m.def("shift", &ShiftPoints);
    m.def("cover", &Cover);
    m.def("grid", [](py::sequence bbox, const py::handle& scale, const std::string& datum) {
        return Grid(bbox, scale, datum);
    });
}
