#include <gtest/gtest.h>

#include "common/version_code.h"
#include "platform/sysinfo.h"
#include "support/temp_prefix.h"

using eudc::ClassifyWindowsVersion;

TEST(VersionCode, NineXFamily) {
    const DWORD w = VER_PLATFORM_WIN32_WINDOWS;
    EXPECT_EQ(ClassifyWindowsVersion(w, 4, 0), 1);
    EXPECT_EQ(ClassifyWindowsVersion(w, 4, 1), 2);
    EXPECT_EQ(ClassifyWindowsVersion(w, 4, 10), 2);
    EXPECT_EQ(ClassifyWindowsVersion(w, 4, 89), 2);
    EXPECT_EQ(ClassifyWindowsVersion(w, 4, 90), 3);
    EXPECT_EQ(ClassifyWindowsVersion(w, 5, 0), 3);
    EXPECT_EQ(ClassifyWindowsVersion(w, 3, 95), 1);
}

TEST(VersionCode, NtFamily) {
    const DWORD nt = VER_PLATFORM_WIN32_NT;
    EXPECT_EQ(ClassifyWindowsVersion(nt, 2, 0), 0);
    EXPECT_EQ(ClassifyWindowsVersion(nt, 3, 51), 11);
    EXPECT_EQ(ClassifyWindowsVersion(nt, 4, 0), 12);
    EXPECT_EQ(ClassifyWindowsVersion(nt, 5, 0), 13);
    EXPECT_EQ(ClassifyWindowsVersion(nt, 5, 1), 14);
    EXPECT_EQ(ClassifyWindowsVersion(nt, 5, 2), 15);
    EXPECT_EQ(ClassifyWindowsVersion(nt, 5, 3), 0);
    EXPECT_EQ(ClassifyWindowsVersion(nt, 6, 0), 16);
    EXPECT_EQ(ClassifyWindowsVersion(nt, 6, 3), 16);
    EXPECT_EQ(ClassifyWindowsVersion(nt, 10, 0), 21);
    EXPECT_EQ(ClassifyWindowsVersion(VER_PLATFORM_WIN32s, 6, 0), 0);
    EXPECT_EQ(ClassifyWindowsVersion(7, 6, 0), 0);
}

TEST(VersionCode, ComputedFromThePrefixSetting) {
    testsupport::TempPrefix prefix;
    const std::pair<const char*, int> cases[] = {{"win95", 1}, {"win98", 2},  {"winme", 3},  {"nt351", 11},
                                                 {"nt40", 12}, {"win2k", 13}, {"winxp", 14}, {"winxp64", 15},
                                                 {"vista", 16}, {"win7", 16}, {"win8", 16},  {"win10", 16},
                                                 {"win11", 16}};
    for (const auto& [name, code] : cases) {
        prefix.SetWindowsVersion(name);
        EXPECT_EQ(eudc::ComputeWindowsVersionCode(), code) << name;
    }
}
