#include "cli/commands.h"

#include "engine/designation_writer.h"
#include "engine/neighbours.h"
#include "engine/published.h"
#include "engine/readers.h"

#include <array>
#include <charconv>
#include <cmath>
#include <optional>

namespace kavu::cli {
namespace {

constexpr std::int64_t kUnitsPerDegree = 3600 * kUnitsPerSecond;

// The engine writes a northern designation with a leading blank; the tool leaves it out
// (the readers take both).
std::string_view Shown(std::string_view view) {
    if (!view.empty() && view.front() == ' ') view.remove_prefix(1);
    return view;
}

Problem FromReader(const ReadError& error) {
    return {error.English, error.Position};
}

// A sheet with its texts, kept alive while its record is written.
struct SheetTexts {
    char New[kSheetTextRoom], Old[kSheetTextRoom];
    char PublishedNew[kPublishedTextRoom], PublishedOld[kPublishedTextRoom];
    std::size_t NewSize = 0, OldSize = 0, PublishedNewSize = 0, PublishedOldSize = 0;
    bool Joined = false; // the sheet was printed joined with others

    void Set(const SheetKey& key) {
        WriteSheetTexts(key, New, NewSize, Old, OldSize);
        // Sheets were printed joined only from row 16 (60 degrees) on, and never at 1:10,000.
        Joined = key.Row >= 16 && key.Scale != 7 &&
                 WritePublishedTexts(key, PublishedNew, PublishedNewSize, PublishedOld,
                                     PublishedOldSize) > 1;
    }
    void Fill(SheetRecord& r, const SheetKey& key, bool withFrame = true) const {
        r.Scale = key.Scale;
        r.New = Shown({New, NewSize});
        r.Old = Shown({Old, OldSize});
        r.Joined = false;
        r.PublishedNew = Joined ? Shown({PublishedNew, PublishedNewSize}) : std::string_view();
        r.PublishedOld = Joined ? Shown({PublishedOld, PublishedOldSize}) : std::string_view();
        if (withFrame) r.Frame = ComputeSignedFrame(key).value_or(SignedFrame{});
    }
};

void FillJoined(SheetRecord& r, const PublishedSheet& published) {
    r.Scale = published.Members[0].Scale;
    r.New = Shown(published.New);
    r.Old = Shown(published.Old);
    r.Joined = true;
    r.PublishedNew = r.PublishedOld = {};
    r.Frame = published.Frame;
}

std::string ReadingName(const DesignationReading& reading) {
    std::string name(ScaleName(reading.Key.Scale));
    name += ' ';
    name += Shown(reading.Joined ? reading.Published.Old : FormatSheetOld(reading.Key));
    return name;
}

// The one reading of a designation at `scale` (0: the only one it has).
const DesignationReading* Pick(const DesignationResult& result, int scale, std::string_view option,
                               Problem& problem) {
    if (!result.Ok()) {
        problem = FromReader(result.Error);
        return nullptr;
    }
    const DesignationReading* found = nullptr;
    int count = 0;
    for (const DesignationReading& reading : result.Readings) {
        if (scale == 0 || reading.Key.Scale == scale) {
            found = &reading;
            ++count;
        }
    }
    if (count == 1) return found;
    std::string all;
    for (const DesignationReading& reading : result.Readings) {
        all += all.empty() ? "" : ", ";
        all += ReadingName(reading);
    }
    if (count == 0)
        problem.Reason =
            "no sheet of " + std::string(ScaleName(scale)) + " has this name; it reads as " + all;
    else
        problem.Reason =
            "the name is ambiguous: it reads as " + all + "; pick one with " + std::string(option);
    return nullptr;
}

bool AnswerExactPoint(const Query& query, const ExactPoint& point, SheetRecord& r, RecordSink& sink,
                      Problem& problem);

// "6179774.05 413106.6", "6179774.05, 413106.6": northing and easting in metres.
bool ReadMetres(std::string_view text, double (&values)[2], Problem& problem) {
    std::size_t i = 0, n = 0;
    const auto blank = [&](std::size_t k) {
        return k < text.size() && (text[k] == ' ' || text[k] == '\t' || text[k] == ',' ||
                                   text[k] == ';' || text[k] == '\r');
    };
    for (;;) {
        while (blank(i))
            ++i;
        if (i >= text.size()) break;
        if (n == 2) {
            problem = {"left over after northing and easting", i};
            return false;
        }
        const auto [end, ec] =
            std::from_chars(text.data() + i, text.data() + text.size(), values[n]);
        const std::size_t stop = static_cast<std::size_t>(end - text.data());
        if (ec != std::errc() || !std::isfinite(values[n]) ||
            (stop < text.size() && !blank(stop))) {
            problem = {"northing and easting in metres are expected", i};
            return false;
        }
        i = stop;
        ++n;
    }
    if (n != 2) {
        problem = {"northing and easting in metres are expected", i};
        return false;
    }
    return true;
}

// Metres, rectangular pairs and every spelling but the plain one; kept out of line so that
// the plain lines do not pay for its frame.
[[gnu::noinline]] bool AnswerOtherPoint(const Query& query, std::string_view text, SheetRecord& r,
                                        RecordSink& sink, Problem& problem) {
    const Datum& crs = query.Coordinates;
    if (crs.FromProjected && !crs.PerZone) {
        double metres[2], latitude = 0, longitude = 0;
        if (!ReadMetres(text, metres, problem)) return false;
        if (!crs.FromProjected(metres[0], metres[1], latitude, longitude)) {
            problem.Reason = "PROJ cannot convert the point to the 1942 datum";
            return false;
        }
        const ExactPoint point{std::llround(latitude * static_cast<double>(kUnitsPerDegree)),
                               std::llround(longitude * static_cast<double>(kUnitsPerDegree))};
        r.Given = point;
        return AnswerExactPoint(query, point, r, sink, problem);
    }
    const PointResult read = ReadPoint(text);
    ExactPoint point = read.Point;
    if (!read.Ok) {
        // Told from degrees by size or letters; X and Y are 1942 whatever the datum asked.
        const RectangularResult grid = query.FromGrid ? ReadRectangular(text) : RectangularResult{};
        if (!grid.Rectangular) {
            problem = FromReader(read.Error);
            return false;
        }
        if (!grid.Ok) {
            problem = FromReader(grid.Error);
            return false;
        }
        if (!query.FromGrid(grid.Point, point, problem.Reason)) return false;
        r.Given = point; // echoed in the run's datum below
        if (query.Coordinates.FromSeries) {
            double latitude = LatitudeDegrees(point), longitude = LongitudeDegrees(point);
            query.Coordinates.FromSeries(latitude, longitude);
            r.Given = {std::llround(latitude * static_cast<double>(kUnitsPerDegree)),
                       std::llround(longitude * static_cast<double>(kUnitsPerDegree))};
        }
    } else {
        r.Given = read.Point;
        if (query.Coordinates.ToSeries && !query.Coordinates.ToSeries(point, problem.Reason))
            return false;
    }
    return AnswerExactPoint(query, point, r, sink, problem);
}

bool AnswerPoint(const Query& query, std::string_view text, SheetRecord& r, RecordSink& sink,
                 Problem& problem) {
    // Most lines of a long run are plain "lat lon": read at once, without an error to build.
    const Datum& crs = query.Coordinates;
    ExactPoint point;
    if (!(crs.FromProjected && !crs.PerZone) && detail::ReadPlainPoint(text, point)) {
        r.Given = point;
        if (crs.ToSeries && !crs.ToSeries(point, problem.Reason)) return false;
        return AnswerExactPoint(query, point, r, sink, problem);
    }
    return AnswerOtherPoint(query, text, r, sink, problem);
}

bool AnswerExactPoint(const Query& query, const ExactPoint& point, SheetRecord& r, RecordSink& sink,
                      Problem& problem) {
    // The grid ends at 84 degrees at every scale: one look tells whether there is an answer.
    std::optional<PointSheet> sheet = SheetOfExactPoint(point, query.Scales.front());
    if (!sheet) {
        problem.Reason = "the series has no sheets beyond 84\u00B0 N and 84\u00B0 S";
        return false;
    }
    r.Point = point;
    SheetTexts texts;
    for (std::size_t i = 0; i < query.Scales.size(); ++i) {
        if (i > 0) sheet = SheetOfExactPoint(point, query.Scales[i]);
        texts.Set(sheet->Key);
        texts.Fill(r, sheet->Key, query.PointFrames);
        r.LatitudeJunction = sheet->LatitudeJunction;
        r.LongitudeJunction = sheet->LongitudeJunction;
        sink.Write(r);
    }
    return true;
}

bool AnswerFrame(const Query& query, std::string_view text, SheetRecord& r, RecordSink& sink,
                 Problem& problem) {
    const DesignationResult read = ReadDesignation(text);
    const int scale = query.Scales.empty() ? 0 : query.Scales.front();
    const DesignationReading* reading = Pick(read, scale, "--scale", problem);
    if (!reading) return false;
    SheetTexts texts;
    if (reading->Joined) {
        FillJoined(r, reading->Published);
    } else {
        texts.Set(reading->Key);
        texts.Fill(r, reading->Key);
    }
    sink.Write(r);
    return true;
}

bool AnswerAround(const Query& query, std::string_view text, SheetRecord& r, RecordSink& sink,
                  Problem& problem) {
    const DesignationResult read = ReadDesignation(text);
    const int scale = query.Scales.empty() ? 0 : query.Scales.front();
    const DesignationReading* reading = Pick(read, scale, "--scale", problem);
    if (!reading) return false;
    if (reading->Joined) {
        problem.Reason = "a joined sheet has no 3 \u00D7 3 block of its own; name one of its "
                         "members";
        return false;
    }
    const SheetKey& key = reading->Key;
    const auto frame = ComputeSheetFrame(key);
    const NeighbourGrid grid = ComputeNeighbours(FormatSheetNew(key), frame->X0, frame->Y0);
    SheetTexts texts;
    for (int cell = 1; cell <= 9; ++cell) {
        const NeighbourCell& c = grid.Cell(cell);
        r.Cell = cell;
        r.Present = c.Present;
        if (c.Present) {
            texts.Set(c.Key);
            texts.Fill(r, c.Key);
        } else {
            r.Scale = key.Scale;
            r.New = r.Old = r.PublishedNew = r.PublishedOld = {};
        }
        sink.Write(r);
    }
    return true;
}

bool AnswerRescale(const Query& query, std::string_view text, SheetRecord& r, RecordSink& sink,
                   Problem& problem) {
    const DesignationResult read = ReadDesignation(text);
    const DesignationReading* reading = Pick(read, query.From, "--from", problem);
    if (!reading) return false;
    const SignedFrame frame = reading->Joined
                                  ? reading->Published.Frame
                                  : ComputeSignedFrame(reading->Key).value_or(SignedFrame{});
    // The sheets that meet the inside of the frame: the one that holds it at a smaller scale,
    // those inside it at a larger one.
    const Area area{frame.South * kUnitsPerSecond, frame.North * kUnitsPerSecond,
                    frame.West * kUnitsPerSecond, frame.East * kUnitsPerSecond};
    Cover(area, query.Scales.front(), false, r, sink);
    return true;
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    return a / b - (a % b != 0 && (a < 0) != (b < 0));
}

std::int64_t CeilDiv(std::int64_t a, std::int64_t b) {
    return -FloorDiv(-a, b);
}

} // namespace

bool Answer(const Query& query, std::string_view text, std::size_t line, RecordSink& sink,
            Problem& problem) {
    SheetRecord r;
    return Answer(query, text, line, r, sink, problem);
}

bool Answer(const Query& query, std::string_view text, std::size_t line, SheetRecord& r,
            RecordSink& sink, Problem& problem) {
    // A point's answer sets every field a point record carries; the others start afresh.
    if (query.Kind != Command::Point) r = SheetRecord{};
    r.Line = line;
    r.Input = text;
    switch (query.Kind) {
    case Command::Point:
        return AnswerPoint(query, text, r, sink, problem);
    case Command::Frame:
        return AnswerFrame(query, text, r, sink, problem);
    case Command::Around:
        return AnswerAround(query, text, r, sink, problem);
    case Command::Rescale:
        return AnswerRescale(query, text, r, sink, problem);
    default:
        problem.Reason = "this subcommand takes no input";
        return false;
    }
}

bool ReadBox(std::string_view text, const Datum& datum, Area& area, std::string& error) {
    std::array<std::string_view, 4> parts;
    std::size_t n = 0;
    for (std::string_view rest = text;; ++n) {
        const std::size_t comma = rest.find(',');
        if (n < 4) parts[n] = rest.substr(0, comma);
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }
    if (n != 3) {
        error = "the box must be SOUTH,WEST,NORTH,EAST: four values separated by commas";
        return false;
    }
    std::array<ExactPoint, 2> corner;
    for (int i = 0; i < 2; ++i) {
        std::string pair(parts[2 * i]);
        pair += ' ';
        pair += parts[2 * i + 1];
        const PointResult read = ReadPoint(pair);
        if (!read.Ok) {
            error = "the " + std::string(i == 0 ? "south-west" : "north-east") + " corner \"" +
                    pair + "\" does not read: " + read.Error.English;
            return false;
        }
        corner[i] = read.Point;
        if (datum.ToSeries && !datum.ToSeries(corner[i], error)) return false;
    }
    area = {corner[0].Latitude, corner[1].Latitude, corner[0].Longitude, corner[1].Longitude};
    // 180 degrees west and east are one meridian: a box starts at it on the west and ends at
    // it on the east.
    const std::int64_t half = 180 * kUnitsPerDegree;
    if (area.West == half) area.West = -half;
    if (area.East == -half) area.East = half;
    if (area.South >= area.North) {
        error = "SOUTH must be below NORTH";
        return false;
    }
    if (area.West == area.East) {
        error = "WEST and EAST are the same meridian";
        return false;
    }
    return true;
}

void Cover(const Area& area, int scale, bool published, const SheetRecord& base, RecordSink& sink) {
    const std::int64_t h = SheetHeight(scale) * kUnitsPerSecond;
    const std::int64_t w = SheetWidth(scale) * kUnitsPerSecond;
    if (h == 0 || w == 0) return;
    const std::int64_t half = 180 * kUnitsPerDegree;
    const std::int64_t edge = 84 * kUnitsPerDegree;
    // Row k spans latitudes (k h, (k + 1) h], column j longitudes [j w, (j + 1) w) east of 180 W.
    const std::int64_t top = std::min(CeilDiv(area.North, h), edge / h) - 1;
    const std::int64_t bottom = std::max(FloorDiv(area.South, h), -edge / h);
    struct Span {
        std::int64_t First, Last;
    };
    std::array<Span, 2> spans;
    std::size_t spanCount = 0;
    const auto addSpan = [&](std::int64_t west, std::int64_t east) {
        spans[spanCount++] = {FloorDiv(west + half, w), CeilDiv(east + half, w) - 1};
    };
    if (area.West < area.East) {
        addSpan(area.West, area.East);
    } else {
        addSpan(area.West, half);
        addSpan(-half, area.East);
    }
    SheetRecord r = base;
    SheetTexts texts;
    for (std::int64_t k = top; k >= bottom; --k) {
        std::optional<SheetKey> last; // first member of the published sheet written last
        for (std::size_t s = 0; s < spanCount; ++s) {
            for (std::int64_t j = spans[s].First; j <= spans[s].Last; ++j) {
                const ExactPoint centre{k * h + h / 2, -half + j * w + w / 2};
                const auto sheet = SheetOfExactPoint(centre, scale);
                if (!sheet) continue;
                if (!published) {
                    texts.Set(sheet->Key);
                    texts.Fill(r, sheet->Key);
                    sink.Write(r);
                    continue;
                }
                const auto group = PublishedSheetOf(sheet->Key);
                if (!group || (last && *last == group->Members[0])) continue;
                last = group->Members[0];
                FillJoined(r, *group);
                r.Joined = group->Joined();
                sink.Write(r);
            }
        }
    }
}

} // namespace kavu::cli
