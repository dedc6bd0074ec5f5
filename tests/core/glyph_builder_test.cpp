// Fixed-point rules and the two glyph builders: the glyf bytes the TrueType builder writes and the
// contours the collecting builder keeps.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "truetype/fixed_point.h"
#include "truetype/glyph_builder.h"
#include "truetype/tt_glyph.h"

namespace {

constexpr int32_t F(int v) { return fixed::FromInt(v); }

std::vector<uint8_t> Bytes(const TTGlyph& g) { return std::vector<uint8_t>(g.Data(), g.Data() + g.Length()); }

// Drives a builder with contours of integer points.
struct P {
    int x, y;
    bool on = true;
};
void Drive(CGlyphBuilder& b, const std::vector<std::vector<P>>& contours) {
    b.BeginGlyph();
    for (const auto& c : contours) {
        b.BeginContour();
        for (const P& p : c) b.AddPoint(p.on ? CGlyphBuilder::kOnCurve : CGlyphBuilder::kOffCurve, F(p.x), F(p.y));
        b.EndContour();
    }
    b.EndGlyph();
}

}  // namespace

TEST(FixedPoint, HalvesRoundAwayFromZero) {
    EXPECT_EQ(fixed::Round(0x8000), 1);
    EXPECT_EQ(fixed::Round(-0x8000), -1);
    EXPECT_EQ(fixed::Round(0x7FFF), 0);
    EXPECT_EQ(fixed::Round(-0x7FFF), 0);
    EXPECT_EQ(fixed::Round(F(3) + 0x8000), 4);
    EXPECT_EQ(fixed::Round(-F(3) - 0x8000), -4);
    EXPECT_EQ(fixed::Round(INT32_MAX), 32768);
    EXPECT_EQ(fixed::Round(INT32_MIN), -32768);
}

TEST(FixedPoint, ProductRoundsAndNeedsSixtyFourBits) {
    EXPECT_EQ(fixed::Mul(F(100), F(200)), F(20000));  // the raw product passes 2^32
    EXPECT_EQ(fixed::Mul(F(3), 0x8000), 0x18000);  // 3 x 0.5
    EXPECT_EQ(fixed::Mul(1, 0x8000), 1);           // a half of the last bit rounds up
    EXPECT_EQ(fixed::Mul(F(-7), F(2)), F(-14));
}

// ---- The TrueType builder ----

TEST(TTGlyphBuilder, ClockwiseSquareEncodesAsExpected) {
    TTGlyph g;
    CTTGlyphBuilder b(&g, fixed::kOne, 0, 0, 0, 0);
    Drive(b, {{{0, -204}, {0, -104}, {100, -104}, {100, -204}}});
    const std::vector<uint8_t> expected = {
        0x00, 0x01, 0x00, 0x00, 0xFF, 0x34, 0x00, 0x64, 0xFF, 0x98,  // 1 contour, box 0,-204,100,-104
        0x00, 0x03, 0x00, 0x00,                                      // last point 3, no instructions
        0x15, 0x35, 0x33, 0x15,                                      // flags
        0x64,                                                        // x: +100
        0xCC, 0x64, 0x64,                                            // y: -204, +100, -100
    };
    EXPECT_EQ(Bytes(g), expected);
    // Metrics are the caller's business: the reset ones stay.
    EXPECT_EQ(g.LeftSideBearing(), TTGlyph::kResetLeftSideBearing);
    EXPECT_TRUE(b.IsWorking());
}

TEST(TTGlyphBuilder, StepsOf255TakeOneByteAnd256TakeTwo) {
    TTGlyph g;
    CTTGlyphBuilder b(&g, fixed::kOne, 0, 0, 0, 0);
    Drive(b, {{{255, -255}, {511, -511}, {256, -255}}});
    const std::vector<uint8_t> expected = {
        0x00, 0x01, 0x00, 0xFF, 0xFE, 0x01, 0x01, 0xFF, 0xFF, 0x01,  // box 255,-511,511,-255
        0x00, 0x02, 0x00, 0x00,                                      //
        0x17, 0x01, 0x03,                                            // short+positive/short; long; short
        0xFF, 0x01, 0x00, 0xFF,                                      // x: +255, +256, -255
        0xFF, 0xFF, 0x00, 0x01, 0x00,                                // y: -255, -256, +256
    };
    EXPECT_EQ(Bytes(g), expected);
}

TEST(TTGlyphBuilder, OddSizeGetsOneZeroPadByte) {
    TTGlyph g;
    CTTGlyphBuilder b(&g, fixed::kOne, 0, 0, 0, 0);
    Drive(b, {{{10, 10}, {10, 20}, {20, 20}, {20, 10}}});  // 10 + 2 + 2 + 4 flags + 2 + 3 = 23
    ASSERT_EQ(g.Length(), 24u);
    EXPECT_EQ(g.Data()[23], 0);
    EXPECT_EQ(g.Data()[22], 10);  // the last y step comes right before the pad
    int16_t contours = 0;
    uint32_t points = 0;
    ASSERT_TRUE(g.GetContourInfo(&contours, &points));
    EXPECT_EQ(contours, 1);
    EXPECT_EQ(points, 4u);
}

TEST(TTGlyphBuilder, EndPointsCountAcrossContoursAndEmptyContoursAreSkipped) {
    TTGlyph g;
    CTTGlyphBuilder b(&g, fixed::kOne, 0, 0, 0, 0);
    Drive(b, {{{0, 0}, {0, 10}, {10, 0}}, {}, {{20, 20}, {20, 30}, {30, 30}, {30, 20}}});
    int16_t contours = 0;
    uint32_t points = 0;
    ASSERT_TRUE(g.GetContourInfo(&contours, &points));
    EXPECT_EQ(contours, 2);
    EXPECT_EQ(points, 7u);
    EXPECT_EQ(g.Data()[11], 2);  // end points 2 and 6
    EXPECT_EQ(g.Data()[13], 6);
}

TEST(TTGlyphBuilder, TransformScalesAroundTheOriginAndRoundsHalvesAway) {
    TTGlyph g;
    // Half scale around (512, 512), then moved to (512, 308).
    CTTGlyphBuilder b(&g, 0x8000, F(512), F(512), F(512), F(308));
    b.BeginGlyph();
    b.BeginContour();
    b.AddPoint(CGlyphBuilder::kOnCurve, F(513), F(511));  // (512.5, 307.5) -> (513, 308)
    b.AddPoint(CGlyphBuilder::kOnCurve, F(0), F(1024));   // (256, 564)
    b.EndContour();
    b.EndGlyph();
    int16_t x0, y0, x1, y1;
    ASSERT_TRUE(g.GetBoundingBox(&x0, &y0, &x1, &y1));
    EXPECT_EQ(x0, 256);
    EXPECT_EQ(x1, 513);
    EXPECT_EQ(y0, 308);
    EXPECT_EQ(y1, 564);
}

TEST(TTGlyphBuilder, NoContoursGiveAnEmptyGlyph) {
    TTGlyph g;
    g.SetData(reinterpret_cast<const uint8_t*>("stale"), 5);
    CTTGlyphBuilder b(&g, fixed::kOne, 0, 0, 0, 0);
    Drive(b, {});
    EXPECT_EQ(g.Length(), 0u);
    EXPECT_TRUE(g.IsEmpty());
}

TEST(TTGlyphBuilder, GivesUpOnWhatASimpleGlyphCannotHold) {
    TTGlyph g;
    CTTGlyphBuilder doubling(&g, 2 * fixed::kOne, 0, 0, 0, 0);
    Drive(doubling, {{{0, 0}, {0, 20000}, {10, 0}}});  // y becomes 40000
    EXPECT_FALSE(doubling.IsWorking());
    EXPECT_TRUE(g.IsEmpty());

    CTTGlyphBuilder b(&g, fixed::kOne, 0, 0, 0, 0);

    // A step of more than 32767 between two points that each fit.
    Drive(b, {{{-20000, 0}, {20000, 0}, {0, 10}}});
    EXPECT_FALSE(b.IsWorking());
    EXPECT_TRUE(g.IsEmpty());

    // 32768 points fit; one more does not.
    std::vector<P> many;
    for (int i = 0; i < static_cast<int>(CTTGlyphBuilder::kMaxPoints); ++i) many.push_back({i % 2, i % 3});
    Drive(b, {many});
    EXPECT_TRUE(b.IsWorking());
    EXPECT_FALSE(g.IsEmpty());
    many.push_back({5, 5});
    Drive(b, {many});
    EXPECT_FALSE(b.IsWorking());
    EXPECT_TRUE(g.IsEmpty());
}

// ---- The collecting builder ----

TEST(BSGlyphBuilder, CollectsTransformedPointsAndDropsTinyContours) {
    GlyphOutline outline;
    CBSGlyphBuilder b(&outline, 2 * fixed::kOne, F(512), F(512));  // offset is always 512, 512
    Drive(b, {{{512, 512}, {612, 512}, {612, 562, false}}, {{7, 7}}, {}});
    ASSERT_EQ(outline.contours.size(), 1u);
    const auto& c = *outline.contours[0];
    ASSERT_EQ(c.points.size(), 3u);
    EXPECT_EQ(c.points[1].x, F(712));
    EXPECT_EQ(c.points[2].y, F(612));
    EXPECT_EQ(c.points[2].onCurve, 0);
    // BeginGlyph starts over.
    Drive(b, {});
    EXPECT_TRUE(outline.contours.empty());
}

TEST(BSGlyphBuilder, OffCurveStartMovesToTheLastOnCurvePoint) {
    GlyphOutline outline;
    CBSGlyphBuilder b(&outline, fixed::kOne, F(512), F(512));
    Drive(b, {{{50, 100, false}, {0, 0}, {100, 0}}});
    const auto& pts = outline.contours.at(0)->points;
    ASSERT_EQ(pts.size(), 3u);
    EXPECT_EQ(pts[0].x, F(100));
    EXPECT_EQ(pts[0].onCurve, 1);
    EXPECT_EQ(pts[1].x, F(50));
    EXPECT_EQ(pts[1].onCurve, 0);
    EXPECT_EQ(pts[2].x, F(0));
}

TEST(BSGlyphBuilder, OffCurveStartAndEndMeetAtTheirMidpoint) {
    GlyphOutline outline;
    CBSGlyphBuilder b(&outline, fixed::kOne, F(512), F(512));
    Drive(b, {{{0, 100, false}, {100, 0}, {200, 100}, {101, 200, false}}});
    const auto& c = *outline.contours.at(0);
    ASSERT_EQ(c.points.size(), 5u);
    EXPECT_EQ(c.points[0].onCurve, 1);
    EXPECT_EQ(c.points[0].x, F(50) + 0x8000);
    EXPECT_EQ(c.points[0].y, F(150));
    EXPECT_EQ(c.points[4].onCurve, 0);  // the control points stay control points
    EXPECT_EQ(c.points[1].onCurve, 0);
}

TEST(BSGlyphBuilder, BoundingBoxFollowsTheCurveNotItsControlPoint) {
    GlyphOutline outline;
    CBSGlyphBuilder b(&outline, fixed::kOne, F(512), F(512));
    Drive(b, {{{0, 0}, {50, 100, false}, {100, 0}}});
    const auto& c = *outline.contours.at(0);
    EXPECT_EQ(c.xMin, 0);
    EXPECT_EQ(c.xMax, 100);
    EXPECT_EQ(c.yMin, 0);
    EXPECT_EQ(c.yMax, 50);  // the curve's top, sampled at t = 1/2
}
