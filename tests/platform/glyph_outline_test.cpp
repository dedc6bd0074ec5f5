// Font objects and GetGlyphOutline(GGO_NATIVE): records, scaling, the buffer protocol, text
// metrics and EUDC linking of private-use characters.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/windows.h"
#include "support/temp_prefix.h"
#include "support/test_font_builder.h"

using testsupport::FontContour;
using testsupport::InstallFont;
using testsupport::TempPrefix;
using testsupport::TestFontBuilder;

namespace {

constexpr MAT2 kIdentity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};

const FontContour kBox = {{100, -100}, {100, 700}, {900, 700}, {900, -100}};
const FontContour kOnOff = {{200, 0}, {200, 600, false}, {500, 780}, {800, 600, false}};

std::string Num(const FIXED& f) {
    const double v = f.value + f.fract / 65536.0;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}
std::string Pt(const POINTFX& p) { return Num(p.x) + "," + Num(p.y); }

// The records as text: "start x,y LINE x,y ... QSPLINE ..." with " | " between contours.
std::string Describe(const std::vector<char>& buf) {
    std::string out;
    size_t pos = 0;
    while (pos < buf.size()) {
        if (buf.size() - pos < sizeof(TTPOLYGONHEADER)) return out + " <truncated header>";
        TTPOLYGONHEADER h;
        std::memcpy(&h, &buf[pos], sizeof h);
        if (h.dwType != TT_POLYGON_TYPE || h.cb < sizeof h || h.cb > buf.size() - pos) return out + " <bad header>";
        if (!out.empty()) out += " | ";
        out += "start " + Pt(h.pfxStart);
        size_t c = pos + sizeof h;
        const size_t end = pos + h.cb;
        while (c < end) {
            if (end - c < 4) return out + " <truncated curve>";
            WORD head[2];
            std::memcpy(head, &buf[c], sizeof head);
            c += 4;
            out += head[0] == TT_PRIM_LINE ? " LINE" : head[0] == TT_PRIM_QSPLINE ? " QSPLINE" : " ?";
            if (head[1] == 0 || (end - c) / sizeof(POINTFX) < head[1]) return out + " <bad count>";
            for (WORD i = 0; i < head[1]; ++i, c += sizeof(POINTFX)) {
                POINTFX p;
                std::memcpy(&p, &buf[c], sizeof p);
                out += " " + Pt(p);
            }
        }
        pos = end;
    }
    return out;
}

class GlyphOutline : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("EUDC_HOST_FONTS", "0", 1);
        dc_ = CreateCompatibleDC(nullptr);
        ASSERT_NE(dc_, nullptr);
    }
    void TearDown() override {
        if (font_) {
            SelectObject(dc_, old_);
            DeleteObject(font_);
        }
        DeleteDC(dc_);
    }
    void Use(const char* face, int height = -1024, int width = 0) {
        font_ = CreateFontA(height, width, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_TT_ONLY_PRECIS, 0, 0, 0,
                            face);
        ASSERT_NE(font_, nullptr);
        old_ = SelectObject(dc_, font_);
        ASSERT_NE(old_, nullptr);
    }
    // The outline of ch; "" for size 0, "<error>" for GDI_ERROR.
    std::string Outline(UINT ch, bool wide = true, GLYPHMETRICS* gm = nullptr) {
        GLYPHMETRICS local;
        if (!gm) gm = &local;
        auto call = [&](DWORD size, void* buf) {
            return wide ? GetGlyphOutlineW(dc_, ch, GGO_NATIVE, gm, size, buf, &kIdentity)
                        : GetGlyphOutlineA(dc_, ch, GGO_NATIVE, gm, size, buf, &kIdentity);
        };
        const DWORD size = call(0, nullptr);
        if (size == GDI_ERROR) return "<error>";
        if (size == 0) return "";
        std::vector<char> buf(size);
        if (call(size, buf.data()) != size) return "<second call differs>";
        return Describe(buf);
    }

    TempPrefix prefix_;
    HDC dc_ = nullptr;
    HFONT font_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

void InstallOutlineFont(const TempPrefix& p, const std::string& file, const std::string& family,
                        TestFontBuilder b = TestFontBuilder()) {
    InstallFont(p, file, b.Family(family).Build());
}

void SetEudcLink(const std::string& valueName, const std::string& windowsPath) {
    testsupport::SetRegistryString(HKEY_CURRENT_USER, "EUDC\\950", valueName, windowsPath);
}

// A TTE file outside the Fonts folder with one box glyph per code, each box's left edge at x.
std::string WriteTte(const TempPrefix& p, const std::string& name, const std::vector<std::pair<uint32_t, int>>& glyphs) {
    TestFontBuilder b;
    b.Family("EUDC " + name);
    for (auto [code, x] : glyphs) b.Glyph(code, {{{x, 0}, {x, 500}, {x + 100, 500}, {x + 100, 0}}});
    const auto path = p.scratch() / (name + ".tte");
    testsupport::WriteFileBytes(path, b.Build());
    return testsupport::WindowsPath(path);
}

TEST_F(GlyphOutline, BoxIsOneLineRecordWithImplicitClose) {
    InstallOutlineFont(prefix_, "box.ttf", "Outline Box", TestFontBuilder().Glyph('A', {kBox}));
    Use("Outline Box");
    EXPECT_EQ(Outline('A'), "start 100,-100 LINE 100,700 900,700 900,-100");
}

TEST_F(GlyphOutline, OffCurveRunsBecomeSplinesAndTheLastClosesAtTheStart) {
    InstallOutlineFont(prefix_, "curve.ttf", "Outline Curve", TestFontBuilder().Glyph('B', {kOnOff}));
    Use("Outline Curve");
    EXPECT_EQ(Outline('B'), "start 200,0 QSPLINE 200,600 500,780 QSPLINE 800,600 200,0");
}

TEST_F(GlyphOutline, ConsecutiveOffCurvePointsShareOneSpline) {
    const FontContour c = {{0, 0}, {0, 400, false}, {400, 400, false}, {400, 0}, {200, -50}};
    InstallOutlineFont(prefix_, "run.ttf", "Outline Run", TestFontBuilder().Glyph('C', {c}));
    Use("Outline Run");
    EXPECT_EQ(Outline('C'), "start 0,0 QSPLINE 0,400 400,400 400,0 LINE 200,-50");
}

TEST_F(GlyphOutline, OffCurveFirstPointStartsAtAnOnCurveLastPoint) {
    const FontContour c = {{200, 600, false}, {500, 780}, {800, 600, false}, {800, 0}, {200, 0}};
    InstallOutlineFont(prefix_, "offa.ttf", "Outline OffA", TestFontBuilder().Glyph('D', {c}));
    Use("Outline OffA");
    EXPECT_EQ(Outline('D'), "start 200,0 QSPLINE 200,600 500,780 QSPLINE 800,600 800,0");
}

TEST_F(GlyphOutline, OffCurveFirstAndLastPointsStartAtTheirMidpoint) {
    const FontContour c = {{100, 0, false}, {100, 500}, {600, 500}, {601, 0, false}};
    InstallOutlineFont(prefix_, "offb.ttf", "Outline OffB", TestFontBuilder().Glyph('E', {c}));
    Use("Outline OffB");
    EXPECT_EQ(Outline('E'), "start 350.5,0 QSPLINE 100,0 100,500 LINE 600,500 QSPLINE 601,0 350.5,0");
}

TEST_F(GlyphOutline, EachContourHasItsOwnHeader) {
    InstallOutlineFont(prefix_, "two.ttf", "Outline Two", TestFontBuilder().Glyph('F', {kBox, kOnOff}));
    Use("Outline Two");
    EXPECT_EQ(Outline('F'), "start 100,-100 LINE 100,700 900,700 900,-100 | "
                            "start 200,0 QSPLINE 200,600 500,780 QSPLINE 800,600 200,0");
}

TEST_F(GlyphOutline, SmallerEmScalesIntoFractions) {
    const FontContour c = {{101, -100}, {101, 700}, {900, 700}};
    InstallOutlineFont(prefix_, "half.ttf", "Outline Half", TestFontBuilder().Glyph('G', {c}, 600));
    Use("Outline Half", -512);
    GLYPHMETRICS gm{};
    EXPECT_EQ(Outline('G', true, &gm), "start 50.5,-50 LINE 50.5,350 450,350");
    EXPECT_EQ(gm.gmptGlyphOrigin.x, 50);
    EXPECT_EQ(gm.gmptGlyphOrigin.y, 350);
    EXPECT_EQ(gm.gmBlackBoxX, 400u);  // 50 .. 450
    EXPECT_EQ(gm.gmBlackBoxY, 400u);
    EXPECT_EQ(gm.gmCellIncX, 300);
}

TEST_F(GlyphOutline, MissingCodeAndBlankGlyphHaveNoOutline) {
    InstallOutlineFont(prefix_, "blank.ttf", "Outline Blank", TestFontBuilder().Glyph(' ', {}).Glyph('A', {kBox}));
    Use("Outline Blank");
    EXPECT_EQ(Outline('A').substr(0, 5), "start");
    // 'Z' is not in the font: no .notdef box.
    EXPECT_EQ(GetGlyphOutlineW(dc_, 'Z', GGO_NATIVE, nullptr, 0, nullptr, &kIdentity), 0u);
    GLYPHMETRICS gm{};
    EXPECT_EQ(GetGlyphOutlineW(dc_, ' ', GGO_NATIVE, &gm, 0, nullptr, &kIdentity), 0u);
    EXPECT_EQ(gm.gmCellIncX, 1024);
}

TEST_F(GlyphOutline, BufferSizeProtocol) {
    InstallOutlineFont(prefix_, "buf.ttf", "Outline Buf", TestFontBuilder().Glyph('A', {kBox}));
    Use("Outline Buf");
    GLYPHMETRICS gm{};
    const DWORD needed = GetGlyphOutlineW(dc_, 'A', GGO_NATIVE, &gm, 0, nullptr, &kIdentity);
    // One header and one line record of three points.
    ASSERT_EQ(needed, sizeof(TTPOLYGONHEADER) + 4 + 3 * sizeof(POINTFX));
    std::vector<char> buf(needed + 8, '\x5A');
    EXPECT_EQ(GetGlyphOutlineW(dc_, 'A', GGO_NATIVE, &gm, 0, buf.data(), &kIdentity), needed);
    EXPECT_EQ(buf[0], '\x5A');
    EXPECT_EQ(GetGlyphOutlineW(dc_, 'A', GGO_NATIVE, &gm, needed - 1, buf.data(), &kIdentity), GDI_ERROR);
    EXPECT_EQ(std::string(buf.begin(), buf.end()), std::string(buf.size(), '\x5A'));
    EXPECT_EQ(GetGlyphOutlineW(dc_, 'A', GGO_NATIVE, &gm, needed + 8, buf.data(), &kIdentity), needed);
    TTPOLYGONHEADER h;
    std::memcpy(&h, buf.data(), sizeof h);
    EXPECT_EQ(h.cb, needed);
    EXPECT_EQ(buf[needed], '\x5A');
    // The matrix is required.
    EXPECT_EQ(GetGlyphOutlineW(dc_, 'A', GGO_NATIVE, &gm, 0, nullptr, nullptr), GDI_ERROR);
    EXPECT_EQ(gm.gmBlackBoxX, 800u);
    EXPECT_EQ(gm.gmBlackBoxY, 800u);
    EXPECT_EQ(gm.gmptGlyphOrigin.x, 100);
    EXPECT_EQ(gm.gmptGlyphOrigin.y, 700);
}

TEST_F(GlyphOutline, TextMetricsFollowTheHeight) {
    InstallOutlineFont(prefix_, "tm.ttf", "Outline Metrics", TestFontBuilder().Glyph('A', {kBox}));
    Use("Outline Metrics");
    TEXTMETRICA tm{};
    ASSERT_TRUE(GetTextMetricsA(dc_, &tm));
    EXPECT_EQ(tm.tmHeight, 1024);
    EXPECT_EQ(tm.tmAscent, 820);
    EXPECT_EQ(tm.tmDescent, 204);
    EXPECT_EQ(tm.tmInternalLeading, 0);

    // A positive height is the cell's; a taller font gets internal leading.
    HFONT cell = CreateFontA(512, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Outline Metrics");
    EXPECT_EQ(SelectObject(dc_, cell), font_);
    ASSERT_TRUE(GetTextMetricsA(dc_, &tm));
    EXPECT_EQ(tm.tmHeight, 512);
    EXPECT_EQ(tm.tmAscent, 410);
    EXPECT_EQ(SelectObject(dc_, font_), cell);
    EXPECT_TRUE(DeleteObject(cell));
    EXPECT_FALSE(DeleteObject(cell));
    EXPECT_EQ(SelectObject(dc_, cell), nullptr);
}

TEST_F(GlyphOutline, TallerFontHasInternalLeading) {
    InstallOutlineFont(prefix_, "tall.ttf", "Outline Tall", TestFontBuilder().Metrics(900, 300).Glyph('A', {kBox}));
    Use("Outline Tall");
    TEXTMETRICA tm{};
    ASSERT_TRUE(GetTextMetricsA(dc_, &tm));
    EXPECT_EQ(tm.tmHeight, 1200);
    EXPECT_EQ(tm.tmInternalLeading, 176);
}

TEST_F(GlyphOutline, DeletedDcHasNoFont) {
    InstallOutlineFont(prefix_, "dc.ttf", "Outline Dc", TestFontBuilder().Glyph('A', {kBox}));
    Use("Outline Dc");
    HDC other = CreateCompatibleDC(nullptr);
    ASSERT_TRUE(DeleteDC(other));
    TEXTMETRICA tm{};
    EXPECT_FALSE(GetTextMetricsA(other, &tm));
    EXPECT_EQ(GetGlyphOutlineW(other, 'A', GGO_NATIVE, nullptr, 0, nullptr, &kIdentity), GDI_ERROR);
    EXPECT_EQ(SelectObject(other, font_), nullptr);
    EXPECT_FALSE(DeleteObject(dc_));  // a DC is no object for DeleteObject
}

TEST_F(GlyphOutline, FaceSpecificTteBeatsSystemDefaultBeatsTheFont) {
    InstallOutlineFont(prefix_, "base.ttf", "Outline Base",
                       TestFontBuilder().Glyph(0xE000, {kBox}).Glyph(0xE001, {kBox}).Glyph(0xE002, {kBox}));
    SetEudcLink("Outline Base", WriteTte(prefix_, "face", {{0xE000, 10}}));
    SetEudcLink("SystemDefaultEUDCFont", WriteTte(prefix_, "system", {{0xE000, 20}, {0xE001, 30}}));
    Use("Outline Base");
    EXPECT_EQ(Outline(0xE000), "start 10,0 LINE 10,500 110,500 110,0");
    EXPECT_EQ(Outline(0xE001), "start 30,0 LINE 30,500 130,500 130,0");
    EXPECT_EQ(Outline(0xE002), "start 100,-100 LINE 100,700 900,700 900,-100");
    // A code nobody in the chain has: nothing.
    EXPECT_EQ(Outline(0xE003), "");
}

TEST_F(GlyphOutline, LinksApplyToPrivateUseCodesOnly) {
    InstallOutlineFont(prefix_, "pua.ttf", "Outline Pua", TestFontBuilder().Glyph('A', {kBox}));
    SetEudcLink("Outline Pua", WriteTte(prefix_, "latin", {{'A', 10}}));
    Use("Outline Pua");
    EXPECT_EQ(Outline('A'), "start 100,-100 LINE 100,700 900,700 900,-100");
}

TEST_F(GlyphOutline, SubstitutedFaceFindsTheLinkOfItsFamily) {
    InstallOutlineFont(prefix_, "real.ttf", "Outline Real", TestFontBuilder().Glyph('A', {kBox}));
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes",
                              0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const char real[] = "Outline Real";
    ASSERT_EQ(RegSetValueExA(key, "Outline Alias", 0, REG_SZ, reinterpret_cast<const BYTE*>(real), sizeof real),
              ERROR_SUCCESS);
    RegCloseKey(key);
    SetEudcLink("Outline Real", WriteTte(prefix_, "family", {{0xE000, 40}}));
    Use("Outline Alias");
    EXPECT_EQ(Outline(0xE000), "start 40,0 LINE 40,500 140,500 140,0");

    // A link for the name as asked comes first.
    SetEudcLink("Outline Alias", WriteTte(prefix_, "alias", {{0xE000, 50}}));
    EXPECT_EQ(Outline(0xE000), "start 50,0 LINE 50,500 150,500 150,0");
}

TEST_F(GlyphOutline, TteWithoutTheCodeFallsThroughAndLinkPathsMayBeBareNames) {
    InstallOutlineFont(prefix_, "fall.ttf", "Outline Fall", TestFontBuilder().Glyph('A', {kBox}));
    // A bare file name is looked for in the Fonts folder, without regard to case.
    InstallFont(prefix_, "SysEudc.tte",
                TestFontBuilder().Family("Sys EUDC").Glyph(0xE005, {{{60, 0}, {60, 10}, {70, 10}}}).Build());
    SetEudcLink("Outline Fall", WriteTte(prefix_, "sparse", {{0xE001, 10}}));
    SetEudcLink("SystemDefaultEUDCFont", "syseudc.TTE");
    Use("Outline Fall");
    EXPECT_EQ(Outline(0xE005), "start 60,0 LINE 60,10 70,10");
    EXPECT_EQ(Outline(0xE000), "");
    // A link to a file that is not there is passed over.
    SetEudcLink("Outline Fall", "C:\\windows\\Fonts\\missing.tte");
    EXPECT_EQ(Outline(0xE005), "start 60,0 LINE 60,10 70,10");
}

TEST_F(GlyphOutline, AnsiFormTakesCodePage950Codes) {
    InstallOutlineFont(prefix_, "ansi.ttf", "Outline Ansi",
                       TestFontBuilder().Glyph('A', {kBox}).Glyph(0xE000, {kOnOff}).Glyph(0x4E00, {kBox}));
    Use("Outline Ansi");
    EXPECT_EQ(Outline(0xFA40, false), "start 200,0 QSPLINE 200,600 500,780 QSPLINE 800,600 200,0");  // U+E000
    EXPECT_EQ(Outline(0xA440, false), "start 100,-100 LINE 100,700 900,700 900,-100");             // U+4E00
    EXPECT_EQ(Outline('A', false), "start 100,-100 LINE 100,700 900,700 900,-100");
    // A lead byte alone is no character.
    EXPECT_EQ(Outline(0xA4, false), "<error>");
}

TEST_F(GlyphOutline, WidthStretchesHorizontally) {
    InstallOutlineFont(prefix_, "wide.ttf", "Outline Wide",
                       TestFontBuilder().AverageCharWidth(512).Glyph('A', {kBox}));
    Use("Outline Wide", -1024, 1024);
    EXPECT_EQ(Outline('A'), "start 200,-100 LINE 200,700 1800,700 1800,-100");
}

}  // namespace
