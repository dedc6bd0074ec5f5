// Version information, directories, shell folders, module names, string tables and message boxes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/windows.h"
#include "platform/resources.h"
#include "support/temp_prefix.h"

using testsupport::TempPrefix;

namespace {

OSVERSIONINFOA Version() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    EXPECT_TRUE(GetVersionExA(&info));
    return info;
}

}  // namespace

// What Wine 8.0 reports to a program without a compatibility manifest, measured per setting
// with OSVERSIONINFOEXA (win7 does come back as a server, win2008r2 as a workstation).
TEST(Version, WineSettingNamesTheVersion) {
    TempPrefix prefix;
    struct Case {
        const char* name;
        DWORD platform, major, minor, build;
        const char* csd;
        WORD servicePack, suite;
        BYTE product;
    } cases[] = {
        {"win95", VER_PLATFORM_WIN32_WINDOWS, 4, 0, 67109814, "", 0, 0, 0},
        {"win98", VER_PLATFORM_WIN32_WINDOWS, 4, 10, 67766446, " A ", 0, 0, 0},
        {"winme", VER_PLATFORM_WIN32_WINDOWS, 4, 90, 73010104, " ", 0, 0, 0},
        {"nt351", VER_PLATFORM_WIN32_NT, 3, 51, 1057, "Service Pack 5", 5, 0, 1},
        {"nt40", VER_PLATFORM_WIN32_NT, 4, 0, 1381, "Service Pack 6a", 6, 0, 1},
        {"win2k", VER_PLATFORM_WIN32_NT, 5, 0, 2195, "Service Pack 4", 4, 0, 1},
        {"winxp", VER_PLATFORM_WIN32_NT, 5, 1, 2600, "Service Pack 3", 3, 256, 1},
        {"winxp64", VER_PLATFORM_WIN32_NT, 5, 2, 3790, "Service Pack 2", 2, 256, 1},
        {"win2003", VER_PLATFORM_WIN32_NT, 5, 2, 3790, "Service Pack 2", 2, 256, 3},
        {"vista", VER_PLATFORM_WIN32_NT, 6, 0, 6002, "Service Pack 2", 2, 256, 1},
        {"win2008", VER_PLATFORM_WIN32_NT, 6, 0, 6002, "Service Pack 2", 2, 256, 3},
        {"win7", VER_PLATFORM_WIN32_NT, 6, 1, 7601, "Service Pack 1", 1, 256, 3},
        {"win2008r2", VER_PLATFORM_WIN32_NT, 6, 1, 7601, "Service Pack 1", 1, 256, 1},
        {"win8", VER_PLATFORM_WIN32_NT, 6, 2, 9200, "", 0, 256, 1},
        {"win81", VER_PLATFORM_WIN32_NT, 6, 2, 9200, "", 0, 256, 1},
        {"win10", VER_PLATFORM_WIN32_NT, 6, 2, 9200, "", 0, 256, 1},
        {"win11", VER_PLATFORM_WIN32_NT, 6, 2, 9200, "", 0, 256, 1},
    };
    for (const auto& c : cases) {
        prefix.SetWindowsVersion(c.name);
        OSVERSIONINFOEXA ex{};
        ex.dwOSVersionInfoSize = sizeof ex;
        ASSERT_TRUE(GetVersionExA(reinterpret_cast<LPOSVERSIONINFOA>(&ex))) << c.name;
        EXPECT_EQ(ex.dwPlatformId, c.platform) << c.name;
        EXPECT_EQ(ex.dwMajorVersion, c.major) << c.name;
        EXPECT_EQ(ex.dwMinorVersion, c.minor) << c.name;
        EXPECT_EQ(ex.dwBuildNumber, c.build) << c.name;
        EXPECT_STREQ(ex.szCSDVersion, c.csd) << c.name;
        EXPECT_EQ(ex.wServicePackMajor, c.servicePack) << c.name;
        EXPECT_EQ(ex.wServicePackMinor, 0) << c.name;
        EXPECT_EQ(ex.wSuiteMask, c.suite) << c.name;
        EXPECT_EQ(ex.wProductType, c.product) << c.name;
        const auto plain = Version();
        EXPECT_EQ(plain.dwMajorVersion, c.major) << c.name;
        EXPECT_EQ(plain.dwBuildNumber, c.build) << c.name;
    }
}

// Without a setting Wine reports what the prefix's registry records; wineboot's registry says
// Windows 7 Service Pack 1, a workstation without the suite bits.
TEST(Version, WithoutASettingTheRegistryOfThePrefixCounts) {
    TempPrefix prefix;
    prefix.InstallFixtureRegistry();
    for (const char* setting : {"", "WIN10", "win10 "}) {  // names match exactly, as in Wine
        if (*setting) prefix.SetWindowsVersion(setting);
        OSVERSIONINFOEXA ex{};
        ex.dwOSVersionInfoSize = sizeof ex;
        ASSERT_TRUE(GetVersionExA(reinterpret_cast<LPOSVERSIONINFOA>(&ex)));
        EXPECT_EQ(ex.dwMajorVersion, 6u) << setting;
        EXPECT_EQ(ex.dwMinorVersion, 1u) << setting;
        EXPECT_EQ(ex.dwBuildNumber, 7601u) << setting;
        EXPECT_STREQ(ex.szCSDVersion, "Service Pack 1") << setting;
        EXPECT_EQ(ex.wServicePackMajor, 1) << setting;
        EXPECT_EQ(ex.wSuiteMask, 0) << setting;
        EXPECT_EQ(ex.wProductType, 1) << setting;
    }
}

TEST(Version, FallsBackToCurrentVersionThenWin7) {
    TempPrefix prefix;
    auto v = Version();  // no prefix at all
    EXPECT_EQ(v.dwMajorVersion, 6u);
    EXPECT_EQ(v.dwMinorVersion, 1u);
    EXPECT_FALSE(std::filesystem::exists(prefix.root()));

    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "CurrentVersion", 0, REG_SZ, reinterpret_cast<const BYTE*>("5.2"), 4),
              ERROR_SUCCESS);
    RegCloseKey(key);
    v = Version();
    EXPECT_EQ(v.dwPlatformId, VER_PLATFORM_WIN32_NT);
    EXPECT_EQ(v.dwMajorVersion, 5u);
    EXPECT_EQ(v.dwMinorVersion, 2u);

    prefix.SetWindowsVersion("not-a-version");  // unknown names fall through as well
    EXPECT_EQ(Version().dwMinorVersion, 2u);
}

TEST(Version, WrongStructureSizeFails) {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info - 1;
    EXPECT_FALSE(GetVersionExA(&info));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST(Directories, LengthsFollowWin32Rules) {
    char buf[MAX_PATH];
    EXPECT_EQ(GetWindowsDirectoryA(buf, sizeof buf), 10u);
    EXPECT_STREQ(buf, "C:\\windows");
    EXPECT_EQ(GetSystemDirectoryA(buf, sizeof buf), 19u);
    EXPECT_STREQ(buf, "C:\\windows\\system32");
    EXPECT_EQ(GetSystemWindowsDirectoryA(buf, sizeof buf), 10u);
    // Too small: the size needed including the terminator, nothing written.
    char small[10] = "unchanged";
    EXPECT_EQ(GetWindowsDirectoryA(small, sizeof small), 11u);
    EXPECT_STREQ(small, "unchanged");
}

TEST(ShellFolders, WineValuesThenDefaults) {
    TempPrefix prefix;
    char path[MAX_PATH] = {};
    EXPECT_EQ(SHGetFolderPathA(nullptr, CSIDL_COMMON_DOCUMENTS, nullptr, 0, path), S_OK);
    EXPECT_STREQ(path, "C:\\users\\Public\\Documents");
    EXPECT_EQ(SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, path), S_OK);
    EXPECT_STREQ(path, "C:\\ProgramData");

    prefix.InstallFixtureRegistry();
    LPITEMIDLIST pidl = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_APPDATA, &pidl), S_OK);
    ASSERT_TRUE(SHGetPathFromIDListA(pidl, path));
    CoTaskMemFree(pidl);
    EXPECT_STREQ(path, "C:\\users\\root\\AppData\\Roaming");  // the fixture's profile

    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                            0, KEY_SET_VALUE, &key),
              ERROR_SUCCESS);
    const char docs[] = "D:\\\xA6@\xA5\xCE";  // a code page 950 folder name
    ASSERT_EQ(RegSetValueExA(key, "Common Documents", 0, REG_SZ, reinterpret_cast<const BYTE*>(docs), sizeof docs),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(SHGetFolderPathA(nullptr, CSIDL_COMMON_DOCUMENTS, nullptr, 0, path), S_OK);
    EXPECT_STREQ(path, docs);

    EXPECT_EQ(SHGetSpecialFolderLocation(nullptr, 0x0005, &pidl), E_INVALIDARG);
    EXPECT_EQ(pidl, nullptr);
}

TEST(ModuleFileName, ProgramPathIsOnDriveZ) {
    char name[1024] = {};
    const DWORD n = GetModuleFileNameA(nullptr, name, sizeof name);
    ASSERT_GT(n, 3u);
    EXPECT_EQ(std::string(name, 3), "Z:\\");
    EXPECT_EQ(std::strlen(name), n);
    EXPECT_NE(std::string(name).find("platform_tests"), std::string::npos);
    // A short buffer is filled, terminated, and reported as too small.
    char small[8];
    EXPECT_EQ(GetModuleFileNameA(nullptr, small, sizeof small), 8u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(std::string(small), std::string(name, 7));
}

namespace {
const platform::StringResource kTestStrings[] = {{9001, L"ab"}, {9002, L"\u6a19\u6977\u9ad4"}};
std::vector<BYTE> BuildTestResource() { return {1, 2, 3, 4, 5}; }
const platform::BinaryResource kTestResources[] = {{"TST", 77, &BuildTestResource}};
const bool kRegistered = (platform::RegisterStringTable(kTestStrings, 2),
                          platform::RegisterBinaryResources(kTestResources, 1), true);
}  // namespace

TEST(Resources, StringsConvertToCodePage950AndNeverSplitACharacter) {
    ASSERT_TRUE(kRegistered);
    char buf[16];
    EXPECT_EQ(LoadStringA(nullptr, 9002, buf, sizeof buf), 6);
    EXPECT_STREQ(buf, "\xBC\xD0\xB7\xA2\xC5\xE9");
    // Room for 4 bytes: two whole characters, not two and a half.
    EXPECT_EQ(LoadStringA(nullptr, 9002, buf, 6), 4);
    EXPECT_STREQ(buf, "\xBC\xD0\xB7\xA2");
    EXPECT_EQ(LoadStringA(nullptr, 9003, buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "");
}

TEST(Resources, BinaryResourceByNumberAndTypeName) {
    HMODULE self = platform::GetOwnModuleHandle();
    HRSRC r = FindResourceA(self, MAKEINTRESOURCEA(77), "tst");
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(SizeofResource(self, r), 5u);
    const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(self, r)));
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(bytes[4], 5);
    EXPECT_EQ(FindResourceA(self, "#77", "TST"), r);
    EXPECT_EQ(FindResourceA(self, MAKEINTRESOURCEA(78), "TST"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_EQ(FindResourceA(self, MAKEINTRESOURCEA(77), "DLL"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
}

TEST(MessageBox, ErrorIconGoesToStandardError) {
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    EXPECT_EQ(MessageBoxA(nullptr, "line1\r\nline2", "T\xBC\xD0", MB_ICONERROR), IDOK);
    MessageBoxA(nullptr, "done", "T", MB_OK);
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "T標: line1\nline2\n");
    EXPECT_EQ(out, "T: done\n");
}
