// Region objects (HRGN): sets of pixels kept as y-bands of x-spans, and the set arithmetic on them.
#pragma once
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

// Rows top <= y < bottom, each holding the same sorted, disjoint, non-touching, non-empty spans.
struct Band {
    int32_t top;
    int32_t bottom;
    std::vector<Span> spans;
};

// Bands are sorted, disjoint and never empty; touching bands with equal spans are merged, so two
// equal pixel sets always have the same bands.
using BandList = std::vector<Band>;

// Coordinates a region accepts; keeps every product in the rasteriser inside 64 bits.
constexpr int64_t kRegionCoordLimit = int64_t{1} << 27;

// Adds a band below the last one, merging it into the last when they touch and match.
void AppendBand(BandList& bands, int32_t top, int32_t bottom, std::vector<Span> spans);
// False when the polygon would take unreasonable time or memory to rasterise.
bool RasterisePolygon(const POINT* points, int count, bool winding, BandList& out);
BandList CombineBands(const BandList& a, const BandList& b, int mode);
// NULLREGION, SIMPLEREGION or COMPLEXREGION.
int RegionKind(const BandList& bands);

class RegionObject : public GdiObject {
public:
    explicit RegionObject(BandList bands) : bands_(std::move(bands)) {}
    BandList bands() const {
        std::lock_guard<std::mutex> guard(lock_);
        return bands_;
    }
    void setBands(BandList bands) {
        std::lock_guard<std::mutex> guard(lock_);
        bands_ = std::move(bands);
    }

private:
    mutable std::mutex lock_;
    BandList bands_;
};

}  // namespace platform::gdi
