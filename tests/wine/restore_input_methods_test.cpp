// The input-method phase of the restore on copies of a wineboot prefix with the four IMEs
// described: liu.box, the dictionary tables byte for byte, and what each IME was told.
#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "backup_writer.h"
#include "support/described_ime.h"
#include "support/wine_tools.h"
#include "tool_runner.h"

namespace fs = std::filesystem;
using namespace testsupport;

namespace {

// The backup's two characters: U+E000 typed "1" (ㄅ) and "A", U+E002 typed "JI3" and "AB".
backupwriter::BackupContents Contents() {
    backupwriter::BackupContents contents;
    contents.fontTable = backupwriter::ReferenceFontTable();
    const std::string first("\x01" "1\x21\x21" "1   " "A\0\0\0\0" "\x05\0\0\0" "\0\0", 19);
    const std::string second("\x01" "1\x21\x22" "JI3 " "AB\0\0\0" "\x06\0\0\0" "\0\0", 19);
    std::copy(first.begin(), first.end(), contents.CharacterRecord(0));
    std::copy(second.begin(), second.end(), contents.CharacterRecord(2));
    contents.liuBox = std::string("LIU-BOX\0\x01\x02", 10);
    return contents;
}

// The dictionary images the backup's two characters make, written out from the file format.
std::string Header(int version, int keyCount, bool unicodeCodes, const std::string& name) {
    std::string h(256, '\0');
    h.replace(0, 10, std::string("\x00\x01" "CWIN_TBL", 10));
    h[10] = static_cast<char>(version);
    h[12] = 2;  // two records
    h[16] = static_cast<char>(keyCount);
    h[64] = 0x0D;
    h.replace(69, 2, unicodeCodes ? "\xB0\x04" : "\xB6\x03");
    h.replace(71, name.size(), name);
    return h;
}
const std::string kZhuyinBig5 = "\xAA\x60\xAD\xB5";
const std::string kChangjieBig5 = "\xAD\xDC\xBE\x65";
const std::string kZhuyinUtf16("\xE8\x6C\xF3\x97", 4);
const std::string kChangjieUtf16("\x09\x50\x21\x98", 4);
const std::string kNewChangjieUtf16("\xB0\x65\x09\x50\x21\x98", 6);

std::string ZhuyinV1(bool unicode, const std::string& name) {
    const std::string e000 = unicode ? std::string("\x00\xE0", 2) : std::string("\x40\xFA", 2);
    const std::string e002 = unicode ? std::string("\x02\xE0", 2) : std::string("\x42\xFA", 2);
    return Header(1, 4, unicode, name) + std::string("\x01\x00", 2) + e000 + std::string("\x01\x00\x00\x26", 4) +
           std::string("\x01\x00", 2) + e002 + std::string("\x00\x17\x1A\x28", 4);
}
std::string ChangjieV1(bool unicode, const std::string& name) {
    const std::string e000 = unicode ? std::string("\x00\xE0", 2) : std::string("\x40\xFA", 2);
    const std::string e002 = unicode ? std::string("\x02\xE0", 2) : std::string("\x42\xFA", 2);
    return Header(1, 5, unicode, name) + std::string("\x01\x00", 2) + e000 + std::string("\x01\x20\x20\x20\x20", 5) +
           std::string("\x01\x00", 2) + e002 + std::string("\x01\x02\x20\x20\x20", 5);
}
std::string V2(int keyCount, const std::string& keysE000, const std::string& keysE002) {
    auto record = [](const char* code, const std::string& keys) {
        std::string r = std::string("\x01\x00", 2) + std::string(code, 2);
        for (char k : keys) r += std::string(1, k) + '\0';
        return r + std::string(16 - 2 * keys.size(), '\0');
    };
    return Header(2, keyCount, false, "") + record("\x00\xE0", keysE000) + record("\x02\xE0", keysE002);
}
const std::string kZhuyinV2 = V2(4, std::string("\x01\x00\x00\x26", 4), std::string("\x00\x17\x1A\x28", 4));
const std::string kChangjieV2 = V2(5, "\x01\x20\x20\x20\x20", "\x01\x02\x20\x20\x20");

std::string LoginName() {
    const struct passwd* pw = getpwuid(geteuid());
    return pw ? pw->pw_name : "";
}

struct Table {
    const char* file;  // in the folder of the case, '/' between its folders
    std::string image;
    const char* layout;  // the IME told to use it; null: none is told
};

struct Case {
    const char* version;
    bool appData;  // the tables lie in the user's application data, else in the common documents
    std::vector<Table> tables;
    std::vector<const char*> notWritten;
};

struct RestoreInputMethods : ::testing::TestWithParam<Case> {};

}  // namespace

TEST_P(RestoreInputMethods, TablesAreTheBackupsImagesAndTheImesUseThem) {
    const Case& c = GetParam();
    TempPrefix prefix;
    prefix.InstallWinePrefix();
    const auto set = RunWine(prefix, {"reg", "add", "HKCU\\Software\\Wine", "/v", "Version", "/d", c.version, "/f"});
    ASSERT_EQ(set.exitCode, 0) << set.err;
    DescribeIme(prefix, "E0010404", "phon.ime", "Name=注音\n");
    DescribeIme(prefix, "E0020404", "chajei.ime", "Name=倉頡\n");
    DescribeIme(prefix, "E0080404", "MSTCIPHA.IME", "Name=新注音\nUnicode=1\nProductVersion=6.0.0.1\n");
    DescribeIme(prefix, "E0090404", "newcj.ime", "Name=新倉頡\nUnicode=1\n");
    const std::string appData = "C:\\users\\" + LoginName() + "\\AppData\\Roaming";
    const fs::path appDataHost = prefix.root() / "drive_c" / "users" / LoginName() / "AppData" / "Roaming";
    fs::create_directories(appDataHost / "Microsoft" / "Ime" / "IMTC10");

    const auto run = RunRestoreTool(prefix, backupwriter::BuildBackup(Contents()), {"/Silent"});
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_EQ(ReadFileBytes(prefix.root() / "drive_c" / "windows" / "system32" / "liu.box"), *Contents().liuBox);

    const std::string folder = c.appData ? appData : "C:\\users\\Public\\Documents";
    const fs::path folderHost = c.appData ? appDataHost : prefix.root() / "drive_c" / "users" / "Public" / "Documents";
    for (const Table& t : c.tables) {
        SCOPED_TRACE(t.file);
        const fs::path file = folderHost / t.file;
        ASSERT_TRUE(fs::is_regular_file(file));
        EXPECT_EQ(ReadFileBytes(file), t.image);
        // Read back through Wine: the IME's record names the table.
        const std::string record = WineRegExport(prefix, std::string("HKCU\\Software\\EudcPlatform\\IME\\") +
                                                             (t.layout ? t.layout : "E0010404"));
        std::string escaped = folder + "\\" + t.file;
        for (size_t i = 0; (i = escaped.find('\\', i)) != std::string::npos; i += 2) escaped.insert(i, "\\");
        EXPECT_EQ(record.find("\"EUDC Dictionary\"=\"" + escaped + "\"") != std::string::npos, t.layout != nullptr)
            << record;
    }
    for (const char* file : c.notWritten) EXPECT_FALSE(fs::exists(folderHost / file)) << file;
}

INSTANTIATE_TEST_SUITE_P(
    Versions, RestoreInputMethods,
    ::testing::Values(
        // XP and 2000 take Unicode dictionaries from every IME; the Microsoft New Phonetic the
        // sorted kind.
        Case{"winxp", true,
             {{"TQ_Zuin.Tbl", ZhuyinV1(true, kZhuyinUtf16), "E0010404"},
              {"TQ_Chanj.Tbl", ChangjieV1(true, kChangjieUtf16), "E0020404"},
              {"TQ_NZuin.Tbl", kZhuyinV2, "E0080404"},
              {"TQ_NChaJ.Tbl", ChangjieV1(true, kNewChangjieUtf16), "E0090404"}},
             {}},
        Case{"win2k", true,
             {{"TQ_Zuin.Tbl", ZhuyinV1(true, kZhuyinUtf16), "E0010404"},
              {"TQ_NChaJ.Tbl", ChangjieV1(true, kNewChangjieUtf16), "E0090404"}},
             {}},
        // 98: Big5 dictionaries for the IMEs that are not Unicode, in the common documents.
        Case{"win98", false,
             {{"TQ_Zuin.Tbl", ZhuyinV1(false, kZhuyinBig5 + std::string(3, '\0')), "E0010404"},
              {"TQ_Chanj.Tbl", ChangjieV1(false, kChangjieBig5 + std::string(3, '\0')), "E0020404"},
              {"TQ_NZuin.Tbl", kZhuyinV2, "E0080404"},
              {"TQ_NChaJ.Tbl", ChangjieV1(true, kNewChangjieUtf16), "E0090404"}},
             {}},
        // Me registers the two older IMEs only.
        Case{"winme", false,
             {{"TQ_Zuin.Tbl", ZhuyinV1(false, kZhuyinBig5 + std::string(3, '\0')), "E0010404"},
              {"TQ_Chanj.Tbl", ChangjieV1(false, kChangjieBig5 + std::string(3, '\0')), "E0020404"}},
             {"TQ_NZuin.Tbl", "TQ_NChaJ.Tbl"}},
        // 6.x: the two tables the IMEs look for themselves; no IME is told.
        Case{"win7", true,
             {{"Microsoft/Ime/IMTC10/TCEUDCPH.TBL", kZhuyinV2, nullptr},
              {"Microsoft/Ime/IMTC10/TCEUDCCJ.TBL", kChangjieV2, nullptr}},
             {"TQ_Zuin.Tbl", "TQ_Chanj.Tbl"}}),
    [](const auto& info) { return std::string(info.param.version); });

TEST(RestoreInputMethodsBox, ABackupWithoutTheSectionLeavesLiuBoxAlone) {
    TempPrefix prefix;
    prefix.InstallWinePrefix();
    const fs::path box = prefix.root() / "drive_c" / "windows" / "system32" / "liu.box";
    WriteFileBytes(box, "the user's own table");
    backupwriter::BackupContents contents = Contents();
    contents.liuBox.reset();
    const auto run = RunRestoreTool(prefix, backupwriter::BuildBackup(contents), {"/Silent"});
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_EQ(ReadFileBytes(box), "the user's own table");
}
