// GetNewTteData: the template for the running Windows version.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "common/own_resource.h"
#include "common/process_version.h"
#include "eudccore/tte_install.h"
#include "platform/winreg.h"
#include "resources/tte_templates.h"
#include "support/temp_prefix.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ResourceBytes(UINT id) {
    eudc::EnsureTemplateResources();
    Bytes bytes(eudc::LoadOwnResource(id, nullptr, 0, "TTE"));
    if (!bytes.empty()) eudc::LoadOwnResource(id, bytes.data(), 0, "TTE");
    return bytes;
}

// A throw-away prefix whose Windows version the library takes up; the code is computed again
// from the surroundings once the prefix is gone, so later tests see what they would have seen.
class VersionPrefix {
public:
    ~VersionPrefix() {
        prefix_.reset();
        eudc::RefreshWindowsVersionCode();
    }
    void Use(const std::string& wineVersion) {
        prefix_->SetWindowsVersion(wineVersion);
        eudc::RefreshWindowsVersionCode();
    }
    // An NT version that Wine has no name for, through the CurrentVersion value alone.
    void UseNtVersion(const char* majorDotMinor) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion", 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(key, "CurrentVersion", 0, REG_SZ, reinterpret_cast<const BYTE*>(majorDotMinor),
                                 static_cast<DWORD>(std::string(majorDotMinor).size() + 1)),
                  ERROR_SUCCESS);
        RegCloseKey(key);
        eudc::RefreshWindowsVersionCode();
    }

private:
    std::unique_ptr<testsupport::TempPrefix> prefix_ = std::make_unique<testsupport::TempPrefix>();
};

}  // namespace

TEST(NewTteData, SizeWithoutBuffer) {
    VersionPrefix prefix;
    prefix.Use("winxp");
    ASSERT_EQ(eudc::WindowsVersionCode(), 14);
    EXPECT_EQ(GetNewTteData(nullptr), 77600);
    prefix.Use("nt40");
    ASSERT_EQ(eudc::WindowsVersionCode(), 12);
    EXPECT_EQ(GetNewTteData(nullptr), 75404);
}

TEST(NewTteData, NoTemplateForVersionCodeZero) {
    VersionPrefix prefix;
    prefix.UseNtVersion("5.3");
    ASSERT_EQ(eudc::WindowsVersionCode(), 0);
    EXPECT_EQ(GetNewTteData(nullptr), 0);
    std::vector<unsigned char> buffer(16, 0xAB);
    EXPECT_EQ(GetNewTteData(buffer.data()), 0);
    EXPECT_EQ(buffer, std::vector<unsigned char>(16, 0xAB));
}

TEST(NewTteData, EachVersionGetsItsTemplate) {
    VersionPrefix prefix;
    const std::pair<const char*, UINT> cases[] = {
        {"win95", 2039}, {"nt351", 2039}, {"nt40", 2039},  {"win98", 2040}, {"winme", 2040}, {"win2k", 2038},
        {"winxp", 2038}, {"win2003", 2038}, {"vista", 2038}, {"win7", 2038}, {"win10", 2038}, {"win11", 2038},
    };
    for (const auto& [name, id] : cases) {
        SCOPED_TRACE(name);
        prefix.Use(name);
        const Bytes expected = ResourceBytes(id);
        ASSERT_FALSE(expected.empty());
        const int size = GetNewTteData(nullptr);
        ASSERT_EQ(size, static_cast<int>(expected.size()));
        // 2039 and 2040 have the same size: only the bytes tell which one was chosen.
        Bytes copy(static_cast<size_t>(size));
        EXPECT_EQ(GetNewTteData(copy.data()), size);
        EXPECT_TRUE(copy == expected);
    }
}

TEST(NewTteData, CopiesExactlyTheTemplate) {
    VersionPrefix prefix;
    prefix.Use("win7");
    const Bytes expected = ResourceBytes(2038);
    ASSERT_EQ(expected.size(), 77600u);
    // The bytes behind the template must stay untouched.
    std::vector<unsigned char> buffer(expected.size() + 64, 0xCD);
    ASSERT_EQ(GetNewTteData(buffer.data()), 77600);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), buffer.begin()));
    for (size_t i = expected.size(); i < buffer.size(); ++i) EXPECT_EQ(buffer[i], 0xCD) << i;
}
