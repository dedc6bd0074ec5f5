// File handles: creation dispositions, reading and writing, the file pointer, access rights,
// handle validation, path mapping and when the prefix gets created.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <thread>
#include <unistd.h>

#include "platform/fileapi.h"
#include "support/temp_prefix.h"

namespace fs = std::filesystem;
using testsupport::ReadFileBytes;
using testsupport::TempPrefix;
using testsupport::WindowsPath;
using testsupport::WriteFileBytes;

namespace {

HANDLE Open(const std::string& name, DWORD access, DWORD share, DWORD disposition) {
    return CreateFileA(name.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::string ReadAll(HANDLE h, DWORD max = 4096) {
    std::string buf(max, '\0');
    DWORD got = 0;
    EXPECT_TRUE(ReadFile(h, buf.data(), max, &got, nullptr));
    buf.resize(got);
    return buf;
}

bool WriteAll(HANDLE h, const std::string& s) {
    DWORD put = 0;
    return WriteFile(h, s.data(), static_cast<DWORD>(s.size()), &put, nullptr) && put == s.size();
}

// The descriptor of this process that is open on path, or -1.
int FindDescriptor(const fs::path& path) {
    std::error_code ec;
    const fs::path want = fs::canonical(path, ec);
    for (const auto& entry : fs::directory_iterator("/proc/self/fd", ec)) {
        std::error_code linkEc;
        if (fs::read_symlink(entry.path(), linkEc) == want) return std::stoi(entry.path().filename().string());
    }
    return -1;
}

}  // namespace

TEST(FilesTest, CreateNewWritesAndReadsBack) {
    TempPrefix prefix;
    HANDLE h = Open("C:\\data.bin", GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    ASSERT_TRUE(WriteAll(h, "hello world"));
    DWORD high = 7;
    EXPECT_EQ(GetFileSize(h, &high), 11u);
    EXPECT_EQ(high, 0u);
    EXPECT_EQ(SetFilePointer(h, 6, nullptr, FILE_BEGIN), 6u);
    EXPECT_EQ(ReadAll(h), "world");
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_EQ(ReadFileBytes(prefix.root() / "drive_c" / "data.bin"), "hello world");
}

TEST(FilesTest, CreateNewOnExistingFileFailsWithFileExists) {
    TempPrefix prefix;
    const fs::path host = prefix.scratch() / "x.bin";
    WriteFileBytes(host, "keep");
    EXPECT_EQ(Open(WindowsPath(host), GENERIC_WRITE, 0, CREATE_NEW), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_EQ(ReadFileBytes(host), "keep");
}

TEST(FilesTest, MissingFileAndMissingFolderGiveDifferentErrors) {
    TempPrefix prefix;
    EXPECT_EQ(Open(WindowsPath(prefix.scratch() / "none.bin"), GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(Open(WindowsPath(prefix.scratch() / "nodir" / "none.bin"), GENERIC_READ, 0, OPEN_EXISTING),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(Open(WindowsPath(prefix.scratch() / "nodir" / "new.bin"), GENERIC_WRITE, 0, CREATE_ALWAYS),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST(FilesTest, CreateAlwaysTruncatesAndReportsThatTheFileExisted) {
    TempPrefix prefix;
    const fs::path host = prefix.scratch() / "x.bin";
    HANDLE h = Open(WindowsPath(host), GENERIC_WRITE, 0, CREATE_ALWAYS);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    ASSERT_TRUE(WriteAll(h, "old content"));
    CloseHandle(h);
    h = Open(WindowsPath(host), GENERIC_WRITE, 0, CREATE_ALWAYS);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(GetFileSize(h, nullptr), 0u);
    CloseHandle(h);
}

TEST(FilesTest, OpenAlwaysKeepsContentAndReportsThatTheFileExisted) {
    TempPrefix prefix;
    const fs::path host = prefix.scratch() / "x.bin";
    HANDLE h = Open(WindowsPath(host), GENERIC_READ, 0, OPEN_ALWAYS);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    CloseHandle(h);
    WriteFileBytes(host, "abc");
    h = Open(WindowsPath(host), GENERIC_READ, 0, OPEN_ALWAYS);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(ReadAll(h), "abc");
    CloseHandle(h);
}

TEST(FilesTest, TruncateExistingNeedsWriteAccessAndEmptiesTheFile) {
    TempPrefix prefix;
    const fs::path host = prefix.scratch() / "x.bin";
    WriteFileBytes(host, "abc");
    EXPECT_EQ(Open(WindowsPath(host), GENERIC_READ, 0, TRUNCATE_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(ReadFileBytes(host), "abc");
    HANDLE h = Open(WindowsPath(host), GENERIC_WRITE, 0, TRUNCATE_EXISTING);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_EQ(ReadFileBytes(host), "");
    EXPECT_EQ(Open(WindowsPath(prefix.scratch() / "none"), GENERIC_WRITE, 0, TRUNCATE_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(FilesTest, InvalidDispositionOrShareBitsAreRefused) {
    TempPrefix prefix;
    const std::string name = WindowsPath(prefix.scratch() / "x.bin");
    EXPECT_EQ(Open(name, GENERIC_WRITE, 0, 0), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(Open(name, GENERIC_WRITE, 0, 6), INVALID_HANDLE_VALUE);
    EXPECT_EQ(Open(name, GENERIC_WRITE, 0x10, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(fs::exists(prefix.scratch() / "x.bin"));
}

TEST(FilesTest, AccessRightsOfTheHandleAreEnforced) {
    TempPrefix prefix;
    const fs::path host = prefix.scratch() / "x.bin";
    WriteFileBytes(host, "abcdef");
    HANDLE w = Open(WindowsPath(host), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    ASSERT_NE(w, INVALID_HANDLE_VALUE);
    char buf[4];
    DWORD got = 99;
    EXPECT_FALSE(ReadFile(w, buf, sizeof buf, &got, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(got, 0u);

    HANDLE r = Open(WindowsPath(host), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    ASSERT_NE(r, INVALID_HANDLE_VALUE);
    DWORD put = 99;
    EXPECT_FALSE(WriteFile(r, "zz", 2, &put, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(put, 0u);
    EXPECT_FALSE(SetEndOfFile(r));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(FlushFileBuffers(r));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(FlushFileBuffers(w));
    CloseHandle(r);
    CloseHandle(w);
    EXPECT_EQ(ReadFileBytes(host), "abcdef");
}

TEST(FilesTest, ReadAtEndOfFileSucceedsWithNothing) {
    TempPrefix prefix;
    const fs::path host = prefix.scratch() / "x.bin";
    WriteFileBytes(host, "ab");
    HANDLE h = Open(WindowsPath(host), GENERIC_READ, 0, OPEN_EXISTING);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    char buf[8];
    DWORD got = 0;
    EXPECT_TRUE(ReadFile(h, buf, sizeof buf, &got, nullptr));
    EXPECT_EQ(got, 2u);
    got = 99;
    EXPECT_TRUE(ReadFile(h, buf, sizeof buf, &got, nullptr));
    EXPECT_EQ(got, 0u);
    EXPECT_FALSE(ReadFile(h, nullptr, 4, &got, nullptr));
    EXPECT_EQ(GetLastError(), 998u);  // ERROR_NOACCESS
    CloseHandle(h);
}

TEST(FilesTest, NegativeSeekFailsAndKeepsThePointer) {
    TempPrefix prefix;
    const fs::path host = prefix.scratch() / "x.bin";
    WriteFileBytes(host, "0123456789");
    HANDLE h = Open(WindowsPath(host), GENERIC_READ, 0, OPEN_EXISTING);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(SetFilePointer(h, 4, nullptr, FILE_BEGIN), 4u);
    EXPECT_EQ(SetFilePointer(h, -5, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
    EXPECT_EQ(SetFilePointer(h, -11, nullptr, FILE_END), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
    EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_CURRENT), 4u);
    EXPECT_EQ(SetFilePointer(h, -3, nullptr, FILE_END), 7u);
    EXPECT_EQ(ReadAll(h), "789");
    EXPECT_EQ(SetFilePointer(h, 0, nullptr, 3), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    CloseHandle(h);
}

TEST(FilesTest, HighHalfOfTheDistanceMovesBeyondFourGigabytes) {
    TempPrefix prefix;
    HANDLE h = Open(WindowsPath(prefix.scratch() / "x.bin"), GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    LONG high = 1;
    EXPECT_EQ(SetFilePointer(h, 0x10, &high, FILE_BEGIN), 0x10u);
    EXPECT_EQ(high, 1);
    // Back down with a negative 64-bit distance (high half all ones).
    high = -1;
    EXPECT_EQ(SetFilePointer(h, -0x8, &high, FILE_CURRENT), 0x8u);
    EXPECT_EQ(high, 1);
    // The low half 0xFFFFFFFF is a position, not a failure, when the error is cleared.
    high = 0;
    SetLastError(1234);
    EXPECT_EQ(SetFilePointer(h, -1, &high, FILE_BEGIN), 0xFFFFFFFFu);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(high, 0);
    CloseHandle(h);
}

TEST(FilesTest, WritingPastTheEndFillsTheGapWithZerosAndSetEndOfFileCuts) {
    TempPrefix prefix;
    const fs::path host = prefix.scratch() / "x.bin";
    HANDLE h = Open(WindowsPath(host), GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(SetFilePointer(h, 3, nullptr, FILE_BEGIN), 3u);
    ASSERT_TRUE(WriteAll(h, "xy"));
    EXPECT_EQ(ReadFileBytes(host), std::string("\0\0\0xy", 5));
    EXPECT_EQ(SetFilePointer(h, 4, nullptr, FILE_BEGIN), 4u);
    EXPECT_TRUE(SetEndOfFile(h));
    EXPECT_EQ(GetFileSize(h, nullptr), 4u);
    EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_CURRENT), 4u);
    CloseHandle(h);
}

// A write-through write goes to the disk in pieces: every piece must land in its place, behind
// whatever the file pointer had passed, and the pointer ends behind the last one.
TEST(FilesTest, WriteThroughPutsEveryPieceInItsPlace) {
    TempPrefix prefix;
    const fs::path host = prefix.scratch() / "through.bin";
    HANDLE h = CreateFileA(WindowsPath(host).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    std::string big(700 * 1024 + 3, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 131 / 7);
    ASSERT_TRUE(WriteAll(h, "head"));
    ASSERT_TRUE(WriteAll(h, big));
    EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_CURRENT), 4 + big.size());
    EXPECT_EQ(SetFilePointer(h, 1, nullptr, FILE_BEGIN), 1u);
    ASSERT_TRUE(WriteAll(h, "EA"));
    EXPECT_TRUE(FlushFileBuffers(h));
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_EQ(ReadFileBytes(host), "hEAd" + big);
}

TEST(FilesTest, BadHandlesFailWithInvalidHandle) {
    TempPrefix prefix;
    int notAHandle = 0;
    char buf[4];
    DWORD n = 0;
    for (HANDLE bad : {static_cast<HANDLE>(nullptr), INVALID_HANDLE_VALUE, static_cast<HANDLE>(&notAHandle)}) {
        SetLastError(0);
        EXPECT_FALSE(ReadFile(bad, buf, 4, &n, nullptr));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        SetLastError(0);
        EXPECT_FALSE(WriteFile(bad, buf, 4, &n, nullptr));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        EXPECT_EQ(SetFilePointer(bad, 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
        EXPECT_EQ(GetFileSize(bad, nullptr), INVALID_FILE_SIZE);
        EXPECT_FALSE(SetEndOfFile(bad));
        EXPECT_FALSE(FlushFileBuffers(bad));
        // INVALID_HANDLE_VALUE is also the process's pseudo handle, which closes without effect (Wine 8.0).
        SetLastError(0);
        EXPECT_EQ(CloseHandle(bad), bad == INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), bad == INVALID_HANDLE_VALUE ? 0u : static_cast<DWORD>(ERROR_INVALID_HANDLE));
    }
    HANDLE h = Open(WindowsPath(prefix.scratch() / "x.bin"), GENERIC_WRITE, 0, CREATE_ALWAYS);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_FALSE(CloseHandle(h));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(WriteFile(h, "a", 1, &n, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(FilesTest, LastErrorBelongsToTheThread) {
    SetLastError(77);
    DWORD seen = 0;
    std::thread other([&] {
        seen = GetLastError();
        SetLastError(5);
    });
    other.join();
    EXPECT_EQ(seen, 0u);
    EXPECT_EQ(GetLastError(), 77u);
}

TEST(FilesTest, OpeningAFolderIsDenied) {
    TempPrefix prefix;
    EXPECT_EQ(Open(WindowsPath(prefix.scratch()), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST(FilesTest, WildcardsInNamesAreInvalid) {
    TempPrefix prefix;
    EXPECT_EQ(Open(WindowsPath(prefix.scratch() / "a*b"), GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME));
    EXPECT_EQ(Open("", GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(CreateFileA(nullptr, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
}

TEST(FilesTest, ReadOnlyAttributeRefusesWritingAndDeleting) {
    TempPrefix prefix;
    const fs::path host = prefix.scratch() / "ro.bin";
    WriteFileBytes(host, "fixed");
    const std::string name = WindowsPath(host);
    ASSERT_TRUE(SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_NE(GetFileAttributesA(name.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(Open(name, GENERIC_WRITE, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(Open(name, GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(DeleteFileA(name.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    HANDLE r = Open(name, GENERIC_READ, 0, OPEN_EXISTING);
    ASSERT_NE(r, INVALID_HANDLE_VALUE);
    CloseHandle(r);
    EXPECT_EQ(ReadFileBytes(host), "fixed");
    ASSERT_TRUE(SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(GetFileAttributesA(name.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_TRUE(DeleteFileA(name.c_str()));
}

TEST(FilesTest, ReadsNeverCreateThePrefix) {
    TempPrefix prefix;
    EXPECT_EQ(Open("C:\\windows\\win.ini", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetFileAttributesA("C:\\windows"), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(DeleteFileA("C:\\windows\\win.ini"));
    EXPECT_FALSE(RemoveDirectoryA("C:\\windows\\temp"));
    EXPECT_FALSE(SetFileAttributesA("C:\\x.txt", FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(MoveFileExA("C:\\a.txt", "C:\\b.txt", 0));
    EXPECT_FALSE(CopyFileA("C:\\a.txt", "C:\\b.txt", FALSE));
    EXPECT_EQ(Open("C:\\x.txt", GENERIC_WRITE, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    char temp[MAX_PATH];
    EXPECT_GT(GetTempPathA(MAX_PATH, temp), 0u);
    // Writing outside the prefix leaves it alone too.
    HANDLE h = Open(WindowsPath(prefix.scratch() / "outside.bin"), GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_TRUE(CreateDirectoryA(WindowsPath(prefix.scratch() / "dir").c_str(), nullptr));
    EXPECT_FALSE(fs::exists(prefix.root()));
    // The first write inside creates it.
    h = Open("C:\\new.txt", GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_TRUE(fs::is_regular_file(prefix.root() / "drive_c" / "new.txt"));
    EXPECT_TRUE(fs::is_directory(prefix.root() / "drive_c" / "windows" / "system32"));
}

TEST(FilesTest, PathComponentsMatchWithoutRegardToCase) {
    TempPrefix prefix;
    HANDLE h = Open("C:\\WINDOWS\\FONTS\\MyFont.TTE", GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(WriteAll(h, "glyphs"));
    CloseHandle(h);
    // Existing folders keep their case, the new file keeps the case it was given.
    const fs::path host = prefix.root() / "drive_c" / "windows" / "Fonts" / "MyFont.TTE";
    EXPECT_EQ(ReadFileBytes(host), "glyphs");
    h = Open("c:\\windows\\fonts\\MYFONT.tte", GENERIC_READ, 0, OPEN_EXISTING);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ReadAll(h), "glyphs");
    CloseHandle(h);
    EXPECT_NE(GetFileAttributesA("C:\\Windows\\Fonts\\myfont.TTE"), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(DeleteFileA("C:\\WINDOWS\\FONTS\\MYFONT.TTE"));
    EXPECT_FALSE(fs::exists(host));
}

TEST(FilesTest, AnsiNamesAreCodePage950) {
    TempPrefix prefix;
    // "測試.txt" in Big5.
    const std::string name = "C:\\\xB4\xFA\xB8\xD5.txt";
    HANDLE h = Open(name, GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_TRUE(fs::exists(prefix.root() / "drive_c" / "\xE6\xB8\xAC\xE8\xA9\xA6.txt"));
    h = CreateFileW(L"C:\\\x6E2C\x8A66.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
}

TEST(FilesTest, HandlesAreInheritedOnlyWhenAsked) {
    TempPrefix prefix;
    const fs::path a = prefix.scratch() / "private.bin";
    const fs::path b = prefix.scratch() / "inherited.bin";
    HANDLE ha = Open(WindowsPath(a), GENERIC_WRITE, 0, CREATE_NEW);
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE hb = CreateFileA(WindowsPath(b).c_str(), GENERIC_WRITE, 0, &sa, CREATE_NEW, 0, nullptr);
    ASSERT_NE(ha, INVALID_HANDLE_VALUE);
    ASSERT_NE(hb, INVALID_HANDLE_VALUE);
    const int fa = FindDescriptor(a);
    const int fb = FindDescriptor(b);
    ASSERT_GE(fa, 0);
    ASSERT_GE(fb, 0);
    EXPECT_NE(fcntl(fa, F_GETFD) & FD_CLOEXEC, 0);
    EXPECT_EQ(fcntl(fb, F_GETFD) & FD_CLOEXEC, 0);
    CloseHandle(ha);
    CloseHandle(hb);
    EXPECT_EQ(FindDescriptor(a), -1);
}

// Measured under Wine 8.0: ".." stops at the drive root, "/" separates, and relative names
// follow the current directory, which is a Windows path.
TEST(FilesTest, PathsStayInsideTheirDrive) {
    TempPrefix prefix;
    fs::create_directories(prefix.root() / "drive_c" / "probe");
    const fs::path probe = prefix.root() / "drive_c" / "probe";
    auto write = [](const char* name, const char* text) {
        HANDLE h = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        DWORD n = 0;
        const bool ok = WriteFile(h, text, static_cast<DWORD>(std::strlen(text)), &n, nullptr);
        CloseHandle(h);
        return ok;
    };
    EXPECT_TRUE(write("C:\\..\\..\\probe\\dotdot.txt", "dd"));
    EXPECT_EQ(ReadFileBytes(probe / "dotdot.txt"), "dd");
    EXPECT_TRUE(write("C:/probe/sub/../slash.txt", "sl"));
    EXPECT_EQ(ReadFileBytes(probe / "slash.txt"), "sl");
    EXPECT_TRUE(write("C:\\..\\user.reg", "not the registry"));
    EXPECT_EQ(ReadFileBytes(prefix.root() / "drive_c" / "user.reg"), "not the registry");
    EXPECT_FALSE(fs::exists(prefix.root() / "user.reg"));

    ASSERT_TRUE(SetCurrentDirectoryA("C:\\probe"));
    char cwd[MAX_PATH] = {};
    EXPECT_EQ(GetCurrentDirectoryA(MAX_PATH, cwd), 8u);
    EXPECT_STREQ(cwd, "C:\\probe");
    EXPECT_EQ(GetCurrentDirectoryA(0, nullptr), 9u);
    EXPECT_TRUE(write("rel.txt", "rl"));
    EXPECT_EQ(ReadFileBytes(probe / "rel.txt"), "rl");
    EXPECT_TRUE(write("..\\..\\..\\up.txt", "up"));
    EXPECT_EQ(ReadFileBytes(prefix.root() / "drive_c" / "up.txt"), "up");
    EXPECT_TRUE(write("\\probe\\rooted.txt", "ro"));
    EXPECT_EQ(ReadFileBytes(probe / "rooted.txt"), "ro");
    EXPECT_FALSE(SetCurrentDirectoryA("C:\\probe\\nowhere"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    GetCurrentDirectoryA(MAX_PATH, cwd);
    EXPECT_STREQ(cwd, "C:\\probe");
    SetCurrentDirectoryA(WindowsPath(fs::current_path()).c_str());
}
