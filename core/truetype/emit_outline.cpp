#include "truetype/emit_outline.h"

#include <algorithm>
#include <new>
#include <vector>

#include "platform/wingdi.h"
#include "truetype/outline_geometry.h"

namespace {

void ReleaseRegions(GlyphOutline& outline) {
    for (auto& contour : outline.contours) {
        if (contour->region != nullptr) DeleteObject(contour->region);
        contour->region = nullptr;
    }
}

// Orientation from the signed area, and a winding-rule region of each contour that has one.
bool Orient(GlyphOutline& outline) {
    std::vector<POINT> polygon;
    try {
        polygon.reserve(outline::kMaxPolygonPoints);
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (auto& contour : outline.contours) {
        contour->region = nullptr;
        contour->orientation = 0;
        const int64_t area = outline::SignedArea(contour->points);
        if (area == 0) continue;
        if (!outline::FlattenContour(contour->points, polygon, outline::kMaxPolygonPoints)) return false;
        contour->region = CreatePolygonRgn(polygon.data(), static_cast<int>(polygon.size()), WINDING);
        contour->orientation = area < 0 ? 1 : -1;
        int32_t* box = contour->regionBox;
        box[0] = box[2] = polygon.front().x;
        box[1] = box[3] = polygon.front().y;
        for (const POINT& p : polygon) {
            box[0] = std::min<int32_t>(box[0], p.x);
            box[1] = std::min<int32_t>(box[1], p.y);
            box[2] = std::max<int32_t>(box[2], p.x);
            box[3] = std::max<int32_t>(box[3], p.y);
        }
    }
    return true;
}

// Regions can meet only where their polygons' boxes do.
bool BoxesMeet(const int32_t* a, const int32_t* b) { return a[0] <= b[2] && b[0] <= a[2] && a[1] <= b[3] && b[1] <= a[3]; }

// Pairs of contours that meet and are compared with region operations: far more than any real
// character has (90 contours that all meet make 4005); beyond it the outline is refused rather
// than costing minutes.
constexpr size_t kMaxComparedPairs = 4096;

// A contour whose region lies wholly inside another's is one level deeper.
bool Nest(GlyphOutline& outline) {
    HRGN common = CreateRectRgn(0, 0, 0, 0);
    HRGN restA = CreateRectRgn(0, 0, 0, 0);
    HRGN restB = CreateRectRgn(0, 0, 0, 0);
    bool ready = common != nullptr && restA != nullptr && restB != nullptr;
    for (auto& contour : outline.contours) contour->depth = 0;
    const size_t n = outline.contours.size();
    size_t compared = 0;
    for (size_t i = 0; ready && i < n; ++i) {
        OutlineContour& a = *outline.contours[i];
        if (a.region == nullptr) continue;
        bool failed = false;
        for (size_t j = i + 1; j < n; ++j) {
            OutlineContour& b = *outline.contours[j];
            if (b.region == nullptr || !BoxesMeet(a.regionBox, b.regionBox)) continue;
            if (++compared > kMaxComparedPairs) {
                ready = false;
                break;
            }
            const int kind = CombineRgn(common, a.region, b.region, RGN_AND);
            if (kind == ERROR) {
                failed = true;
                break;
            }
            if (kind == NULLREGION) continue;
            const bool aInside = CombineRgn(restA, a.region, common, RGN_DIFF) == NULLREGION;
            const bool bInside = CombineRgn(restB, b.region, common, RGN_DIFF) == NULLREGION;
            if (aInside && !bInside) ++a.depth;
            if (bInside && !aInside) ++b.depth;
        }
        if (failed) break;  // what was learnt so far stands
    }
    for (HRGN r : {common, restA, restB}) {
        if (r != nullptr) DeleteObject(r);
    }
    return ready;
}

void Reorient(GlyphOutline& outline) {
    for (auto& contour : outline.contours) {
        const bool hole = contour->depth % 2 != 0;
        if ((!hole && contour->orientation == -1) || (hole && contour->orientation == 1)) contour->Reverse();
    }
}

bool OverlapsEmSquare(const OutlineContour& c) {
    constexpr int32_t kEm = 1024;
    return std::max(c.xMin, 0) < std::min(c.xMax, kEm) && std::max(c.yMin, 0) < std::min(c.yMax, kEm);
}

}  // namespace

bool EmitOutline(GlyphOutline& outline, CGlyphBuilder& builder) {
    bool ready = Orient(outline);
    if (ready) ready = Nest(outline);
    ReleaseRegions(outline);
    if (!ready) return false;
    Reorient(outline);

    builder.BeginGlyph();
    for (const auto& contour : outline.contours) {
        if (!OverlapsEmSquare(*contour)) continue;
        builder.BeginContour();
        for (const OutlinePoint& p : contour->points) builder.AddPoint(p.onCurve, p.x, p.y);
        builder.EndContour();
    }
    builder.EndGlyph();
    return true;
}
