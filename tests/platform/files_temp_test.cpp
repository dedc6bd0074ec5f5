// The temporary folder and temporary file names.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <filesystem>
#include <string>

#include "files/temp_names.h"
#include "platform/fileapi.h"
#include "platform/winreg.h"
#include "support/temp_prefix.h"

namespace fs = std::filesystem;
using testsupport::TempPrefix;
using testsupport::WindowsPath;

namespace {

// The login name the passwd database gives, asked of another program than ours.
std::string LoginName() {
    FILE* p = popen("id -un", "r");
    char buf[256] = {};
    const bool ok = p && fgets(buf, sizeof buf, p);
    if (p) pclose(p);
    std::string name = ok ? buf : "";
    while (!name.empty() && (name.back() == '\n' || name.back() == '\r')) name.pop_back();
    return name;
}

std::string TempPath() {
    char buf[MAX_PATH] = {};
    const DWORD n = GetTempPathA(MAX_PATH, buf);
    EXPECT_EQ(n, std::strlen(buf));
    return buf;
}

// Sets or clears USER for the life of the object.
class UserVariable {
public:
    explicit UserVariable(const char* value) {
        if (const char* old = std::getenv("USER")) old_ = old;
        if (value) setenv("USER", value, 1);
        else unsetenv("USER");
    }
    ~UserVariable() {
        if (old_) setenv("USER", old_->c_str(), 1);
        else unsetenv("USER");
    }

private:
    std::optional<std::string> old_;
};

}  // namespace

// Wine 8.0's order: TMP, then TEMP of the environment the registry gives (HKEY_CURRENT_USER over
// HKEY_LOCAL_MACHINE, REG_EXPAND_SZ expanded), then USERPROFILE, then the Windows folder.
TEST(FilesTempTest, TempPathFollowsWinesOrder) {
    TempPrefix prefix;
    {
        // No registry: the profile folder, named as Wine names it ($USER, else the login name).
        UserVariable user("eudc-tester");
        EXPECT_EQ(TempPath(), "C:\\users\\eudc-tester\\");
    }
    {
        UserVariable user(nullptr);
        EXPECT_EQ(TempPath(), "C:\\users\\" + LoginName() + "\\");
    }
    EXPECT_FALSE(fs::exists(prefix.root()));

    prefix.InstallFixtureRegistry();  // as wineboot leaves it: TEMP and TMP are C:\users\root\Temp
    EXPECT_EQ(TempPath(), "C:\\users\\root\\Temp\\");
    char small[4] = {'q', 'q', 'q', 'q'};
    EXPECT_EQ(GetTempPathA(sizeof small, small), 20u);  // the size needed, terminator included
    EXPECT_EQ(small[0], 'q');
    WCHAR wide[MAX_PATH] = {};
    EXPECT_EQ(GetTempPathW(MAX_PATH, wide), 19u);
    EXPECT_EQ(std::wstring(wide), L"C:\\users\\root\\Temp\\");

    HKEY env = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Environment", 0, KEY_ALL_ACCESS, &env), ERROR_SUCCESS);
    const char expand[] = "%USERPROFILE%\\Local Temp";
    ASSERT_EQ(RegSetValueExA(env, "TMP", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(expand), sizeof expand),
              ERROR_SUCCESS);
    {
        UserVariable user("eudc-tester");
        EXPECT_EQ(TempPath(), "C:\\users\\eudc-tester\\Local Temp\\");
    }
    // Without the user's values, the machine's: %SystemRoot%\temp.
    ASSERT_EQ(RegDeleteValueA(env, "TMP"), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteValueA(env, "TEMP"), ERROR_SUCCESS);
    RegCloseKey(env);
    EXPECT_EQ(TempPath(), "C:\\windows\\temp\\");
}

TEST(FilesTempTest, GivenNumberOnlyFormsTheName) {
    TempPrefix prefix;
    char name[MAX_PATH];
    const std::string dir = WindowsPath(prefix.scratch());
    // Wine 8.0: small hex digits without padding and ".tmp".
    EXPECT_EQ(GetTempFileNameA(dir.c_str(), "TQT", 0x1A, name), 0x1Au);
    EXPECT_EQ(std::string(name), dir + "\\TQT1a.tmp");
    EXPECT_FALSE(fs::exists(prefix.scratch() / "TQT1a.tmp"));
    // A trailing backslash is not doubled, the prefix is cut to three characters and only the
    // low 16 bits of the number are used, also in the result.
    EXPECT_EQ(GetTempFileNameA((dir + "\\").c_str(), "ABCDEF", 0x12345, name), 0x2345u);
    EXPECT_EQ(std::string(name), dir + "\\ABC2345.tmp");
    EXPECT_EQ(GetTempFileNameA(dir.c_str(), nullptr, 0xBEEF, name), 0xBEEFu);
    EXPECT_EQ(std::string(name), dir + "\\beef.tmp");
    // Low 16 bits of zero: a number is made up and the file created.
    const UINT made = GetTempFileNameA(dir.c_str(), "TQT", 0x10000, name);
    EXPECT_NE(made, 0u);
    EXPECT_NE(made, 0x10000u);
    EXPECT_TRUE(fs::is_regular_file(prefix.scratch() / std::string(name).substr(dir.size() + 1)));
}

TEST(FilesTempTest, NumberZeroCreatesAFreshEmptyFile) {
    TempPrefix prefix;
    const std::string dir = WindowsPath(prefix.scratch());
    char first[MAX_PATH];
    char second[MAX_PATH];
    const UINT a = GetTempFileNameA(dir.c_str(), "TQT", 0, first);
    const UINT b = GetTempFileNameA(dir.c_str(), "TQT", 0, second);
    ASSERT_GT(a, 0u);
    ASSERT_GT(b, 0u);
    EXPECT_NE(a, b);
    // "<dir>\TQT<1 to 4 small hex digits>.tmp"
    const std::string sa = first;
    ASSERT_EQ(sa.rfind(dir + "\\TQT", 0), 0u) << sa;
    ASSERT_TRUE(sa.ends_with(".tmp")) << sa;
    const std::string digits = sa.substr(dir.size() + 4, sa.size() - dir.size() - 8);
    ASSERT_GE(digits.size(), 1u);
    ASSERT_LE(digits.size(), 4u);
    EXPECT_EQ(digits.find_first_not_of("0123456789abcdef"), std::string::npos) << sa;
    EXPECT_EQ(std::stoul(digits, nullptr, 16), a);
    const fs::path host = prefix.scratch() / sa.substr(dir.size() + 1);
    EXPECT_TRUE(fs::is_regular_file(host));
    EXPECT_EQ(fs::file_size(host), 0u);
    EXPECT_TRUE(fs::is_regular_file(prefix.scratch() / std::string(second).substr(dir.size() + 1)));
}

TEST(FilesTempTest, NumberZeroSkipsNamesThatAreTaken) {
    TempPrefix prefix;
    const std::string dir = WindowsPath(prefix.scratch());
    char name[MAX_PATH];
    testsupport::WriteFileBytes(prefix.scratch() / "Q4241.tmp", "taken");
    fs::create_directory(prefix.scratch() / "Q4242.tmp");
    platform::files::SetNextTempNumberForTesting(0x4241);
    EXPECT_EQ(GetTempFileNameA(dir.c_str(), "Q", 0, name), 0x4243u);
    EXPECT_EQ(std::string(name), dir + "\\Q4243.tmp");
    EXPECT_EQ(testsupport::ReadFileBytes(prefix.scratch() / "Q4241.tmp"), "taken");
    // The search wraps from 0xFFFF to 1; 0 is never used.
    testsupport::WriteFileBytes(prefix.scratch() / "Qffff.tmp", "");
    platform::files::SetNextTempNumberForTesting(0xFFFF);
    EXPECT_EQ(GetTempFileNameA(dir.c_str(), "Q", 0, name), 1u);
    EXPECT_EQ(std::string(name), dir + "\\Q1.tmp");
}

TEST(FilesTempTest, NumberZeroInAMissingFolderFails) {
    TempPrefix prefix;
    char name[MAX_PATH];
    EXPECT_EQ(GetTempFileNameA(WindowsPath(prefix.scratch() / "none").c_str(), "TQT", 0, name), 0u);
    EXPECT_EQ(GetLastError(), 267u);  // ERROR_DIRECTORY, as Wine 8.0 answers
    EXPECT_FALSE(fs::exists(prefix.scratch() / "none"));
    EXPECT_EQ(GetTempFileNameA(nullptr, "TQT", 0, name), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(FilesTempTest, MissingTempFolderIsCreatedWithTheFirstTemporaryFile) {
    TempPrefix prefix;
    prefix.InstallFixtureRegistry();  // TEMP is C:\users\root\Temp, which does not exist yet
    const std::string dir = TempPath();
    char name[MAX_PATH];
    ASSERT_GT(GetTempFileNameA(dir.c_str(), "TQT", 0, name), 0u);
    const fs::path temp = prefix.root() / "drive_c" / "users" / "root" / "Temp";
    EXPECT_TRUE(fs::is_regular_file(temp / std::string(name).substr(dir.size())));
}
