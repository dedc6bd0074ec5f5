// CreateEmptyTteFile, TTE_2_TTE, Compare_TTE and TteBatchWriter on files in a throw-away prefix.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/process_version.h"
#include "eudccore/tte_copy.h"
#include "eudccore/tte_install.h"
#include "eudccore/tte_update.h"
#include "foundation/mem_file.h"
#include "foundation/os_file.h"
#include "platform/winreg.h"
#include "support/temp_prefix.h"
#include "support/tt_test_fonts.h"
#include "template_environment.h"
#include "truetype/tt_font_file.h"
#include "truetype/tt_glyph.h"
#include "truetype/tte_writer.h"

namespace {

using testsupport::FontContour;
using testsupport::ReadFileBytes;
using testsupport::WindowsPath;
using testsupport::WriteFileBytes;

using testsupport::ExpectSoundFont;
using testsupport::TemplateEnvironment;

void ExpectSoundFontFile(const std::filesystem::path& path) { ExpectSoundFont(ReadFileBytes(path)); }

TTGlyph MakeGlyph(const std::vector<FontContour>& contours, uint16_t aw = 1000, uint16_t ah = 1024, int16_t lsb = 40,
                  int16_t tsb = 90) {
    const std::string data = testsupport::EncodeSimpleGlyph(contours);
    TTGlyph g;
    EXPECT_TRUE(g.SetData(reinterpret_cast<const uint8_t*>(data.data()), static_cast<uint32_t>(data.size())));
    g.SetMetrics(aw, ah, lsb, tsb);
    return g;
}


// A glyph that differs with n: 3 + n % 13 points, so lengths vary and are often odd.
TTGlyph NumberedGlyph(unsigned n) {
    FontContour c;
    const int points = 3 + static_cast<int>(n % 13);
    for (int i = 0; i < points; ++i)
        c.push_back({static_cast<int>((n * 7 + i * 61) % 1000), static_cast<int>((n * 3 + i * 97) % 1000) - 200,
                     i % 3 != 1});
    return MakeGlyph({c}, static_cast<uint16_t>(900 + n % 100), static_cast<uint16_t>(1000 + n % 24),
                     static_cast<int16_t>(n % 50), static_cast<int16_t>(n % 70));
}

// Bytes of a font after putting glyphs into it.
std::string WithGlyphs(const std::string& font, const std::map<uint16_t, TTGlyph>& glyphs) {
    HMemFile file;
    file.Attach(font.data(), static_cast<uint32_t>(font.size()), nullptr);
    TTFontFile f;
    EXPECT_TRUE(f.Attach(&file));
    for (const auto& [code, glyph] : glyphs) EXPECT_TRUE(f.PutGlyph(code, glyph)) << std::hex << code;
    EXPECT_TRUE(f.Close());
    std::string written(reinterpret_cast<const char*>(file.GetData()), file.GetLength());
    ExpectSoundFont(written);
    return written;
}

// Every glyph of U+E000..U+F8FF of a font, unreadable codes as reset glyphs.
std::vector<TTGlyph> GlyphsOf(const std::string& font) {
    HMemFile file;
    file.Attach(font.data(), static_cast<uint32_t>(font.size()), nullptr);
    TTFontFile f;
    EXPECT_TRUE(f.Attach(&file));
    std::vector<TTGlyph> out(6400);
    for (unsigned i = 0; i < 6400; ++i) f.GetGlyph(static_cast<uint16_t>(0xE000 + i), out[i]);
    return out;
}

TTGlyph GlyphAt(const std::string& font, uint16_t code) {
    return GlyphsOf(font)[code - 0xE000];
}

void ExpectSameGlyph(const TTGlyph& actual, const TTGlyph& expected, const std::string& where) {
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(actual.Data()), actual.Length()),
              std::string(reinterpret_cast<const char*>(expected.Data()), expected.Length()))
        << where;
    EXPECT_EQ(actual.AdvanceWidth(), expected.AdvanceWidth()) << where;
    EXPECT_EQ(actual.AdvanceHeight(), expected.AdvanceHeight()) << where;
    EXPECT_EQ(actual.LeftSideBearing(), expected.LeftSideBearing()) << where;
    EXPECT_EQ(actual.TopSideBearing(), expected.TopSideBearing()) << where;
}

}  // namespace

// ---- CreateEmptyTteFile --------------------------------------------------------------------------

TEST(TteCreateEmpty, WritesTheTemplateOverNothingOrAnOldFontButNeverOverOtherFiles) {
    TemplateEnvironment env;
    const std::string bytes = env.Template();
    const auto fresh = env.Scratch("fresh.tte");
    ASSERT_TRUE(CreateEmptyTteFile(WindowsPath(fresh).c_str()));
    EXPECT_EQ(ReadFileBytes(fresh), bytes);
    // An empty file and a damaged font (a TrueType signature) are mended.
    for (const std::string& old : {std::string(), bytes.substr(0, 100), bytes + std::string(5000, 'x')}) {
        const auto path = env.Scratch("old.tte");
        WriteFileBytes(path, old);
        ASSERT_TRUE(CreateEmptyTteFile(WindowsPath(path).c_str()));
        EXPECT_EQ(ReadFileBytes(path), bytes);
    }
    // Anything else stays as it is.
    const auto text = env.Scratch("notes.txt");
    WriteFileBytes(text, std::string(100000, 'x'));
    EXPECT_FALSE(CreateEmptyTteFile(WindowsPath(text).c_str()));
    EXPECT_EQ(ReadFileBytes(text), std::string(100000, 'x'));
    EXPECT_FALSE(std::filesystem::exists(env.Scratch("notes.txt.eudc-new")));
}

TEST(TteCreateEmpty, RefusesEmptyPathsAndMissingFolders) {
    TemplateEnvironment env;
    EXPECT_FALSE(CreateEmptyTteFile(nullptr));
    EXPECT_FALSE(CreateEmptyTteFile(""));
    EXPECT_FALSE(CreateEmptyTteFile(WindowsPath(env.Scratch("no-such-folder") / "x.tte").c_str()));
}

TEST(TteCreateEmpty, FailsWhenTheSystemHasNoTemplate) {
    TemplateEnvironment env;
    // NT 5.3 has no version code, and so no template.
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "CurrentVersion", 0, REG_SZ, reinterpret_cast<const BYTE*>("5.3"), 4), ERROR_SUCCESS);
    RegCloseKey(key);
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegDeleteValueA(key, "Version");
    RegCloseKey(key);
    eudc::RefreshWindowsVersionCode();
    ASSERT_EQ(eudc::WindowsVersionCode(), 0);
    EXPECT_FALSE(CreateEmptyTteFile(WindowsPath(env.Scratch("none.tte")).c_str()));
}

// ---- TTE_2_TTE -----------------------------------------------------------------------------------

class TteCopyModes : public ::testing::TestWithParam<std::pair<bool, bool>> {};

TEST_P(TteCopyModes, DestinationGlyphsBecomeTheSourceGlyphs) {
    const auto [destinationInMemory, sourceInMemory] = GetParam();
    TemplateEnvironment env;
    const std::string empty = env.Template();
    TTGlyph emptyWithMetrics;
    emptyWithMetrics.SetMetrics(1, 2, 3, 4);
    const std::string source = WithGlyphs(empty, {{0xE000, NumberedGlyph(1)},
                                                  {0xE001, emptyWithMetrics},
                                                  {0xE002, NumberedGlyph(2)},
                                                  {0xF8FF, NumberedGlyph(3)}});
    const std::string destination = WithGlyphs(empty, {{0xE000, NumberedGlyph(4)},
                                                       {0xE001, NumberedGlyph(5)},
                                                       {0xE003, NumberedGlyph(6)},
                                                       {0xE004, emptyWithMetrics}});
    const auto sourcePath = env.Scratch("source.tte"), destinationPath = env.Scratch("destination.tte");
    WriteFileBytes(sourcePath, source);
    WriteFileBytes(destinationPath, destination);
    ASSERT_TRUE(TTE_2_TTE(WindowsPath(sourcePath).c_str(), WindowsPath(destinationPath).c_str(), destinationInMemory,
                          sourceInMemory));
    EXPECT_EQ(ReadFileBytes(sourcePath), source);
    const std::string copied = ReadFileBytes(destinationPath);
    const auto glyphs = GlyphsOf(copied);
    ExpectSameGlyph(glyphs[0], NumberedGlyph(1), "U+E000");
    ExpectSameGlyph(glyphs[2], NumberedGlyph(2), "U+E002");
    ExpectSameGlyph(glyphs[0x18FF], NumberedGlyph(3), "U+F8FF");
    // Cleared glyphs carry the reset metrics, not the source's.
    ExpectSameGlyph(glyphs[1], TTGlyph(), "U+E001");
    ExpectSameGlyph(glyphs[3], TTGlyph(), "U+E003");
    // An empty destination glyph is left as it is, metrics included.
    ExpectSameGlyph(glyphs[4], emptyWithMetrics, "U+E004");
    const auto expected = GlyphsOf(source);
    for (unsigned i = 0; i < 6400; ++i) ASSERT_TRUE(glyphs[i].Equals(expected[i])) << i;

    ExpectSoundFontFile(destinationPath);
    const auto ft = testsupport::FreeTypeLoad(copied, 2);
    ASSERT_TRUE(ft.loaded) << ft.error;
    EXPECT_EQ(ft.points.size(), 4u);  // NumberedGlyph(1)
    EXPECT_EQ(ft.advance, 901);
}

INSTANTIATE_TEST_SUITE_P(TteAllFileKinds, TteCopyModes,
                         ::testing::Values(std::make_pair(false, false), std::make_pair(false, true),
                                           std::make_pair(true, false), std::make_pair(true, true)));

TEST(TteCopy, ASourceThatCannotBeOpenedLeavesTheDestinationUnchanged) {
    TemplateEnvironment env;
    const std::string destination = WithGlyphs(env.Template(), {{0xE000, NumberedGlyph(9)}});
    const auto destinationPath = env.Scratch("destination.tte");
    WriteFileBytes(destinationPath, destination);
    for (bool inMemory : {false, true}) {
        EXPECT_FALSE(TTE_2_TTE(WindowsPath(env.Scratch("missing.tte")).c_str(), WindowsPath(destinationPath).c_str(),
                               inMemory, false));
        EXPECT_EQ(ReadFileBytes(destinationPath), destination);
    }
    // A source that is not a font counts the same.
    const auto garbage = env.Scratch("garbage.tte");
    WriteFileBytes(garbage, std::string(5000, '\x7F'));
    for (bool inMemory : {false, true}) {
        EXPECT_FALSE(TTE_2_TTE(WindowsPath(garbage).c_str(), WindowsPath(destinationPath).c_str(), inMemory, inMemory));
        EXPECT_EQ(ReadFileBytes(destinationPath), destination);
    }
    EXPECT_FALSE(TTE_2_TTE(nullptr, WindowsPath(destinationPath).c_str(), true, true));
}

TEST(TteCopy, ADestinationThatIsNotAFontOrIsMissingIsLeftAlone) {
    TemplateEnvironment env;
    const std::string source = WithGlyphs(env.Template(), {{0xE000, NumberedGlyph(9)}});
    const auto sourcePath = env.Scratch("source.tte");
    WriteFileBytes(sourcePath, source);
    const auto notAFont = env.Scratch("text.tte");
    WriteFileBytes(notAFont, "just some text");
    for (bool inMemory : {false, true}) {
        EXPECT_FALSE(TTE_2_TTE(WindowsPath(sourcePath).c_str(), WindowsPath(notAFont).c_str(), inMemory, false));
        EXPECT_EQ(ReadFileBytes(notAFont), "just some text");
        const auto missing = env.Scratch("missing.tte");
        EXPECT_FALSE(TTE_2_TTE(WindowsPath(sourcePath).c_str(), WindowsPath(missing).c_str(), inMemory, false));
        EXPECT_FALSE(std::filesystem::exists(missing));
    }
    EXPECT_EQ(ReadFileBytes(sourcePath), source);
}

TEST(TteCopy, CodesTheSourceDoesNotMapAreCleared) {
    std::string shortTemplate;
    {
        TemplateEnvironment win98("win98");
        shortTemplate = win98.Template();
    }
    TemplateEnvironment env;
    const std::string source = WithGlyphs(shortTemplate, {{0xF848, NumberedGlyph(1)}});
    const std::string destination = WithGlyphs(
        env.Template(), {{0xF848, NumberedGlyph(2)}, {0xF849, NumberedGlyph(3)}, {0xF8FF, NumberedGlyph(4)}});
    const auto sourcePath = env.Scratch("source.tte"), destinationPath = env.Scratch("destination.tte");
    WriteFileBytes(sourcePath, source);
    WriteFileBytes(destinationPath, destination);
    ASSERT_TRUE(TTE_2_TTE(WindowsPath(sourcePath).c_str(), WindowsPath(destinationPath).c_str(), true, false));
    ExpectSoundFontFile(destinationPath);
    const auto glyphs = GlyphsOf(ReadFileBytes(destinationPath));
    ExpectSameGlyph(glyphs[0xF848 - 0xE000], NumberedGlyph(1), "U+F848");
    ExpectSameGlyph(glyphs[0xF849 - 0xE000], TTGlyph(), "U+F849");
    ExpectSameGlyph(glyphs[0xF8FF - 0xE000], TTGlyph(), "U+F8FF");
}

TEST(TteCopy, AFullSourceIntoAFreshTemplateGivesTheSameFile) {
    TemplateEnvironment env;
    std::map<uint16_t, TTGlyph> all;
    for (unsigned i = 0; i < 6400; ++i) all.emplace(static_cast<uint16_t>(0xE000 + i), NumberedGlyph(i));
    const std::string source = WithGlyphs(env.Template(), all);
    const auto sourcePath = env.Scratch("full.tte"), destinationPath = env.Scratch("copy.tte");
    WriteFileBytes(sourcePath, source);
    ASSERT_TRUE(CreateEmptyTteFile(WindowsPath(destinationPath).c_str()));
    ASSERT_TRUE(TTE_2_TTE(WindowsPath(sourcePath).c_str(), WindowsPath(destinationPath).c_str(), true, false));
    // The same glyphs put in the same order into the same template: the same bytes.
    const std::string copied = ReadFileBytes(destinationPath);
    EXPECT_EQ(copied, source);
    const auto glyphs = GlyphsOf(copied);
    for (unsigned i = 0; i < 6400; i += 97) ExpectSameGlyph(glyphs[i], NumberedGlyph(i), std::to_string(i));
    ExpectSoundFontFile(destinationPath);
    for (unsigned i : {0u, 1u, 5000u, 6399u}) {
        const auto ft = testsupport::FreeTypeLoad(copied, i + 2);
        ASSERT_TRUE(ft.loaded) << ft.error;
        EXPECT_EQ(ft.points.size(), 3u + i % 13u) << i;
    }
}

// ---- Compare_TTE ---------------------------------------------------------------------------------

class TteCompare : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(TteUpdate_Init(TSM_SystemFolders));
        _TQFontData_Struc1* record = Get_TteUpdate()->Get_FontTTE(3);
        std::strcpy(record->FaceName, "Face");
        std::strcpy(record->TteFileName, "SLOT3.TTE");
        // The slot's file lies in the common application-data folder.
        folder_ = env_.prefix().root() / "drive_c" / "ProgramData";
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { TteUpdate_Uninit(); }

    void WriteSlot(const std::string& bytes) { WriteFileBytes(folder_ / "SLOT3.TTE", bytes); }
    std::string Other(const std::string& bytes) {
        const auto path = env_.Scratch("other.tte");
        WriteFileBytes(path, bytes);
        return WindowsPath(path);
    }

    TemplateEnvironment env_;
    std::filesystem::path folder_;
};

TEST_F(TteCompare, EqualGlyphsCompareEqual) {
    const std::string font = WithGlyphs(env_.Template(), {{0xE000, NumberedGlyph(1)}, {0xF8FF, NumberedGlyph(2)}});
    WriteSlot(font);
    EXPECT_TRUE(Compare_TTE(Other(font).c_str(), 3));
    // The same glyphs in a file that grew them in another order.
    const std::string reordered =
        WithGlyphs(WithGlyphs(env_.Template(), {{0xF8FF, NumberedGlyph(2)}}), {{0xE000, NumberedGlyph(1)}});
    EXPECT_TRUE(Compare_TTE(Other(reordered).c_str(), 3));
}

TEST_F(TteCompare, ADifferentGlyphOrMetricCompareUnequal) {
    const std::string font = WithGlyphs(env_.Template(), {{0xE000, NumberedGlyph(1)}});
    WriteSlot(font);
    EXPECT_FALSE(Compare_TTE(Other(WithGlyphs(font, {{0xE000, NumberedGlyph(2)}})).c_str(), 3));
    TTGlyph moved = NumberedGlyph(1);
    moved.SetMetrics(moved.AdvanceWidth(), moved.AdvanceHeight(), moved.LeftSideBearing(),
                     static_cast<int16_t>(moved.TopSideBearing() + 1));
    EXPECT_FALSE(Compare_TTE(Other(WithGlyphs(font, {{0xE000, moved}})).c_str(), 3));
    EXPECT_FALSE(Compare_TTE(Other(WithGlyphs(font, {{0xF000, NumberedGlyph(1)}})).c_str(), 3));
    // Two empty glyphs are equal whatever their metrics.
    TTGlyph emptyWithMetrics;
    emptyWithMetrics.SetMetrics(1, 2, 3, 4);
    EXPECT_TRUE(Compare_TTE(Other(WithGlyphs(font, {{0xE001, emptyWithMetrics}})).c_str(), 3));
}

TEST_F(TteCompare, MissingFilesAndSlotsCompareUnequal) {
    const std::string font = env_.Template();
    EXPECT_FALSE(Compare_TTE(Other(font).c_str(), 3));  // no slot file yet
    WriteSlot(font);
    EXPECT_TRUE(Compare_TTE(Other(font).c_str(), 3));
    EXPECT_FALSE(Compare_TTE(WindowsPath(env_.Scratch("missing.tte")).c_str(), 3));
    EXPECT_FALSE(Compare_TTE(Other("not a font").c_str(), 3));
    EXPECT_FALSE(Compare_TTE(Other(font).c_str(), 4));   // no file name
    EXPECT_FALSE(Compare_TTE(Other(font).c_str(), 16));  // no such slot
    EXPECT_FALSE(Compare_TTE(nullptr, 3));
    TteUpdate_Uninit();
    EXPECT_FALSE(Compare_TTE(Other(font).c_str(), 3));  // no font manager
}

// ---- TteBatchWriter ------------------------------------------------------------------------------

class TteBatch : public ::testing::TestWithParam<bool> {};

TEST_P(TteBatch, CommitStoresThePutGlyphs) {
    const bool inMemory = GetParam();
    TemplateEnvironment env;
    const auto path = env.Scratch("batch.tte");
    WriteFileBytes(path, env.Template());
    TteBatchWriter writer;
    ASSERT_TRUE(writer.Open(inMemory, WindowsPath(path).c_str()));
    EXPECT_TRUE(writer.PutGlyph(0xE005, NumberedGlyph(5)));
    EXPECT_TRUE(writer.PutGlyph(0xE003, NumberedGlyph(3)));
    EXPECT_FALSE(writer.PutGlyph(0x0041, NumberedGlyph(1)));  // not mapped
    EXPECT_TRUE(writer.Commit());
    EXPECT_TRUE(writer.Commit());  // nothing left to do
    const std::string written = ReadFileBytes(path);
    ExpectSameGlyph(GlyphAt(written, 0xE005), NumberedGlyph(5), "U+E005");
    ExpectSameGlyph(GlyphAt(written, 0xE003), NumberedGlyph(3), "U+E003");
    ExpectSoundFontFile(path);
}

INSTANTIATE_TEST_SUITE_P(TteFileAndMemory, TteBatch, ::testing::Values(false, true));

TEST(TteBatchWriter, OpeningAgainOrDestroyingCommitsTheBatch) {
    TemplateEnvironment env;
    const auto first = env.Scratch("first.tte"), second = env.Scratch("second.tte");
    WriteFileBytes(first, env.Template());
    WriteFileBytes(second, env.Template());
    {
        TteBatchWriter writer;
        ASSERT_TRUE(writer.Open(true, WindowsPath(first).c_str()));
        ASSERT_TRUE(writer.PutGlyph(0xE000, NumberedGlyph(7)));
        ASSERT_TRUE(writer.Open(false, WindowsPath(second).c_str()));
        ExpectSameGlyph(GlyphAt(ReadFileBytes(first), 0xE000), NumberedGlyph(7), "first");
        ASSERT_TRUE(writer.PutGlyph(0xE001, NumberedGlyph(8)));
    }
    ExpectSameGlyph(GlyphAt(ReadFileBytes(second), 0xE001), NumberedGlyph(8), "second");
    ExpectSoundFontFile(first);
    ExpectSoundFontFile(second);
}

TEST(TteBatchWriter, OpenFailsOnMissingFilesAndOnFilesThatAreNotFonts) {
    TemplateEnvironment env;
    TteBatchWriter writer;
    EXPECT_FALSE(writer.Open(true, WindowsPath(env.Scratch("missing.tte")).c_str()));
    EXPECT_FALSE(std::filesystem::exists(env.Scratch("missing.tte")));
    const auto text = env.Scratch("text.tte");
    WriteFileBytes(text, "not a font");
    for (bool inMemory : {false, true}) {
        EXPECT_FALSE(writer.Open(inMemory, WindowsPath(text).c_str()));
        EXPECT_FALSE(writer.PutGlyph(0xE000, NumberedGlyph(1)));
        EXPECT_TRUE(writer.Commit());
        EXPECT_EQ(ReadFileBytes(text), "not a font");
    }
    EXPECT_FALSE(writer.Open(true, nullptr));
}

TEST(TteBatchWriter, TheFileStaysLockedUntilCommit) {
    TemplateEnvironment env;
    const auto path = env.Scratch("locked.tte");
    WriteFileBytes(path, env.Template());
    TteBatchWriter writer;
    ASSERT_TRUE(writer.Open(false, WindowsPath(path).c_str()));
    OS_File other;
    EXPECT_FALSE(other.Open(WindowsPath(path).c_str(), 0x8000));
    EXPECT_TRUE(writer.Commit());
    EXPECT_TRUE(other.Open(WindowsPath(path).c_str(), 0x8000));
}
