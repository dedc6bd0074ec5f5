// The registration front end over IMEs described on a workstation: Init, detection, the table
// files by Windows version, the weighted result, and what each IME was told.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "common/process_version.h"
#include "common/registry_helpers.h"
#include "eudccore/ime_helpers.h"
#include "foundation/os_file.h"
#include "ime/ime_writers.h"
#include "ime/register_word_big5.h"
#include "platform/shell.h"
#include "platform/winnls.h"
#include "platform/testing.h"
#include "support/described_ime.h"

using namespace testsupport;

namespace {

const char kZhuyin[] = "\xAA\x60\xAD\xB5";
const char kNewZhuyin[] = "\xB7\x73\xAA\x60\xAD\xB5";

// U+E000: Zhuyin "1" (ㄅ), Changjie "A"; U+E002: Zhuyin "JI3", Changjie "AB"; the rest absent.
void Serve(unsigned int code, _WORD_DATA_Code* record) {
    std::memset(record, 0, sizeof *record);
    record->Code = static_cast<uint16_t>(code);
    if (code == 0xE000) {
        record->UserWord = 1;
        std::memcpy(record->Zhuyin, "1   ", 4);
        std::memcpy(record->Changjie, "A\0\0\0\0", 5);
    } else if (code == 0xE002) {
        record->UserWord = 1;
        std::memcpy(record->Zhuyin, "JI3 ", 4);
        std::memcpy(record->Changjie, "AB\0\0\0", 5);
    }
}

std::string ReadWindowsFile(const std::string& path) {
    OS_File file;
    if (!file.Open(path.c_str(), 0x8000)) return "<missing>";
    std::string bytes(file.GetLength(), '\0');
    file.Read(bytes.data(), static_cast<uint32_t>(bytes.size()));
    return bytes;
}

std::string AppData() {
    LPITEMIDLIST pidl = nullptr;
    char path[MAX_PATH] = {};
    SHGetSpecialFolderLocation(nullptr, CSIDL_APPDATA, &pidl);
    SHGetPathFromIDListA(pidl, path);
    CoTaskMemFree(pidl);
    return path;
}

std::wstring Utf16(const char* utf8) {
    WCHAR out[64] = {};
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, out, 64);
    return out;
}

class RegisterWordFrontEnd : public ::testing::Test {
protected:
    // A fresh workstation of that Windows version and a front end made on it.
    void SetUpWorkstation(const std::string& version) {
        front.reset();
        owned.reset();
        owned = std::make_unique<TempPrefix>();
        owned->InstallFixtureRegistry();
        owned->SetWindowsVersion(version);
        eudc::RefreshWindowsVersionCode();
        RegisterWord_FindHKL(nullptr);
        tableFolder = owned->scratch() / "tables";
        std::filesystem::create_directories(tableFolder);
        tables = WindowsPath(tableFolder) + "\\";
        front = std::make_unique<TQClient_RegisterWord_Big5>();
    }
    // The host path of a C: path on the workstation.
    std::filesystem::path Host(const std::string& windowsPath) const {
        std::string rest = windowsPath.substr(3);
        for (char& ch : rest)
            if (ch == '\\') ch = '/';
        return owned->root() / "drive_c" / rest;
    }
    void TearDown() override {
        front.reset();
        owned.reset();
        eudc::RefreshWindowsVersionCode();
        platform::testing::SetSleepHook(nullptr);
    }
    void DescribeFour(const std::string& newZhuyinExtra = "", const std::string& newChangjieExtra = "") {
        const TempPrefix& prefix = *owned;
        DescribeIme(prefix, "E0010404", "phon.ime", "Name=注音\n");
        DescribeIme(prefix, "E0020404", "chajei.ime", "Name=倉頡\nUnicode=1\n");
        DescribeIme(prefix, "E0080404", "nph.ime", "Name=新注音\n" + newZhuyinExtra);
        DescribeIme(prefix, "E0090404", "ncj.ime", "Name=新倉頡\n" + newChangjieExtra);
        RegisterWord_FindHKL(nullptr);
    }

    std::unique_ptr<TempPrefix> owned;
    std::filesystem::path tableFolder;
    std::string tables;
    std::unique_ptr<TQClient_RegisterWord_Big5> front;
};

TEST_F(RegisterWordFrontEnd, InitRefusesNullsKeepsOneSeparatorAndDetectsOnce) {
    SetUpWorkstation("win98");
    EXPECT_FALSE(front->Init(nullptr, Serve));
    EXPECT_FALSE(front->Init("C:\\t", nullptr));
    EXPECT_FALSE(front->m_initialised);
    EXPECT_EQ(front->Update(true), 2) << "nothing was looked for";
    EXPECT_FALSE(front->Init(std::string(262, 'd').c_str(), Serve)) << "a folder the field cannot hold";

    ASSERT_TRUE(front->Init("C:\\tables", Serve));
    EXPECT_STREQ(front->m_directory, "C:\\tables\\");
    ASSERT_TRUE(front->Init(tables.c_str(), Serve));
    EXPECT_EQ(front->m_directory, tables);
    for (auto* writer : front->m_writers) EXPECT_EQ(writer, nullptr);

    // IMEs that appear after the first Init are not looked for again.
    DescribeFour();
    EXPECT_TRUE(front->Init(tables.c_str(), Serve));
    for (auto* writer : front->m_writers) EXPECT_EQ(writer, nullptr);
    // A writer that detection did not make is made, and its image built, when its IME is registered.
    EXPECT_EQ(front->Update(false), 0);
    EXPECT_EQ(ReadWindowsFile(tables + "TQ_Zuin.Tbl").size(), 256u + 2 * 8);
}

TEST_F(RegisterWordFrontEnd, WithoutImesNothingIsWritten) {
    SetUpWorkstation("win98");
    ASSERT_TRUE(front->Init(tables.c_str(), Serve));
    EXPECT_EQ(front->Update(true), 2);
    EXPECT_TRUE(std::filesystem::is_empty(tableFolder));
}

TEST_F(RegisterWordFrontEnd, TablesByVersionAndWhatTheImesWereTold) {
    struct Case {
        const char* version;
        bool inAppData;
        bool newImes;  // 新注音 and 新倉頡 are registered
    } cases[] = {{"win98", false, true}, {"winme", false, false}, {"win2k", true, true}, {"winxp", true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        SetUpWorkstation(c.version);
        DescribeFour();
        ASSERT_TRUE(front->Init(tables.c_str(), Serve));
        EXPECT_EQ(front->Update(true), 0);

        const std::string folder = c.inAppData ? AppData() + "\\" : tables;
        const std::string zhuyin = ReadWindowsFile(folder + "TQ_Zuin.Tbl");
        const std::string changjie = ReadWindowsFile(folder + "TQ_Chanj.Tbl");
        ASSERT_EQ(zhuyin.size(), 256u + 2 * 8);
        ASSERT_EQ(changjie.size(), 256u + 2 * 9);
        const bool unicodeZhuyin = c.inAppData;  // 2000 and XP take Unicode dictionaries from every IME
        EXPECT_EQ(static_cast<uint8_t>(zhuyin[69]), unicodeZhuyin ? 0xB0 : 0xB6);
        if (unicodeZhuyin)
            EXPECT_EQ(zhuyin.substr(71, 7), std::string("\xE8\x6C\xF3\x97\0\0\0", 7)) << "注音 as UTF-16";
        else
            EXPECT_EQ(zhuyin.substr(71, 7), std::string(kZhuyin) + std::string(3, '\0'));
        EXPECT_EQ(static_cast<uint8_t>(changjie[69]), 0xB0) << "倉頡 is a Unicode IME";
        EXPECT_EQ(ImeRecord("E0010404", L"EUDC Dictionary"), Utf16((folder + "TQ_Zuin.Tbl").c_str()) + L'\0');
        EXPECT_EQ(ImeRecord("E0090404", L"EUDC Dictionary") != L"<none>", c.newImes);
        EXPECT_EQ(ReadWindowsFile(folder + "TQ_NChaJ.Tbl") != "<missing>", c.newImes);
        EXPECT_EQ(ImeRecord("E0080404", L"EUDC Dictionary") != L"<none>", c.newImes);
    }
}

TEST_F(RegisterWordFrontEnd, OnXpTheChangjieTableIsTheUsersDictionary) {
    SetUpWorkstation("winxp");
    DescribeFour();
    const char key[] = "Software\\Microsoft\\Windows\\CurrentVersion\\CHAJEI";
    eudc::RegMakeKey(HKEY_CURRENT_USER, key);
    ASSERT_TRUE(front->Init(tables.c_str(), Serve));
    EXPECT_EQ(front->Update(true), 0);
    char value[MAX_PATH] = {};
    DWORD size = sizeof value;
    ASSERT_TRUE(eudc::RegReadValue(HKEY_CURRENT_USER, key, "User Dictionary", reinterpret_cast<BYTE*>(value), &size));
    EXPECT_EQ(std::string(value), AppData() + "\\TQ_Chanj.Tbl");
}

TEST_F(RegisterWordFrontEnd, FailuresAreWeightedByTheImesPlace) {
    SetUpWorkstation("win98");
    DescribeFour("", "Dictionary=refuse\n");
    std::filesystem::create_directory(tableFolder / "TQ_Zuin.Tbl");  // cannot be opened as a file
    int sleeps = 0;
    platform::testing::SetSleepHook([&](DWORD) { ++sleeps; });
    ASSERT_TRUE(front->Init(tables.c_str(), Serve));
    EXPECT_EQ(front->Update(true), -30020);
    EXPECT_EQ(sleeps, 5) << "the refusing IME was asked five times";
}

TEST_F(RegisterWordFrontEnd, NewPhoneticKindByFileAndVersion) {
    struct Case {
        const char* descriptor;
        int kind;
        bool tableVersion2;
    } cases[] = {
        {"ProductVersion=6.0.0.0\n", -1, false},
        {"ProductVersion=6.0.0.1\n", 2, true},
        {"ProductVersion=5.1.0.0\nFileDescription=New Phonetic 2002\n", 1, true},
        {"", 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.descriptor);
        SetUpWorkstation("win98");
        const bool microsoft = c.kind == -1 || c.kind == 2;
        DescribeIme(*owned, "E0080404", microsoft ? "MSTCIPHA.IME" : "nph.ime",
                    std::string("Name=新注音\nUnicode=1\n") + c.descriptor);
        RegisterWord_FindHKL(nullptr);
        ASSERT_TRUE(front->Init(tables.c_str(), Serve));
        EXPECT_EQ(front->m_newPhoneticKind, c.kind);
        const int result = front->Update(true);
        EXPECT_EQ(result, 2) << "新倉頡 is the last IME and is not there";
        const std::string table = ReadWindowsFile(tables + "TQ_NZuin.Tbl");
        if (c.kind == -1) {
            EXPECT_EQ(table, "<missing>");
            EXPECT_EQ(RegisterWord_FindHKL(kNewZhuyin), nullptr) << "an old Microsoft IME counts as not installed";
            continue;
        }
        ASSERT_GE(table.size(), 12u);
        EXPECT_EQ(table[10], c.tableVersion2 ? 2 : 1);
        EXPECT_EQ(table.size(), 256u + 2 * (c.tableVersion2 ? 20 : 8));
    }
}

TEST_F(RegisterWordFrontEnd, OnVersion6BothTablesGoToTheImeFolderWhereItExists) {
    SetUpWorkstation("win7");
    DescribeFour();
    ASSERT_TRUE(front->Init(tables.c_str(), Serve));
    EXPECT_EQ(front->Update(true), 0) << "no folder, nothing written, still 0";
    const std::string folder = AppData() + "\\Microsoft\\Ime\\IMTC10\\";
    EXPECT_EQ(ReadWindowsFile(folder + "TCEUDCPH.TBL"), "<missing>");

    std::filesystem::create_directories(Host(folder));
    EXPECT_EQ(front->Update(true), 0);
    const std::string phonetic = ReadWindowsFile(folder + "TCEUDCPH.TBL");
    const std::string changjie = ReadWindowsFile(folder + "TCEUDCCJ.TBL");
    ASSERT_EQ(phonetic.size(), 256u + 2 * 20);
    ASSERT_EQ(changjie.size(), 256u + 2 * 20);
    EXPECT_EQ(phonetic[16], 4);
    EXPECT_EQ(changjie[16], 5);
    EXPECT_EQ(ImeRecord("E0010404", L"EUDC Dictionary"), L"<none>") << "the IMEs find these tables themselves";
}

TEST_F(RegisterWordFrontEnd, SetWordChangesEveryWriterWithoutWritingFiles) {
    SetUpWorkstation("win98");
    DescribeFour();
    ASSERT_TRUE(front->Init(tables.c_str(), Serve));
    ASSERT_EQ(front->Update(true), 0);
    const std::string before = ReadWindowsFile(tables + "TQ_Zuin.Tbl");
    _WORD_DATA_Code word{};
    std::memcpy(word.Zhuyin, "2   ", 4);
    std::memcpy(word.Changjie, "C\0\0\0\0", 5);
    front->SetWord(word.Zhuyin, 0xE001);
    EXPECT_EQ(ReadWindowsFile(tables + "TQ_Zuin.Tbl"), before);
    EXPECT_EQ(front->m_writers[1]->length, 256 + 3 * 8);
    EXPECT_EQ(front->m_writers[2]->length, 256 + 3 * 9);
    EXPECT_EQ(front->m_writers[2]->image[256 + 2 * 9 + 4], 3) << "the Changjie writer got the Changjie field";
    EXPECT_EQ(front->Update(false), 0);
    EXPECT_EQ(ReadWindowsFile(tables + "TQ_Zuin.Tbl").size(), 256u + 3 * 8);
}

}  // namespace
