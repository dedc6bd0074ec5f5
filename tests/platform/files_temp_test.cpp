// The temporary folder and temporary file names.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "files/temp_names.h"
#include "platform/fileapi.h"
#include "support/temp_prefix.h"

namespace fs = std::filesystem;
using testsupport::TempPrefix;
using testsupport::WindowsPath;

namespace {

std::string User() {
    const char* u = std::getenv("USER");
    return u && *u ? u : "user";
}

}  // namespace

TEST(FilesTempTest, TempPathIsTheUsersLocalTempInThePrefix) {
    TempPrefix prefix;
    const std::string expected = "C:\\users\\" + User() + "\\AppData\\Local\\Temp\\";
    char buf[MAX_PATH];
    const DWORD n = GetTempPathA(MAX_PATH, buf);
    EXPECT_EQ(std::string(buf), expected);
    EXPECT_EQ(n, expected.size());
    // Too small: the size needed, terminator included, and nothing written.
    char small[4] = {'q', 'q', 'q', 'q'};
    EXPECT_EQ(GetTempPathA(sizeof small, small), expected.size() + 1);
    EXPECT_EQ(small[0], 'q');
    EXPECT_EQ(GetTempPathA(static_cast<DWORD>(expected.size()), buf), expected.size() + 1);
    EXPECT_FALSE(fs::exists(prefix.root()));
}

TEST(FilesTempTest, GivenNumberOnlyFormsTheName) {
    TempPrefix prefix;
    char name[MAX_PATH];
    const std::string dir = WindowsPath(prefix.scratch());
    EXPECT_EQ(GetTempFileNameA(dir.c_str(), "TQT", 0x1A, name), 0x1Au);
    EXPECT_EQ(std::string(name), dir + "\\TQT1A.TMP");
    EXPECT_FALSE(fs::exists(prefix.scratch() / "TQT1A.TMP"));
    // A trailing backslash is not doubled, the prefix is cut to three characters and only the
    // low 16 bits of the number are used.
    EXPECT_EQ(GetTempFileNameA((dir + "\\").c_str(), "ABCDEF", 0x12345, name), 0x12345u);
    EXPECT_EQ(std::string(name), dir + "\\ABC2345.TMP");
    EXPECT_EQ(GetTempFileNameA(dir.c_str(), nullptr, 0xBEEF, name), 0xBEEFu);
    EXPECT_EQ(std::string(name), dir + "\\BEEF.TMP");
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
    // "<dir>\TQT<1 to 4 upper-case hex digits>.TMP"
    const std::string sa = first;
    ASSERT_EQ(sa.rfind(dir + "\\TQT", 0), 0u) << sa;
    ASSERT_TRUE(sa.ends_with(".TMP")) << sa;
    const std::string digits = sa.substr(dir.size() + 4, sa.size() - dir.size() - 8);
    ASSERT_GE(digits.size(), 1u);
    ASSERT_LE(digits.size(), 4u);
    EXPECT_EQ(digits.find_first_not_of("0123456789ABCDEF"), std::string::npos) << sa;
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
    testsupport::WriteFileBytes(prefix.scratch() / "Q4241.TMP", "taken");
    fs::create_directory(prefix.scratch() / "Q4242.TMP");
    platform::files::SetNextTempNumberForTesting(0x4241);
    EXPECT_EQ(GetTempFileNameA(dir.c_str(), "Q", 0, name), 0x4243u);
    EXPECT_EQ(std::string(name), dir + "\\Q4243.TMP");
    EXPECT_EQ(testsupport::ReadFileBytes(prefix.scratch() / "Q4241.TMP"), "taken");
    // The search wraps from 0xFFFF to 1; 0 is never used.
    testsupport::WriteFileBytes(prefix.scratch() / "QFFFF.TMP", "");
    platform::files::SetNextTempNumberForTesting(0xFFFF);
    EXPECT_EQ(GetTempFileNameA(dir.c_str(), "Q", 0, name), 1u);
    EXPECT_EQ(std::string(name), dir + "\\Q1.TMP");
}

TEST(FilesTempTest, NumberZeroInAMissingFolderFails) {
    TempPrefix prefix;
    char name[MAX_PATH];
    EXPECT_EQ(GetTempFileNameA(WindowsPath(prefix.scratch() / "none").c_str(), "TQT", 0, name), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(GetTempFileNameA(nullptr, "TQT", 0, name), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(FilesTempTest, TempFileInTheTempFolderCreatesThePrefix) {
    TempPrefix prefix;
    char dir[MAX_PATH];
    ASSERT_GT(GetTempPathA(MAX_PATH, dir), 0u);
    char name[MAX_PATH];
    ASSERT_GT(GetTempFileNameA(dir, "TQT", 0, name), 0u);
    const fs::path temp = prefix.root() / "drive_c" / "users" / User() / "AppData" / "Local" / "Temp";
    EXPECT_TRUE(fs::is_regular_file(temp / std::string(name).substr(std::string(dir).size())));
}
