// Whole-file operations: delete, copy, move, attributes and folders.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "platform/fileapi.h"
#include "support/temp_prefix.h"

namespace fs = std::filesystem;
using testsupport::ReadFileBytes;
using testsupport::TempPrefix;
using testsupport::WindowsPath;
using testsupport::WriteFileBytes;

namespace {

constexpr DWORD kErrorDirectory = 267;  // ERROR_DIRECTORY

}  // namespace

TEST(FilesOpsTest, DeleteFileRemovesFilesOnly) {
    TempPrefix prefix;
    const fs::path host = prefix.scratch() / "x.bin";
    WriteFileBytes(host, "data");
    EXPECT_TRUE(DeleteFileA(WindowsPath(host).c_str()));
    EXPECT_FALSE(fs::exists(host));
    EXPECT_FALSE(DeleteFileA(WindowsPath(host).c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(DeleteFileA(WindowsPath(prefix.scratch() / "no" / "x.bin").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    fs::create_directory(prefix.scratch() / "dir");
    EXPECT_FALSE(DeleteFileA(WindowsPath(prefix.scratch() / "dir").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(fs::is_directory(prefix.scratch() / "dir"));
}

TEST(FilesOpsTest, CopyFileCopiesContentAndHonoursFailIfExists) {
    TempPrefix prefix;
    const fs::path from = prefix.scratch() / "from.bin";
    const fs::path to = prefix.scratch() / "to.bin";
    std::string content(200000, '\0');
    for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7 + 3);
    WriteFileBytes(from, content);
    ASSERT_TRUE(CopyFileA(WindowsPath(from).c_str(), WindowsPath(to).c_str(), TRUE));
    EXPECT_EQ(ReadFileBytes(to), content);

    WriteFileBytes(to, "other");
    EXPECT_FALSE(CopyFileA(WindowsPath(from).c_str(), WindowsPath(to).c_str(), TRUE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_EQ(ReadFileBytes(to), "other");
    ASSERT_TRUE(CopyFileA(WindowsPath(from).c_str(), WindowsPath(to).c_str(), FALSE));
    EXPECT_EQ(ReadFileBytes(to), content);

    EXPECT_FALSE(CopyFileA(WindowsPath(prefix.scratch() / "none").c_str(), WindowsPath(to).c_str(), FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(ReadFileBytes(to), content);
}

TEST(FilesOpsTest, CopyFileOntoItselfKeepsTheFile) {
    TempPrefix prefix;
    const fs::path host = prefix.scratch() / "same.bin";
    WriteFileBytes(host, "content");
    EXPECT_FALSE(CopyFileA(WindowsPath(host).c_str(), WindowsPath(host).c_str(), FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(ReadFileBytes(host), "content");
}

TEST(FilesOpsTest, CopyFileKeepsTheReadOnlyAttribute) {
    TempPrefix prefix;
    const fs::path from = prefix.scratch() / "from.bin";
    WriteFileBytes(from, "ro");
    ASSERT_TRUE(SetFileAttributesA(WindowsPath(from).c_str(), FILE_ATTRIBUTE_READONLY));
    const std::string to = WindowsPath(prefix.scratch() / "to.bin");
    ASSERT_TRUE(CopyFileA(WindowsPath(from).c_str(), to.c_str(), TRUE));
    EXPECT_NE(GetFileAttributesA(to.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(ReadFileBytes(prefix.scratch() / "to.bin"), "ro");
}

TEST(FilesOpsTest, MoveFileRenamesAndReplacesOnlyWhenAsked) {
    TempPrefix prefix;
    const fs::path a = prefix.scratch() / "a.bin";
    const fs::path b = prefix.scratch() / "b.bin";
    WriteFileBytes(a, "A");
    ASSERT_TRUE(MoveFileExA(WindowsPath(a).c_str(), WindowsPath(b).c_str(), 0));
    EXPECT_FALSE(fs::exists(a));
    EXPECT_EQ(ReadFileBytes(b), "A");

    WriteFileBytes(a, "new");
    EXPECT_FALSE(MoveFileExA(WindowsPath(a).c_str(), WindowsPath(b).c_str(), 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(ReadFileBytes(b), "A");
    ASSERT_TRUE(MoveFileExA(WindowsPath(a).c_str(), WindowsPath(b).c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(ReadFileBytes(b), "new");
    EXPECT_FALSE(fs::exists(a));

    EXPECT_FALSE(MoveFileExA(WindowsPath(a).c_str(), WindowsPath(b).c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(MoveFileExA(WindowsPath(b).c_str(), WindowsPath(prefix.scratch() / "no" / "c.bin").c_str(), 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(ReadFileBytes(b), "new");
}

TEST(FilesOpsTest, MoveFileDoesNotReplaceReadOnlyOrOpenTargets) {
    TempPrefix prefix;
    const fs::path a = prefix.scratch() / "a.bin";
    const fs::path b = prefix.scratch() / "b.bin";
    WriteFileBytes(a, "A");
    WriteFileBytes(b, "B");
    ASSERT_TRUE(SetFileAttributesA(WindowsPath(b).c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(MoveFileExA(WindowsPath(a).c_str(), WindowsPath(b).c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    ASSERT_TRUE(SetFileAttributesA(WindowsPath(b).c_str(), FILE_ATTRIBUTE_NORMAL));

    HANDLE h = CreateFileA(WindowsPath(b).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(MoveFileExA(WindowsPath(a).c_str(), WindowsPath(b).c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    CloseHandle(h);
    EXPECT_EQ(ReadFileBytes(a), "A");
    EXPECT_EQ(ReadFileBytes(b), "B");
}

TEST(FilesOpsTest, MoveFileChangesTheCaseOfAName) {
    TempPrefix prefix;
    WriteFileBytes(prefix.scratch() / "font.tte", "glyphs");
    ASSERT_TRUE(MoveFileExA(WindowsPath(prefix.scratch() / "font.tte").c_str(),
                            WindowsPath(prefix.scratch() / "FONT.TTE").c_str(), 0));
    EXPECT_EQ(ReadFileBytes(prefix.scratch() / "FONT.TTE"), "glyphs");
    EXPECT_FALSE(fs::exists(prefix.scratch() / "font.tte"));
}

TEST(FilesOpsTest, MoveAtRestartIsRefusedForNow) {
    TempPrefix prefix;
    const fs::path a = prefix.scratch() / "a.bin";
    WriteFileBytes(a, "A");
    EXPECT_FALSE(MoveFileExA(WindowsPath(a).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    EXPECT_TRUE(fs::exists(a));
}

TEST(FilesOpsTest, AttributesTellFoldersFromFiles) {
    TempPrefix prefix;
    WriteFileBytes(prefix.scratch() / "f.bin", "x");
    EXPECT_EQ(GetFileAttributesA(WindowsPath(prefix.scratch()).c_str()), FILE_ATTRIBUTE_DIRECTORY);
    const DWORD file = GetFileAttributesA(WindowsPath(prefix.scratch() / "f.bin").c_str());
    EXPECT_NE(file, INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(file & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY), 0u);
    EXPECT_EQ(GetFileAttributesA(WindowsPath(prefix.scratch() / "none").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(GetFileAttributesA(WindowsPath(prefix.scratch() / "no" / "none").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST(FilesOpsTest, CreateAndRemoveDirectories) {
    TempPrefix prefix;
    const std::string dir = WindowsPath(prefix.scratch() / "d");
    ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
    EXPECT_TRUE(fs::is_directory(prefix.scratch() / "d"));
    EXPECT_FALSE(CreateDirectoryA(dir.c_str(), nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_FALSE(CreateDirectoryA(WindowsPath(prefix.scratch() / "x" / "y").c_str(), nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

    WriteFileBytes(prefix.scratch() / "d" / "f", "x");
    EXPECT_FALSE(RemoveDirectoryA(dir.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIR_NOT_EMPTY));
    EXPECT_FALSE(RemoveDirectoryA(WindowsPath(prefix.scratch() / "d" / "f").c_str()));
    EXPECT_EQ(GetLastError(), kErrorDirectory);
    ASSERT_TRUE(DeleteFileA(WindowsPath(prefix.scratch() / "d" / "f").c_str()));
    EXPECT_TRUE(RemoveDirectoryA(dir.c_str()));
    EXPECT_FALSE(fs::exists(prefix.scratch() / "d"));
    EXPECT_FALSE(RemoveDirectoryA(dir.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(FilesOpsTest, CreatingAFolderInThePrefixCreatesThePrefix) {
    TempPrefix prefix;
    ASSERT_TRUE(CreateDirectoryA("C:\\TQFont", nullptr));
    EXPECT_TRUE(fs::is_directory(prefix.root() / "drive_c" / "TQFont"));
    EXPECT_TRUE(fs::is_directory(prefix.root() / "drive_c" / "windows" / "Fonts"));
}
