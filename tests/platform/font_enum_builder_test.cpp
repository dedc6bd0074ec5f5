// The test font builder itself: its fonts must be valid TrueType, or every font test built on it
// proves nothing.
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SFNT_NAMES_H
#include FT_TRUETYPE_TABLES_H

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "support/temp_prefix.h"
#include "support/test_font_builder.h"

using testsupport::FontContour;
using testsupport::TempPrefix;
using testsupport::TestFontBuilder;

namespace {

const FontContour kBox = {{100, -100}, {100, 700}, {900, 700}, {900, -100}};
// On and off-curve points, two off-curve points in a row, and a step wider than a byte.
const FontContour kCurve = {{200, 0}, {200, 600, false}, {500, 780}, {800, 600, false}, {800, 100, false}};
const FontContour kWide = {{-300, -150}, {1500, -150}, {1500, 1200, false}, {-300, 1200}};

TestFontBuilder SampleFont() {
    TestFontBuilder b;
    b.Family("DFKai-SB").Family("標楷體", testsupport::kLangChineseTaiwan);
    b.CodePages(testsupport::kCodePageLatin1 | testsupport::kCodePageChineseTraditional);
    b.UnitsPerEm(1024).Metrics(820, 204);
    b.Notdef({kBox}, 512);
    b.Glyph(0xE000, {kBox, kCurve});
    b.Glyph(0xE001, {kWide}, 1600);
    b.Glyph(0x4E00, {kCurve}, 0);
    b.MapText("ABCDEFGabcdefg 這是個測試");  // not U+4E00, which has its own glyph
    return b;
}

uint32_t Be32(const std::string& s, size_t at) {
    return (static_cast<uint32_t>(static_cast<uint8_t>(s.at(at))) << 24) |
           (static_cast<uint32_t>(static_cast<uint8_t>(s.at(at + 1))) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(s.at(at + 2))) << 8) |
           static_cast<uint32_t>(static_cast<uint8_t>(s.at(at + 3)));
}
uint16_t Be16(const std::string& s, size_t at) {
    return static_cast<uint16_t>((static_cast<uint8_t>(s.at(at)) << 8) | static_cast<uint8_t>(s.at(at + 1)));
}

uint32_t Sum(const std::string& s, size_t from, size_t length) {
    uint32_t sum = 0;
    for (size_t i = 0; i < length; i += 4) {
        uint32_t w = 0;
        for (size_t k = 0; k < 4; ++k) w = (w << 8) | (i + k < length ? static_cast<uint8_t>(s.at(from + i + k)) : 0u);
        sum += w;
    }
    return sum;
}

int RunOts(const std::filesystem::path& in, const std::filesystem::path& out, int index = -1) {
    std::string cmd = "/usr/bin/ots-sanitize '" + in.string() + "' '" + out.string() + "'";
    if (index >= 0) cmd += " " + std::to_string(index);
    cmd += " >/dev/null 2>&1";
    const int status = std::system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct Library {
    FT_Library lib = nullptr;
    Library() { EXPECT_EQ(FT_Init_FreeType(&lib), 0); }
    ~Library() { FT_Done_FreeType(lib); }
};

}  // namespace

TEST(TestFont, OtsSanitizeAcceptsBuiltFontsAndCollections) {
    TempPrefix prefix;
    ASSERT_TRUE(std::filesystem::exists("/usr/bin/ots-sanitize")) << "install opentype-sanitizer";
    const auto font = prefix.scratch() / "sample.ttf";
    testsupport::WriteFileBytes(font, SampleFont().Build());
    EXPECT_EQ(RunOts(font, prefix.scratch() / "out.ttf"), 0);

    // A bare font too: no names given, nothing mapped.
    const auto bare = prefix.scratch() / "bare.ttf";
    testsupport::WriteFileBytes(bare, TestFontBuilder().Build());
    EXPECT_EQ(RunOts(bare, prefix.scratch() / "out2.ttf"), 0);

    const auto ttc = prefix.scratch() / "sample.ttc";
    TestFontBuilder other;
    other.Family("Other").Bold(true).Italic(true).FixedPitch(true).MapText("xyz");
    testsupport::WriteFileBytes(ttc, testsupport::BuildCollection({SampleFont(), other}));
    EXPECT_EQ(RunOts(ttc, prefix.scratch() / "out0.ttf", 0), 0);
    EXPECT_EQ(RunOts(ttc, prefix.scratch() / "out1.ttf", 1), 0);

    // The check can fail: a font with a broken table is refused.
    std::string broken = SampleFont().Build();
    for (size_t rec = 12; rec < 12 + 16u * Be16(broken, 4); rec += 16)
        if (broken.compare(rec, 4, "maxp") == 0) broken.replace(Be32(broken, rec + 8), 4, "\x00\x09\x00\x00", 4);
    testsupport::WriteFileBytes(font, broken);
    EXPECT_NE(RunOts(font, prefix.scratch() / "out3.ttf"), 0);
}

TEST(TestFont, ChecksumsAndLocaAreConsistent) {
    const std::string font = SampleFont().Build();
    EXPECT_EQ(Sum(font, 0, font.size()), 0xB1B0AFBAu);
    const uint16_t n = Be16(font, 4);
    ASSERT_EQ(n, 10u);
    uint32_t glyfLength = 0, locaAt = 0, locaLength = 0, previous = 0;
    for (size_t rec = 12; rec < 12 + 16u * n; rec += 16) {
        const uint32_t tag = Be32(font, rec), at = Be32(font, rec + 8), length = Be32(font, rec + 12);
        EXPECT_GT(tag, previous) << "tags in ascending order";
        previous = tag;
        EXPECT_EQ(at % 4, 0u);
        ASSERT_LE(static_cast<size_t>(at) + length, font.size());
        std::string table = font.substr(at, length);
        if (font.compare(rec, 4, "head") == 0) table.replace(8, 4, std::string(4, '\0'));
        EXPECT_EQ(Be32(font, rec + 4), Sum(table, 0, table.size())) << font.substr(rec, 4);
        if (font.compare(rec, 4, "glyf") == 0) glyfLength = length;
        if (font.compare(rec, 4, "loca") == 0) locaAt = at, locaLength = length;
    }
    ASSERT_EQ(locaLength % 4, 0u);
    uint32_t last = 0;
    for (uint32_t i = 0; i < locaLength; i += 4) {
        EXPECT_GE(Be32(font, locaAt + i), last);
        last = Be32(font, locaAt + i);
    }
    EXPECT_EQ(last, glyfLength);
}

TEST(TestFont, FreeTypeReadsBackWhatWasBuilt) {
    TempPrefix prefix;
    const auto path = prefix.scratch() / "sample.ttf";
    testsupport::WriteFileBytes(path, SampleFont().Build());
    Library lib;
    FT_Face face = nullptr;
    ASSERT_EQ(FT_New_Face(lib.lib, path.c_str(), 0, &face), 0);
    EXPECT_EQ(face->units_per_EM, 1024);
    EXPECT_STREQ(face->family_name, "DFKai-SB");
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    ASSERT_NE(os2, nullptr);
    EXPECT_EQ(os2->usWinAscent, 820);
    EXPECT_EQ(os2->usWinDescent, 204);
    EXPECT_EQ(os2->ulCodePageRange1, testsupport::kCodePageLatin1 | testsupport::kCodePageChineseTraditional);

    // The Chinese family name under its language, in UTF-16BE.
    bool chinese = false;
    for (FT_UInt i = 0; i < FT_Get_Sfnt_Name_Count(face); ++i) {
        FT_SfntName sn;
        ASSERT_EQ(FT_Get_Sfnt_Name(face, i, &sn), 0);
        if (sn.name_id == 1 && sn.language_id == 0x0404)
            chinese = std::string(reinterpret_cast<const char*>(sn.string), sn.string_len) == "\x6a\x19\x69\x77\x9a\xd4";
    }
    EXPECT_TRUE(chinese);

    ASSERT_EQ(FT_Select_Charmap(face, FT_ENCODING_UNICODE), 0);
    EXPECT_NE(FT_Get_Char_Index(face, 0x9019), 0u);  // 這
    EXPECT_NE(FT_Get_Char_Index(face, 'g'), 0u);
    EXPECT_EQ(FT_Get_Char_Index(face, 'h'), 0u);

    // Outlines: every point, its on/off-curve flag and the contour ends, in font units.
    struct Expect {
        FT_ULong code;
        std::vector<FontContour> contours;
        long advance;
    } glyphs[] = {{0xE000, {kBox, kCurve}, 1024}, {0xE001, {kWide}, 1600}, {0x4E00, {kCurve}, 0}};
    for (const auto& g : glyphs) {
        const FT_UInt index = FT_Get_Char_Index(face, g.code);
        ASSERT_NE(index, 0u);
        ASSERT_EQ(FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING), 0);
        const FT_Outline& o = face->glyph->outline;
        EXPECT_EQ(face->glyph->metrics.horiAdvance, g.advance);
        ASSERT_EQ(o.n_contours, static_cast<short>(g.contours.size()));
        int p = 0;
        for (size_t c = 0; c < g.contours.size(); ++c) {
            for (const auto& pt : g.contours[c]) {
                EXPECT_EQ(o.points[p].x, pt.x) << "glyph " << g.code << " point " << p;
                EXPECT_EQ(o.points[p].y, pt.y) << "glyph " << g.code << " point " << p;
                EXPECT_EQ((o.tags[p] & 1) != 0, pt.onCurve) << "glyph " << g.code << " point " << p;
                ++p;
            }
            EXPECT_EQ(o.contours[c], p - 1);
        }
    }
    // .notdef has the outline it was given.
    ASSERT_EQ(FT_Load_Glyph(face, 0, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING), 0);
    EXPECT_EQ(face->glyph->outline.n_points, 4);
    EXPECT_EQ(face->glyph->metrics.horiAdvance, 512);
    FT_Done_Face(face);
}

TEST(TestFont, RefusesWhatTrueTypeCannotHold) {
    EXPECT_THROW(TestFontBuilder().Glyph(0xFFFF, {kBox}), std::invalid_argument);
    EXPECT_THROW(TestFontBuilder().MapCodes({0x1F600}), std::invalid_argument);
    EXPECT_THROW(TestFontBuilder().Glyph('A', {{{0, 0}, {40000, 0}}}).Build(), std::invalid_argument);
    EXPECT_THROW(TestFontBuilder().Glyph('A', {FontContour{}}).Build(), std::invalid_argument);
    EXPECT_THROW(TestFontBuilder().UnitsPerEm(8), std::invalid_argument);
}
