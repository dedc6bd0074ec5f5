// Set operations on band lists: band by band, span by span, in one pass over both lists.
#include <algorithm>
#include <limits>

#include "gdi/region.h"

namespace platform::gdi {

namespace {

// A scratch list keeps at most this many spans' worth of storage between calls.
constexpr size_t kKeptSpans = size_t{1} << 16;

bool Apply(int mode, bool a, bool b) {
    switch (mode) {
        case RGN_AND: return a && b;
        case RGN_OR: return a || b;
        case RGN_XOR: return a != b;
        case RGN_DIFF: return a && !b;
        default: return a;
    }
}

[[gnu::always_inline]] inline void AndSpans(const Span* a, uint32_t na, const Span* b, uint32_t nb, uint32_t start, BandList& out) {
    uint32_t i = 0, j = 0;
    while (i < na && j < nb) {
        out.addSpan(start, std::max(a[i].left, b[j].left), std::min(a[i].right, b[j].right));
        if (a[i].right < b[j].right)
            ++i;
        else
            ++j;
    }
}

[[gnu::always_inline]] inline void DiffSpans(const Span* a, uint32_t na, const Span* b, uint32_t nb, uint32_t start, BandList& out) {
    uint32_t j = 0;
    for (uint32_t i = 0; i < na; ++i) {
        int32_t from = a[i].left;
        while (j < nb && b[j].right <= from) ++j;
        uint32_t k = j;
        for (; k < nb && b[k].left < a[i].right; ++k) {
            out.addSpan(start, from, b[k].left);
            from = std::max(from, b[k].right);
            if (from >= a[i].right) break;  // b[k] may reach into the next span of a
        }
        out.addSpan(start, from, a[i].right);
        j = k;
    }
}

// Any mode: walks the span ends of both lists in x order.
void SweepSpans(const Span* a, uint32_t na, const Span* b, uint32_t nb, int mode, uint32_t start, BandList& out) {
    constexpr int32_t kNone = std::numeric_limits<int32_t>::max();
    uint32_t i = 0, j = 0;
    bool inA = false, inB = false, inside = false;
    int32_t openedAt = 0;
    while (i < na || j < nb) {
        const int32_t xa = i < na ? (inA ? a[i].right : a[i].left) : kNone;
        const int32_t xb = j < nb ? (inB ? b[j].right : b[j].left) : kNone;
        const int32_t x = std::min(xa, xb);
        if (xa == x) {
            if (inA) ++i;
            inA = !inA;
        }
        if (xb == x) {
            if (inB) ++j;
            inB = !inB;
        }
        const bool now = Apply(mode, inA, inB);
        if (now == inside) continue;
        if (now)
            openedAt = x;
        else
            out.addSpan(start, openedAt, x);
        inside = now;
    }
}

}  // namespace

bool BandList::sameAs(const BandList& other) const {
    if (bands_.size() != other.bands_.size() || spans_.size() != other.spans_.size()) return false;
    for (size_t i = 0; i < bands_.size(); ++i) {
        const Band& x = bands_[i];
        const Band& z = other.bands_[i];
        if (x.top != z.top || x.bottom != z.bottom || x.count != z.count ||
            !std::equal(spans(x), spans(x) + x.count, other.spans(z)))
            return false;
    }
    return true;
}

void BandList::trim() {
    if (spans_.capacity() <= kKeptSpans && bands_.capacity() <= kKeptSpans) return;
    std::vector<Band>().swap(bands_);
    std::vector<Span>().swap(spans_);
}

namespace {

[[gnu::always_inline]] inline void CopyBand(const BandList& from, const Band& band, int32_t top, int32_t bottom, BandList& out) {
    const uint32_t start = out.openBand();
    out.addSpans(from.spans(band), band.count);
    out.closeBand(start, top, bottom);
}

[[gnu::always_inline]] inline bool SameSpans(const BandList& a, const Band& x, const BandList& b, const Band& z) {
    return x.count == z.count && std::equal(a.spans(x), a.spans(x) + x.count, b.spans(z));
}

// Rows where both have a band.
void AndBands(const BandList& a, const BandList& b, BandList& out) {
    const std::vector<Band>& bandsA = a.bands();
    const std::vector<Band>& bandsB = b.bands();
    size_t i = 0, j = 0;
    while (i < bandsA.size() && j < bandsB.size()) {
        const Band& x = bandsA[i];
        const Band& z = bandsB[j];
        const int32_t top = std::max(x.top, z.top), bottom = std::min(x.bottom, z.bottom);
        if (top < bottom && SameSpans(a, x, b, z)) {
            CopyBand(a, x, top, bottom, out);
        } else if (top < bottom) {
            const uint32_t start = out.openBand();
            AndSpans(a.spans(x), x.count, b.spans(z), z.count, start, out);
            out.closeBand(start, top, bottom);
        }
        if (x.bottom <= z.bottom) ++i;
        if (z.bottom <= x.bottom) ++j;
    }
}

// Each band of a, less the bands of b that share its rows.
void DiffBands(const BandList& a, const BandList& b, BandList& out) {
    const std::vector<Band>& bandsA = a.bands();
    const std::vector<Band>& bandsB = b.bands();
    size_t j = 0;
    for (const Band& x : bandsA) {
        int32_t y = x.top;
        while (j < bandsB.size() && bandsB[j].bottom <= y) ++j;
        while (y < x.bottom) {
            if (j == bandsB.size() || bandsB[j].top >= x.bottom) {
                CopyBand(a, x, y, x.bottom, out);
                break;
            }
            const Band& z = bandsB[j];
            if (z.top > y) {
                CopyBand(a, x, y, z.top, out);
                y = z.top;
            }
            const int32_t to = std::min(x.bottom, z.bottom);
            // Where b has the very spans of a (a taken less what it has in common with b), nothing
            // is left.
            if (x.count == 1 && z.count == 1) {
                // Most bands of an outline's polygon: one span less one span, without the loops.
                const Span sa = a.spans(x)[0], sb = b.spans(z)[0];
                if (!(sa == sb)) {
                    const uint32_t start = out.openBand();
                    out.addSpan(start, sa.left, std::min(sa.right, sb.left));
                    out.addSpan(start, std::max(sa.left, sb.right), sa.right);
                    out.closeBand(start, y, to);
                }
            } else if (!SameSpans(a, x, b, z)) {
                const uint32_t start = out.openBand();
                DiffSpans(a.spans(x), x.count, b.spans(z), z.count, start, out);
                out.closeBand(start, y, to);
            }
            y = to;
            if (z.bottom <= y) ++j;  // a band of b reaching below x serves the next band of a too
        }
    }
}

// Any mode: walks the band edges of both lists in y order.
void SweepBands(const BandList& a, const BandList& b, int mode, BandList& out) {
    const std::vector<Band>& bandsA = a.bands();
    const std::vector<Band>& bandsB = b.bands();
    constexpr int32_t kNone = std::numeric_limits<int32_t>::max();
    size_t i = 0, j = 0;
    int32_t y = std::numeric_limits<int32_t>::min();
    while (i < bandsA.size() || j < bandsB.size()) {
        const Band* ba = i < bandsA.size() ? &bandsA[i] : nullptr;
        const Band* bb = j < bandsB.size() ? &bandsB[j] : nullptr;
        const int32_t fromA = ba ? std::max(ba->top, y) : kNone;
        const int32_t fromB = bb ? std::max(bb->top, y) : kNone;
        const int32_t from = std::min(fromA, fromB);
        const bool inA = fromA == from;
        const bool inB = fromB == from;
        const int32_t to = std::min(inA ? ba->bottom : fromA, inB ? bb->bottom : fromB);
        if (inA && inB) {
            const uint32_t start = out.openBand();
            SweepSpans(a.spans(*ba), ba->count, b.spans(*bb), bb->count, mode, start, out);
            out.closeBand(start, from, to);
        } else if (inA && Apply(mode, true, false)) {
            CopyBand(a, *ba, from, to, out);
        } else if (inB && Apply(mode, false, true)) {
            CopyBand(b, *bb, from, to, out);
        }
        y = to;
        if (ba && ba->bottom <= y) ++i;
        if (bb && bb->bottom <= y) ++j;
    }
}

}  // namespace

void CombineBands(const BandList& a, const BandList& b, int mode, BandList& out) {
    out.clear();
    if (mode == RGN_AND)
        AndBands(a, b, out);
    else if (mode == RGN_DIFF)
        DiffBands(a, b, out);
    else
        SweepBands(a, b, mode, out);
}

int RegionKind(const BandList& bands) {
    if (bands.empty()) return NULLREGION;
    return (bands.bands().size() == 1 && bands.bands()[0].count == 1) ? SIMPLEREGION : COMPLEXREGION;
}

}  // namespace platform::gdi
