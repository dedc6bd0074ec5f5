// Reading the EUDC\950 links: which values become entries, and how many.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/process_version.h"
#include "eudccore/eudc_registry.h"
#include "platform/winreg.h"
#include "support/temp_prefix.h"
#include "support/test_font_builder.h"

using namespace testsupport;

namespace {

void SetValue(const std::string& name, const std::string& data) {
    testsupport::SetRegistryString(HKEY_CURRENT_USER, "EUDC\\950", name, data);
}

struct ReadLinks : ::testing::Test {
    TempPrefix prefix;
    ReadLinks() {
        prefix.SetWindowsVersion("winxp");
        eudc::RefreshWindowsVersionCode();
    }
    // A Big5 font whose family is face, in the prefix's Fonts folder.
    void InstallBig5Face(const std::string& utf8Face, const std::string& file) {
        InstallFont(prefix, file,
                    TestFontBuilder().Family(utf8Face).CodePages(kCodePageChineseTraditional).MapCodes({0x4E00}).Build());
    }
};

}  // namespace

TEST_F(ReadLinks, MissingKeyIsCreatedAndReadsEmpty) {
    EudcRegistry registry(TSM_SystemFolders);
    EXPECT_EQ(registry.InitEudcName("EUDC\\950"), 0);
    EXPECT_EQ(registry.m_defaultIndex, -1);
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "EUDC\\950", 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
}

TEST_F(ReadLinks, DefaultInAnyCaseIsKeptAndFacesNeedABig5Font) {
    InstallBig5Face("Kai Test", "kai.ttf");
    SetValue("systemdefaulteudcfont", "C:\\windows\\EUDC.TTE");
    SetValue("Kai Test", "Windows\xA5\xD8\xBF\xFD\\KAI.TTE");
    SetValue("Not Installed", "C:\\x.tte");
    EudcRegistry registry(TSM_SystemFolders);
    ASSERT_EQ(registry.InitEudcName("EUDC\\950"), 2);
    ASSERT_GE(registry.m_defaultIndex, 0);
    char name[260], path[260];
    ASSERT_TRUE(registry.GetFontName(registry.m_defaultIndex, name, path));
    EXPECT_STREQ(name, "systemdefaulteudcfont");
    const int other = 1 - registry.m_defaultIndex;
    ASSERT_TRUE(registry.GetFontName(other, name, path));
    EXPECT_STREQ(name, "Kai Test");
    EXPECT_STREQ(path, "C:\\windows\\KAI.TTE");  // resolved as it is read
    EXPECT_FALSE(registry.GetFontName(2, name, path));
    EXPECT_FALSE(registry.GetFontName(-1, name, path));
}

TEST_F(ReadLinks, AtMostFortyOneEntries) {
    // One Big5 font that answers to 45 family names, one per language.
    TestFontBuilder font;
    font.CodePages(kCodePageChineseTraditional).MapCodes({0x4E00});
    for (int i = 0; i < 45; ++i) font.Family("Face " + std::to_string(100 + i), static_cast<uint16_t>(0x0401 + i));
    InstallFont(prefix, "many.ttf", font.Build());
    for (int i = 0; i < 45; ++i) SetValue("Face " + std::to_string(100 + i), "C:\\f.tte");
    EudcRegistry registry(TSM_SystemFolders);
    EXPECT_EQ(registry.InitEudcName("EUDC\\950"), 41);
}

TEST_F(ReadLinks, FewValuesGiveAsManyEntries) {
    SetValue("SystemDefaultEUDCFont", "C:\\a.tte");
    InstallBig5Face("Face One", "one.ttf");
    InstallBig5Face("Face Two", "two.ttf");
    SetValue("Face One", "C:\\b.tte");
    SetValue("Face Two", "C:\\c.tte");
    EudcRegistry registry(TSM_SystemFolders);
    EXPECT_EQ(registry.InitEudcName("EUDC\\950"), 3);
}
