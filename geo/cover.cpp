#include "geo/cover.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <string>

namespace kavu::geo {

namespace {

__extension__ typedef __int128 Wide;

constexpr std::int64_t kUnitsPerDegree = 3600 * kUnitsPerSecond;
constexpr std::int64_t kHalfTurn = 180 * kUnitsPerDegree;
constexpr std::int64_t kTurn = 360 * kUnitsPerDegree;

Wide FloorDiv(Wide n, Wide d) { // d > 0
    Wide q = n / d;
    if (n % d != 0 && n < 0) --q;
    return q;
}
Wide CeilDiv(Wide n, Wide d) { // d > 0
    Wide q = n / d;
    if (n % d != 0 && n > 0) ++q;
    return q;
}

// Into (-180, 180] degrees.
std::int64_t Wrap(std::int64_t dx) {
    dx %= kTurn;
    if (dx > kHalfTurn) dx -= kTurn;
    if (dx <= -kHalfTurn) dx += kTurn;
    return dx;
}

bool Usable(LatLon p) {
    return std::isfinite(p.Latitude) && std::isfinite(p.Longitude) && std::fabs(p.Latitude) <= 90 &&
           std::fabs(p.Longitude) <= 1e6;
}

} // namespace

SheetCover::SheetCover(int scale) : scale_(scale) {
    if (scale < 1 || scale > kSheetScaleCount) return;
    height_ = std::int64_t{SheetHeight(scale)} * kUnitsPerSecond;
    width_ = std::int64_t{SheetWidth(scale)} * kUnitsPerSecond;
    columns_ = kTurn / width_;
    // Rows whose points lie in (84 S, 84 N].
    minRow_ = -(84 * kUnitsPerDegree) / height_;
    maxRow_ = (84 * kUnitsPerDegree) / height_ - 1;
}

void SheetCover::AddCell(std::int64_t row, std::int64_t column) {
    if (row < minRow_ || row > maxRow_) return;
    column %= columns_;
    if (column < 0) column += columns_;
    cells_.push_back({static_cast<std::int32_t>(row), static_cast<std::int32_t>(column)});
}

std::vector<SheetCover::Unit> SheetCover::Unwrap(std::span<const LatLon> vertices,
                                                 Join join) const {
    std::vector<Unit> out;
    out.reserve(vertices.size());
    std::int64_t previous = 0; // the last vertex as given, before unwrapping
    for (const LatLon& p : vertices) {
        if (!Usable(p)) continue;
        const std::int64_t y = std::llround(p.Latitude * kUnitsPerDegree);
        const std::int64_t x = std::llround(p.Longitude * kUnitsPerDegree) + kHalfTurn;
        const bool asGiven = out.empty() || join == Join::AsDrawn;
        out.push_back({asGiven ? x : out.back().X + Wrap(x - previous), y});
        previous = x;
    }
    return out;
}

void SheetCover::AddPoint(LatLon point) {
    if (width_ == 0 || !Usable(point)) return;
    const std::vector<Unit> u = Unwrap(std::span(&point, 1), Join::AsDrawn);
    AddSegment(u[0], u[0]);
}

void SheetCover::AddLine(std::span<const LatLon> vertices, Join join) {
    if (width_ == 0) return;
    const std::vector<Unit> u = Unwrap(vertices, join);
    if (u.size() == 1) AddSegment(u[0], u[0]);
    for (std::size_t i = 1; i < u.size(); ++i)
        AddSegment(u[i - 1], u[i]);
}

// Every point of the closed segment a-b lies in the cell of a, of b, of a crossing with a sheet
// edge, or in the open piece that follows a or a crossing; that piece's cell is the one entered
// moving from its start towards b.
void SheetCover::AddSegment(Unit a, Unit b) {
    const Wide H = height_, W = width_;
    const std::int64_t dx = b.X - a.X, dy = b.Y - a.Y;
    // Cell of the point (xn / d, yn / d), d > 0, by the edge rule or just after it towards b.
    auto at = [&](Wide xn, Wide yn, Wide d, bool after) {
        const Wide row = after && dy > 0 ? FloorDiv(yn, d * H) : CeilDiv(yn, d * H) - 1;
        const Wide column = after && dx < 0 ? CeilDiv(xn, d * W) - 1 : FloorDiv(xn, d * W);
        AddCell(static_cast<std::int64_t>(row), static_cast<std::int64_t>(column));
    };
    at(a.X, a.Y, 1, false);
    if (dx == 0 && dy == 0) return;
    at(a.X, a.Y, 1, true);
    at(b.X, b.Y, 1, false);

    // Meridians strictly between the ends.
    if (dx != 0) {
        const std::int64_t lo = std::min(a.X, b.X), hi = std::max(a.X, b.X);
        const Wide d = dx > 0 ? dx : -dx, sign = dx > 0 ? 1 : -1;
        for (Wide k = FloorDiv(lo, W) + 1; k * W < hi; ++k) {
            const Wide yn = sign * (Wide(a.Y) * dx + Wide(dy) * (k * W - a.X));
            at(k * W * d, yn, d, false);
            at(k * W * d, yn, d, true);
        }
    }
    // Parallels strictly between the ends.
    if (dy != 0) {
        const std::int64_t lo = std::min(a.Y, b.Y), hi = std::max(a.Y, b.Y);
        const Wide d = dy > 0 ? dy : -dy, sign = dy > 0 ? 1 : -1;
        const Wide first = std::max<Wide>(FloorDiv(lo, H) + 1, minRow_ - 1);
        const Wide last = std::min<Wide>(CeilDiv(hi, H) - 1, maxRow_ + 2);
        for (Wide m = first; m <= last; ++m) {
            const Wide xn = sign * (Wide(a.X) * dy + Wide(dx) * (m * H - a.Y));
            at(xn, m * H * d, d, false);
            at(xn, m * H * d, d, true);
        }
    }
}

bool SheetCover::AddArea(std::span<const std::vector<LatLon>> rings, Join join) {
    if (width_ == 0) return true;
    std::vector<std::vector<Unit>> units;
    for (const auto& ring : rings) {
        std::vector<Unit> u = Unwrap(ring, join);
        if (u.empty()) continue;
        // A ring whose closing edge does not lead back to its start went round the globe.
        if (join == Join::ShortWay && Wrap(u.front().X - u.back().X) != u.front().X - u.back().X)
            return false;
        units.push_back(std::move(u));
    }
    if (units.empty()) return true;
    // Holes and further rings lie beside the first one, not a turn away from it (as drawn,
    // they lie where they are).
    auto middle = [](const std::vector<Unit>& u) {
        auto [lo, hi] =
            std::minmax_element(u.begin(), u.end(), [](Unit p, Unit q) { return p.X < q.X; });
        return lo->X / 2 + hi->X / 2;
    };
    const std::int64_t centre = middle(units[0]);
    for (std::size_t r = 1; join == Join::ShortWay && r < units.size(); ++r) {
        const std::int64_t shift = Wrap(middle(units[r]) - centre) - (middle(units[r]) - centre);
        for (Unit& p : units[r])
            p.X += shift;
    }

    std::int64_t south = units[0][0].Y, north = south;
    for (const auto& u : units) {
        for (std::size_t i = 0; i < u.size(); ++i) {
            AddSegment(u[i], u[(i + 1) % u.size()]);
            south = std::min(south, u[i].Y);
            north = std::max(north, u[i].Y);
        }
    }

    // Cells the boundary misses are wholly inside or wholly outside: test their centres,
    // row by row (even-odd; a vertex counts once by taking each edge half-open in latitude).
    const Wide H = height_, W = width_;
    const std::int64_t firstRow = std::max<std::int64_t>(FloorDiv(south, H), minRow_);
    const std::int64_t lastRow = std::min<std::int64_t>(CeilDiv(north, H), maxRow_);
    std::vector<std::int64_t> xs;
    for (std::int64_t row = firstRow; row <= lastRow; ++row) {
        const Wide yc = Wide(row) * H + H / 2;
        xs.clear();
        for (const auto& u : units) {
            for (std::size_t i = 0; i < u.size(); ++i) {
                const Unit p = u[i], q = u[(i + 1) % u.size()];
                if ((p.Y <= yc && yc < q.Y) || (q.Y <= yc && yc < p.Y)) {
                    // Crossing x = p.X + (q.X - p.X)(yc - p.Y)/(q.Y - p.Y), floored: the centres
                    // are whole units, so the floor orders them against the crossing.
                    Wide n = Wide(p.X) * (q.Y - p.Y) + Wide(q.X - p.X) * (yc - p.Y);
                    Wide d = q.Y - p.Y;
                    if (d < 0) n = -n, d = -d;
                    xs.push_back(static_cast<std::int64_t>(FloorDiv(n, d)));
                }
            }
        }
        std::sort(xs.begin(), xs.end());
        for (std::size_t i = 0; i + 1 < xs.size(); i += 2) {
            const Wide from = FloorDiv(Wide(xs[i]) - W / 2, W) + 1;
            const Wide to = FloorDiv(Wide(xs[i + 1]) - W / 2, W);
            for (Wide c = from; c <= to; ++c)
                AddCell(row, static_cast<std::int64_t>(c));
        }
    }
    return true;
}

std::vector<SheetKey> SheetCover::Sheets() const {
    std::vector<Cell> cells = cells_;
    auto order = [](const Cell& p, const Cell& q) {
        return p.Row != q.Row ? p.Row > q.Row : p.Column < q.Column;
    };
    std::sort(cells.begin(), cells.end(), order);
    cells.erase(std::unique(cells.begin(), cells.end(),
                            [](const Cell& p, const Cell& q) {
                                return p.Row == q.Row && p.Column == q.Column;
                            }),
                cells.end());
    std::vector<SheetKey> keys;
    keys.reserve(cells.size());
    for (const Cell& c : cells) {
        // The north-west corner belongs to the cell by the edge rule.
        const ExactPoint corner{(std::int64_t{c.Row} + 1) * height_,
                                std::int64_t{c.Column} * width_ - kHalfTurn};
        if (auto sheet = SheetOfExactPoint(corner, scale_)) keys.push_back(sheet->Key);
    }
    return keys;
}

std::vector<PublishedSheet> SheetCover::Published() const {
    std::vector<PublishedSheet> out;
    std::set<std::string> seen;
    for (const SheetKey& key : Sheets()) {
        auto published = PublishedSheetOf(key);
        if (published && seen.insert(published->New).second) out.push_back(std::move(*published));
    }
    return out;
}

} // namespace kavu::geo
