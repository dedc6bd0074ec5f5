#include "truetype/fixed_point.h"
#include "truetype/glyph_builder.h"

namespace {
// Room for a usual contour, so that its points are collected without regrowing.
constexpr size_t kUsualPoints = 256;
}  // namespace

CBSGlyphBuilder::CBSGlyphBuilder(GlyphOutline* outline, int32_t scale, int32_t originX, int32_t originY)
    : CGlyphBuilder(outline, scale, originX, originY, fixed::FromInt(512), fixed::FromInt(512)) {
    points_.reserve(kUsualPoints);
}

void CBSGlyphBuilder::BeginGlyph() { Outline()->contours.clear(); }

void CBSGlyphBuilder::BeginContour() { points_.clear(); }

void CBSGlyphBuilder::AddPoint(int type, int32_t x, int32_t y) {
    points_.push_back(OutlinePoint{static_cast<uint16_t>(type == kOnCurve ? 1 : 0), TransformX(x), TransformY(y)});
}

void CBSGlyphBuilder::EndContour() {
    // A point or nothing is no contour.
    if (points_.size() < 2) return;
    auto contour = std::make_unique<OutlineContour>();
    // Copied, so that the collecting list keeps its room for the next contour.
    contour->points.assign(points_.begin(), points_.end());
    contour->ComputeBoundingBox();
    Outline()->contours.push_back(std::move(contour));
}

void CBSGlyphBuilder::EndGlyph() {
    for (auto& contour : Outline()->contours) {
        std::vector<OutlinePoint>& points = contour->points;
        if (points.front().onCurve) continue;
        if (points.back().onCurve) {
            // Start on the last point.
            OutlinePoint last = points.back();
            points.pop_back();
            points.insert(points.begin(), last);
        } else {
            // Two control points meet at their midpoint: starting there keeps the curve as it is.
            const OutlinePoint& a = points.back();
            const OutlinePoint& b = points.front();
            const OutlinePoint start{1, static_cast<int32_t>((static_cast<int64_t>(a.x) + b.x) >> 1),
                                     static_cast<int32_t>((static_cast<int64_t>(a.y) + b.y) >> 1)};
            points.insert(points.begin(), start);
        }
        contour->ComputeBoundingBox();
    }
}
