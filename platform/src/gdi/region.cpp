// Polygon rasterisation: a pixel belongs to the polygon when its centre is inside by the fill
// rule; an edge passing exactly through a centre leaves that pixel on its right.
#include "gdi/region.h"

#include <algorithm>
#include <bit>
#include <limits>

namespace platform::gdi {

namespace {

// Bounds the rows-times-edges work of one polygon, so a huge slanted polygon fails instead of
// running for minutes and filling memory.
constexpr uint64_t kMaxRasterWork = uint64_t{1} << 26;
constexpr uint64_t kMaxSlantedRows = uint64_t{1} << 20;

int64_t FloorDiv(int64_t num, int64_t den) {  // den > 0
    // The edges of small outlines are mostly one, two or four rows tall, and their divisors twice
    // that: a shift instead of a division.
    if ((den & (den - 1)) == 0) return num >> std::countr_zero(static_cast<uint64_t>(den));
    // Outlines at a quarter of the em take the much quicker 32-bit division.
    if (num == static_cast<int32_t>(num) && den == static_cast<int32_t>(den)) {
        const auto n = static_cast<int32_t>(num), d = static_cast<int32_t>(den);
        const int32_t q = n / d;
        return (n % d != 0 && n < 0) ? q - 1 : q;
    }
    int64_t q = num / den;
    return (num % den != 0 && num < 0) ? q - 1 : q;
}

// An edge stored top to bottom; dir says which way the polygon ran along it.
struct Edge {
    int32_t x0, y0, x1, y1;
    int32_t dir;
};

// A run of edges going down all the way, top to bottom: one of them crosses every row from the
// run's top to its bottom. A polygon is cut into such chains where it turns back in y.
//
// For the row being drawn the chain holds where its edge crosses: the first pixel column whose
// centre lies at or right of the edge on the row's centre line, exactly. With den = 2 dy,
// 2 dy (X - 0.5) = crossing * den - rest, 0 <= rest < den; every term stays below 2^58 for
// coordinates within 2^27. Going down a row adds 2 dx to the left side: stepQuot rows of den
// and stepRest.
struct Chain {
    uint32_t first;  // its top edge in the edge vector
    int32_t step;    // from an edge to the one below it there: 1 or -1
    int32_t top, bottom;
    const Edge* edge;
    int64_t crossing, rest, den, stepQuot, stepRest;

    // Onto edge e, at its top row: the row whose centre line lies half a row below the top.
    void StartAt(const Edge* e) {
        edge = e;
        const int64_t dy = e->y1 - e->y0, dx = e->x1 - e->x0;
        den = 2 * dy;
        // There 2 dy (X - 0.5) = 2 dy x0 + dx - dy. A steep edge (|dx| <= dy, most of a small
        // outline's) crosses in its own top column and steps by less than a column: no division.
        const int64_t t = dx - dy;
        if (-dy < dx && dx <= dy) {
            crossing = e->x0;
            rest = -t;
        } else {
            const int64_t q = -FloorDiv(-t, den);
            crossing = e->x0 + q;
            rest = q * den - t;
        }
        if (dy == 1)
            stepQuot = 0;  // an edge of one row is never drawn a second time
        else if (0 <= dx && dx < dy)
            stepQuot = 0;
        else if (-dy <= dx && dx < 0)
            stepQuot = -1;
        else
            stepQuot = FloorDiv(2 * dx, den);
        stepRest = 2 * dx - stepQuot * den;
    }
    // Onto the next edge when this one ends above row y; the next starts where this one ended.
    void Follow(int64_t y) {
        if (edge->y1 <= y) StartAt(edge + step);
    }
    void NextRow() {
        rest -= stepRest;
        // Without a branch: whether the rest went below zero is as good as random.
        const int64_t under = rest >> 63;  // -1 or 0
        rest += den & under;
        crossing += stepQuot - under;
    }
    bool Vertical() const { return edge->x0 == edge->x1; }
};

// Scratch of the rasteriser, kept so that a polygon costs no allocation once warm; used only
// while RegionMutex() is held.
struct RasterScratch {
    std::vector<Edge> edges;  // chain by chain, the first edgeCount of them; never shrinks
    uint32_t edgeCount = 0;
    uint64_t rows = 0;          // that the edges cross, summed over the edges
    int64_t low = 0, high = 0;  // the edges' top and bottom
    std::vector<Chain> chains;
    std::vector<uint32_t> order;  // chains by top
    std::vector<Chain*> active;
    std::vector<uint64_t> keys;
    std::vector<const Edge*> across;
};

RasterScratch& Raster() {
    static auto* scratch = new RasterScratch;
    return *scratch;
}

// Cuts the polygon's edges (less the horizontal ones, which cross no row centre line) into chains.
// They are collected from where the direction turns, so that no chain is cut in two: from the
// first edge that runs the other way in y than the one before it.
void BuildChains(const POINT* points, int count, RasterScratch& scratch) {
    std::vector<Edge>& edges = scratch.edges;
    std::vector<Chain>& chains = scratch.chains;
    scratch.edgeCount = 0;
    chains.clear();
    int start = -1;
    for (int i = 0, previous = 0; i < count; ++i) {
        const LONG ya = points[i].y, yb = points[i + 1 < count ? i + 1 : 0].y;
        const int dir = (ya < yb) - (ya > yb);
        if (dir == 0) continue;
        if (previous != 0 && dir != previous) {
            start = i;
            break;
        }
        previous = dir;
    }
    if (start < 0) return;  // every edge one way, or none: no closed polygon has that
    // Written in place: no capacity check per edge. Chains are cut and the rows counted on the way.
    if (edges.size() < static_cast<size_t>(count)) edges.resize(static_cast<size_t>(count));
    Edge* const from = edges.data();
    Edge* to = from;
    uint64_t rows = 0;
    int32_t low = std::numeric_limits<int32_t>::max(), high = std::numeric_limits<int32_t>::min();
    uint32_t chainFrom = 0;
    int32_t chainDir = 0;
    auto endChain = [&](uint32_t end) {
        if (end == chainFrom) return;
        Chain c{};
        // A chain that goes up in the polygon's order was collected bottom first.
        const bool up = chainDir < 0;
        c.first = up ? end - 1 : chainFrom;
        c.step = up ? -1 : 1;
        c.top = from[c.first].y0;
        c.bottom = from[up ? chainFrom : end - 1].y1;
        chains.push_back(c);
        chainFrom = end;
    };
    auto x0 = static_cast<int32_t>(points[start].x), y0 = static_cast<int32_t>(points[start].y);
    auto take = [&](const POINT& p) {
        const auto x1 = static_cast<int32_t>(p.x), y1 = static_cast<int32_t>(p.y);
        if (y0 != y1) {
            const bool down = y0 < y1;
            const int32_t dir = down ? 1 : -1;
            if (dir != chainDir) {
                endChain(static_cast<uint32_t>(to - from));
                chainDir = dir;
            }
            // Field by field, so that each is a choice rather than a branch.
            Edge& e = *to++;
            e.x0 = down ? x0 : x1;
            e.y0 = down ? y0 : y1;
            e.x1 = down ? x1 : x0;
            e.y1 = down ? y1 : y0;
            e.dir = dir;
            rows += static_cast<uint64_t>(e.y1 - e.y0);
            low = e.y0 < low ? e.y0 : low;
            high = e.y1 > high ? e.y1 : high;
        }
        x0 = x1;
        y0 = y1;
    };
    for (int i = start + 1; i < count; ++i) take(points[i]);
    for (int i = 0; i <= start; ++i) take(points[i]);
    const auto n = static_cast<uint32_t>(to - from);
    endChain(n);
    scratch.edgeCount = n;
    scratch.rows = rows;
    scratch.low = low;
    scratch.high = high;
}

// Whether the polygon stays within the work it may take, counted as rows times the edges that
// cross them, a run of rows whose edges are all vertical counting as one row.
bool WithinWorkLimits(RasterScratch& scratch) {
    const std::vector<Edge>& edges = scratch.edges;
    const uint64_t rows = scratch.rows;
    const int64_t low = scratch.low, high = scratch.high;
    // Every row counted once per edge, and every row slanted: the most it can come to.
    if (rows <= kMaxRasterWork && static_cast<uint64_t>(high - low) <= kMaxSlantedRows) return true;
    // Otherwise counted exactly, from one vertex height to the next.
    std::vector<uint64_t>& keys = scratch.keys;
    std::vector<const Edge*>& across = scratch.across;
    keys.clear();
    across.clear();
    for (size_t i = 0; i < scratch.edgeCount; ++i) keys.push_back((static_cast<uint64_t>(edges[i].y0 - low) << 32) | i);
    std::sort(keys.begin(), keys.end());
    auto edgeAt = [&](size_t k) -> const Edge& { return edges[keys[k] & 0xFFFFFFFFu]; };
    constexpr int64_t kNever = std::numeric_limits<int64_t>::max();
    uint64_t work = 0, slantedRows = 0;
    size_t next = 0;
    int64_t top = low;
    while (true) {
        std::erase_if(across, [top](const Edge* e) { return e->y1 <= top; });
        for (; next < keys.size() && edgeAt(next).y0 <= top; ++next) across.push_back(&edgeAt(next));
        int64_t bottom = next < keys.size() ? edgeAt(next).y0 : kNever;
        bool vertical = true;
        for (const Edge* e : across) {
            bottom = std::min<int64_t>(bottom, e->y1);
            vertical = vertical && e->x0 == e->x1;
        }
        if (bottom == kNever) return true;
        if (!across.empty() && vertical) {
            work += across.size();
        } else if (!across.empty()) {
            work += across.size() * static_cast<uint64_t>(bottom - top);
            slantedRows += static_cast<uint64_t>(bottom - top);
            if (work > kMaxRasterWork || slantedRows > kMaxSlantedRows) return false;
        }
        top = bottom;
    }
}

// Keeps active in crossing order; it is nearly sorted from the row before.
void SortByCrossing(std::vector<Chain*>& active) {
    for (size_t i = 1; i < active.size(); ++i) {
        Chain* c = active[i];
        size_t j = i;
        for (; j > 0 && active[j - 1]->crossing > c->crossing; --j) active[j] = active[j - 1];
        active[j] = c;
    }
}

// Rows top..bottom as the sorted crossings of active make them.
void AddRows(const std::vector<Chain*>& active, bool winding, int64_t top, int64_t bottom, BandList& out) {
    const uint32_t start = out.openBand();
    int wind = 0;
    for (size_t i = 0; i + 1 < active.size(); ++i) {
        wind += active[i]->edge->dir;
        const bool inside = winding ? wind != 0 : (i % 2) == 0;
        if (inside)
            out.addSpan(start, static_cast<int32_t>(active[i]->crossing), static_cast<int32_t>(active[i + 1]->crossing));
    }
    out.closeBand(start, static_cast<int32_t>(top), static_cast<int32_t>(bottom));
}

// Rows y..limit of two chains, the inside lying between them whatever the fill rule: run by run
// of rows over which neither chain changes its edge, two vertical edges making one band.
void DrawPair(Chain& a, Chain& b, int64_t y, int64_t limit, BandList& out) {
    while (y < limit) {
        a.Follow(y);
        b.Follow(y);
        const int64_t bottom = a.edge->y1 < b.edge->y1 ? a.edge->y1 : b.edge->y1;
        const int64_t end = bottom < limit ? bottom : limit;
        if (a.Vertical() && b.Vertical()) {
            out.addRow(static_cast<int32_t>(y), static_cast<int32_t>(end),
                       static_cast<int32_t>(std::min(a.crossing, b.crossing)),
                       static_cast<int32_t>(std::max(a.crossing, b.crossing)));
            a.NextRow();
            b.NextRow();
            y = end;
            continue;
        }
        for (; y < end; ++y) {
            out.addRow(static_cast<int32_t>(y), static_cast<int32_t>(y + 1),
                       static_cast<int32_t>(std::min(a.crossing, b.crossing)),
                       static_cast<int32_t>(std::max(a.crossing, b.crossing)));
            a.NextRow();
            b.NextRow();
        }
    }
}

// Rows y..limit of any number of chains.
void DrawChains(std::vector<Chain*>& active, bool winding, int64_t y, int64_t limit, BandList& out) {
    while (y < limit) {
        int64_t end = y + 1;
        bool vertical = true;
        for (Chain* c : active) {
            c->Follow(y);
            vertical = vertical && c->Vertical();
        }
        if (vertical) {
            // Every row until an edge ends is the same, however many there are.
            end = limit;
            for (const Chain* c : active) end = std::min<int64_t>(end, c->edge->y1);
        }
        SortByCrossing(active);
        AddRows(active, winding, y, end, out);
        for (Chain* c : active) c->NextRow();
        y = end;
    }
}

}  // namespace

bool RasterisePolygon(const POINT* points, int count, bool winding, BandList& out) {
    out.clear();
    if (!points || count < 3) return true;
    RasterScratch& scratch = Raster();
    BuildChains(points, count, scratch);
    if (scratch.edgeCount == 0) return true;
    if (!WithinWorkLimits(scratch)) return false;

    std::vector<Chain>& chains = scratch.chains;
    std::vector<uint32_t>& order = scratch.order;
    std::vector<Chain*>& active = scratch.active;
    order.resize(chains.size());
    for (uint32_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return chains[a].top < chains[b].top; });
    active.clear();

    // Between one chain starting or ending and the next the same chains are drawn.
    constexpr int64_t kNever = std::numeric_limits<int64_t>::max();
    size_t next = 0;
    int64_t y = chains[order[0]].top;
    while (true) {
        std::erase_if(active, [y](const Chain* c) { return c->bottom <= y; });
        for (; next < order.size() && chains[order[next]].top <= y; ++next) {
            Chain& c = chains[order[next]];
            c.StartAt(&scratch.edges[c.first]);  // a chain starts at the top of its first edge
            active.push_back(&c);
        }
        int64_t limit = next < order.size() ? chains[order[next]].top : kNever;
        for (const Chain* c : active) limit = std::min<int64_t>(limit, c->bottom);
        if (limit == kNever) break;
        if (active.size() == 2)
            DrawPair(*active[0], *active[1], y, limit, out);
        else if (!active.empty())
            DrawChains(active, winding, y, limit, out);
        y = limit;
    }
    return true;
}

}  // namespace platform::gdi
