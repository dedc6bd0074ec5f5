// CreatePolygonRgn, CreateRectRgn, CombineRgn, GetRgnBox and EqualRgn. DeleteObject needs nothing
// of its own for regions: it drops any registered object that is not a DC.
#include <algorithm>
#include <new>

#include "gdi/region.h"
#include "platform/fileapi.h"

namespace platform::gdi {

std::mutex& RegionMutex() {
    static auto* m = new std::mutex;
    return *m;
}

namespace {

bool InRange(int64_t v) { return v >= -kRegionCoordLimit && v <= kRegionCoordLimit; }

// The lists polygons are drawn into and combinations built in, each kept with its storage for the
// next one; only while RegionMutex() is held. A polygon is copied into its new region; a
// combination is handed over to its destination, whose old storage the list takes instead.
BandList& PolygonScratch() {
    static auto* scratch = new BandList;
    return *scratch;
}
BandList& CombineScratch() {
    static auto* scratch = new BandList;
    return *scratch;
}

// A region holding a copy of bands, in storage of its own.
HRGN NewRegion(const BandList& bands) {
    auto region = std::make_shared<RegionObject>();
    region->bands().assign(bands);
    return static_cast<HRGN>(RegisterObject(std::move(region)));
}

}  // namespace
}  // namespace platform::gdi

using namespace platform::gdi;

HRGN CreatePolygonRgn(const POINT* points, int count, int fillMode) {
    if (!points || count < 0 || (fillMode != ALTERNATE && fillMode != WINDING)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    for (int i = 0; i < count; ++i) {
        if (!InRange(points[i].x) || !InRange(points[i].y)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
    }
    try {
        std::lock_guard<std::mutex> guard(RegionMutex());
        BandList& bands = PolygonScratch();
        const bool drawn = RasterisePolygon(points, count, fillMode == WINDING, bands);
        HRGN region = drawn ? NewRegion(bands) : nullptr;
        bands.trim();
        if (!drawn) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return region;
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
    if (!InRange(left) || !InRange(top) || !InRange(right) || !InRange(bottom)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    try {
        auto region = std::make_shared<RegionObject>();
        BandList& bands = region->bands();
        const uint32_t start = bands.openBand();
        bands.addSpan(start, left, right);
        bands.closeBand(start, top, bottom);
        return static_cast<HRGN>(RegisterObject(std::move(region)));
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

int CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode) {
    if (mode < RGN_AND || mode > RGN_COPY) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return ERROR;
    }
    auto d = LookupObjectAs<RegionObject>(dest);
    auto a = LookupObjectAs<RegionObject>(src1);
    auto b = mode == RGN_COPY ? nullptr : LookupObjectAs<RegionObject>(src2);
    if (!d || !a || (mode != RGN_COPY && !b)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return ERROR;
    }
    try {
        std::lock_guard<std::mutex> guard(RegionMutex());
        if (mode == RGN_COPY) {
            if (d != a) d->bands().assign(a->bands());
        } else {
            // Built aside, so that dest may be one of the sources.
            BandList& result = CombineScratch();
            CombineBands(a->bands(), b->bands(), mode, result);
            d->bands().swap(result);
            result.trim();
        }
        return RegionKind(d->bands());
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return ERROR;
    }
}

int GetRgnBox(HRGN region, LPRECT rect) {
    auto r = LookupObjectAs<RegionObject>(region);
    if (!r) {
        SetLastError(ERROR_INVALID_HANDLE);
        return ERROR;
    }
    if (!rect) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return ERROR;
    }
    std::lock_guard<std::mutex> guard(RegionMutex());
    const BandList& bands = r->bands();
    *rect = RECT{0, 0, 0, 0};
    if (!bands.empty()) {
        const std::vector<Band>& list = bands.bands();
        rect->left = bands.spans(list.front())[0].left;
        rect->right = bands.spans(list.front())[list.front().count - 1].right;
        for (const Band& band : list) {
            rect->left = std::min<LONG>(rect->left, bands.spans(band)[0].left);
            rect->right = std::max<LONG>(rect->right, bands.spans(band)[band.count - 1].right);
        }
        rect->top = list.front().top;
        rect->bottom = list.back().bottom;
    }
    return RegionKind(bands);
}

BOOL EqualRgn(HRGN region1, HRGN region2) {
    auto a = LookupObjectAs<RegionObject>(region1);
    auto b = LookupObjectAs<RegionObject>(region2);
    if (!a || !b) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::lock_guard<std::mutex> guard(RegionMutex());
    return a->bands().sameAs(b->bands()) ? TRUE : FALSE;
}
