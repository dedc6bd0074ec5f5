// Region objects (HRGN): sets of pixels kept as y-bands of x-spans, and the set arithmetic on them.
#pragma once
#include <algorithm>
#include <cstdint>
#include <mutex>
#include <vector>

#include "gdi/gdi_objects.h"
#include "platform/wingdi.h"

namespace platform::gdi {

// Pixels left <= x < right.
struct Span {
    int32_t left;
    int32_t right;
    bool operator==(const Span&) const = default;
};

// Rows top <= y < bottom, each holding the same spans: count of them from index first of the
// list's span vector; sorted, disjoint, non-touching and non-empty.
struct Band {
    int32_t top;
    int32_t bottom;
    uint32_t first;
    uint32_t count;
};

// Bands are sorted, disjoint and never empty; touching bands with equal spans are merged, so two
// equal pixel sets always have the same bands. All spans lie in one vector, so that a list is
// built and combined without an allocation per band, and a list reused keeps its capacity.
class BandList {
public:
    const std::vector<Band>& bands() const { return bands_; }
    const Span* spans(const Band& band) const { return spans_.data() + band.first; }
    bool empty() const { return bands_.empty(); }
    void clear() {
        bands_.clear();
        spans_.clear();
    }
    // Makes this list hold what other holds, in storage of its own.
    void assign(const BandList& other) {
        bands_.assign(other.bands_.begin(), other.bands_.end());
        spans_.assign(other.spans_.begin(), other.spans_.end());
    }
    // The same pixels: a list is canonical, so that is the same bands holding the same spans.
    bool sameAs(const BandList& other) const;
    // Trades contents and storage with other.
    void swap(BandList& other) noexcept {
        bands_.swap(other.bands_);
        spans_.swap(other.spans_);
    }
    // Lets go of storage far larger than what is held (a scratch list that once held a huge region).
    void trim();

    // A band is built by adding its spans left to right and then closing it. AddSpan merges a
    // span into the previous one when they touch and drops an empty one.
    uint32_t openBand() const { return static_cast<uint32_t>(spans_.size()); }
    void addSpan(uint32_t bandStart, int32_t left, int32_t right) {
        if (left >= right) return;
        if (spans_.size() > bandStart && spans_.back().right >= left) {
            if (right > spans_.back().right) spans_.back().right = right;
            return;
        }
        spans_.push_back({left, right});
    }
    // The band of rows top..bottom holding the one span left..right (nothing when either is
    // empty), as addSpan and closeBand make it; for the rows of a polygon between two edges.
    void addRow(int32_t top, int32_t bottom, int32_t left, int32_t right) {
        if (left >= right || top >= bottom) return;
        if (!bands_.empty()) {
            Band& last = bands_.back();
            if (last.bottom == top && last.count == 1 && spans_[last.first] == Span{left, right}) {
                last.bottom = bottom;
                return;
            }
        }
        bands_.push_back({top, bottom, static_cast<uint32_t>(spans_.size()), 1});
        spans_.push_back({left, right});
    }
    void addSpans(const Span* spans, uint32_t count) {
        for (uint32_t i = 0; i < count; ++i) spans_.push_back(spans[i]);  // mostly one or two
    }
    // Ends the band of rows top..bottom whose spans were added since bandStart: dropped when it has
    // none, merged into the band above when they touch and match.
    // Inlined: it ends every row a polygon or a combination makes.
    [[gnu::always_inline]] void closeBand(uint32_t bandStart, int32_t top, int32_t bottom) {
        const auto count = static_cast<uint32_t>(spans_.size() - bandStart);
        if (count == 0) return;
        if (top >= bottom) {
            spans_.resize(bandStart);
            return;
        }
        if (!bands_.empty()) {
            Band& last = bands_.back();
            // Mostly a single span, compared without a loop.
            if (last.bottom == top && last.count == count &&
                (count == 1 ? spans_[last.first] == spans_[bandStart]
                            : std::equal(spans_.begin() + last.first, spans_.begin() + bandStart,
                                         spans_.begin() + bandStart))) {
                last.bottom = bottom;
                spans_.resize(bandStart);
                return;
            }
        }
        bands_.push_back({top, bottom, bandStart, count});
    }

private:
    std::vector<Band> bands_;
    std::vector<Span> spans_;
};

// Coordinates a region accepts; keeps every product in the rasteriser inside 64 bits.
constexpr int64_t kRegionCoordLimit = int64_t{1} << 27;

// False when the polygon would take unreasonable time or memory to rasterise (out is then empty).
bool RasterisePolygon(const POINT* points, int count, bool winding, BandList& out);
// out = a <mode> b; out must be neither a nor b.
void CombineBands(const BandList& a, const BandList& b, int mode, BandList& out);
// NULLREGION, SIMPLEREGION or COMPLEXREGION.
int RegionKind(const BandList& bands);

// The one lock of every region: held by each region call from start to end, so that a call can
// read its sources and write its destination (which may be one of them) in place.
std::mutex& RegionMutex();

class RegionObject : public GdiObject {
public:
    // Only while RegionMutex() is held.
    BandList& bands() { return bands_; }

private:
    BandList bands_;
};

}  // namespace platform::gdi
