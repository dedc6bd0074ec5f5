// Regions against a plain pixel-by-pixel reference: a pixel belongs to a polygon when the edges
// that pass at or left of its centre wind around it (or cross an odd number of times), and the
// set operations are those of the pixel sets. The regions' bands must be exactly the canonical
// bands of those pixels: rows of maximal runs, equal neighbouring rows merged.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "gdi/region.h"
#include "platform/wingdi.h"
#include "region_handle.h"

namespace {

using Polygon = std::vector<POINT>;
using Pixels = std::set<std::pair<int, int>>;  // (y, x)

struct Rows {
    int top, bottom;
    std::vector<std::pair<int, int>> spans;  // [left, right)
    bool operator==(const Rows&) const = default;
};
using Bands = std::vector<Rows>;

bool Inside(const Polygon& p, int x, int y, bool winding) {
    int wind = 0, crossings = 0;
    for (size_t i = 0; i < p.size(); ++i) {
        POINT a = p[i], b = p[(i + 1) % p.size()];
        if (a.y == b.y) continue;
        int dir = 1;
        if (a.y > b.y) {
            std::swap(a, b);
            dir = -1;
        }
        if (y < a.y || y >= b.y) continue;
        // The centre (x + 1/2, y + 1/2) lies at or right of the edge.
        const long long lhs = (2LL * x + 1 - 2LL * a.x) * (b.y - a.y);
        const long long rhs = static_cast<long long>(b.x - a.x) * (2LL * y + 1 - 2LL * a.y);
        if (lhs >= rhs) {
            wind += dir;
            ++crossings;
        }
    }
    return winding ? wind != 0 : crossings % 2 != 0;
}

Pixels Fill(const Polygon& p, bool winding) {
    Pixels out;
    if (p.size() < 3) return out;
    int x0 = p[0].x, x1 = p[0].x, y0 = p[0].y, y1 = p[0].y;
    for (const POINT& q : p) {
        x0 = std::min<int>(x0, q.x);
        x1 = std::max<int>(x1, q.x);
        y0 = std::min<int>(y0, q.y);
        y1 = std::max<int>(y1, q.y);
    }
    for (int y = y0; y < y1; ++y)
        for (int x = x0 - 1; x <= x1; ++x)
            if (Inside(p, x, y, winding)) out.insert({y, x});
    return out;
}

Pixels Apply(const Pixels& a, const Pixels& b, int mode) {
    Pixels out;
    auto into = std::inserter(out, out.end());
    if (mode == RGN_AND) std::set_intersection(a.begin(), a.end(), b.begin(), b.end(), into);
    if (mode == RGN_OR) std::set_union(a.begin(), a.end(), b.begin(), b.end(), into);
    if (mode == RGN_XOR) std::set_symmetric_difference(a.begin(), a.end(), b.begin(), b.end(), into);
    if (mode == RGN_DIFF) std::set_difference(a.begin(), a.end(), b.begin(), b.end(), into);
    return out;
}

Bands Canonical(const Pixels& pixels) {
    Bands out;
    for (auto it = pixels.begin(); it != pixels.end();) {
        Rows row{it->first, it->first + 1, {}};
        for (; it != pixels.end() && it->first == row.top; ++it) {
            if (!row.spans.empty() && row.spans.back().second == it->second)
                ++row.spans.back().second;
            else
                row.spans.push_back({it->second, it->second + 1});
        }
        if (!out.empty() && out.back().bottom == row.top && out.back().spans == row.spans)
            out.back().bottom = row.bottom;
        else
            out.push_back(row);
    }
    return out;
}

int Kind(const Bands& b) {
    if (b.empty()) return NULLREGION;
    return b.size() == 1 && b[0].spans.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

Bands Read(HRGN region) {
    auto object = platform::gdi::LookupObjectAs<platform::gdi::RegionObject>(region);
    EXPECT_TRUE(object);
    Bands out;
    if (!object) return out;
    std::lock_guard<std::mutex> guard(platform::gdi::RegionMutex());
    const platform::gdi::BandList& list = object->bands();
    for (const platform::gdi::Band& band : list.bands()) {
        Rows row{band.top, band.bottom, {}};
        for (uint32_t i = 0; i < band.count; ++i) row.spans.push_back({list.spans(band)[i].left, list.spans(band)[i].right});
        out.push_back(row);
    }
    return out;
}

// Closed curves flattened as glyph outlines are, rings, boxes in boxes, stars and crossing
// polygons, slabs of vertical edges, collinear and flat ones, and random polygons.
std::vector<Polygon> Polygons() {
    std::vector<Polygon> out;
    std::mt19937 rng(20240607);
    auto in = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    auto circle = [](double cx, double cy, double r, int n, bool reverse) {
        Polygon p;
        for (int i = 0; i < n; ++i) {
            const double a = (reverse ? -2 : 2) * M_PI * i / n;
            p.push_back({static_cast<LONG>(std::lround(cx + r * std::cos(a))), static_cast<LONG>(std::lround(cy + r * std::sin(a)))});
        }
        return p;
    };
    auto box = [](LONG x0, LONG y0, LONG x1, LONG y1) { return Polygon{{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}; };
    for (int k = 0; k < 3; ++k) {
        out.push_back(circle(128 + 5 * k, 75, 40 + 12 * k, 250, false));  // a glyph's ring at a quarter of the em
        out.push_back(circle(128, 75, 30 + 12 * k, 48, true));
    }
    out.push_back(box(0, 0, 100, 100));
    out.push_back(box(20, 30, 60, 70));
    out.push_back(box(20, 30, 20, 70));
    out.push_back({{0, 0}, {10, 10}, {20, 20}});
    out.push_back({{0, 5}, {30, 5}, {12, 5}});
    out.push_back({{0, 0}, {8, 0}, {8, 8}, {0, 8}, {0, 0}, {8, 0}, {8, 8}, {0, 8}});
    out.push_back({{10, 10}, {90, 90}, {90, 10}, {10, 90}});
    out.push_back({{0, 0}, {40, 0}, {40, 50}, {20, 50}, {20, 10}, {30, 10}, {30, 60}, {0, 60}});
    out.push_back({{-30, -20}, {-10, 40}, {5, -25}});
    out.push_back({{0, 0}, {100, 1}, {0, 2}});
    out.push_back({{0, 0}, {1, 100}, {2, 0}});
    for (int k = 0; k < 5; ++k) {
        Polygon star;
        const int points = 5 + 2 * k;
        for (int i = 0; i < points; ++i) {
            const double a = (i * (points / 2) % points) * 2 * M_PI / points;
            star.push_back({static_cast<LONG>(std::lround(60 + 50 * std::sin(a))), static_cast<LONG>(std::lround(60 - 50 * std::cos(a)))});
        }
        out.push_back(star);
    }
    for (int k = 0; k < 120; ++k) {
        Polygon p;
        const int n = in(3, 24), cx = in(-20, 120), cy = in(-20, 120), spread = in(2, 60);
        for (int i = 0; i < n; ++i) {
            // Some edges vertical or horizontal, as outlines have them.
            if (i > 0 && in(0, 3) == 0)
                p.push_back({in(0, 1) ? p.back().x : cx + in(-spread, spread), in(0, 1) ? p.back().y : cy + in(-spread, spread)});
            else
                p.push_back({cx + in(-spread, spread), cy + in(-spread, spread)});
        }
        out.push_back(p);
    }
    return out;
}

TEST(RegionPixels, PolygonsHoldThePixelsTheyWindAround) {
    for (const Polygon& p : Polygons()) {
        for (int mode : {WINDING, ALTERNATE}) {
            Rgn r(CreatePolygonRgn(p.data(), static_cast<int>(p.size()), mode));
            ASSERT_NE(r.h, nullptr);
            const Bands expected = Canonical(Fill(p, mode == WINDING));
            EXPECT_EQ(Read(r.h), expected) << "polygon of " << p.size() << " points, first (" << p[0].x << ","
                                           << p[0].y << "), fill mode " << mode;
            RECT box{};
            EXPECT_EQ(GetRgnBox(r.h, &box), Kind(expected));
        }
    }
}

TEST(RegionPixels, CombinationsAreThoseOfThePixelSets) {
    const std::vector<Polygon> polygons = Polygons();
    std::vector<Pixels> pixels;
    for (const Polygon& p : polygons) pixels.push_back(Fill(p, true));
    std::mt19937 rng(7);
    for (size_t n = 0; n < 300; ++n) {
        // Neighbours in the list first (the rings meet each other), then any pair.
        const size_t i = n < polygons.size() - 1 ? n : rng() % polygons.size();
        const size_t j = n < polygons.size() - 1 ? n + 1 : rng() % polygons.size();
        Rgn a(CreatePolygonRgn(polygons[i].data(), static_cast<int>(polygons[i].size()), WINDING));
        Rgn b(CreatePolygonRgn(polygons[j].data(), static_cast<int>(polygons[j].size()), WINDING));
        ASSERT_NE(a.h, nullptr);
        ASSERT_NE(b.h, nullptr);
        for (int mode : {RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF}) {
            const Pixels want = Apply(pixels[i], pixels[j], mode);
            const Bands expected = Canonical(want);
            Rgn out(CreateRectRgn(0, 0, 0, 0));
            EXPECT_EQ(CombineRgn(out.h, a.h, b.h, mode), Kind(expected)) << i << " " << j << " mode " << mode;
            EXPECT_EQ(Read(out.h), expected) << i << " " << j << " mode " << mode;
            // The nesting's next step: what is left of a source once the common part is taken.
            Rgn rest(CreateRectRgn(0, 0, 0, 0));
            CombineRgn(rest.h, a.h, out.h, RGN_DIFF);
            EXPECT_EQ(Read(rest.h), Canonical(Apply(pixels[i], want, RGN_DIFF))) << i << " " << j << " mode " << mode;
            // A destination that is also a source.
            Rgn self(CreateRectRgn(0, 0, 0, 0));
            CombineRgn(self.h, a.h, nullptr, RGN_COPY);
            CombineRgn(self.h, self.h, b.h, mode);
            EXPECT_EQ(Read(self.h), expected) << i << " " << j << " mode " << mode;
        }
    }
}

}  // namespace
