// CreatePolygonRgn, CreateRectRgn, CombineRgn and GetRgnBox. DeleteObject needs nothing of its
// own for regions: it drops any registered object that is not a DC.
#include <algorithm>
#include <new>

#include "gdi/region.h"
#include "platform/fileapi.h"

namespace platform::gdi {
namespace {

bool InRange(int64_t v) { return v >= -kRegionCoordLimit && v <= kRegionCoordLimit; }

HRGN NewRegion(BandList bands) {
    return static_cast<HRGN>(RegisterObject(std::make_shared<RegionObject>(std::move(bands))));
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
        BandList bands;
        if (!RasterisePolygon(points, count, fillMode == WINDING, bands)) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
        return NewRegion(std::move(bands));
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
        BandList bands;
        if (left < right) AppendBand(bands, top, bottom, {{left, right}});
        return NewRegion(std::move(bands));
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
        // Copies of the sources, so dest may be one of them.
        BandList result = mode == RGN_COPY ? a->bands() : CombineBands(a->bands(), b->bands(), mode);
        int kind = RegionKind(result);
        d->setBands(std::move(result));
        return kind;
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
    BandList bands = r->bands();
    *rect = RECT{0, 0, 0, 0};
    if (!bands.empty()) {
        rect->left = bands[0].spans.front().left;
        rect->right = bands[0].spans.back().right;
        for (const Band& band : bands) {
            rect->left = std::min<LONG>(rect->left, band.spans.front().left);
            rect->right = std::max<LONG>(rect->right, band.spans.back().right);
        }
        rect->top = bands.front().top;
        rect->bottom = bands.back().bottom;
    }
    return RegionKind(bands);
}
