// The fonts, font links and EUDC files the process keeps are read again once they changed on
// disk: a TTE file replaced through a rename or rewritten in place, a link written by this process
// or by another one, a font added to the Fonts folder, links changed while EUDC was off.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/windows.h"
#include "support/temp_prefix.h"
#include "support/test_font_builder.h"

using testsupport::TempPrefix;
using testsupport::TestFontBuilder;

namespace {

constexpr MAT2 kIdentity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};

// A font file whose glyph for code is a box with its left edge at x.
std::string BoxFont(const std::string& family, uint32_t code, int x) {
    return TestFontBuilder().Family(family).Glyph(code, {{{x, 0}, {x, 500}, {x + 100, 500}, {x + 100, 0}}}).Build();
}

class FontChanges : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::InstallFont(prefix_, "base.ttf", BoxFont("Changes Base", 'A', 900));
        dc_ = CreateCompatibleDC(nullptr);
        font_ = CreateFontA(-1024, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_TT_ONLY_PRECIS, 0, 0, 0,
                            "Changes Base");
        old_ = SelectObject(dc_, font_);
    }
    void TearDown() override {
        SelectObject(dc_, old_);
        DeleteObject(font_);
        DeleteDC(dc_);
    }

    // Where the outline of code starts in x (its box's left edge), -1 when there is none.
    int LeftEdge(UINT code) {
        GLYPHMETRICS gm{};
        const DWORD size = GetGlyphOutlineW(dc_, code, GGO_NATIVE, &gm, 0, nullptr, &kIdentity);
        if (size == GDI_ERROR || size < sizeof(TTPOLYGONHEADER)) return -1;
        std::vector<char> records(size);
        if (GetGlyphOutlineW(dc_, code, GGO_NATIVE, &gm, size, records.data(), &kIdentity) != size) return -2;
        return StartX(records);
    }
    static int StartX(const std::vector<char>& records) {
        TTPOLYGONHEADER header;
        std::memcpy(&header, records.data(), sizeof header);
        return header.pfxStart.x.value;
    }

    std::filesystem::path Tte(const std::string& name) const { return prefix_.scratch() / name; }
    void Link(const std::string& file) const {
        testsupport::SetRegistryString(HKEY_CURRENT_USER, "EUDC\\950", "Changes Base", testsupport::WindowsPath(Tte(file)));
    }

    TempPrefix prefix_;
    HDC dc_ = nullptr;
    HFONT font_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

TEST_F(FontChanges, TteFileReplacedOrRewrittenIsReadAgain) {
    testsupport::WriteFileBytes(Tte("slot.tte"), BoxFont("EUDC", 0xE000, 10));
    Link("slot.tte");
    ASSERT_EQ(LeftEdge(0xE000), 10);
    // Each change follows the last at once, within one tick of the file system's clock, and the
    // files keep their size.
    for (int x : {20, 30, 40}) {
        testsupport::WriteFileBytes(Tte("slot.new"), BoxFont("EUDC", 0xE000, x));
        std::filesystem::rename(Tte("slot.new"), Tte("slot.tte"));  // as ReplaceTTE does
        EXPECT_EQ(LeftEdge(0xE000), x) << "replaced through a rename";
    }
    for (int x : {50, 60, 70}) {
        testsupport::WriteFileBytes(Tte("slot.tte"), BoxFont("EUDC", 0xE000, x));
        EXPECT_EQ(LeftEdge(0xE000), x) << "rewritten in place";
    }
    std::filesystem::remove(Tte("slot.tte"));
    EXPECT_EQ(LeftEdge(0xE000), -1);
}

// Metrics and the outline that follows them come from one version of the font; the outline
// after that sees the change.
TEST_F(FontChanges, OutlineAfterMetricsKeepsTheirVersionOnlyOnce) {
    testsupport::WriteFileBytes(Tte("slot.tte"), BoxFont("EUDC", 0xE000, 10));
    Link("slot.tte");
    ASSERT_EQ(LeftEdge(0xE000), 10);
    TEXTMETRICA tm{};
    ASSERT_TRUE(GetTextMetricsA(dc_, &tm));
    testsupport::WriteFileBytes(Tte("slot.new"), BoxFont("EUDC", 0xE000, 20));
    std::filesystem::rename(Tte("slot.new"), Tte("slot.tte"));
    GLYPHMETRICS gm{};
    std::vector<char> records(4096);
    const DWORD size = GetGlyphOutlineW(dc_, 0xE000, GGO_NATIVE, &gm, 4096, records.data(), &kIdentity);
    ASSERT_NE(size, GDI_ERROR);  // one call: a size query first would use up the metrics' check
    EXPECT_EQ(StartX(records), 10);
    EXPECT_EQ(LeftEdge(0xE000), 20);
}

TEST_F(FontChanges, LinkWrittenHereOrByAnotherProcessIsFollowed) {
    for (int x : {10, 20, 30}) testsupport::WriteFileBytes(Tte(std::to_string(x) + ".tte"), BoxFont("EUDC", 0xE000, x));
    Link("10.tte");
    ASSERT_EQ(LeftEdge(0xE000), 10);
    Link("20.tte");  // RegSetValueExA in this process
    EXPECT_EQ(LeftEdge(0xE000), 20);

    // The other process draws too after its change: it must not take this process's news of it.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        Link("30.tte");
        _exit(LeftEdge(0xE000) == 30 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(LeftEdge(0xE000), 30);
}

TEST_F(FontChanges, FontAddedToTheFontsFolderIsFound) {
    HFONT later = CreateFontA(-1024, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_TT_ONLY_PRECIS, 0, 0, 0,
                              "Changes Later");
    SelectObject(dc_, later);
    EXPECT_EQ(LeftEdge('A'), 900);  // no such font yet: the first one stands in
    testsupport::InstallFont(prefix_, "later.ttf", BoxFont("Changes Later", 'A', 300));
    EXPECT_EQ(LeftEdge('A'), 300);
    SelectObject(dc_, font_);
    DeleteObject(later);
}

TEST_F(FontChanges, LinksChangedWhileEudcIsOffCountOnceItIsBack) {
    for (int x : {10, 20}) testsupport::WriteFileBytes(Tte(std::to_string(x) + ".tte"), BoxFont("EUDC", 0xE000, x));
    Link("10.tte");
    ASSERT_EQ(LeftEdge(0xE000), 10);
    ASSERT_TRUE(EnableEUDC(FALSE));
    Link("20.tte");  // kept in memory until EUDC is given back
    ASSERT_TRUE(EnableEUDC(TRUE));
    EXPECT_EQ(LeftEdge(0xE000), 20);
}

}  // namespace
