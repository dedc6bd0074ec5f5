// The restore on copies of a prefix that Wine's own wineboot made, run as a user and as cron would
// (USER set and unset), with the outcome read back through Wine's own tools.
#include <gtest/gtest.h>

#include <pwd.h>
#include <strings.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <regex>
#include <string>

#include "backup_writer.h"
#include "support/wine_tools.h"
#include "tool_runner.h"
#include "tte_sections.h"

namespace fs = std::filesystem;
using namespace testsupport;

namespace {

const std::string kWinDir = "Windows\xA5\xD8\xBF\xFD";  // "Windows目錄"
const std::string kMingLiu = "\xB2\xD3\xA9\xFA\xC5\xE9";  // "細明體"

backupwriter::BackupContents Contents() {
    backupwriter::BackupContents contents;
    contents.fontTable = backupwriter::ReferenceFontTable();  // SystemDefaultEUDCFont, 標楷體
    contents.fontTable[3] = backupwriter::MakeFontRecord(kMingLiu, kWinDir + "\\MINGLIU.TTE", "");
    contents.tteSections[0] = TemplateTte(DistinctBoxGlyphs(0xE000, 1, 1));
    contents.tteSections[1] = TemplateTte(DistinctBoxGlyphs(0xE003, 7, 2));
    contents.tteSections[3] = TemplateTte(DistinctBoxGlyphs(0xE100, 13, 3));
    return contents;
}

std::string LoginName() {
    const struct passwd* pw = getpwuid(geteuid());
    return pw ? pw->pw_name : "";
}

// The values of Wine's export of HKEY_CURRENT_USER\EUDC\950, name -> data, both UTF-8.
std::map<std::string, std::string> ExportedLinks(const std::string& exported) {
    std::map<std::string, std::string> links;
    static const std::regex line("^\"([^\"]*)\"=\"([^\"]*)\"$");
    size_t start = 0;
    while (start < exported.size()) {
        size_t end = exported.find('\n', start);
        if (end == std::string::npos) end = exported.size();
        std::smatch m;
        const std::string text = exported.substr(start, end - start);
        if (std::regex_match(text, m, line)) {
            std::string data = m[2];
            for (size_t i = 0; (i = data.find("\\\\", i)) != std::string::npos; ++i) data.erase(i, 1);
            links[m[1]] = data;
        }
        start = end + 1;
    }
    return links;
}

// C:\... in the prefix, matched without regard to case as Wine matches it.
fs::path HostPathOf(const TempPrefix& prefix, const std::string& windowsPath) {
    fs::path p = prefix.root() / "drive_c";
    if (windowsPath.size() < 3 || (windowsPath[0] != 'C' && windowsPath[0] != 'c')) return {};
    std::string rest = windowsPath.substr(3);
    size_t i = 0;
    while (i <= rest.size()) {
        size_t j = rest.find('\\', i);
        if (j == std::string::npos) j = rest.size();
        const std::string comp = rest.substr(i, j - i);
        fs::path next = p / comp;
        if (!fs::exists(next) && fs::is_directory(p))
            for (const auto& e : fs::directory_iterator(p))
                if (strcasecmp(e.path().filename().c_str(), comp.c_str()) == 0) next = e.path();
        p = next;
        i = j + 1;
    }
    return p;
}

struct Case {
    const char* version;  // nullptr: the prefix as wineboot left it
    bool userSet;
    const char* folder;  // where the slots' TTE files belong
};

struct RestoreOnWinePrefix : ::testing::TestWithParam<Case> {};

}  // namespace

TEST_P(RestoreOnWinePrefix, EverySlotIsLinkedAndHoldsTheBackupsGlyphs) {
    const Case c = GetParam();
    TempPrefix prefix;
    prefix.InstallWinePrefix();
    if (c.version) {
        const auto set = RunWine(prefix, {"reg", "add", "HKCU\\Software\\Wine", "/v", "Version", "/d", c.version, "/f"});
        ASSERT_EQ(set.exitCode, 0) << set.err;
    }
    const backupwriter::BackupContents contents = Contents();
    const EnvChanges env{{"USER", c.userSet ? std::optional<std::string>(LoginName()) : std::nullopt}};
    const auto run = RunRestoreTool(prefix, backupwriter::BuildBackup(contents), {"Date:wine-1"}, env);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_NE(run.out.find("wine-1"), std::string::npos) << run.out;

    // Wine starts on the prefix afterwards and reads the links, Chinese names included.
    const std::map<std::string, std::string> links = ExportedLinks(WineRegExport(prefix, "HKCU\\EUDC\\950"));
    const std::string folder = c.folder;
    ASSERT_EQ(links.size(), 3u);
    EXPECT_EQ(links.at("SystemDefaultEUDCFont"), folder + "\\EUDC.TTE");
    EXPECT_EQ(links.at("標楷體"), folder + "\\KAI.TTE");
    EXPECT_EQ(links.at("細明體"), folder + "\\MINGLIU.TTE");

    // Each link points at its slot's TTE file, which holds exactly the backup's glyphs.
    const std::pair<const char*, int> slots[] = {{"SystemDefaultEUDCFont", 0}, {"標楷體", 1}, {"細明體", 3}};
    for (const auto& [face, slot] : slots) {
        const fs::path file = HostPathOf(prefix, links.at(face));
        ASSERT_TRUE(fs::is_regular_file(file)) << face << " -> " << links.at(face);
        EXPECT_EQ(CountDifferingGlyphs(*contents.tteSections[slot], ReadFileBytes(file)), 0) << face;
    }
    // The temporary files went to Wine's temporary folder and are gone.
    const fs::path temp = prefix.root() / "drive_c" / "users" / LoginName() / "Temp";
    ASSERT_TRUE(fs::is_directory(temp));
    for (const auto& e : fs::directory_iterator(temp)) ADD_FAILURE() << "left behind: " << e.path();
}

INSTANTIATE_TEST_SUITE_P(
    Wine, RestoreOnWinePrefix,
    ::testing::Values(Case{nullptr, false, "C:\\users\\Public\\Documents"},
                      Case{nullptr, true, "C:\\users\\Public\\Documents"}, Case{"winxp", false, "C:\\windows"},
                      Case{"winxp", true, "C:\\windows"}, Case{"win7", false, "C:\\users\\Public\\Documents"},
                      Case{"win7", true, "C:\\users\\Public\\Documents"}),
    [](const auto& info) {
        return std::string(info.param.version ? info.param.version : "default") +
               (info.param.userSet ? "_user_set" : "_user_unset");
    });

TEST(RestoreOnWinePrefix, RunningWineServerRefusesTheRestoreBeforeAnyChange) {
    TempPrefix prefix;
    prefix.InstallWinePrefix();
    const EnvChanges wine{{"WINEPREFIX", prefix.root().string()}, {"WINEDEBUG", "-all"}};
    ASSERT_EQ(RunProgram({"wineserver", "-p"}, wine).exitCode, 0);  // stays until killed
    const std::string user = ReadFileBytes(prefix.root() / "user.reg");
    const std::string system = ReadFileBytes(prefix.root() / "system.reg");

    const auto run = RunRestoreTool(prefix, backupwriter::BuildBackup(Contents()), {"/Silent"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("wineserver -k"), std::string::npos) << run.err;
    EXPECT_EQ(ReadFileBytes(prefix.root() / "user.reg"), user);
    EXPECT_EQ(ReadFileBytes(prefix.root() / "system.reg"), system);
    EXPECT_FALSE(fs::exists(prefix.root() / ".eudc"));
    for (const auto& e : fs::recursive_directory_iterator(prefix.root() / "drive_c"))
        EXPECT_NE(e.path().extension(), ".TTE") << e.path();

    ASSERT_EQ(RunProgram({"wineserver", "-k"}, wine).exitCode, 0);
    RunProgram({"wineserver", "-w"}, wine);
    const auto again = RunRestoreTool(prefix, backupwriter::BuildBackup(Contents()), {"/Silent"});
    EXPECT_EQ(again.exitCode, 0) << again.err;
}

TEST(RestoreOnWinePrefix, SymlinkedUserRegistryStaysALinkAndWineReadsTheChange) {
    TempPrefix prefix;
    prefix.InstallWinePrefix();
    const fs::path real = prefix.scratch() / "user-real.reg";
    fs::rename(prefix.root() / "user.reg", real);
    fs::create_symlink(real, prefix.root() / "user.reg");

    const auto run = RunRestoreTool(prefix, backupwriter::BuildBackup(Contents()), {"/Silent"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(fs::is_symlink(prefix.root() / "user.reg"));
    EXPECT_NE(ReadFileBytes(real).find("[EUDC\\\\950]"), std::string::npos);
    EXPECT_EQ(ExportedLinks(WineRegExport(prefix, "HKCU\\EUDC\\950")).size(), 3u);
}
