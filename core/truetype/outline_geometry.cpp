#include "truetype/outline_geometry.h"

#include <algorithm>
#include <utility>

#include "truetype/fixed_point.h"

namespace outline {
namespace {

// ((k/16)^2, k/16) for k = 1..15, in 16.16.
struct SampleWeights {
    int32_t t2;
    int32_t t;
};
constexpr SampleWeights kWeights[kSegmentSamples] = {
    {256, 4096},    {1024, 8192},   {2304, 12288},  {4096, 16384},  {6400, 20480},
    {9216, 24576},  {12544, 28672}, {16384, 32768}, {20736, 36864}, {25600, 40960},
    {30976, 45056}, {36864, 49152}, {43264, 53248}, {50176, 57344}, {57600, 61440},
};

}  // namespace

void SampleQuadratic(const FixedPoint& p0, const FixedPoint& p1, const FixedPoint& p2,
                     FixedPoint (&samples)[kSegmentSamples]) {
    const FixedPoint a{2 * (p1.x - p0.x), 2 * (p1.y - p0.y)};
    const FixedPoint b{p0.x - 2 * p1.x + p2.x, p0.y - 2 * p1.y + p2.y};
    for (int k = 0; k < kSegmentSamples; ++k) {
        samples[k].x = p0.x + fixed::Mul(a.x, kWeights[k].t) + fixed::Mul(b.x, kWeights[k].t2);
        samples[k].y = p0.y + fixed::Mul(a.y, kWeights[k].t) + fixed::Mul(b.y, kWeights[k].t2);
    }
}

int64_t SignedArea(const std::vector<OutlinePoint>& points) {
    const size_t n = points.size();
    int64_t sum = 0;
    for (size_t i = 0; i < n; ++i) {
        const OutlinePoint& prev = points[(i + n - 1) % n];
        const OutlinePoint& cur = points[i];
        const int64_t x0 = fixed::Round(prev.x), y0 = fixed::Round(prev.y);
        const int64_t x1 = fixed::Round(cur.x), y1 = fixed::Round(cur.y);
        sum += x0 * y1 - x1 * y0;
    }
    return sum;
}

bool FlattenContour(const std::vector<OutlinePoint>& points, std::vector<POINT>& polygon, size_t limit) {
    polygon.clear();
    bool fits = true;
    auto add = [&](const FixedPoint& p) {
        if (polygon.size() >= limit) {
            fits = false;
            return;
        }
        polygon.push_back(POINT{fixed::Round(p.x / 4), fixed::Round(p.y / 4)});
    };
    WalkSegments(
        points, add, add,
        [&](const FixedPoint& p0, const FixedPoint& p1, const FixedPoint& p2) {
            FixedPoint samples[kSegmentSamples];
            SampleQuadratic(p0, p1, p2, samples);
            for (const FixedPoint& s : samples) add(s);
            add(p2);
        });
    return fits;
}

}  // namespace outline

void OutlineContour::ComputeBoundingBox() {
    int32_t x0 = 32767, y0 = 32767, x1 = -32767, y1 = -32767;
    auto include = [&](const outline::FixedPoint& p) {
        const int32_t x = fixed::Round(p.x), y = fixed::Round(p.y);
        x0 = std::min(x0, x);
        y0 = std::min(y0, y);
        x1 = std::max(x1, x);
        y1 = std::max(y1, y);
    };
    outline::WalkSegments(
        points, include, include,
        [&](const outline::FixedPoint& p0, const outline::FixedPoint& p1, const outline::FixedPoint& p2) {
            outline::FixedPoint samples[outline::kSegmentSamples];
            outline::SampleQuadratic(p0, p1, p2, samples);
            include(p0);
            for (const auto& s : samples) include(s);
            include(p2);
        });
    xMin = x0;
    yMin = y0;
    xMax = x1;
    yMax = y1;
}

void OutlineContour::Reverse() { std::reverse(points.begin(), points.end()); }
