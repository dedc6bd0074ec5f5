// Regions: polygon rasterisation by fill rule and the set operations glyph nesting relies on.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "platform/wingdi.h"
#include "region_handle.h"

namespace {

HRGN Poly(const std::vector<POINT>& pts, int mode = WINDING) {
    return CreatePolygonRgn(pts.data(), static_cast<int>(pts.size()), mode);
}

int Combine(HRGN a, HRGN b, int mode, RECT* box = nullptr) {
    Rgn out(CreateRectRgn(0, 0, 0, 0));
    int kind = CombineRgn(out.h, a, b, mode);
    if (box) GetRgnBox(out.h, box);
    return kind;
}

bool SameRegion(HRGN a, HRGN b) { return Combine(a, b, RGN_XOR) == NULLREGION; }

bool HasPixel(HRGN r, int x, int y) {
    Rgn px(CreateRectRgn(x, y, x + 1, y + 1));
    return Combine(r, px.h, RGN_AND) == SIMPLEREGION;
}

void ExpectBox(HRGN r, LONG l, LONG t, LONG rt, LONG b) {
    RECT box{-1, -1, -1, -1};
    GetRgnBox(r, &box);
    EXPECT_EQ(box.left, l);
    EXPECT_EQ(box.top, t);
    EXPECT_EQ(box.right, rt);
    EXPECT_EQ(box.bottom, b);
}

const std::vector<POINT> kOuter = {{0, 0}, {100, 0}, {100, 100}, {0, 100}};
const std::vector<POINT> kInner = {{20, 30}, {60, 30}, {60, 70}, {20, 70}};

TEST(RegionPolygon, SquareCoversItsPixelsWithoutRightAndBottomEdges) {
    Rgn sq(Poly({{0, 0}, {10, 0}, {10, 10}, {0, 10}}));
    ASSERT_NE(sq.h, nullptr);
    RECT box{};
    EXPECT_EQ(GetRgnBox(sq.h, &box), SIMPLEREGION);
    ExpectBox(sq.h, 0, 0, 10, 10);
    Rgn rect(CreateRectRgn(0, 0, 10, 10));
    EXPECT_TRUE(SameRegion(sq.h, rect.h));
    EXPECT_FALSE(HasPixel(sq.h, 10, 5));
    EXPECT_FALSE(HasPixel(sq.h, 5, 10));
}

TEST(RegionPolygon, SlantedEdgeTakesPixelsByTheirCentres) {
    // Centres on the hypotenuse (x + y == 3) lie on the right edge and stay out.
    Rgn tri(Poly({{0, 0}, {4, 0}, {0, 4}}));
    ASSERT_NE(tri.h, nullptr);
    ExpectBox(tri.h, 0, 0, 3, 3);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(HasPixel(tri.h, x, y), x + y <= 2) << x << "," << y;
}

TEST(RegionPolygon, OrientationDoesNotMatter) {
    std::vector<POINT> pts = {{3, 1}, {40, 7}, {33, 50}, {12, 44}, {-5, 20}};
    std::vector<POINT> rev(pts.rbegin(), pts.rend());
    Rgn cw(Poly(pts)), ccw(Poly(rev));
    ASSERT_NE(cw.h, nullptr);
    ASSERT_NE(ccw.h, nullptr);
    RECT box{};
    EXPECT_EQ(GetRgnBox(cw.h, &box), COMPLEXREGION);
    EXPECT_TRUE(SameRegion(cw.h, ccw.h));
}

TEST(RegionPolygon, WindingFillsWhatAlternateLeavesOut) {
    // A pentagram: its centre pentagon is wound twice.
    std::vector<POINT> star;
    for (int i = 0; i < 5; ++i) {
        double a = (i * 2 % 5) * 2 * M_PI / 5;
        star.push_back({static_cast<LONG>(std::lround(200 + 100 * std::sin(a))),
                        static_cast<LONG>(std::lround(200 - 100 * std::cos(a)))});
    }
    Rgn wind(Poly(star, WINDING)), alt(Poly(star, ALTERNATE));
    EXPECT_TRUE(HasPixel(wind.h, 200, 200));
    EXPECT_FALSE(HasPixel(alt.h, 200, 200));
    // The points of the star are in both.
    EXPECT_TRUE(HasPixel(wind.h, 200, 110));
    EXPECT_TRUE(HasPixel(alt.h, 200, 110));
    RECT box{};
    EXPECT_EQ(Combine(wind.h, alt.h, RGN_DIFF, &box), COMPLEXREGION);  // the centre pentagon
    EXPECT_GT(box.left, 150);
    EXPECT_LT(box.right, 250);
}

TEST(RegionPolygon, SquareWoundTwice) {
    std::vector<POINT> twice = {{0, 0}, {8, 0}, {8, 8}, {0, 8}, {0, 0}, {8, 0}, {8, 8}, {0, 8}};
    Rgn wind(Poly(twice, WINDING)), alt(Poly(twice, ALTERNATE));
    RECT box{};
    EXPECT_EQ(GetRgnBox(wind.h, &box), SIMPLEREGION);
    EXPECT_EQ(GetRgnBox(alt.h, &box), NULLREGION);
}

TEST(RegionPolygon, DegeneratePolygonsAreEmpty) {
    POINT pts[] = {{0, 0}, {10, 10}, {20, 20}};
    for (int n = 0; n <= 3; ++n) {  // three collinear points enclose nothing either
        Rgn r(CreatePolygonRgn(pts, n, WINDING));
        ASSERT_NE(r.h, nullptr) << n;
        RECT box{-1, -1, -1, -1};
        EXPECT_EQ(GetRgnBox(r.h, &box), NULLREGION) << n;
        ExpectBox(r.h, 0, 0, 0, 0);
    }
    Rgn flat(Poly({{0, 5}, {30, 5}, {12, 5}}));
    RECT box{};
    EXPECT_EQ(GetRgnBox(flat.h, &box), NULLREGION);
}

TEST(RegionPolygon, HugeCoordinates) {
    const LONG big = 1 << 27;
    Rgn edge(Poly({{-big, -big}, {big, -big}, {big, big}, {-big, big}}));
    ASSERT_NE(edge.h, nullptr);
    ExpectBox(edge.h, -big, -big, big, big);
    EXPECT_EQ(Poly({{0, 0}, {big + 1, 0}, {0, 10}}), nullptr);
    EXPECT_EQ(CreateRectRgn(0, 0, 10, -big - 1), nullptr);
    // A slanted polygon this tall would take millions of bands; it is refused, not built.
    EXPECT_EQ(Poly({{0, -big}, {big, big}, {-big, big}}), nullptr);
}

TEST(RegionCombine, InnerSquareNestsInOuter) {
    Rgn outer(Poly(kOuter)), inner(Poly(kInner));
    RECT box{};
    EXPECT_EQ(Combine(inner.h, outer.h, RGN_AND, &box), SIMPLEREGION);
    EXPECT_EQ(box.left, 20);
    EXPECT_EQ(box.top, 30);
    EXPECT_EQ(box.right, 60);
    EXPECT_EQ(box.bottom, 70);
    EXPECT_EQ(Combine(inner.h, outer.h, RGN_DIFF), NULLREGION);
    EXPECT_EQ(Combine(outer.h, inner.h, RGN_DIFF, &box), COMPLEXREGION);
    EXPECT_EQ(box.right, 100);
    EXPECT_EQ(box.bottom, 100);
    EXPECT_EQ(Combine(outer.h, inner.h, RGN_OR), SIMPLEREGION);
}

TEST(RegionCombine, DisjointAndTouching) {
    Rgn a(CreateRectRgn(0, 0, 10, 10)), b(CreateRectRgn(10, 0, 20, 10)), c(CreateRectRgn(30, 30, 40, 40));
    EXPECT_EQ(Combine(a.h, b.h, RGN_AND), NULLREGION);
    RECT box{};
    EXPECT_EQ(Combine(a.h, b.h, RGN_OR, &box), SIMPLEREGION);  // touching spans merge
    EXPECT_EQ(box.right, 20);
    EXPECT_EQ(Combine(a.h, c.h, RGN_OR), COMPLEXREGION);
    EXPECT_EQ(Combine(a.h, c.h, RGN_DIFF), SIMPLEREGION);
    Rgn overlap(CreateRectRgn(5, 0, 15, 10));
    EXPECT_EQ(Combine(a.h, overlap.h, RGN_XOR), COMPLEXREGION);
    Rgn halves(CreateRectRgn(0, 0, 0, 0));
    EXPECT_EQ(CombineRgn(halves.h, a.h, b.h, RGN_OR), SIMPLEREGION);
    EXPECT_EQ(CombineRgn(halves.h, halves.h, overlap.h, RGN_XOR), COMPLEXREGION);  // dest is a source
    EXPECT_TRUE(HasPixel(halves.h, 0, 0));
    EXPECT_FALSE(HasPixel(halves.h, 7, 3));
    EXPECT_TRUE(HasPixel(halves.h, 19, 9));
}

TEST(RegionCombine, CopyAndReversedRect) {
    Rgn src(CreateRectRgn(10, 20, 0, 5)), dest(CreateRectRgn(0, 0, 0, 0));
    EXPECT_EQ(CombineRgn(dest.h, src.h, nullptr, RGN_COPY), SIMPLEREGION);
    ExpectBox(dest.h, 0, 5, 10, 20);
}

TEST(RegionCombine, EqualRegionsHoldTheSamePixelsHoweverMade) {
    Rgn rect(CreateRectRgn(0, 0, 100, 100)), square(Poly(kOuter)), inner(Poly(kInner));
    Rgn common(CreateRectRgn(0, 0, 0, 0)), halves(CreateRectRgn(0, 0, 0, 0));
    CombineRgn(common.h, square.h, inner.h, RGN_AND);
    Rgn left(CreateRectRgn(0, 0, 50, 100)), right(CreateRectRgn(50, 0, 100, 100));
    CombineRgn(halves.h, left.h, right.h, RGN_OR);
    EXPECT_TRUE(EqualRgn(rect.h, square.h));
    EXPECT_TRUE(EqualRgn(halves.h, square.h));
    EXPECT_TRUE(EqualRgn(common.h, inner.h));
    EXPECT_FALSE(EqualRgn(square.h, inner.h));
    EXPECT_FALSE(EqualRgn(left.h, right.h));  // same shape elsewhere
    Rgn empty(CreateRectRgn(0, 0, 0, 0)), alsoEmpty(CreateRectRgn(5, 5, 5, 9));
    EXPECT_TRUE(EqualRgn(empty.h, alsoEmpty.h));
    EXPECT_FALSE(EqualRgn(empty.h, rect.h));
    int junk = 0;
    EXPECT_FALSE(EqualRgn(rect.h, reinterpret_cast<HRGN>(&junk)));
}

TEST(RegionHandles, BadHandlesFailWithoutTouchingDest) {
    Rgn a(CreateRectRgn(0, 0, 10, 10)), dest(CreateRectRgn(1, 1, 2, 2));
    int junk = 0;
    HRGN bogus = reinterpret_cast<HRGN>(&junk);
    EXPECT_EQ(CombineRgn(dest.h, a.h, bogus, RGN_AND), ERROR);
    EXPECT_EQ(CombineRgn(dest.h, bogus, a.h, RGN_AND), ERROR);
    EXPECT_EQ(CombineRgn(bogus, a.h, a.h, RGN_AND), ERROR);
    EXPECT_EQ(CombineRgn(nullptr, a.h, a.h, RGN_OR), ERROR);
    EXPECT_EQ(CombineRgn(dest.h, a.h, a.h, 0), ERROR);
    EXPECT_EQ(CombineRgn(dest.h, a.h, a.h, RGN_COPY + 1), ERROR);
    ExpectBox(dest.h, 1, 1, 2, 2);
    RECT box{};
    EXPECT_EQ(GetRgnBox(bogus, &box), ERROR);
    EXPECT_EQ(GetRgnBox(a.h, nullptr), ERROR);

    HRGN gone = CreateRectRgn(0, 0, 5, 5);
    EXPECT_TRUE(DeleteObject(gone));
    EXPECT_FALSE(DeleteObject(gone));
    EXPECT_EQ(CombineRgn(dest.h, gone, a.h, RGN_OR), ERROR);
    EXPECT_EQ(GetRgnBox(gone, &box), ERROR);
}

TEST(RegionHandles, BadPolygonArguments) {
    POINT pts[] = {{0, 0}, {10, 0}, {0, 10}};
    EXPECT_EQ(CreatePolygonRgn(nullptr, 3, WINDING), nullptr);
    EXPECT_EQ(CreatePolygonRgn(pts, -1, WINDING), nullptr);
    EXPECT_EQ(CreatePolygonRgn(pts, 3, 0), nullptr);
    EXPECT_EQ(CreatePolygonRgn(pts, 3, WINDING + 1), nullptr);
}

}  // namespace
