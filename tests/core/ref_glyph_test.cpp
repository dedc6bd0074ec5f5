// GetRefGlyph: a private-use character as the workstation draws it in a named font, through the
// font's EUDC link, as a serialized glyph record fitted to the -204..820 em box.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/process_version.h"
#include "eudccore/ref_glyph.h"
#include "platform/windows.h"
#include "support/temp_prefix.h"
#include "support/test_font_builder.h"
#include "truetype/tt_glyph.h"

using testsupport::FontContour;
using testsupport::TempPrefix;
using testsupport::TestFontBuilder;

namespace {

FontContour Box(int x0, int y0, int x1, int y1) { return {{x0, y0}, {x0, y1}, {x1, y1}, {x1, y0}}; }

class RefGlyph : public ::testing::Test {
protected:
    void SetUp() override { setenv("EUDC_HOST_FONTS", "0", 1); }
    void TearDown() override {
        prefix_.reset();
        eudc::RefreshWindowsVersionCode();
    }

    // A base font "Ref Base" (mapping U+4E00) and a TTE linked to it under EUDC\950.
    void Install(int ascent, int descent, const std::vector<std::pair<uint32_t, FontContour>>& eudc,
                 const char* version = "win7") {
        prefix_->SetWindowsVersion(version);
        eudc::RefreshWindowsVersionCode();
        TestFontBuilder base;
        base.Family("Ref Base").Metrics(ascent, descent).Glyph(0x4E00, {Box(0, 400, 1000, 500)});
        base.Glyph('A', {Box(100, 0, 400, 700)});
        testsupport::InstallFont(*prefix_, "refbase.ttf", base.Build());
        TestFontBuilder tte;
        tte.Family("Ref EUDC");
        for (const auto& [code, contour] : eudc) tte.Glyph(code, {contour});
        const auto path = prefix_->scratch() / "ref.tte";
        testsupport::WriteFileBytes(path, tte.Build());
        testsupport::SetRegistryString(HKEY_CURRENT_USER, "EUDC\\950", "Ref Base", testsupport::WindowsPath(path));
    }

    static std::vector<uint8_t> Record(unsigned code, const char* face = "Ref Base") {
        std::vector<uint8_t> buffer(EUDC_REF_GLYPH_BUFFER_SIZE, 0xAA);
        const int n = GetRefGlyph(code, face, buffer.data());
        if (n < 0) return {};
        buffer.resize(static_cast<size_t>(n));
        return buffer;
    }

    static TTGlyph Glyph(const std::vector<uint8_t>& record) {
        TTGlyph g;
        EXPECT_TRUE(g.Deserialize(record.data(), static_cast<uint32_t>(record.size())));
        return g;
    }

    std::unique_ptr<TempPrefix> prefix_ = std::make_unique<TempPrefix>();
};

}  // namespace

TEST_F(RefGlyph, StoredBoxComesBackAsTheSameGlyf) {
    Install(820, 204, {{0xE000, Box(100, 0, 200, 500)}});
    const std::vector<uint8_t> record = Record(0xE000);
    const std::vector<uint8_t> expected = {
        0x00, 0x04, 0x00, 0x04, 100, 0, 64, 1, 24, 0, 0, 0,  // 1024, 1024, lsb 100, tsb 320, 24 bytes
        0x00, 0x01, 0x00, 0x64, 0x00, 0x00, 0x00, 0xC8, 0x01, 0xF4,  // box 100,0,200,500
        0x00, 0x03, 0x00, 0x00,                                      //
        0x33, 0x11, 0x33, 0x11,                                      // flags
        0x64, 0x64,                                                  // x: +100, +100
        0x01, 0xF4, 0xFE, 0x0C,                                      // y: +500, -500
    };
    EXPECT_EQ(record, expected);
}

TEST_F(RefGlyph, BaseFontAscentMovesTheGlyphThroughTheEm) {
    // yShift = 1024 - 880 = 144: every y ends up 60 lower than stored.
    Install(880, 144, {{0xE001, Box(300, 100, 700, 600)}});
    const TTGlyph g = Glyph(Record(0xE001));
    int16_t x0, y0, x1, y1;
    ASSERT_TRUE(g.GetBoundingBox(&x0, &y0, &x1, &y1));
    EXPECT_EQ(x0, 300);
    EXPECT_EQ(x1, 700);
    EXPECT_EQ(y0, 40);
    EXPECT_EQ(y1, 540);
    EXPECT_EQ(g.LeftSideBearing(), 300);
    EXPECT_EQ(g.TopSideBearing(), 820 - 540);
}

TEST_F(RefGlyph, CounterClockwiseStoredOuterComesBackReversed) {
    Install(820, 204, {{0xE002, {{100, 0}, {200, 0}, {200, 500}, {100, 500}}}});
    const TTGlyph g = Glyph(Record(0xE002));
    // Point k swapped with point 3 - k: (100,500) (200,500) (200,0) (100,0), clockwise.
    const std::vector<uint8_t> expected = {
        0x00, 0x01, 0x00, 0x64, 0x00, 0x00, 0x00, 0xC8, 0x01, 0xF4,  //
        0x00, 0x03, 0x00, 0x00,                                      //
        0x13, 0x33, 0x11, 0x23,                                      // flags
        0x64, 0x64, 0x64,                                            // x: +100, +100, -100
        0x01, 0xF4, 0xFE, 0x0C,                                      // y: +500, -500
        0x00,                                                        // pad
    };
    EXPECT_EQ(std::vector<uint8_t>(g.Data(), g.Data() + g.Length()), expected);
}

TEST_F(RefGlyph, NullBufferMeasuresTheSameSize) {
    Install(820, 204, {{0xE000, Box(100, 0, 200, 500)}});
    const int measured = GetRefGlyph(0xE000, "Ref Base", nullptr);
    EXPECT_EQ(measured, static_cast<int>(Record(0xE000).size()));
    EXPECT_EQ(measured, 12 + 24);
}

TEST_F(RefGlyph, ContourAboveTheEmGivesAnEmptyRecord) {
    // Stored at 900..1000, drawn at 1104..1204 in the em: wholly above it.
    Install(820, 204, {{0xE003, Box(100, 900, 200, 1000)}});
    const std::vector<uint8_t> record = Record(0xE003);
    ASSERT_EQ(record.size(), 12u);
    const TTGlyph g = Glyph(record);
    EXPECT_TRUE(g.IsEmpty());
    EXPECT_EQ(g.AdvanceWidth(), 1024);
    EXPECT_EQ(g.LeftSideBearing(), 0);
    EXPECT_EQ(g.TopSideBearing(), 0);
}

TEST_F(RefGlyph, FailuresReturnMinusOne) {
    Install(820, 204, {{0xE000, Box(100, 0, 200, 500)}});
    std::vector<uint8_t> untouched(64, 0xAA);
    EXPECT_EQ(GetRefGlyph(0xE005, "Ref Base", untouched.data()), -1);  // nothing draws it
    EXPECT_EQ(untouched, std::vector<uint8_t>(64, 0xAA));
    EXPECT_EQ(GetRefGlyph(0xE000, nullptr, nullptr), -1);
    EXPECT_EQ(GetRefGlyph(0x1E000, "Ref Base", nullptr), -1);  // no UTF-16 unit
    // A face name longer than the 31 bytes of the font description is not cut to another name.
    EXPECT_EQ(GetRefGlyph(0xE000, std::string(32, 'R').c_str(), nullptr), -1);
}

TEST_F(RefGlyph, VersionsAfterSixTakeTheCodePagePath) {
    // U+F8F0 has no code page 950 form; U+E000 is FA40.
    Install(820, 204, {{0xE000, Box(100, 0, 200, 500)}, {0xF8F0, Box(100, 0, 300, 500)}}, "win7");
    const std::vector<uint8_t> wide = Record(0xE000);
    ASSERT_FALSE(wide.empty());
    EXPECT_GT(GetRefGlyph(0xF8F0, "Ref Base", nullptr), 0);

    // Every setting Wine knows is 6.x or older; a registry that records 10.0 (and no setting Wine
    // knows) makes the version after six.
    prefix_->SetWindowsVersion("");
    testsupport::SetRegistryString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion",
                                   "CurrentVersion", "10.0");
    eudc::RefreshWindowsVersionCode();
    ASSERT_EQ(eudc::WindowsVersionCode(), 21);
    EXPECT_EQ(GetRefGlyph(0xF8F0, "Ref Base", nullptr), -1);
    EXPECT_EQ(Record(0xE000), wide);

    // A character of one byte in the code page is asked for by that byte.
    const std::vector<uint8_t> narrowA = Record('A');
    EXPECT_EQ(narrowA.size(), 12u + 26u);

    prefix_->SetWindowsVersion("winxp");
    eudc::RefreshWindowsVersionCode();
    EXPECT_GT(GetRefGlyph(0xF8F0, "Ref Base", nullptr), 0);
    EXPECT_EQ(Record('A'), narrowA);
}

TEST_F(RefGlyph, RecordLargerThanTheCallersBufferIsRefused) {
    // Seven zigzag contours of 2000 points whose every step is long in x and y: five bytes a
    // point, about 70000 bytes in all.
    FontContour zigzag;
    for (int k = 0; k < 2000; ++k) zigzag.push_back({k % 2 ? 900 : 100, k / 2 + (k % 2 ? 300 : 0)});
    Install(820, 204, {{0xE000, Box(100, 0, 200, 500)}});
    auto relink = [&](int contours) {
        TestFontBuilder tte;
        tte.Family("Ref EUDC").Glyph(0xE000, std::vector<FontContour>(static_cast<size_t>(contours), zigzag));
        testsupport::WriteFileBytes(prefix_->scratch() / "ref.tte", tte.Build());
    };
    relink(6);
    const int six = GetRefGlyph(0xE000, "Ref Base", nullptr);
    EXPECT_GT(six, 50000);
    EXPECT_LE(six, EUDC_REF_GLYPH_BUFFER_SIZE);
    relink(7);
    EXPECT_EQ(GetRefGlyph(0xE000, "Ref Base", nullptr), -1);
}
