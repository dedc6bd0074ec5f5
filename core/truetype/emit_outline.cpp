#include "truetype/emit_outline.h"

#include <algorithm>
#include <memory>
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
    const std::unique_ptr<POINT[]> polygon(new (std::nothrow) POINT[outline::kMaxPolygonPoints]);
    if (polygon == nullptr) return false;
    for (auto& contour : outline.contours) {
        contour->region = nullptr;
        contour->orientation = 0;
        const int64_t area = outline::SignedArea(contour->points);
        if (area == 0) continue;
        size_t count = 0;
        if (!outline::FlattenContour(contour->points, polygon.get(), outline::kMaxPolygonPoints, count)) return false;
        contour->region = CreatePolygonRgn(polygon.get(), static_cast<int>(count), WINDING);
        contour->orientation = area < 0 ? 1 : -1;
        const outline::PolygonBox box = outline::BoxOf(polygon.get(), count);
        contour->regionBox[0] = box.left;
        contour->regionBox[1] = box.top;
        contour->regionBox[2] = box.right;
        contour->regionBox[3] = box.bottom;
    }
    return true;
}

// Regions can meet only where their polygons' boxes do.
bool BoxesMeet(const int32_t* a, const int32_t* b) { return a[0] <= b[2] && b[0] <= a[2] && a[1] <= b[3] && b[1] <= a[3]; }

// Pairs of contours that meet and are compared with region operations: far more than any real
// character has (90 contours that all meet make 4005); beyond it the outline is refused rather
// than costing minutes.
constexpr size_t kMaxComparedPairs = 4096;

bool Contains(const RECT& outer, const RECT& inner) {
    return outer.left <= inner.left && inner.right <= outer.right && outer.top <= inner.top &&
           inner.bottom <= outer.bottom;
}

// Whether the pixels of inner all lie in outer: 1 or 0, -1 when the regions cannot be combined.
int LiesIn(HRGN rest, HRGN inner, HRGN outer) {
    const int kind = CombineRgn(rest, inner, outer, RGN_DIFF);
    return kind == ERROR ? -1 : kind == NULLREGION ? 1 : 0;
}

// A contour whose region lies wholly inside another's is one level deeper: of two regions A and B
// that have pixels in common, the one that loses nothing when their common part is taken away.
// A less that part is A less B, empty exactly when A lies in B; two regions that are not empty
// have pixels in common when one lies in the other, and one lies in the other only when its box
// does. So a pair is taken apart only as far as its boxes leave open, and once A lies in B, B
// lies in A only when they are equal.
bool Nest(GlyphOutline& outline) {
    HRGN rest = CreateRectRgn(0, 0, 0, 0);
    bool ready = rest != nullptr;
    for (auto& contour : outline.contours) contour->depth = 0;
    const size_t n = outline.contours.size();
    // The pixel box of each region, none for an empty one.
    std::vector<RECT> extents;
    std::vector<char> filled;
    if (ready) {
        extents.resize(n);
        filled.resize(n);
        for (size_t i = 0; i < n; ++i) {
            const HRGN region = outline.contours[i]->region;
            filled[i] = region != nullptr && GetRgnBox(region, &extents[i]) > NULLREGION;
        }
    }
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
            if (!filled[i] || !filled[j]) continue;  // nothing in common
            const bool aMay = Contains(extents[j], extents[i]);
            const bool bMay = Contains(extents[i], extents[j]);
            if (!aMay && !bMay) continue;
            const int aInside = aMay ? LiesIn(rest, a.region, b.region) : 0;
            int bInside = 0;
            if (aInside == 1)
                bInside = bMay && EqualRgn(a.region, b.region) ? 1 : 0;
            else if (aInside == 0 && bMay)
                bInside = LiesIn(rest, b.region, a.region);
            if (aInside < 0 || bInside < 0) {
                failed = true;
                break;
            }
            if (aInside && !bInside) ++a.depth;
            if (bInside && !aInside) ++b.depth;
        }
        if (failed) break;  // what was learnt so far stands
    }
    if (rest != nullptr) DeleteObject(rest);
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
