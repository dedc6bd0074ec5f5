// TTGlyph: reset state, the 12-byte little-endian record, bounding box, contour info, ownership.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "support/tt_test_fonts.h"
#include "truetype/tt_glyph.h"

namespace {

using testsupport::EncodeCompositeGlyph;
using testsupport::EncodeSimpleGlyph;
using testsupport::FontContour;

// Two contours, 4 + 3 points, one off-curve point.
const std::vector<FontContour> kTwoContours = {
    {{100, -100}, {100, 700}, {900, 700}, {900, -100}},
    {{300, 100}, {500, 500, false}, {700, 100}},
};

TTGlyph GlyphFrom(const std::string& data) {
    TTGlyph g;
    EXPECT_TRUE(g.SetData(reinterpret_cast<const uint8_t*>(data.data()), static_cast<uint32_t>(data.size())));
    return g;
}

std::string Serialized(const TTGlyph& g) {
    std::string out(g.Serialize(nullptr), '\0');
    EXPECT_EQ(g.Serialize(reinterpret_cast<uint8_t*>(out.data())), out.size());
    return out;
}

bool ContourInfoOf(const std::string& data, int16_t* contours = nullptr, uint32_t* points = nullptr) {
    return GlyphFrom(data).GetContourInfo(contours, points);
}

}  // namespace

TEST(TTGlyph, NewGlyphIsEmptyWithResetMetrics) {
    TTGlyph g;
    EXPECT_TRUE(g.IsEmpty());
    EXPECT_EQ(g.Length(), 0u);
    uint16_t aw = 0, ah = 0;
    int16_t lsb = 0, tsb = 0;
    g.GetMetrics(&aw, &ah, &lsb, &tsb);
    EXPECT_EQ(aw, 1024);
    EXPECT_EQ(ah, 1024);
    EXPECT_EQ(lsb, 357);
    EXPECT_EQ(tsb, 359);
}

TEST(TTGlyph, ResetFreesDataAndRestoresMetrics) {
    TTGlyph g = GlyphFrom(EncodeSimpleGlyph(kTwoContours));
    g.SetMetrics(500, 600, -7, 42);
    ASSERT_FALSE(g.IsEmpty());
    g.Reset();
    EXPECT_TRUE(g.IsEmpty());
    EXPECT_EQ(g.Data(), nullptr);
    EXPECT_EQ(g.AdvanceWidth(), TTGlyph::kResetAdvanceWidth);
    EXPECT_EQ(g.AdvanceHeight(), TTGlyph::kResetAdvanceHeight);
    EXPECT_EQ(g.LeftSideBearing(), TTGlyph::kResetLeftSideBearing);
    EXPECT_EQ(g.TopSideBearing(), TTGlyph::kResetTopSideBearing);
}

TEST(TTGlyph, SerializeOfEmptyGlyphIsTwelveBytesWithLengthZero) {
    TTGlyph g;
    EXPECT_EQ(g.Serialize(nullptr), 12u);
    const std::string record = Serialized(g);
    const std::string expected("\x00\x04\x00\x04\x65\x01\x67\x01\x00\x00\x00\x00", 12);
    EXPECT_EQ(record, expected);
}

TEST(TTGlyph, SerializeWritesLittleEndianHeaderThenTheData) {
    TTGlyph g = GlyphFrom("\x01\x02\x03");
    g.SetMetrics(0x1234, 0x5678, -2, -300);
    const std::string record = Serialized(g);
    const std::string expected("\x34\x12\x78\x56\xFE\xFF\xD4\xFE\x03\x00\x00\x00\x01\x02\x03", 15);
    EXPECT_EQ(record, expected);
}

TEST(TTGlyph, DeserializeRestoresWhatSerializeWrote) {
    TTGlyph g = GlyphFrom(EncodeSimpleGlyph(kTwoContours));
    g.SetMetrics(700, 900, 12, -5);
    const std::string record = Serialized(g);
    TTGlyph back;
    ASSERT_TRUE(back.Deserialize(reinterpret_cast<const uint8_t*>(record.data()), static_cast<uint32_t>(record.size())));
    EXPECT_TRUE(back.Equals(g));
    EXPECT_EQ(back.AdvanceWidth(), 700);
    EXPECT_EQ(back.AdvanceHeight(), 900);
    EXPECT_EQ(back.LeftSideBearing(), 12);
    EXPECT_EQ(back.TopSideBearing(), -5);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(back.Data()), back.Length()), EncodeSimpleGlyph(kTwoContours));
}

TEST(TTGlyph, DeserializeTakesOnlyTheAnnouncedLengthFromALongerBuffer) {
    std::string record("\x00\x01\x00\x02\x03\x00\x04\x00\x02\x00\x00\x00\xAA\xBB\xCC\xDD", 16);
    TTGlyph g;
    ASSERT_TRUE(g.Deserialize(reinterpret_cast<const uint8_t*>(record.data()), 16));
    EXPECT_EQ(g.Length(), 2u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(g.Data()), 2), "\xAA\xBB");
    EXPECT_EQ(g.AdvanceWidth(), 0x0100);
}

TEST(TTGlyph, DeserializeRefusesShortRecordsAndReleasesOldData) {
    TTGlyph g = GlyphFrom(EncodeSimpleGlyph(kTwoContours));
    const std::string eleven(11, '\0');
    EXPECT_FALSE(g.Deserialize(reinterpret_cast<const uint8_t*>(eleven.data()), 11));
    EXPECT_TRUE(g.IsEmpty());

    // Length field 5 with only 4 data bytes behind the header.
    g = GlyphFrom(EncodeSimpleGlyph(kTwoContours));
    std::string record(16, '\0');
    record[8] = 5;
    EXPECT_FALSE(g.Deserialize(reinterpret_cast<const uint8_t*>(record.data()), 16));
    EXPECT_TRUE(g.IsEmpty());
    // A length field near 4 GB must not wrap the check.
    record[8] = '\xFF';
    record[9] = record[10] = record[11] = '\xFF';
    EXPECT_FALSE(g.Deserialize(reinterpret_cast<const uint8_t*>(record.data()), 16));
    EXPECT_FALSE(g.Deserialize(nullptr, 100));
}

TEST(TTGlyph, BoundingBoxComesFromTheGlyphHeader) {
    TTGlyph g = GlyphFrom(EncodeSimpleGlyph(kTwoContours));
    int16_t xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    ASSERT_TRUE(g.GetBoundingBox(&xMin, &yMin, &xMax, &yMax));
    EXPECT_EQ(xMin, 100);
    EXPECT_EQ(yMin, -100);
    EXPECT_EQ(xMax, 900);
    EXPECT_EQ(yMax, 700);

    TTGlyph empty;
    xMin = yMin = xMax = yMax = 9;
    EXPECT_FALSE(empty.GetBoundingBox(&xMin, &yMin, &xMax, &yMax));
    EXPECT_EQ(xMin | yMin | xMax | yMax, 0);
    // Fewer than the 10 header bytes: no box, and nothing read past the data.
    TTGlyph stub = GlyphFrom(std::string("\x00\x01\x00\x02", 4));
    EXPECT_FALSE(stub.GetBoundingBox(&xMin, &yMin, &xMax, &yMax));
    EXPECT_EQ(xMax, 0);
}

TEST(TTGlyph, ContourInfoCountsContoursAndPoints) {
    int16_t contours = -1;
    uint32_t points = 0;
    ASSERT_TRUE(ContourInfoOf(EncodeSimpleGlyph(kTwoContours), &contours, &points));
    EXPECT_EQ(contours, 2);
    EXPECT_EQ(points, 7u);
    TTGlyph empty;
    contours = 5;
    points = 5;
    EXPECT_TRUE(empty.GetContourInfo(&contours, &points));
    EXPECT_EQ(contours, 0);
    EXPECT_EQ(points, 0u);
}

TEST(TTGlyph, ContourInfoRefusesCompositeAndMalformedGlyphs) {
    EXPECT_FALSE(ContourInfoOf(EncodeCompositeGlyph(1, 0, 0)));
    const std::string good = EncodeSimpleGlyph(kTwoContours);
    // Five contours announced in a 16-byte glyph: the end points would lie past the data.
    std::string tooManyContours = good.substr(0, 16);
    testsupport::Put16(tooManyContours, 0, 5);
    EXPECT_FALSE(ContourInfoOf(tooManyContours));
    // End points running backwards.
    std::string backwards = good;
    testsupport::Put16(backwards, 12, 2);
    EXPECT_FALSE(ContourInfoOf(backwards));
    // Instructions reaching past the data.
    std::string longInstructions = good;
    testsupport::Put16(longInstructions, 14, 0x4000);
    EXPECT_FALSE(ContourInfoOf(longInstructions));
    // Coordinates cut short, and flags cut short.
    EXPECT_FALSE(ContourInfoOf(good.substr(0, good.size() - 1)));
    EXPECT_FALSE(ContourInfoOf(good.substr(0, 16 + 3)));
    // A repeat run that claims more points than the contours have.
    std::string repeat = EncodeSimpleGlyph({{{0, 0}, {10, 0}, {10, 10}}});
    // Header 10, one end point, instruction length: flags begin at 14.
    repeat[14] = static_cast<char>(repeat[14] | 0x08);
    repeat.insert(15, 1, '\x05');
    EXPECT_FALSE(ContourInfoOf(repeat));
    // Less than a header.
    EXPECT_FALSE(ContourInfoOf(std::string("\x00\x01\x00", 3)));
}

TEST(TTGlyph, ContourInfoAcceptsRepeatedFlagsAndInstructions) {
    // Three points with identical flags stored as one flag and a repeat count of 2.
    std::string glyph = EncodeSimpleGlyph({{{0, 0}, {0, 0}, {0, 0}}}, std::string("\xB0\x00", 2));
    const size_t flagsAt = 10 + 2 + 2 + 2;
    ASSERT_EQ(glyph.substr(flagsAt, 3), std::string("\x31\x31\x31"));
    glyph.replace(flagsAt, 3, std::string("\x39\x02", 2));
    int16_t contours = 0;
    uint32_t points = 0;
    ASSERT_TRUE(ContourInfoOf(glyph, &contours, &points));
    EXPECT_EQ(contours, 1);
    EXPECT_EQ(points, 3u);
}

TEST(TTGlyph, AttachTakesOverAndDetachHandsBackTheBlock) {
    auto* block = static_cast<uint8_t*>(std::malloc(4));
    std::memcpy(block, "\x01\x02\x03\x04", 4);
    TTGlyph g;
    g.SetMetrics(1, 2, 3, 4);
    g.AttachData(block, 4);
    EXPECT_EQ(g.Data(), block);
    EXPECT_EQ(g.Length(), 4u);
    uint32_t length = 0;
    uint8_t* back = g.DetachData(&length);
    EXPECT_EQ(back, block);
    EXPECT_EQ(length, 4u);
    EXPECT_TRUE(g.IsEmpty());
    EXPECT_EQ(g.AdvanceWidth(), 1);  // metrics stay
    std::free(back);
    // A length without a block is not kept: it would be serialized from nowhere.
    g.AttachData(nullptr, 9);
    EXPECT_EQ(g.Length(), 0u);
    EXPECT_EQ(g.Serialize(nullptr), 12u);
}

TEST(TTGlyph, EqualsComparesMetricsLengthAndBytesButNotEmptiness) {
    TTGlyph a = GlyphFrom(EncodeSimpleGlyph(kTwoContours));
    TTGlyph b = GlyphFrom(EncodeSimpleGlyph(kTwoContours));
    EXPECT_TRUE(a.Equals(b));
    b.SetMetrics(1000, 1024, 357, 359);
    EXPECT_FALSE(a.Equals(b));
    b.SetMetrics(a.AdvanceWidth(), a.AdvanceHeight(), a.LeftSideBearing(), a.TopSideBearing());
    std::string other = EncodeSimpleGlyph(kTwoContours);
    other[other.size() - 1] ^= 1;
    TTGlyph c = GlyphFrom(other);
    EXPECT_FALSE(a.Equals(c));
    TTGlyph shorter = GlyphFrom(EncodeSimpleGlyph({kTwoContours[0]}));
    EXPECT_FALSE(a.Equals(shorter));
    TTGlyph emptyA, emptyB;
    emptyB.SetMetrics(1, 2, 3, 4);
    EXPECT_TRUE(emptyA.Equals(emptyB));
    EXPECT_FALSE(emptyA.Equals(a));
    EXPECT_FALSE(a.Equals(emptyA));
}

TEST(TTGlyph, CopiesOwnTheirData) {
    TTGlyph a = GlyphFrom(EncodeSimpleGlyph(kTwoContours));
    TTGlyph copy(a);
    EXPECT_NE(copy.Data(), a.Data());
    EXPECT_TRUE(copy.Equals(a));
    a.Reset();
    EXPECT_FALSE(copy.IsEmpty());
    TTGlyph moved(std::move(copy));
    EXPECT_FALSE(moved.IsEmpty());
    EXPECT_TRUE(copy.IsEmpty());  // NOLINT(bugprone-use-after-move): the moved-from glyph is empty
}

// Glyphs of many points, with their flags one per point and packed into repeat runs: the point count
// and the box of the points (worked out here from the points themselves) come out of both; one byte
// less and the glyph is refused.
TEST(TTGlyph, ContourInfoAndBoxOfLongGlyphsWithAndWithoutRepeatRuns) {
    // Flags packed into runs: equal neighbours become one flag with the repeat bit and a count.
    const auto packFlags = [](std::string glyph, size_t flagsAt, size_t points) {
        std::string packed;
        for (size_t i = 0; i < points;) {
            size_t run = 1;
            while (i + run < points && run < 256 && glyph[flagsAt + i + run] == glyph[flagsAt + i]) ++run;
            if (run == 1) {
                packed += glyph[flagsAt + i];
            } else {
                packed += static_cast<char>(glyph[flagsAt + i] | 0x08);
                packed += static_cast<char>(run - 1);
            }
            i += run;
        }
        return glyph.replace(flagsAt, points, packed);
    };
    uint32_t seed = 12345;
    const auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    // Coordinates turned back at 20000, and at the very edge of the 16-bit range.
    for (const auto& [n, limit] : std::vector<std::pair<int, int>>{
             {7, 20000}, {8, 20000}, {9, 20000}, {23, 20000}, {64, 20000}, {129, 20000}, {600, 20000}, {4100, 20000},
             {300, 32767}}) {
        FontContour contour;
        int x = 0, y = 0, xMin = INT32_MAX, xMax = INT32_MIN, yMin = INT32_MAX, yMax = INT32_MIN;
        int steps[2] = {0, 0};
        for (int i = 0; i < n; ++i) {
            // Runs of one kind of step on each axis: none, short either way, long either way.
            for (int& step : steps)
                if (next() % 4 == 0) step = std::vector<int>{0, 3, -40, 255, -255, 300, -700}[next() % 7];
            if (std::abs(x + steps[0]) > limit) steps[0] = -steps[0];
            if (std::abs(y + steps[1]) > limit) steps[1] = -steps[1];
            x += steps[0];
            y += steps[1];
            contour.push_back({x, y, next() % 3 != 0});
            xMin = std::min(xMin, x), xMax = std::max(xMax, x), yMin = std::min(yMin, y), yMax = std::max(yMax, y);
        }
        const std::string plain = EncodeSimpleGlyph({contour});
        const size_t flagsAt = 10 + 2 + 2;
        const std::string packed = packFlags(plain, flagsAt, static_cast<size_t>(n));
        for (const std::string& data : {plain, packed}) {
            SCOPED_TRACE(std::to_string(n) + (data.size() < plain.size() ? " points, packed, " : " points, ") +
                         std::to_string(xMin) + ".." + std::to_string(xMax));
            int16_t contours = 0;
            uint32_t points = 0;
            ASSERT_TRUE(ContourInfoOf(data, &contours, &points));
            EXPECT_EQ(contours, 1);
            EXPECT_EQ(points, static_cast<uint32_t>(n));
            EXPECT_TRUE(GlyphFrom(data).HasTrueBoundingBox());
            std::string unboxed = data;
            for (int i = 0; i < 4; ++i) testsupport::Put16(unboxed, 2 + 2 * i, 0);
            TTGlyph g = GlyphFrom(unboxed);
            EXPECT_FALSE(g.HasTrueBoundingBox());
            ASSERT_TRUE(g.FixBoundingBox());
            int16_t box[4];
            ASSERT_TRUE(g.GetBoundingBox(&box[0], &box[1], &box[2], &box[3]));
            EXPECT_EQ(std::vector<int>(box, box + 4), (std::vector<int>{xMin, yMin, xMax, yMax}));
            EXPECT_FALSE(ContourInfoOf(data.substr(0, data.size() - 1)));
        }
    }
}

// Points walked by one-byte steps past either end of the 16-bit range have no box a glyph can
// store: the glyph is refused, whether the walk starts near that end or well inside the range.
TEST(TTGlyph, PointsBeyondSixteenBitsHaveNoBox) {
    for (const int start : {28000, -28000, 32000, -32000}) {
        SCOPED_TRACE(start);
        // One contour of 40 points: x starts as a long coordinate and then steps 255 outwards; y
        // stays, in one-byte steps of 0 after its first point.
        std::string data(10, '\0');
        testsupport::Put16(data, 0, 1);
        data += std::string{0, 39, 0, 0};  // last point 39, no instructions
        data += static_cast<char>(0x21);
        data += std::string(39, static_cast<char>(start > 0 ? 0x37 : 0x27));
        data += std::string{static_cast<char>((start >> 8) & 0xFF), static_cast<char>(start & 0xFF)};
        data += std::string(39, static_cast<char>(255));
        data += std::string(39, '\0');
        TTGlyph g = GlyphFrom(data);
        EXPECT_FALSE(g.HasTrueBoundingBox());
        EXPECT_FALSE(g.FixBoundingBox());
    }
}
