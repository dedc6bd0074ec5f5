// The operations on the slots' TTE files: replace, create, fill, copy, check, delete.
#include <gtest/gtest.h>

#include "eudc/tte_error.h"

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "common/process_version.h"
#include "eudccore/tte_install.h"
#include "eudccore/tte_update.h"
#include "foundation/endian.h"
#include "foundation/exact_buffer.h"
#include "foundation/mem_file.h"
#include "platform/testing.h"
#include "support/box_glyph.h"
#include "support/temp_prefix.h"
#include "support/tt_test_fonts.h"
#include "truetype/tt_font_file.h"
#include "truetype/tt_glyph.h"

namespace fs = std::filesystem;
namespace pt = platform::testing;
using namespace testsupport;

namespace {

const std::string kWinDir = "Windows\xA5\xD8\xBF\xFD";  // "Windows目錄"

// One closed square contour as a glyf entry.
TTGlyph Box(int16_t x0, int16_t y0, int16_t x1, int16_t y1) { return testsupport::BoxGlyph(x0, y0, x1, y1, 1024); }

std::vector<uint8_t> Serialized(const TTGlyph& g) {
    std::vector<uint8_t> out(g.Serialize(nullptr));
    g.Serialize(out.data());
    return out;
}

struct TteFiles : ::testing::Test {
    TempPrefix prefix;
    TteUpdate fonts{TSM_SystemFolders};
    fs::path real, working;

    TteFiles() {
        prefix.SetWindowsVersion("winxp");
        eudc::RefreshWindowsVersionCode();
        pt::ResetEnableEudcLog();
        SetSlot(0, "SystemDefaultEUDCFont", kWinDir + "\\EUDC.TTE");
        real = prefix.root() / "drive_c/windows/EUDC.TTE";
        working = prefix.root() / "drive_c/ProgramData/EUDC.TTE";
    }
    ~TteFiles() override {
        pt::RecordSleeps(false);
        pt::ResetEnableEudcLog();
    }
    void SetSlot(int slot, const std::string& face, const std::string& tte) {
        _TQFontData_Struc1* r = fonts.Get_FontTTE(slot);
        std::memset(r, 0, sizeof *r);
        std::memcpy(r->FaceName, face.c_str(), face.size());
        std::memcpy(r->TteFileName, tte.c_str(), tte.size());
    }
    static std::string Template() {
        std::string bytes(static_cast<size_t>(GetNewTteData(nullptr)), '\0');
        GetNewTteData(reinterpret_cast<unsigned char*>(bytes.data()));
        return bytes;
    }
    // A TTE file at host path with the given glyphs.
    void WriteTte(const fs::path& path, const std::vector<std::pair<uint16_t, TTGlyph>>& glyphs) {
        fs::create_directories(path.parent_path());
        WriteFileBytes(path, Template());
        HMemFile file;
        ASSERT_TRUE(file.Open(WindowsPath(path).c_str(), 0x8012));
        TTFontFile font;
        ASSERT_TRUE(font.Attach(&file));
        for (const auto& [code, glyph] : glyphs) ASSERT_TRUE(font.PutGlyph(code, glyph));
        font.Close();
        ASSERT_TRUE(file.Close());
    }
    TTGlyph GlyphOf(const fs::path& path, uint16_t code) {
        HMemFile file;
        TTGlyph g;
        EXPECT_TRUE(file.Open(WindowsPath(path).c_str(), 0x8000));
        TTFontFile font;
        EXPECT_TRUE(font.Attach(&file));
        EXPECT_TRUE(font.GetGlyph(code, g));
        return g;
    }
};

}  // namespace

TEST_F(TteFiles, ReplaceWithoutTheLockTouchesNoFile) {
    const fs::path source = prefix.scratch() / "source.tte";
    WriteTte(source, {{0xE000, Box(100, 0, 500, 400)}});
    pt::RecordSleeps(true);
    pt::FailEnableEudc(5);
    const auto before = SnapshotTree(prefix.root() / "drive_c");
    EXPECT_FALSE(fonts.ReplaceTTE(0, WindowsPath(source).c_str(), false));
    EXPECT_EQ(SnapshotTree(prefix.root() / "drive_c"), before);
}

TEST_F(TteFiles, ReplaceOnASlotWithoutFileNameFails) {
    const fs::path source = prefix.scratch() / "source.tte";
    WriteTte(source, {});
    const auto before = SnapshotTree(prefix.root() / "drive_c");
    EXPECT_FALSE(fonts.ReplaceTTE(1, WindowsPath(source).c_str(), false));
    EXPECT_FALSE(fonts.ReplaceTTE(16, WindowsPath(source).c_str(), false));
    EXPECT_EQ(SnapshotTree(prefix.root() / "drive_c"), before);
    EXPECT_EQ(pt::EnableEudcCalls(), (std::vector<BOOL>{FALSE, TRUE, FALSE, TRUE}));
}

// The new file is made whole before it replaces the old one: a source that is no font, or a
// target that is not one, changes nothing, and the reason is the last error.
TEST_F(TteFiles, FailedReplaceLeavesTheOldFileAndSaysWhy) {
    WriteTte(real, {{0xE001, Box(1, 1, 2, 2)}});
    const std::string old = ReadFileBytes(real);
    const fs::path junk = prefix.scratch() / "junk.tte";
    WriteFileBytes(junk, std::string(5000, 'j'));
    EXPECT_FALSE(fonts.ReplaceTTE(0, WindowsPath(junk).c_str(), false));
    EXPECT_EQ(GetLastError(), eudc::ToLastError(eudc::TteError::SourceUnreadable));
    EXPECT_EQ(ReadFileBytes(real), old);

    const fs::path source = prefix.scratch() / "source.tte";
    WriteTte(source, {{0xE000, Box(100, 0, 500, 400)}});
    WriteFileBytes(real, "someone's notes");
    EXPECT_FALSE(fonts.ReplaceTTE(0, WindowsPath(source).c_str(), false));
    EXPECT_EQ(GetLastError(), eudc::ToLastError(eudc::TteError::NotOurFile));
    EXPECT_EQ(ReadFileBytes(real), "someone's notes");
    EXPECT_FALSE(fs::exists(real.string() + ".eudc-new"));
}

TEST_F(TteFiles, ReplaceTakesEveryGlyphOfTheSource) {
    const TTGlyph a = Box(100, 0, 500, 400), b = Box(10, 10, 900, 700);
    const fs::path source = prefix.scratch() / "source.tte";
    WriteTte(source, {{0xE000, a}, {0xF8FF, b}});
    WriteTte(real, {{0xE001, Box(1, 1, 2, 2)}});  // a glyph the source lacks is cleared
    EXPECT_TRUE(fonts.ReplaceTTE(0, WindowsPath(source).c_str(), false));
    EXPECT_TRUE(GlyphOf(real, 0xE000).Equals(a));
    EXPECT_TRUE(GlyphOf(real, 0xF8FF).Equals(b));
    EXPECT_TRUE(GlyphOf(real, 0xE001).IsEmpty());
    EXPECT_FALSE(fs::exists(working));
    std::string log;
    EXPECT_TRUE(OtsAccepts(real, &log)) << log;
    EXPECT_EQ(FreeTypeLoadsEveryGlyph(ReadFileBytes(real)), "");
    // Through the working copy the real file follows it.
    EXPECT_TRUE(fonts.ReplaceTTE(0, WindowsPath(source).c_str(), true));
    EXPECT_EQ(ReadFileBytes(working), ReadFileBytes(real));
}

TEST_F(TteFiles, CheckAllRecreatesStateZeroAndReportsTheFirstFailure) {
    _TQFontData_Struc1 table[kFontSlotCount]{};
    std::memcpy(table, fonts.m_table, sizeof table);
    auto name = [&](int slot, const std::string& tte) {
        std::memset(table[slot].TteFileName, 0, sizeof table[slot].TteFileName);
        std::memcpy(table[slot].TteFileName, tte.c_str(), tte.size());
    };
    name(2, "A.TTE");
    name(3, "B.TTE");
    name(4, "C.TTE");
    fs::create_directories(working.parent_path());
    WriteFileBytes(working, Template().substr(0, 300));  // a damaged TTE file
    // Folders where the files should be: they cannot be created.
    fs::create_directories(prefix.root() / "drive_c/ProgramData/B.TTE");
    fs::create_directories(prefix.root() / "drive_c/ProgramData/C.TTE");
    char states[] = "0000111111111111";
    char error[kTteErrorBufferSize] = "x";
    EXPECT_FALSE(fonts.CheckAllTTE(table, states, error));
    EXPECT_EQ(ReadFileBytes(working), Template());  // state "0" recreated it although it existed
    EXPECT_EQ(std::string(states, 5), "10101");  // slot 1 has no file name; slot 4 kept its "1"
    EXPECT_TRUE(fonts.m_created[0]);
    EXPECT_TRUE(fonts.m_created[2]);
    EXPECT_FALSE(fonts.m_created[3]);
    const std::string message = error;
    EXPECT_NE(message.find("CheckAllTTE"), std::string::npos);
    EXPECT_NE(message.find("C:\\ProgramData\\B.TTE"), std::string::npos);
    EXPECT_EQ(message.find("C.TTE"), std::string::npos);
    // State "1" keeps an existing file.
    WriteFileBytes(working, "kept");
    char keep[] = "1111111111111111";
    fs::remove_all(prefix.root() / "drive_c/ProgramData/B.TTE");
    fs::remove_all(prefix.root() / "drive_c/ProgramData/C.TTE");
    EXPECT_TRUE(fonts.CheckAllTTE(table, keep, nullptr));
    EXPECT_EQ(ReadFileBytes(working), "kept");
}

TEST_F(TteFiles, UpdateWithAnUnknownSlotNamesIt) {
    char error[kTteErrorBufferSize];
    int created = 7;
    EXPECT_EQ(fonts.Update_2_TTE(nullptr, 0, 0, nullptr, 16, &created, 0, false, error), -11);
    EXPECT_EQ(created, 0);
    EXPECT_NE(std::string(error).find(" 16 "), std::string::npos);
    EXPECT_EQ(fonts.Update_2_TTE(nullptr, 0, 0, nullptr, 5, &created, 0, false, error), -11);  // no file name
}

TEST_F(TteFiles, UpdateConsumesDataBytesAsTheEntriesSay) {
    const TTGlyph a = Box(100, 0, 500, 400), b = Box(0, 0, 50, 50), c = Box(200, 100, 800, 700);
    std::vector<uint8_t> data;
    for (const auto* g : {&a, &b, &c}) {
        const auto bytes = Serialized(*g);
        data.insert(data.end(), bytes.begin(), bytes.end());
    }
    WriteTte(working, {{0xEDF5, Box(5, 5, 9, 9)}});
    // Code type 1 moves order-0 codes to order 1: U+E000 -> U+EDF4; U+F6B1 has no order-1 code.
    const _FontDataProperty_ entries[] = {
        {0xE000, static_cast<uint16_t>(Serialized(a).size()), {}},
        {0xE001, 0xFFFF, {}},  // removes U+EDF5, takes no bytes
        {0xE003, 0, {}},       // nothing
        {0xF6B1, static_cast<uint16_t>(Serialized(b).size()), {}},  // consumed, stored nowhere
        {0xE002, static_cast<uint16_t>(Serialized(c).size()), {}},
    };
    int created = -1;
    EXPECT_EQ(fonts.Update_2_TTE(data.data(), 0, 5, entries, 0, &created, 1, false, nullptr), 0);
    EXPECT_EQ(created, 0);
    EXPECT_TRUE(GlyphOf(working, 0xEDF4).Equals(a));
    EXPECT_TRUE(GlyphOf(working, 0xEDF5).IsEmpty());
    EXPECT_TRUE(GlyphOf(working, 0xEDF6).Equals(c));
    EXPECT_TRUE(GlyphOf(working, 0xEDF7).IsEmpty());
    std::string log;
    EXPECT_TRUE(OtsAccepts(working, &log)) << log;
    EXPECT_EQ(FreeTypeLoadsEveryGlyph(ReadFileBytes(working)), "");
}

TEST_F(TteFiles, UpdateCreatesAMissingWorkingFileAndAfterUpdateCopiesIt) {
    const TTGlyph a = Box(100, 0, 500, 400);
    const auto bytes = Serialized(a);
    std::vector<_FontDataProperty_> entries(6, _FontDataProperty_{0xE000, 0, {}});  // six: in memory
    entries[5] = {0xE123, static_cast<uint16_t>(bytes.size()), {}};
    int created = 0;
    ASSERT_EQ(fonts.Update_2_TTE(bytes.data(), 0, 6, entries.data(), 0, &created, 0, false, nullptr), 0);
    EXPECT_EQ(created, 1);
    EXPECT_TRUE(fonts.m_created[0]);
    EXPECT_FALSE(fs::exists(real));
    EXPECT_TRUE(fonts.AfterUpdateOK(false));
    EXPECT_FALSE(fonts.m_created[0]);
    EXPECT_TRUE(GlyphOf(real, 0xE123).Equals(a));
}

TEST_F(TteFiles, AfterUpdateInModeTwoCopiesNothing) {
    TteUpdate userFonts(TSM_UserAppData);
    std::memcpy(userFonts.m_table, fonts.m_table, sizeof fonts.m_table);
    userFonts.m_created[0] = true;
    const auto before = SnapshotTree(prefix.root() / "drive_c");
    EXPECT_TRUE(userFonts.AfterUpdateOK(true));
    EXPECT_TRUE(userFonts.m_created[0]);
    EXPECT_EQ(SnapshotTree(prefix.root() / "drive_c"), before);
}

TEST_F(TteFiles, DataDeletionAndRecreation) {
    HExactBuffer buffer;
    EXPECT_FALSE(fonts.GetTteData(0, &buffer));
    EXPECT_TRUE(fonts.Re_CreateTTE(false));
    EXPECT_TRUE(fonts.m_created[0]);
    EXPECT_FALSE(fonts.m_created[1]);
    ASSERT_TRUE(fonts.GetTteData(0, &buffer));
    EXPECT_EQ(std::string(buffer.GetBuffer(0), static_cast<size_t>(buffer.GetLength())), Template());
    ASSERT_TRUE(fonts.TteDat_2_RealTte(0));
    EXPECT_TRUE(fs::exists(real));
    EXPECT_TRUE(fonts.DelTTE(0, true));
    EXPECT_FALSE(fs::exists(real));
    EXPECT_FALSE(fs::exists(working));
    EXPECT_TRUE(fonts.DelTTE(0, true));  // missing files are no failure
}
