// A restore rewrites the TTE file of every slot the backup carries with exactly its glyphs.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "backup_writer.h"
#include "foundation/endian.h"
#include "foundation/mem_file.h"
#include "support/temp_prefix.h"
#include "support/tt_test_fonts.h"
#include "tool_runner.h"
#include "truetype/tt_font_file.h"
#include "truetype/tt_glyph.h"
#include "tte_sections.h"

using namespace testsupport;

namespace {

const std::string kWinDir = "Windows\xA5\xD8\xBF\xFD";  // "Windows目錄"

// A TTE file from the template with a glyph at every stride-th code, each different.
std::string Section(int stride, int seed) { return TemplateTte(DistinctBoxGlyphs(0xE000, stride, seed)); }

// Every code U+E000..U+F8FF reads the same from both files.
void ExpectSameGlyphs(const std::string& expected, const std::string& actual) {
    EXPECT_EQ(CountDifferingGlyphs(expected, actual), 0);
}

}  // namespace

TEST(RestoreFonts, EverySlotWithASectionHoldsExactlyItsGlyphs) {
    TempPrefix prefix;
    prefix.SetWindowsVersion("winxp");
    backupwriter::BackupContents contents;
    contents.fontTable = backupwriter::ReferenceFontTable();
    contents.fontTable[3] = backupwriter::MakeFontRecord("Face Three", kWinDir + "\\F3.TTE", "");
    contents.tteSections[0] = Section(1, 1);
    contents.tteSections[3] = Section(37, 5);
    // Slot 1 has no section: its file is kept as it is.
    std::filesystem::create_directories(prefix.root() / "drive_c/windows");
    WriteFileBytes(prefix.root() / "drive_c/windows/KAI.TTE", "keep me");

    // Without Environment values the temporary files go to the profile folder, made when the
    // first one is.
    const auto run = RunRestoreTool(prefix, backupwriter::BuildBackup(contents), {"/Silent"}, {{"USER", "eudc-tester"}});
    ASSERT_EQ(run.exitCode, 0) << run.err;

    const std::string eudc = ReadFileBytes(prefix.root() / "drive_c/windows/EUDC.TTE");
    EXPECT_EQ(eudc.size(), 77600u + 6400u * 34u);  // the template with every code's 34-byte glyph
    ExpectSameGlyphs(*contents.tteSections[0], eudc);
    std::string log;
    EXPECT_TRUE(OtsAccepts(prefix.root() / "drive_c/windows/EUDC.TTE", &log)) << log;
    EXPECT_EQ(FreeTypeLoadsEveryGlyph(eudc), "");
    ExpectSameGlyphs(*contents.tteSections[3], ReadFileBytes(prefix.root() / "drive_c/windows/F3.TTE"));
    EXPECT_EQ(ReadFileBytes(prefix.root() / "drive_c/windows/KAI.TTE"), "keep me");
    // The temporary files are gone.
    const auto temp = prefix.root() / "drive_c/users/eudc-tester";
    EXPECT_TRUE(std::filesystem::is_directory(temp));
    EXPECT_TRUE(std::filesystem::is_empty(temp));
}
