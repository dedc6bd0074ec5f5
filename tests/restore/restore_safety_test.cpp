// A restore never loses data and never reports a failure as success: damaged backups are refused
// before anything changes, a failure at any write leaves every file old or new, and a slot's TTE
// name never reaches a file that is not a font.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "backup_writer.h"
#include "support/temp_prefix.h"
#include "support/tt_test_fonts.h"
#include "tool_runner.h"
#include "tte_sections.h"

namespace fs = std::filesystem;
using namespace testsupport;

namespace {

const std::string kWinDir = "Windows\xA5\xD8\xBF\xFD";  // "Windows目錄"
const std::string kFormat = "Orlan造字檔 安裝程式: 【所要回存的檔案】格式不符！\n";

// A prefix on Windows XP with old TTE files in both reference slots, and a backup that replaces them.
struct Workstation {
    TempPrefix prefix;
    backupwriter::BackupContents contents;
    std::string oldEudc, oldKai;

    Workstation() {
        prefix.InstallFixtureRegistry();
        prefix.SetWindowsVersion("winxp");
        contents.fontTable = backupwriter::ReferenceFontTable();
        contents.tteSections[0] = TemplateTte(DistinctBoxGlyphs(0xE000, 3, 1));
        contents.tteSections[1] = TemplateTte(DistinctBoxGlyphs(0xE001, 5, 2));
        oldEudc = TemplateTte(DistinctBoxGlyphs(0xE100, 7, 3));
        oldKai = TemplateTte(DistinctBoxGlyphs(0xE200, 9, 4));
        WriteFileBytes(Windows() / "EUDC.TTE", oldEudc);
        WriteFileBytes(Windows() / "KAI.TTE", oldKai);
    }
    fs::path Windows() const { return prefix.root() / "drive_c" / "windows"; }
    ToolRun Run(const std::vector<std::string>& args = {"/Silent"}, const EnvChanges& env = {}) const {
        return RunRestoreTool(prefix, backupwriter::BuildBackup(contents), args, env);
    }
};

using Damage = std::function<void(std::string&)>;

}  // namespace

TEST(RestoreSafety, DamagedSectionsAreRefusedBeforeAnyChange) {
    const std::string good = TemplateTte(DistinctBoxGlyphs(0xE000, 11, 9));
    const auto entry = [&](const char* tag) { return Entry(good, tag); };
    std::mt19937 random(7);
    std::string noise(good.size(), '\0');
    for (char& c : noise) c = static_cast<char>(random());
    const std::vector<std::pair<std::string, Damage>> damages = {
        {"cut after the offset table", [](std::string& f) { f.resize(12); }},
        {"cut inside the directory", [](std::string& f) { f.resize(100); }},
        {"cut in half", [](std::string& f) { f.resize(f.size() / 2); }},
        {"cut by one byte", [](std::string& f) { f.pop_back(); }},
        {"cmap past the end", [&](std::string& f) { Put32(f, entry("cmap").entryAt + 8, 0x7FFFFFF0u); }},
        {"two tables on one place", [&](std::string& f) { Put32(f, entry("name").entryAt + 8, entry("head").offset); }},
        {"loca running backwards", [&](std::string& f) { Put32(f, entry("loca").offset + 4 * 3000, 0); }},
        {"maxp without glyphs", [&](std::string& f) { Put16(f, entry("maxp").offset + 4, 0); }},
        {"head with unitsPerEm 0", [&](std::string& f) { Put16(f, entry("head").offset + 18, 0); }},
        {"hhea without long metrics", [&](std::string& f) { Put16(f, entry("hhea").offset + 34, 0); }},
        {"cmap without subtables", [&](std::string& f) { Put16(f, entry("cmap").offset + 2, 0); }},
        {"a glyph's points past its data",
         [&](std::string& f) { Put16(f, entry("glyf").offset + Get32(f, entry("loca").offset + 4 * 2) + 10, 900); }},
        {"random bytes", [&](std::string& f) { f = noise; }},
        {"an OpenType CFF font", [](std::string& f) { Put32(f, 0, 0x4F54544Fu); }},
        {"a font collection", [](std::string& f) { Put32(f, 0, 0x74746366u); }},
        {"a WOFF file", [](std::string& f) { Put32(f, 0, 0x774F4646u); }},
    };
    for (const auto& [what, damage] : damages) {
        SCOPED_TRACE(what);
        Workstation ws;
        std::string bad = good;
        damage(bad);
        ASSERT_NE(bad, good);
        ws.contents.tteSections[1] = bad;
        const std::string before = SnapshotTree(ws.prefix.root());
        const auto run = ws.Run();
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.err, kFormat);
        EXPECT_EQ(SnapshotTree(ws.prefix.root()), before);
    }
    // A section that overlaps the header.
    Workstation ws;
    std::string bytes = backupwriter::BuildBackup(ws.contents);
    Put32(bytes, backup::kTteDescriptorOffset + 4, 100);  // slot 0 from offset 100
    const std::string before = SnapshotTree(ws.prefix.root());
    const auto run = RunRestoreTool(ws.prefix, bytes, {"/Silent"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, kFormat);
    EXPECT_EQ(SnapshotTree(ws.prefix.root()), before);
}

// The Nth write, sync or rename of the run fails, for every N up to past what a run has: each TTE
// file and each registry file is then either as it was or as a clean run leaves it, nothing
// temporary remains, and a run that did not complete says what failed, with exit status 3.
TEST(RestoreSafety, AFailureAtAnyWriteLeavesEveryFileOldOrNew) {
    for (const char* kind : {"write", "sync", "rename"}) {
        int incomplete = 0;
        for (int n = 1; n <= 10; ++n) {
            SCOPED_TRACE(std::string(kind) + ":" + std::to_string(n));
            Workstation ws;
            const std::string userBefore = ReadFileBytes(ws.prefix.root() / "user.reg");
            const std::string systemBefore = ReadFileBytes(ws.prefix.root() / "system.reg");
            const auto run = ws.Run({"/Silent"}, {{"EUDC_TEST_FAULT", std::string(kind) + ":" + std::to_string(n)}});
            ASSERT_TRUE(run.exitCode == 0 || run.exitCode == 3) << run.exitCode << run.err;

            const std::string eudc = ReadFileBytes(ws.Windows() / "EUDC.TTE");
            const std::string kai = ReadFileBytes(ws.Windows() / "KAI.TTE");
            const bool eudcNew = CountDifferingGlyphs(*ws.contents.tteSections[0], eudc) == 0;
            const bool kaiNew = CountDifferingGlyphs(*ws.contents.tteSections[1], kai) == 0;
            EXPECT_TRUE(eudcNew || eudc == ws.oldEudc);
            EXPECT_TRUE(kaiNew || kai == ws.oldKai);
            const std::string user = ReadFileBytes(ws.prefix.root() / "user.reg");
            const bool linked = user.find("\"SystemDefaultEUDCFont\"=\"C:\\\\windows\\\\EUDC.TTE\"") != std::string::npos &&
                                user.find("\"\\x6a19\\x6977\\x9ad4\"=\"C:\\\\windows\\\\KAI.TTE\"") != std::string::npos;
            // The key and the links are saved together, or user.reg is left as it was.
            const bool unlinked = user == userBefore;
            EXPECT_TRUE(linked || unlinked);
            EXPECT_EQ(ReadFileBytes(ws.prefix.root() / "system.reg"), systemBefore);
            for (const auto& e : fs::recursive_directory_iterator(ws.prefix.root())) {
                const std::string name = e.path().filename().string();
                EXPECT_EQ(name.find(".eudc-new"), std::string::npos) << e.path();
                EXPECT_EQ(name.find(".tmp"), std::string::npos) << e.path();
            }
            if (run.exitCode == 0) {
                // A failure the restore could do without (it tried again or needed nothing of it).
                EXPECT_TRUE(eudcNew && kaiNew && linked);
                continue;
            }
            ++incomplete;
            EXPECT_NE(run.err.find("安裝未完成"), std::string::npos) << run.err;
            // What was not done is named.
            if (!eudcNew) {
                EXPECT_NE(run.err.find("第 0 組"), std::string::npos) << run.err;
            }
            if (!kaiNew) {
                EXPECT_NE(run.err.find("第 1 組"), std::string::npos) << run.err;
            }
            if (!linked) {
                EXPECT_NE(run.err.find("EUDC\\950"), std::string::npos) << run.err;
            }
        }
        EXPECT_GT(incomplete, 0) << kind << ": no failure of this kind ever mattered";
    }
}

TEST(RestoreSafety, TteNamesNeverReachFilesThatAreNotFonts) {
    Workstation ws;
    const fs::path hostNotes = ws.prefix.scratch() / "host-notes.txt";
    WriteFileBytes(hostNotes, "the host's own notes");
    WriteFileBytes(ws.prefix.root() / "drive_c" / "victim.txt", "a file of the workstation");
    struct Slot {
        int slot;
        std::string name;
        fs::path file;  // what it reaches
    };
    const std::vector<Slot> slots = {
        {2, kWinDir + "\\..\\..\\..\\..\\..\\victim.txt", ws.prefix.root() / "drive_c" / "victim.txt"},
        {3, kWinDir + "/../../../victim.txt", ws.prefix.root() / "drive_c" / "victim.txt"},
        {4, WindowsPath(hostNotes), hostNotes},
        {5, WindowsPath(ws.prefix.scratch() / "tool" / "libeudccore.so"), ws.prefix.scratch() / "tool" / "libeudccore.so"},
    };
    // The program's own library is copied beside it by the tool runner; make it exist first.
    RunRestoreTool(ws.prefix, std::nullopt, {"--version"});
    const std::string library = ReadFileBytes(ws.prefix.scratch() / "tool" / "libeudccore.so");
    for (const Slot& s : slots) {
        ws.contents.fontTable[static_cast<size_t>(s.slot)] =
            backupwriter::MakeFontRecord("Face " + std::to_string(s.slot), s.name, "");
        ws.contents.tteSections[static_cast<size_t>(s.slot)] = TemplateTte(DistinctBoxGlyphs(0xE000, 50, s.slot));
    }
    // "C:\..\user.reg" stays on drive C: it makes a TTE file C:\user.reg, never the prefix's registry.
    ws.contents.fontTable[6] = backupwriter::MakeFontRecord("Face 6", "C:\\..\\user.reg", "");
    ws.contents.tteSections[6] = TemplateTte(DistinctBoxGlyphs(0xE000, 60, 6));

    const auto run = ws.Run();
    EXPECT_EQ(run.exitCode, 3) << run.err;
    for (const Slot& s : slots) EXPECT_NE(run.err.find("第 " + std::to_string(s.slot) + " 組"), std::string::npos) << run.err;
    EXPECT_EQ(ReadFileBytes(ws.prefix.root() / "drive_c" / "victim.txt"), "a file of the workstation");
    EXPECT_EQ(ReadFileBytes(hostNotes), "the host's own notes");
    EXPECT_EQ(ReadFileBytes(ws.prefix.scratch() / "tool" / "libeudccore.so"), library);
    EXPECT_EQ(CountDifferingGlyphs(*ws.contents.tteSections[6], ReadFileBytes(ws.prefix.root() / "drive_c" / "user.reg")), 0);
    EXPECT_EQ(ReadFileBytes(ws.prefix.root() / "user.reg").substr(0, 23), "WINE REGISTRY Version 2");
    // The slots that could be written were.
    EXPECT_EQ(CountDifferingGlyphs(*ws.contents.tteSections[0], ReadFileBytes(ws.Windows() / "EUDC.TTE")), 0);
}
