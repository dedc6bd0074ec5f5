// Outline processing between collection and encoding: orientation, nesting, the em square, the
// limits, and the fitting of BuildTTGlyph.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/endian.h"
#include "truetype/build_tt_glyph.h"
#include "truetype/emit_outline.h"
#include "truetype/fixed_point.h"
#include "truetype/glyph_builder.h"
#include "truetype/tt_glyph.h"

namespace {

constexpr int32_t F(int v) { return fixed::FromInt(v); }

struct P {
    int x, y;
    bool on = true;
};
using Contour = std::vector<P>;

// An outline as CBSGlyphBuilder leaves it, in em coordinates.
GlyphOutline Collect(const std::vector<Contour>& contours) {
    GlyphOutline outline;
    CBSGlyphBuilder b(&outline, fixed::kOne, F(512), F(512));
    b.BeginGlyph();
    for (const Contour& c : contours) {
        b.BeginContour();
        for (const P& p : c) b.AddPoint(p.on ? CGlyphBuilder::kOnCurve : CGlyphBuilder::kOffCurve, F(p.x), F(p.y));
        b.EndContour();
    }
    b.EndGlyph();
    return outline;
}

// Records what a builder is told, in integer coordinates.
class RecordingBuilder final : public CGlyphBuilder {
public:
    RecordingBuilder() : CGlyphBuilder(nullptr, fixed::kOne, 0, 0, 0, 0) {}
    void BeginGlyph() override { log.push_back("begin"); }
    void EndGlyph() override { log.push_back("end"); }
    void BeginContour() override { contours.emplace_back(); }
    void EndContour() override {}
    void AddPoint(int type, int32_t x, int32_t y) override {
        contours.back().push_back({fixed::Round(x), fixed::Round(y), type == kOnCurve});
    }
    std::vector<std::string> log;
    std::vector<Contour> contours;
};

bool Same(const Contour& a, const Contour& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].x != b[i].x || a[i].y != b[i].y || a[i].on != b[i].on) return false;
    }
    return true;
}

Contour Reversed(Contour c) { return Contour(c.rbegin(), c.rend()); }

// Twice the signed area with y up: negative for clockwise.
int64_t Area(const Contour& c) {
    int64_t s = 0;
    for (size_t i = 0; i < c.size(); ++i) {
        const P& a = c[(i + c.size() - 1) % c.size()];
        const P& b = c[i];
        s += int64_t{a.x} * b.y - int64_t{b.x} * a.y;
    }
    return s;
}

Contour Square(int x0, int y0, int x1, int y1, bool clockwise) {
    Contour cw = {{x0, y0}, {x0, y1}, {x1, y1}, {x1, y0}};
    return clockwise ? cw : Reversed(cw);
}

}  // namespace

TEST(EmitOutline, ClockwiseSquareIsEmittedUnchangedAndCounterClockwiseReversed) {
    const Contour cw = {{0, 0}, {0, 100}, {100, 100}, {100, 0}};
    {
        GlyphOutline o = Collect({cw});
        RecordingBuilder b;
        ASSERT_TRUE(EmitOutline(o, b));
        ASSERT_EQ(b.contours.size(), 1u);
        EXPECT_TRUE(Same(b.contours[0], cw));
        EXPECT_EQ(o.contours[0]->orientation, 1);
        EXPECT_EQ(o.contours[0]->region, nullptr);  // released
    }
    {
        const Contour ccw = Reversed(cw);
        GlyphOutline o = Collect({ccw});
        RecordingBuilder b;
        ASSERT_TRUE(EmitOutline(o, b));
        ASSERT_EQ(b.contours.size(), 1u);
        EXPECT_EQ(o.contours[0]->orientation, -1);
        EXPECT_TRUE(Same(b.contours[0], cw));  // point k swapped with point n - 1 - k
    }
}

TEST(EmitOutline, SquareInASquareBecomesAClockwiseOuterAndACounterClockwiseHole) {
    for (bool outerCw : {true, false}) {
        for (bool innerCw : {true, false}) {
            GlyphOutline o = Collect({Square(300, 300, 700, 700, innerCw), Square(100, 100, 900, 900, outerCw)});
            RecordingBuilder b;
            ASSERT_TRUE(EmitOutline(o, b));
            EXPECT_EQ(o.contours[0]->depth, 1);
            EXPECT_EQ(o.contours[1]->depth, 0);
            ASSERT_EQ(b.contours.size(), 2u);
            EXPECT_GT(Area(b.contours[0]), 0) << outerCw << innerCw;  // hole: counter-clockwise
            EXPECT_LT(Area(b.contours[1]), 0) << outerCw << innerCw;  // outer: clockwise
        }
    }
}

TEST(EmitOutline, ThreeLevelsAlternateAndNeighboursStayOuter) {
    GlyphOutline o = Collect({Square(100, 100, 900, 900, false), Square(200, 200, 800, 800, false),
                              Square(300, 300, 700, 700, false), Square(950, 100, 1000, 200, false)});
    RecordingBuilder b;
    ASSERT_TRUE(EmitOutline(o, b));
    EXPECT_EQ(o.contours[0]->depth, 0);
    EXPECT_EQ(o.contours[1]->depth, 1);
    EXPECT_EQ(o.contours[2]->depth, 2);
    EXPECT_EQ(o.contours[3]->depth, 0);
    ASSERT_EQ(b.contours.size(), 4u);
    EXPECT_LT(Area(b.contours[0]), 0);
    EXPECT_GT(Area(b.contours[1]), 0);
    EXPECT_LT(Area(b.contours[2]), 0);
    EXPECT_LT(Area(b.contours[3]), 0);
}

TEST(EmitOutline, OverlappingContoursNestNeitherWay) {
    GlyphOutline o = Collect({Square(100, 100, 600, 600, true), Square(400, 400, 900, 900, true)});
    RecordingBuilder b;
    ASSERT_TRUE(EmitOutline(o, b));
    EXPECT_EQ(o.contours[0]->depth, 0);
    EXPECT_EQ(o.contours[1]->depth, 0);
}

// Cases a pair's boxes alone cannot settle: nesting goes by the pixels of the regions.
TEST(EmitOutline, NestingGoesByPixelsNotBoxes) {
    const Contour ell = {{100, 100}, {100, 900}, {500, 900}, {500, 500}, {900, 500}, {900, 100}};
    struct Case {
        const char* what;
        std::vector<Contour> contours;
        std::vector<int> depths;
    };
    const Case cases[] = {
        {"equal squares", {Square(100, 100, 500, 500, true), Square(100, 100, 500, 500, false)}, {0, 0}},
        {"inner square on two edges", {Square(100, 100, 900, 900, true), Square(100, 100, 500, 500, true)}, {0, 1}},
        // Smaller than a pixel at quarter resolution: no pixels, so nothing in common.
        {"square without pixels", {Square(0, 0, 1, 1, true), Square(-400, -400, 400, 400, true)}, {0, 0}},
        {"square in the notch of an L", {Square(600, 600, 800, 800, true), ell}, {0, 0}},
        {"square in the arm of an L", {Square(200, 600, 400, 800, true), ell}, {1, 0}},
    };
    for (const Case& c : cases) {
        GlyphOutline o = Collect(c.contours);
        RecordingBuilder b;
        ASSERT_TRUE(EmitOutline(o, b)) << c.what;
        for (size_t i = 0; i < c.depths.size(); ++i) EXPECT_EQ(o.contours[i]->depth, c.depths[i]) << c.what << " " << i;
    }
}

TEST(EmitOutline, CurvedHoleInsideACurvedOuterIsFoundThroughItsSamples) {
    // Circles of quadratic arcs, both counter-clockwise as given.
    auto circle = [](int cx, int cy, int r) {
        return Contour{{cx + r, cy},           {cx + r, cy + r, false}, {cx, cy + r}, {cx - r, cy + r, false},
                       {cx - r, cy},           {cx - r, cy - r, false}, {cx, cy - r}, {cx + r, cy - r, false}};
    };
    GlyphOutline o = Collect({circle(512, 512, 400), circle(512, 512, 200)});
    RecordingBuilder b;
    ASSERT_TRUE(EmitOutline(o, b));
    EXPECT_EQ(o.contours[1]->depth, 1);
    EXPECT_EQ(o.contours[0]->orientation, -1);
    // Reversal keeps the points, so the outer circle now starts on a control point.
    EXPECT_TRUE(Same(b.contours[0], Reversed(circle(512, 512, 400))));
    EXPECT_LT(Area(b.contours[0]), 0);
    EXPECT_GT(Area(b.contours[1]), 0);
}

TEST(EmitOutline, ContoursOutsideTheEmSquareOrFlatAreLeftOut) {
    GlyphOutline o = Collect({Square(100, 1024, 200, 1100, true),   // wholly above the em
                              Square(-300, 100, 0, 200, true),      // touching its left edge only
                              {{100, 100}, {200, 100}, {300, 100}},  // flat
                              Square(1000, 1000, 1100, 1100, true)});  // overlaps a corner
    RecordingBuilder b;
    ASSERT_TRUE(EmitOutline(o, b));
    ASSERT_EQ(b.contours.size(), 1u);
    EXPECT_EQ(b.contours[0][0].x, 1000);
    EXPECT_EQ(o.contours[2]->orientation, 0);  // no area, no region
}

TEST(EmitOutline, EmptyOutlineStillBeginsAndEndsTheGlyph) {
    GlyphOutline o;
    RecordingBuilder b;
    ASSERT_TRUE(EmitOutline(o, b));
    EXPECT_EQ(b.log, (std::vector<std::string>{"begin", "end"}));
    EXPECT_TRUE(b.contours.empty());
}

TEST(EmitOutline, ContourTooLargeForItsPolygonIsRefusedWithTheBuilderUntouched) {
    // 600 control points in a row make 600 segments of 16 polygon points each.
    Contour big{{100, 100}};
    for (int i = 0; i < 600; ++i) big.push_back({100 + i, (i % 2) ? 200 : 300, false});
    big.push_back({700, 100});
    std::vector<Contour> contours{Square(10, 10, 20, 20, true), big};
    GlyphOutline o = Collect(contours);
    RecordingBuilder b;
    EXPECT_FALSE(EmitOutline(o, b));
    EXPECT_TRUE(b.log.empty());
    for (const auto& c : o.contours) EXPECT_EQ(c->region, nullptr);
}

// Every pair of meeting contours costs region work: a glyph of hundreds of overlapping contours is
// refused instead of taking minutes, while contours that do not meet cost nothing and still nest.
TEST(EmitOutline, NestingWorkIsBounded) {
    std::vector<Contour> overlapping;
    for (int i = 0; i < 300; ++i) overlapping.push_back(Square(10 + i, 10, 400 + i, 400, true));
    GlyphOutline o = Collect(overlapping);
    RecordingBuilder b;
    EXPECT_FALSE(EmitOutline(o, b));
    EXPECT_TRUE(b.log.empty());
    for (const auto& c : o.contours) EXPECT_EQ(c->region, nullptr);

    // 200 small separate squares, each with a hole: every hole is still found.
    std::vector<Contour> apart;
    for (int i = 0; i < 100; ++i) {
        const int x = (i % 10) * 100, y = (i / 10) * 100;
        apart.push_back(Square(x + 5, y + 5, x + 95, y + 95, true));
        apart.push_back(Square(x + 30, y + 30, x + 70, y + 70, true));
    }
    GlyphOutline many = Collect(apart);
    RecordingBuilder out;
    ASSERT_TRUE(EmitOutline(many, out));
    ASSERT_EQ(out.contours.size(), 200u);
    for (size_t i = 0; i < out.contours.size(); ++i)
        EXPECT_EQ(Area(out.contours[i]) < 0, i % 2 == 0) << i;  // outers clockwise, holes reversed
}

// ---- BuildTTGlyph ----

TEST(BuildTTGlyph, DefaultBoxMovesYDownBy204AndSetsTheMetrics) {
    GlyphOutline o = Collect({Square(100, 300, 500, 900, true)});
    TTGlyph g;
    ASSERT_TRUE(BuildTTGlyph(o, nullptr, g));
    int16_t x0, y0, x1, y1;
    ASSERT_TRUE(g.GetBoundingBox(&x0, &y0, &x1, &y1));
    EXPECT_EQ(x0, 100);
    EXPECT_EQ(y0, 96);
    EXPECT_EQ(x1, 500);
    EXPECT_EQ(y1, 696);
    EXPECT_EQ(g.AdvanceWidth(), 1024);
    EXPECT_EQ(g.AdvanceHeight(), 1024);
    EXPECT_EQ(g.LeftSideBearing(), 100);
    EXPECT_EQ(g.TopSideBearing(), 820 - 696);
}

TEST(BuildTTGlyph, DesignBoxScalesAboutItsCentre) {
    GlyphOutline o = Collect({Square(0, 0, 1024, 1024, true)});
    const TTDesignBox box{2048, 0, -400, 2048, 1648};
    TTGlyph g;
    ASSERT_TRUE(BuildTTGlyph(o, &box, g));
    int16_t x0, y0, x1, y1;
    ASSERT_TRUE(g.GetBoundingBox(&x0, &y0, &x1, &y1));
    EXPECT_EQ(x0, 0);
    EXPECT_EQ(x1, 2048);
    EXPECT_EQ(y0, -400);
    EXPECT_EQ(y1, 1648);
    EXPECT_EQ(g.LeftSideBearing(), 0);
    EXPECT_EQ(g.TopSideBearing(), 0);
    EXPECT_EQ(g.AdvanceWidth(), 1024);  // the outline's own advance, whatever the box
}

TEST(BuildTTGlyph, EmptyOutlineGivesAnEmptyGlyphWithZeroBearings) {
    GlyphOutline o = Collect({Square(100, 2000, 200, 2100, true)});
    TTGlyph g;
    ASSERT_TRUE(BuildTTGlyph(o, nullptr, g));
    EXPECT_EQ(g.Length(), 0u);
    EXPECT_EQ(g.LeftSideBearing(), 0);
    EXPECT_EQ(g.TopSideBearing(), 0);
    EXPECT_EQ(g.AdvanceWidth(), 1024);
}

TEST(BuildTTGlyph, RefusesAGlyphTheEncoderCannotHold) {
    // Scaled by almost 32 about x = 30000, the square reaches past 32767.
    GlyphOutline o = Collect({Square(0, 0, 1024, 1024, true)});
    const TTDesignBox box{32767, 30000, 0, 30000, 0};
    TTGlyph g;
    EXPECT_FALSE(BuildTTGlyph(o, &box, g));
    EXPECT_TRUE(g.IsEmpty());
}
