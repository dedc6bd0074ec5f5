// Polygon rasterisation and set operations on band lists.
#include "gdi/region.h"

#include <algorithm>
#include <utility>

namespace platform::gdi {

namespace {

// Bounds the rows-times-edges work of one polygon, so a huge slanted polygon fails instead of
// running for minutes and filling memory.
constexpr uint64_t kMaxRasterWork = uint64_t{1} << 26;
constexpr uint64_t kMaxSlantedRows = uint64_t{1} << 20;

// An edge stored top to bottom; dir says which way the polygon ran along it.
struct Edge {
    int64_t x0, y0, x1, y1;
    int dir;
};

int64_t FloorDiv(int64_t num, int64_t den) {  // den > 0
    int64_t q = num / den;
    return (num % den != 0 && num < 0) ? q - 1 : q;
}

// The first pixel column whose centre lies at or right of the edge on row y's centre line. Exact:
// 2 * dy * (X - 0.5) is an integer, and every term stays below 2^58 for coordinates within 2^27.
int64_t CrossingPixel(const Edge& e, int64_t y) {
    int64_t dy = e.y1 - e.y0;
    int64_t num = 2 * e.x0 * dy + (e.x1 - e.x0) * (2 * y + 1 - 2 * e.y0) - dy;
    return -FloorDiv(-num, 2 * dy);
}

void AppendSpan(std::vector<Span>& spans, int64_t left, int64_t right) {
    if (left >= right) return;
    if (!spans.empty() && spans.back().right >= left) {
        spans.back().right = std::max<int32_t>(spans.back().right, static_cast<int32_t>(right));
        return;
    }
    spans.push_back({static_cast<int32_t>(left), static_cast<int32_t>(right)});
}

std::vector<Span> RowSpans(const std::vector<const Edge*>& active, int64_t y, bool winding) {
    std::vector<std::pair<int64_t, int>> crossings;
    crossings.reserve(active.size());
    for (const Edge* e : active) crossings.emplace_back(CrossingPixel(*e, y), e->dir);
    std::sort(crossings.begin(), crossings.end());
    std::vector<Span> spans;
    int wind = 0;
    for (size_t i = 0; i + 1 < crossings.size(); ++i) {
        wind += crossings[i].second;
        bool inside = winding ? wind != 0 : (i % 2) == 0;
        if (inside) AppendSpan(spans, crossings[i].first, crossings[i + 1].first);
    }
    return spans;
}

bool Apply(int mode, bool a, bool b) {
    switch (mode) {
        case RGN_AND: return a && b;
        case RGN_OR: return a || b;
        case RGN_XOR: return a != b;
        case RGN_DIFF: return a && !b;
        default: return a;
    }
}

bool Covers(const std::vector<Span>& spans, size_t& i, int32_t x) {
    while (i < spans.size() && spans[i].right <= x) ++i;
    return i < spans.size() && spans[i].left <= x;
}

std::vector<Span> CombineSpans(const std::vector<Span>& a, const std::vector<Span>& b, int mode) {
    std::vector<int32_t> xs;
    xs.reserve(2 * (a.size() + b.size()));
    for (const Span& s : a) xs.insert(xs.end(), {s.left, s.right});
    for (const Span& s : b) xs.insert(xs.end(), {s.left, s.right});
    std::sort(xs.begin(), xs.end());
    xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
    std::vector<Span> out;
    size_t ia = 0, ib = 0;
    for (size_t i = 0; i + 1 < xs.size(); ++i) {
        if (Apply(mode, Covers(a, ia, xs[i]), Covers(b, ib, xs[i]))) AppendSpan(out, xs[i], xs[i + 1]);
    }
    return out;
}

const std::vector<Span>* BandAt(const BandList& bands, size_t& i, int32_t y) {
    while (i < bands.size() && bands[i].bottom <= y) ++i;
    return (i < bands.size() && bands[i].top <= y) ? &bands[i].spans : nullptr;
}

}  // namespace

void AppendBand(BandList& bands, int32_t top, int32_t bottom, std::vector<Span> spans) {
    if (spans.empty() || top >= bottom) return;
    if (!bands.empty() && bands.back().bottom == top && bands.back().spans == spans) {
        bands.back().bottom = bottom;
        return;
    }
    bands.push_back({top, bottom, std::move(spans)});
}

bool RasterisePolygon(const POINT* points, int count, bool winding, BandList& out) {
    out.clear();
    if (!points || count < 3) return true;
    std::vector<Edge> edges;
    std::vector<int64_t> ys;
    for (int i = 0; i < count; ++i) {
        const POINT& a = points[i];
        const POINT& b = points[(i + 1) % count];
        if (a.y == b.y) continue;  // crosses no row centre line
        if (a.y < b.y) edges.push_back({a.x, a.y, b.x, b.y, 1});
        else edges.push_back({b.x, b.y, a.x, a.y, -1});
        ys.push_back(a.y);
    }
    if (edges.empty()) return true;
    std::sort(edges.begin(), edges.end(), [](const Edge& l, const Edge& r) { return l.y0 < r.y0; });
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());

    std::vector<const Edge*> active;
    size_t next = 0;
    uint64_t work = 0, slantedRows = 0;
    for (size_t s = 0; s + 1 < ys.size(); ++s) {
        int64_t top = ys[s], bottom = ys[s + 1];
        std::erase_if(active, [top](const Edge* e) { return e->y1 <= top; });
        while (next < edges.size() && edges[next].y0 <= top) active.push_back(&edges[next++]);
        if (active.empty()) continue;
        bool vertical = std::all_of(active.begin(), active.end(), [](const Edge* e) { return e->x0 == e->x1; });
        if (vertical) {
            // Every row of the slab is the same, however tall it is.
            work += active.size();
            AppendBand(out, static_cast<int32_t>(top), static_cast<int32_t>(bottom), RowSpans(active, top, winding));
            continue;
        }
        for (int64_t y = top; y < bottom; ++y) {
            work += active.size();
            if (work > kMaxRasterWork || ++slantedRows > kMaxSlantedRows) {
                out.clear();
                return false;
            }
            AppendBand(out, static_cast<int32_t>(y), static_cast<int32_t>(y + 1), RowSpans(active, y, winding));
        }
    }
    return true;
}

BandList CombineBands(const BandList& a, const BandList& b, int mode) {
    std::vector<int32_t> ys;
    ys.reserve(2 * (a.size() + b.size()));
    for (const Band& band : a) ys.insert(ys.end(), {band.top, band.bottom});
    for (const Band& band : b) ys.insert(ys.end(), {band.top, band.bottom});
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
    static const std::vector<Span> kNone;
    BandList out;
    size_t ia = 0, ib = 0;
    for (size_t i = 0; i + 1 < ys.size(); ++i) {
        const std::vector<Span>* sa = BandAt(a, ia, ys[i]);
        const std::vector<Span>* sb = BandAt(b, ib, ys[i]);
        if (!sa && !sb) continue;
        AppendBand(out, ys[i], ys[i + 1], CombineSpans(sa ? *sa : kNone, sb ? *sb : kNone, mode));
    }
    return out;
}

int RegionKind(const BandList& bands) {
    if (bands.empty()) return NULLREGION;
    return (bands.size() == 1 && bands[0].spans.size() == 1) ? SIMPLEREGION : COMPLEXREGION;
}

}  // namespace platform::gdi
