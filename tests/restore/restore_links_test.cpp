// A restore links the backup's slots under EUDC\950 and leaves every other registry entry as it was.
#include <gtest/gtest.h>

#include "backup_writer.h"
#include "platform/winreg.h"
#include "support/temp_prefix.h"
#include "tool_runner.h"

using namespace testsupport;

namespace {

const std::string kKai = "\xBC\xD0\xB7\xA2\xC5\xE9";  // "標楷體"

std::string QueryEudc(const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "EUDC\\950", 0, KEY_READ, &key) != ERROR_SUCCESS) return "<no key>";
    char data[260] = {};
    DWORD size = sizeof data, type = 0;
    const LONG rc = RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS && type == REG_SZ ? std::string(data) : "<none>";
}

// The user.reg text without its [EUDC\\950] section.
std::string WithoutEudcSection(const std::string& text) { return WithoutRegistryKey(text, "[EUDC\\\\950]"); }

struct RestoreLinks : ::testing::TestWithParam<std::pair<const char*, const char*>> {};

}  // namespace

TEST_P(RestoreLinks, SlotsAreLinkedAndNothingElseChanges) {
    const auto [version, folder] = GetParam();
    TempPrefix prefix;
    prefix.InstallWinePrefix();
    prefix.SetWindowsVersion(version);
    const std::string userBefore = ReadFileBytes(prefix.root() / "user.reg");
    const std::string systemBefore = ReadFileBytes(prefix.root() / "system.reg");

    backupwriter::BackupContents contents;
    contents.fontTable = backupwriter::ReferenceFontTable();
    const auto run = RunRestoreTool(prefix, backupwriter::BuildBackup(contents), {"/Silent"});
    ASSERT_EQ(run.exitCode, 0) << run.err;

    EXPECT_EQ(QueryEudc("SystemDefaultEUDCFont"), std::string(folder) + "\\EUDC.TTE");
    EXPECT_EQ(QueryEudc(kKai), std::string(folder) + "\\KAI.TTE");
    const std::string userAfter = ReadFileBytes(prefix.root() / "user.reg");
    EXPECT_NE(userAfter.find("\"\\x6a19\\x6977\\x9ad4\"=\""), std::string::npos);
    EXPECT_EQ(WithoutEudcSection(userAfter), userBefore);
    EXPECT_EQ(ReadFileBytes(prefix.root() / "system.reg"), systemBefore);
}

INSTANTIATE_TEST_SUITE_P(Versions, RestoreLinks,
                         ::testing::Values(std::make_pair("winxp", "C:\\windows"),
                                           std::make_pair("win7", "C:\\users\\Public\\Documents")),
                         [](const auto& info) { return std::string(info.param.first); });

TEST(RestoreLinks, BackupWithoutSectionsStillLinksTheSlots) {
    TempPrefix prefix;
    prefix.SetWindowsVersion("win2k");
    backupwriter::BackupContents contents;
    contents.fontTable = backupwriter::ReferenceFontTable();
    contents.liuBox.reset();
    const auto run = RunRestoreTool(prefix, backupwriter::BuildBackup(contents));
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_EQ(QueryEudc("SystemDefaultEUDCFont"), "C:\\windows\\EUDC.TTE");
}
