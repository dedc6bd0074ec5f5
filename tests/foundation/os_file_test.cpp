// OS_File over the platform's file handles.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "foundation/os_file.h"
#include "support/temp_prefix.h"

namespace fs = std::filesystem;
using testsupport::ReadFileBytes;
using testsupport::TempPrefix;
using testsupport::WindowsPath;
using testsupport::WriteFileBytes;

namespace {

}  // namespace

TEST(OsFileTest, InvalidModeFailsWithoutTouchingTheDisk) {
    TempPrefix prefix;
    const std::string name = WindowsPath(prefix.scratch() / "x.bin");
    OS_File f;
    EXPECT_FALSE(f.Open(name.c_str(), 0x9003));  // access 3, create
    EXPECT_FALSE(f.IsOpen());
    EXPECT_FALSE(f.Open(name.c_str(), 0x9052));  // sharing 0x50, create
    EXPECT_FALSE(f.IsOpen());
    EXPECT_FALSE(f.Open(L"Z:\\tmp\\never.bin", 0x9073));
    EXPECT_FALSE(fs::exists(prefix.scratch() / "x.bin"));
    EXPECT_EQ(f.GetFileName(), nullptr);
}

TEST(OsFileTest, CreateModeTruncatesAndOpenModeNeedsTheFile) {
    TempPrefix prefix;
    const fs::path host = prefix.scratch() / "x.bin";
    OS_File f;
    EXPECT_FALSE(f.Open(WindowsPath(host).c_str(), 0x8000));
    EXPECT_FALSE(f.IsOpen());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    WriteFileBytes(host, "old content");
    ASSERT_TRUE(f.Open(WindowsPath(host).c_str(), 0x9001));
    EXPECT_EQ(f.GetLength(), 0u);
    EXPECT_EQ(f.Write("new", 3), 3u);
    EXPECT_TRUE(f.Close());
    EXPECT_EQ(ReadFileBytes(host), "new");
}

TEST(OsFileTest, GetLengthKeepsThePosition) {
    TempPrefix prefix;
    const fs::path host = prefix.scratch() / "x.bin";
    WriteFileBytes(host, "0123456789");
    OS_File f;
    ASSERT_TRUE(f.Open(WindowsPath(host).c_str(), 0x8020));
    EXPECT_EQ(f.Seek(4, HBaseFile::kBegin), 4u);
    EXPECT_EQ(f.GetLength(), 10u);
    EXPECT_EQ(f.GetPosition(), 4u);
    char buf[3];
    ASSERT_EQ(f.Read(buf, 3), 3u);
    EXPECT_EQ(std::string(buf, 3), "456");
}

TEST(OsFileTest, ReadWithoutBufferOrCountMakesNoSystemCall) {
    TempPrefix prefix;
    const fs::path host = prefix.scratch() / "x.bin";
    WriteFileBytes(host, "data");
    OS_File f;
    // Write-only: a read that reached the system would fail and set the last error.
    ASSERT_TRUE(f.Open(WindowsPath(host).c_str(), 0x8041));
    char buf[4];
    SetLastError(4242);
    EXPECT_EQ(f.Read(nullptr, 4), 0u);
    EXPECT_EQ(f.Read(buf, 0), 0u);
    EXPECT_EQ(GetLastError(), 4242u);
    EXPECT_EQ(f.Read(buf, 4), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST(OsFileTest, ClosedFileAnswersZero) {
    OS_File f;
    char buf[4] = {};
    EXPECT_FALSE(f.IsOpen());
    EXPECT_EQ(f.GetPosition(), 0u);
    EXPECT_EQ(f.GetLength(), 0u);
    EXPECT_EQ(f.Read(buf, 4), 0u);
    EXPECT_EQ(f.Write(buf, 4), 0u);
    EXPECT_FALSE(f.SetLength(10));
    EXPECT_EQ(f.Seek(0, HBaseFile::kBegin), 0xFFFFFFFFu);
    EXPECT_FALSE(f.Close());
    EXPECT_FALSE(f.IsTemporary());
}

TEST(OsFileTest, NamesFollowTheFormOfTheLastOpen) {
    TempPrefix prefix;
    const std::string narrow = WindowsPath(prefix.scratch() / "n.bin");
    const std::wstring wide = L"Z:" + std::wstring(prefix.scratch().wstring()) + L"\\\x6E2C.bin";
    std::wstring wideName = wide;
    std::replace(wideName.begin(), wideName.end(), L'/', L'\\');
    OS_File f;
    ASSERT_TRUE(f.Open(narrow.c_str(), 0x9012));
    ASSERT_NE(f.GetFileName(), nullptr);
    EXPECT_EQ(std::string(f.GetFileName()), narrow);
    EXPECT_EQ(f.GetFileNameW(), nullptr);
    ASSERT_TRUE(f.Open(wideName.c_str(), 0x9012));
    EXPECT_EQ(f.GetFileName(), nullptr);
    ASSERT_NE(f.GetFileNameW(), nullptr);
    EXPECT_EQ(std::wstring(f.GetFileNameW()), wideName);
    EXPECT_TRUE(fs::exists(prefix.scratch() / "\xE6\xB8\xAC.bin"));
    EXPECT_TRUE(f.Close());
    EXPECT_EQ(f.GetFileNameW(), nullptr);
    EXPECT_FALSE(f.Close());
}

TEST(OsFileTest, OpenClosesTheFileThatWasOpen) {
    TempPrefix prefix;
    const std::string name = WindowsPath(prefix.scratch() / "x.bin");
    OS_File f;
    ASSERT_TRUE(f.Open(name.c_str(), 0x9012));  // exclusive
    // Reopening the same file exclusively works only if the first handle went away.
    ASSERT_TRUE(f.Open(name.c_str(), 0x8012));
    OS_File other;
    EXPECT_FALSE(other.Open(name.c_str(), 0x8040));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    // A failed open leaves the object closed.
    EXPECT_FALSE(f.Open(WindowsPath(prefix.scratch() / "none").c_str(), 0x8000));
    EXPECT_FALSE(f.IsOpen());
    EXPECT_TRUE(other.Open(name.c_str(), 0x8040));
}

TEST(OsFileTest, SetLengthLeavesThePositionAtTheNewEnd) {
    TempPrefix prefix;
    const fs::path host = prefix.scratch() / "x.bin";
    OS_File f;
    ASSERT_TRUE(f.Open(WindowsPath(host).c_str(), 0x9012));
    ASSERT_EQ(f.Write("0123456789", 10), 10u);
    EXPECT_TRUE(f.SetLength(4));
    EXPECT_EQ(f.GetPosition(), 4u);
    EXPECT_EQ(f.GetLength(), 4u);
    EXPECT_TRUE(f.SetLength(6));
    EXPECT_EQ(f.GetPosition(), 6u);
    f.Close();
    EXPECT_EQ(ReadFileBytes(host), std::string("0123\0\0", 6));
}

TEST(OsFileTest, SeekPassesTheFailureValueThrough) {
    TempPrefix prefix;
    OS_File f;
    ASSERT_TRUE(f.Open(WindowsPath(prefix.scratch() / "x.bin").c_str(), 0x9012));
    ASSERT_EQ(f.Write("abc", 3), 3u);
    EXPECT_EQ(f.Seek(-1, HBaseFile::kEnd), 2u);
    EXPECT_EQ(f.Seek(-5, HBaseFile::kCurrent), 0xFFFFFFFFu);
    EXPECT_EQ(f.GetPosition(), 2u);
    EXPECT_EQ(f.SeekToEnd(), 3u);
    EXPECT_EQ(f.SeekToBegin(), 0u);
    EXPECT_EQ(f.SeekFromBegin(1), 1u);
}
