// The geometry of a collected contour: its segments, their sampling, its box, its signed area and
// the polygon that stands for it in a region.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "truetype/glyph_outline.h"

namespace outline {

// A 16.16 point kept in 64 bits, so that sums and midpoints never overflow.
struct FixedPoint {
    int64_t x = 0;
    int64_t y = 0;
};

// Interior samples of one quadratic segment.
inline constexpr int kSegmentSamples = 15;

// One axis of P(t) = P0 + 2t (P1 - P0) + t^2 (P0 - 2 P1 + P2) for t = 1/16 .. 15/16, in 16.16,
// each product with its weight rounded as fixed::Mul rounds it: visit(k, value) for k = 0..14.
// With t = k/16 no product is needed: (a k 4096 + 0x8000) >> 16 is (a k + 8) >> 4 and
// (b k^2 256 + 0x8000) >> 16 is (b k^2 + 128) >> 8, exactly, and a k and b k^2 grow by sums from
// one sample to the next. An axis at a time keeps every term in a register. Inline: every curve
// of every glyph is sampled.
template <class Visit>
inline void SampleQuadraticAxis(int64_t p0, int64_t p1, int64_t p2, Visit&& visit) {
    const int64_t a = 2 * (p1 - p0), b = p0 - 2 * p1 + p2;
    int64_t ak = 0, bk = 0;  // a k and b k^2
    int64_t step = b;        // b (2k + 1), what b k^2 grows by next
    for (int k = 0; k < kSegmentSamples; ++k) {
        ak += a;
        bk += step;
        step += 2 * b;
        visit(k, p0 + ((ak + 8) >> 4) + ((bk + 128) >> 8));
    }
}

// Calls start(p) once with the contour's first on-curve point, then line(p) for each further
// on-curve point and quad(p0, p1, p2) for each quadratic segment, the last one ending where the
// contour started. Consecutive control points imply their midpoint. A contour of control points
// only starts at the midpoint of its last and first points. Nothing is called without points.
template <class Start, class Line, class Quad>
void WalkSegments(const std::vector<OutlinePoint>& points, Start&& start, Line&& line, Quad&& quad) {
    const size_t n = points.size();
    if (n == 0) return;
    auto at = [&](size_t i) { return FixedPoint{points[i].x, points[i].y}; };
    size_t first = n;
    for (size_t i = 0; i < n; ++i) {
        if (points[i].onCurve) {
            first = i;
            break;
        }
    }
    FixedPoint current;
    size_t steps;
    size_t from;
    if (first < n) {
        current = at(first);
        from = first + 1;
        steps = n;  // around to the first point again
    } else {
        const FixedPoint a = at(n - 1), b = at(0);
        current = {(a.x + b.x) >> 1, (a.y + b.y) >> 1};
        from = 0;
        steps = n;
    }
    const FixedPoint origin = current;
    start(origin);
    bool pending = false;
    FixedPoint control;
    size_t i = from == n ? 0 : from;
    for (size_t k = 0; k < steps; ++k, i = i + 1 == n ? 0 : i + 1) {
        const bool closing = first < n && k == steps - 1;
        const FixedPoint p = closing ? origin : at(i);
        if (points[i].onCurve) {
            if (pending) {
                quad(current, control, p);
                pending = false;
            } else if (!closing) {
                line(p);
            }
            current = p;
        } else {
            if (pending) {
                const FixedPoint mid{(control.x + p.x) >> 1, (control.y + p.y) >> 1};
                quad(current, control, mid);
                current = mid;
            }
            control = p;
            pending = true;
        }
    }
    if (pending) quad(current, control, origin);
}

// The sum of x(i-1) y(i) - x(i) y(i-1) over the rounded points, closing edge included: negative
// for a clockwise contour when y points up.
int64_t SignedArea(const std::vector<OutlinePoint>& points);

// left, top, right, bottom of a polygon's points.
struct PolygonBox {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// The contour at quarter resolution: each on-curve point, and each quadratic segment as its
// samples and its end, into polygon, which has room for limit points. False when they would not
// fit; otherwise count is how many were made.
bool FlattenContour(const std::vector<OutlinePoint>& points, POINT* polygon, size_t limit, size_t& count);

// The box of count > 0 points.
PolygonBox BoxOf(const POINT* polygon, size_t count);

}  // namespace outline
