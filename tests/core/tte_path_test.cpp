// Where a slot's TTE file lives: every resolution rule by mode and Windows version.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/process_version.h"
#include "common/registry_helpers.h"
#include "eudccore/eudc_registry.h"
#include "support/temp_prefix.h"

namespace {

const std::string kWinDir = "Windows\xA5\xD8\xBF\xFD";                       // "Windows目錄"
const std::string kSysDir = "Windows_System\xA5\xD8\xBF\xFD";                // "Windows_System目錄"
const std::string kFontDir = "Windows_Fonts\xA5\xD8\xBF\xFD";                // "Windows_Fonts目錄"
const std::string kShared = "\xA6@\xA5\xCE\xA4\xE5\xA5\xF3\xA5\xD8\xBF\xFD";  // "共用文件目錄"
const std::string kDocs = "C:\\users\\Public\\Documents";
const std::string kProgramData = "C:\\ProgramData";

struct Resolver : EudcRegistry {
    using EudcRegistry::CaculateTTE;
};

struct TtePath : ::testing::Test {
    testsupport::TempPrefix prefix;
    std::string appData;

    TtePath() {
        setenv("USER", "eudc-tester", 1);  // the profile folder Wine would make for this user
        appData = "C:\\users\\eudc-tester\\AppData\\Roaming";
    }
    ~TtePath() override {
        unsetenv("WINEPREFIX");
        eudc::RefreshWindowsVersionCode();
    }
    void Version(const char* name) {
        prefix.SetWindowsVersion(name);
        eudc::RefreshWindowsVersionCode();
    }
    std::pair<bool, std::string> Resolve(const std::string& name, int mode = 0) {
        char buf[260] = {};
        std::memcpy(buf, name.c_str(), name.size() + 1);
        const bool ok = Resolver::CaculateTTE(buf, static_cast<_TerminalServiceMode_>(mode));
        return {ok, buf};
    }
};

}  // namespace

TEST_F(TtePath, TokensOnWindowsXp) {
    Version("winxp");
    EXPECT_EQ(Resolve(kWinDir + "\\EUDC.TTE"), std::make_pair(true, std::string("C:\\windows\\EUDC.TTE")));
    EXPECT_EQ(Resolve(kSysDir + "\\A.TTE"), std::make_pair(true, std::string("C:\\windows\\system32\\A.TTE")));
    EXPECT_EQ(Resolve(kFontDir + "\\B.TTE"), std::make_pair(true, std::string("C:\\windows\\FONTS\\B.TTE")));
    EXPECT_EQ(Resolve(kShared + "\\C.TTE"), std::make_pair(true, kDocs + "\\C.TTE"));
    // A token with no file name: the folder with its separator, and false.
    EXPECT_EQ(Resolve(kFontDir + "\\"), std::make_pair(false, std::string("C:\\windows\\FONTS\\")));
    // Trailing white space is dropped first.
    EXPECT_EQ(Resolve(kWinDir + "\\KAI.TTE  \t"), std::make_pair(true, std::string("C:\\windows\\KAI.TTE")));
}

TEST_F(TtePath, BareNamesByVersion) {
    Version("winxp");
    EXPECT_EQ(Resolve("EUDC.TTE").second, "C:\\windows\\FONTS\\EUDC.TTE");
    Version("nt40");
    EXPECT_EQ(Resolve("EUDC.TTE").second, "C:\\windows\\FONTS\\EUDC.TTE");
    Version("win98");
    EXPECT_EQ(Resolve("EUDC.TTE").second, "C:\\windows\\EUDC.TTE");
    Version("win95");
    EXPECT_EQ(Resolve("\\EUDC.TTE").second, "C:\\windows\\EUDC.TTE");  // a leading "\" is an empty folder
}

TEST_F(TtePath, Windows6AndLaterUseTheSharedDocuments) {
    for (const char* v : {"vista", "win7", "win10"}) {
        Version(v);
        EXPECT_EQ(Resolve(kWinDir + "\\EUDC.TTE"), std::make_pair(true, kDocs + "\\EUDC.TTE")) << v;
        EXPECT_EQ(Resolve("D:\\Fonts\\X.TTE").second, kDocs + "\\X.TTE") << v;
    }
    eudc::RegMakeKey(HKEY_LOCAL_MACHINE, "Software\\Velmora\\TQFontClient");
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Velmora\\TQFontClient", 0, KEY_SET_VALUE, &key), 0);
    DWORD one = 1;
    RegSetValueExA(key, "SpecialFolder", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), 4);
    RegCloseKey(key);
    EXPECT_EQ(Resolve(kWinDir + "\\EUDC.TTE").second, kProgramData + "\\EUDC.TTE");
}

TEST_F(TtePath, SpecialFolderCountsOnlyAsDwordOne) {
    Version("winxp");
    eudc::RegMakeKey(HKEY_LOCAL_MACHINE, "Software\\Velmora\\TQFontClient");
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Velmora\\TQFontClient", 0, KEY_SET_VALUE, &key), 0);
    RegSetValueExA(key, "SpecialFolder", 0, REG_SZ, reinterpret_cast<const BYTE*>("1"), 2);
    EXPECT_EQ(Resolve(kShared + "\\S.TTE").second, kDocs + "\\S.TTE");
    DWORD two = 2;
    RegSetValueExA(key, "SpecialFolder", 0, REG_DWORD, reinterpret_cast<BYTE*>(&two), 4);
    EXPECT_EQ(Resolve(kShared + "\\S.TTE").second, kDocs + "\\S.TTE");
    DWORD one = 1;
    RegSetValueExA(key, "SpecialFolder", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), 4);
    RegCloseKey(key);
    EXPECT_EQ(Resolve(kShared + "\\S.TTE").second, kProgramData + "\\S.TTE");
    // Other tokens are not moved by it on this version.
    EXPECT_EQ(Resolve(kWinDir + "\\S.TTE").second, "C:\\windows\\S.TTE");
}

TEST_F(TtePath, OrdinaryPathsStayInModeZeroAndMoveInOtherModes) {
    Version("winxp");
    EXPECT_EQ(Resolve("D:\\Fonts\\X.TTE"), std::make_pair(true, std::string("D:\\Fonts\\X.TTE")));
    EXPECT_EQ(Resolve("D:\\Fonts\\X.TTE", 1).second, kProgramData + "\\X.TTE");
    EXPECT_EQ(Resolve("D:\\Fonts\\X.TTE", 3).second, kProgramData + "\\X.TTE");
    EXPECT_EQ(Resolve(kWinDir + "\\X.TTE", 2).second, appData + "\\X.TTE");
    EXPECT_EQ(Resolve("X.TTE", 2).second, appData + "\\X.TTE");
    // Unknown modes behave as mode 0.
    EXPECT_EQ(Resolve(kWinDir + "\\X.TTE", 7).second, "C:\\windows\\X.TTE");
}

TEST_F(TtePath, BackslashInsideADoubleByteCharacterIsNotASeparator) {
    Version("winxp");
    // 0xA5 0x5C is one character whose second byte happens to be "\".
    const std::string name = "D:\\\xA5\x5C" "A.TTE";
    EXPECT_EQ(Resolve(name, 1).second, kProgramData + "\\\xA5\x5C" "A.TTE");
}

TEST_F(TtePath, ResultsThatDoNotFitAreRefused) {
    Version("vista");
    const std::string longName(240, 'N');
    const auto r = Resolve(kWinDir + "\\" + longName);  // the documents folder makes it too long
    EXPECT_FALSE(r.first);
    EXPECT_EQ(r.second, "");
    EXPECT_TRUE(Resolve(kWinDir + "\\" + std::string(200, 'N')).first);
}

TEST_F(TtePath, RealFileNameOfARecord) {
    Version("winxp");
    _TQFontData_Struc1 record{};
    char out[260] = "junk";
    EXPECT_FALSE(EudcRegistry::Trans_2_RealTteFileName(nullptr, out, TSM_SystemFolders));
    EXPECT_FALSE(EudcRegistry::Trans_2_RealTteFileName(&record, nullptr, TSM_SystemFolders));
    EXPECT_FALSE(EudcRegistry::Trans_2_RealTteFileName(&record, out, TSM_SystemFolders));
    EXPECT_STREQ(out, "");
    std::memcpy(record.TteFileName, (kWinDir + "\\KAI.TTE").c_str(), kWinDir.size() + 9);
    EXPECT_TRUE(EudcRegistry::Trans_2_RealTteFileName(&record, out, TSM_SystemFolders));
    EXPECT_STREQ(out, "C:\\windows\\KAI.TTE");
    // A field without its terminator is read only up to its end.
    std::memset(record.TteFileName, 'A', sizeof record.TteFileName);
    std::memset(record.StyleName, 'B', sizeof record.StyleName);
    EXPECT_TRUE(EudcRegistry::Trans_2_RealTteFileName(&record, out, TSM_CommonAppData));
    EXPECT_EQ(std::string(out), kProgramData + "\\" + std::string(191, 'A'));
}
