// eudcrestore run as a program against a throw-away prefix: which message, on which stream, with
// which exit status, and that a refused or missing backup changes nothing.
#include <gtest/gtest.h>

#include "backup_writer.h"
#include "support/temp_prefix.h"
#include "tool_runner.h"
#include "tte_sections.h"

using testsupport::RunRestoreTool;
using testsupport::SnapshotTree;
using testsupport::TempPrefix;

namespace {

const std::string kTitle = "Orlan造字檔 安裝程式: ";
const std::string kMissing = kTitle + "TQClient.tqb 不存在，請將正確的TQClient.tqb 放置到與本程式同一個目錄！\n";
const std::string kFormat = kTitle + "【所要回存的檔案】格式不符！\n";
const std::string kWindows6 =
    kTitle + "這個版本的Korrin中文不支援 Windows Vista 及 Windows Server 2008，請聯絡Tavio電腦！\n";
const std::string kDone = kTitle + "Orlan造字檔 安裝完畢！\n";

std::string ValidBackup(uint8_t compatFlags = backup::kCompatWindows6) {
    backupwriter::BackupContents contents;
    contents.fontTable = backupwriter::ReferenceFontTable();
    contents.liuBox = std::string("liu");
    contents.compatFlags = compatFlags;
    return backupwriter::BuildBackup(contents);
}

}  // namespace

TEST(RestoreProgram, MissingBackupShowsErrorEvenWhenSilentAndCreatesNoPrefix) {
    TempPrefix prefix;
    const auto run = RunRestoreTool(prefix, std::nullopt, {"/Silent"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, kMissing);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(SnapshotTree(prefix.root()), "<absent>");
}

TEST(RestoreProgram, FileOfExactlyHeaderLengthIsRefusedAsFormatError) {
    TempPrefix prefix;
    std::string bytes = ValidBackup();
    bytes.resize(backup::kHeaderLength);
    const auto run = RunRestoreTool(prefix, bytes);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, kFormat);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(SnapshotTree(prefix.root()), "<absent>");
}

TEST(RestoreProgram, WrongHeaderLengthIsRefused) {
    TempPrefix prefix;
    std::string bytes = ValidBackup();
    bytes[0] = 0x05;  // 130565
    const auto run = RunRestoreTool(prefix, bytes, {"/Silent"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, kFormat);
    EXPECT_EQ(SnapshotTree(prefix.root()), "<absent>");
}

TEST(RestoreProgram, SignatureDifferingOnlyInCaseIsRefused) {
    TempPrefix prefix;
    std::string bytes = ValidBackup();
    bytes[4 + 1] = 'q';  // "TqClient_2"
    const auto run = RunRestoreTool(prefix, bytes);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, kFormat);
}

TEST(RestoreProgram, Windows6FlagMissingOnVistaIsRefusedAndPrefixUnchanged) {
    TempPrefix prefix;
    prefix.InstallFixtureRegistry();
    prefix.SetWindowsVersion("vista");
    const std::string before = SnapshotTree(prefix.root());
    const auto run = RunRestoreTool(prefix, ValidBackup(0x00), {"/Silent"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, kWindows6);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(SnapshotTree(prefix.root()), before);
}

TEST(RestoreProgram, Windows6FlagIsIgnoredOnWinXp) {
    TempPrefix prefix;
    prefix.InstallFixtureRegistry();
    prefix.SetWindowsVersion("winxp");
    const auto run = RunRestoreTool(prefix, ValidBackup(0x00));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, kDone);
    EXPECT_EQ(run.err, "");
}

TEST(RestoreProgram, Windows6FlagSetRestoresOnVista) {
    TempPrefix prefix;
    prefix.InstallFixtureRegistry();
    prefix.SetWindowsVersion("vista");
    const auto run = RunRestoreTool(prefix, ValidBackup(backup::kCompatWindows6 | 0x01));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, kDone);
}

TEST(RestoreProgram, SilentInCapitalsSuppressesTheDoneMessage) {
    TempPrefix prefix;
    const auto run = RunRestoreTool(prefix, ValidBackup(), {"/SILENT"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
}

TEST(RestoreProgram, ArgumentThatOnlyStartsWithSilentDoesNotCount) {
    TempPrefix prefix;
    const auto run = RunRestoreTool(prefix, ValidBackup(), {"/Silent2", "-silent"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, kDone);
}

TEST(RestoreProgram, VersionTextInSmallLettersIsShown) {
    TempPrefix prefix;
    const auto run = RunRestoreTool(prefix, ValidBackup(), {"date:1.2"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, kTitle + "Orlan造字檔 安裝完畢！\n版本號1.2\n");
}

TEST(RestoreProgram, LaterVersionArgumentWins) {
    TempPrefix prefix;
    const auto run = RunRestoreTool(prefix, ValidBackup(), {"Date:A", "Date:B"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, kTitle + "Orlan造字檔 安裝完畢！\n版本號B\n");
}

TEST(RestoreProgram, RefusalIsShownEvenWhenSilent) {
    TempPrefix prefix;
    std::string bytes = ValidBackup();
    bytes[13] = '3';  // "TQClient_3"
    const auto run = RunRestoreTool(prefix, bytes, {"/silent", "Date:9"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, kFormat);
    EXPECT_EQ(run.out, "");
}

TEST(RestoreProgram, HelpAndVersionTouchNothing) {
    TempPrefix prefix;
    prefix.InstallFixtureRegistry();
    const std::string before = SnapshotTree(prefix.root());
    for (const char* asked : {"/?", "-h", "--help"}) {
        const auto run = RunRestoreTool(prefix, ValidBackup(), {asked});
        EXPECT_EQ(run.exitCode, 0) << asked;
        EXPECT_EQ(run.out.rfind(kTitle + "eudcrestore：", 0), 0u) << run.out;
        for (const char* mentioned : {"TQClient.tqb", "/Silent", "Date:", "/Verbose", "WINEPREFIX", "3 已執行但未全部完成"})
            EXPECT_NE(run.out.find(mentioned), std::string::npos) << asked << " lacks " << mentioned;
    }
    const auto version = RunRestoreTool(prefix, ValidBackup(), {"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, kTitle + "eudcrestore 0.1.0\n");
    EXPECT_EQ(SnapshotTree(prefix.root()), before);
}

TEST(RestoreProgram, VerboseTellsEachStep) {
    TempPrefix prefix;
    prefix.InstallFixtureRegistry();
    prefix.SetWindowsVersion("winxp");
    backupwriter::BackupContents contents;
    contents.fontTable = backupwriter::ReferenceFontTable();
    contents.tteSections[0] = testsupport::TemplateTte(testsupport::DistinctBoxGlyphs(0xE000, 100, 1));
    contents.tteSections[1] = testsupport::TemplateTte(testsupport::DistinctBoxGlyphs(0xE000, 1000, 2));
    const auto run = RunRestoreTool(prefix, backupwriter::BuildBackup(contents), {"/VERBOSE", "/Silent"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const std::string root = (prefix.root() / "drive_c").string();
    EXPECT_EQ(run.out, "工作站：" + root + "，Windows 5.1（組建 2600，版本代碼 14）\n"
                       "第 0 組 SystemDefaultEUDCFont → C:\\windows\\EUDC.TTE：寫入 64 個字形，保留 0 個使用者的字形\n"
                       "第 1 組 標楷體 → C:\\windows\\KAI.TTE：寫入 7 個字形，保留 0 個使用者的字形\n"
                       "輸入法造字詞庫：沒有可登錄的輸入法\n");
}
