#include "truetype/outline_geometry.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "truetype/fixed_point.h"

namespace outline {
namespace {

// fixed::Round(v / 4), the quotient cut toward zero, in one step: (|v| / 4 + 0x8000) >> 16 is
// (|v| + 0x20000) >> 18, so as fixed::Round goes, (v + 0x1FFFF) >> 18 for v < 0.
int32_t QuarterRound(int64_t v) { return static_cast<int32_t>((v + 0x20000 + (v >> 63)) >> 18); }

}  // namespace

int64_t SignedArea(const std::vector<OutlinePoint>& points) {
    const size_t n = points.size();
    if (n == 0) return 0;
    int64_t sum = 0;
    int64_t x0 = fixed::Round(points[n - 1].x), y0 = fixed::Round(points[n - 1].y);
    for (size_t i = 0; i < n; ++i) {
        const int64_t x1 = fixed::Round(points[i].x), y1 = fixed::Round(points[i].y);
        sum += x0 * y1 - x1 * y0;
        x0 = x1;
        y0 = y1;
    }
    return sum;
}

bool FlattenContour(const std::vector<OutlinePoint>& points, POINT* polygon, size_t limit, size_t& count) {
    size_t made = 0;
    bool fits = true;
    auto add = [&](const FixedPoint& p) {
        if (made >= limit) {
            fits = false;
            return;
        }
        polygon[made++] = POINT{QuarterRound(p.x), QuarterRound(p.y)};
    };
    WalkSegments(points, add, add, [&](const FixedPoint& p0, const FixedPoint& p1, const FixedPoint& p2) {
        if (limit - made < kSegmentSamples + 1) {
            fits = false;
            made = limit;
            return;
        }
        POINT* const samples = polygon + made;
        SampleQuadraticAxis(p0.x, p1.x, p2.x, [&](int k, int64_t v) { samples[k].x = QuarterRound(v); });
        SampleQuadraticAxis(p0.y, p1.y, p2.y, [&](int k, int64_t v) { samples[k].y = QuarterRound(v); });
        made += kSegmentSamples;
        polygon[made++] = POINT{QuarterRound(p2.x), QuarterRound(p2.y)};
    });
    count = made;
    return fits;
}

PolygonBox BoxOf(const POINT* polygon, size_t count) {
    int32_t left = polygon[0].x, top = polygon[0].y, right = left, bottom = top;
    for (size_t i = 1; i < count; ++i) {
        left = std::min<int32_t>(left, polygon[i].x);
        top = std::min<int32_t>(top, polygon[i].y);
        right = std::max<int32_t>(right, polygon[i].x);
        bottom = std::max<int32_t>(bottom, polygon[i].y);
    }
    return {left, top, right, bottom};
}

}  // namespace outline

void OutlineContour::ComputeBoundingBox() {
    if (points.empty()) {
        xMin = yMin = 32767;
        xMax = yMax = -32767;
        return;
    }
    // Rounding keeps order, so the box of the rounded points is the rounded box of the points.
    int64_t lowX = INT64_MAX, lowY = INT64_MAX, highX = INT64_MIN, highY = INT64_MIN;
    auto include = [&](int64_t x, int64_t y) {
        lowX = std::min(lowX, x);
        lowY = std::min(lowY, y);
        highX = std::max(highX, x);
        highY = std::max(highY, y);
    };
    // The on-curve points first: a curve whose control point lies within their box then mostly
    // needs no samples.
    for (const OutlinePoint& p : points) {
        if (p.onCurve) include(p.x, p.y);
    }
    // Whether every value from low to high rounds into the box taken so far.
    auto within = [&](int64_t low, int64_t high, int64_t boxLow, int64_t boxHigh) {
        return (low >= boxLow || fixed::Round(low) >= fixed::Round(boxLow)) &&
               (high <= boxHigh || fixed::Round(high) <= fixed::Round(boxHigh));
    };
    outline::WalkSegments(
        points, [&](const outline::FixedPoint& p) { include(p.x, p.y); }, [](const outline::FixedPoint&) {},
        [&](const outline::FixedPoint& p0, const outline::FixedPoint& p1, const outline::FixedPoint& p2) {
            include(p2.x, p2.y);  // a midpoint between two control points is in no list
            // A sample is a weighting of the three points, off by at most one 16.16 unit (two
            // products rounded): within the box when the three are, with that unit to spare. Each
            // axis is sampled only where it may reach out of the box.
            const int64_t fromX = std::min(std::min(p0.x, p1.x), p2.x) - 1;
            const int64_t toX = std::max(std::max(p0.x, p1.x), p2.x) + 1;
            const int64_t fromY = std::min(std::min(p0.y, p1.y), p2.y) - 1;
            const int64_t toY = std::max(std::max(p0.y, p1.y), p2.y) + 1;
            if (!within(fromX, toX, lowX, highX)) {
                outline::SampleQuadraticAxis(p0.x, p1.x, p2.x, [&](int, int64_t v) {
                    lowX = std::min(lowX, v);
                    highX = std::max(highX, v);
                });
            }
            if (!within(fromY, toY, lowY, highY)) {
                outline::SampleQuadraticAxis(p0.y, p1.y, p2.y, [&](int, int64_t v) {
                    lowY = std::min(lowY, v);
                    highY = std::max(highY, v);
                });
            }
        });
    xMin = std::min<int32_t>(32767, fixed::Round(lowX));
    yMin = std::min<int32_t>(32767, fixed::Round(lowY));
    xMax = std::max<int32_t>(-32767, fixed::Round(highX));
    yMax = std::max<int32_t>(-32767, fixed::Round(highY));
}

void OutlineContour::Reverse() { std::reverse(points.begin(), points.end()); }
