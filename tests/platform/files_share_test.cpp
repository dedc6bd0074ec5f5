// Share modes between handles of one process and of different processes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/fileapi.h"
#include "support/temp_prefix.h"

namespace fs = std::filesystem;
using testsupport::ReadFileBytes;
using testsupport::TempPrefix;
using testsupport::WindowsPath;
using testsupport::WriteFileBytes;

namespace {

constexpr DWORD R = GENERIC_READ;
constexpr DWORD W = GENERIC_WRITE;
constexpr DWORD SR = FILE_SHARE_READ;
constexpr DWORD SW = FILE_SHARE_WRITE;
constexpr DWORD SD = FILE_SHARE_DELETE;

HANDLE Open(const std::string& name, DWORD access, DWORD share, DWORD disposition = OPEN_EXISTING) {
    return CreateFileA(name.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// A forked child that runs body(in, out) and talks to the test through two pipes. The destructor
// closes the pipes (so that a child waiting for a message sees end-of-file) and reaps the child.
class Child {
public:
    explicit Child(const std::function<int(int in, int out)>& body) {
        int toChild[2], toParent[2];
        if (pipe(toChild) != 0 || pipe(toParent) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            close(toChild[1]);
            close(toParent[0]);
            _exit(body(toChild[0], toParent[1]));
        }
        close(toChild[0]);
        close(toParent[1]);
        out_ = toChild[1];
        in_ = toParent[0];
    }
    ~Child() { Wait(); }
    bool started() const { return pid_ > 0; }
    void Send(char c) {
        if (out_ >= 0) (void)!write(out_, &c, 1);
    }
    // The child's next message, or 0 when it ended without one.
    char Receive() {
        char c = 0;
        if (in_ < 0 || read(in_, &c, 1) != 1) return 0;
        return c;
    }
    // The child's exit code (-1 when it did not exit normally).
    int Wait() {
        if (out_ >= 0) close(out_);
        if (in_ >= 0) close(in_);
        out_ = in_ = -1;
        if (pid_ <= 0) return -1;
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    int in_ = -1;
};

void Tell(int fd, char c) { (void)!write(fd, &c, 1); }
char Hear(int fd) {
    char c = 0;
    return read(fd, &c, 1) == 1 ? c : 0;
}

struct ShareCase {
    DWORD firstAccess, firstShare, secondAccess, secondShare;
    bool secondOpens;
};

}  // namespace

TEST(FilesShareTest, SecondHandleInTheSameProcessFollowsTheShareRules) {
    TempPrefix prefix;
    const fs::path host = prefix.scratch() / "x.bin";
    WriteFileBytes(host, "data");
    const std::string name = WindowsPath(host);
    const ShareCase cases[] = {
        {R, SR, R, SR, true},            // readers that let others read
        {R, SR, W, SR | SW, false},      // the first does not let others write
        {R, SR | SW, W, SR, true},       // the second only needs the first not to write
        {W, SR | SW, R, SR, false},      // the second refuses a writer that is already there
        {R, SR | SW | SD, R, 0, false},  // exclusive while a reader is open
        {R, 0, R, SR | SW | SD, false},  // anything while an exclusive handle is open
        {0, 0, R | W, 0, true},          // a handle without data access takes part in nothing
        {R | W, SR | SW, R | W, SR | SW, true},
    };
    for (const ShareCase& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.firstAccess << "/" << c.firstShare << " then "
                                        << c.secondAccess << "/" << c.secondShare);
        HANDLE first = Open(name, c.firstAccess, c.firstShare);
        ASSERT_NE(first, INVALID_HANDLE_VALUE);
        HANDLE second = Open(name, c.secondAccess, c.secondShare);
        if (c.secondOpens) {
            EXPECT_NE(second, INVALID_HANDLE_VALUE);
        } else {
            EXPECT_EQ(second, INVALID_HANDLE_VALUE);
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        }
        if (second != INVALID_HANDLE_VALUE) CloseHandle(second);
        CloseHandle(first);
    }
}

TEST(FilesShareTest, ClosingTheHandleEndsItsShareMode) {
    TempPrefix prefix;
    const fs::path host = prefix.scratch() / "x.bin";
    WriteFileBytes(host, "data");
    HANDLE first = Open(WindowsPath(host), R, 0);
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Open(WindowsPath(host), R, SR | SW), INVALID_HANDLE_VALUE);
    CloseHandle(first);
    HANDLE again = Open(WindowsPath(host), R | W, 0);
    EXPECT_NE(again, INVALID_HANDLE_VALUE);
    CloseHandle(again);
}

TEST(FilesShareTest, RefusedCreateAlwaysLeavesTheContent) {
    TempPrefix prefix;
    const fs::path host = prefix.scratch() / "x.bin";
    WriteFileBytes(host, "precious");
    HANDLE reader = Open(WindowsPath(host), R, SR);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Open(WindowsPath(host), W, SR | SW, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(Open(WindowsPath(host), W, SR | SW, TRUNCATE_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(ReadFileBytes(host), "precious");
    CloseHandle(reader);
}

TEST(FilesShareTest, DeleteNeedsEveryHandleToShareDelete) {
    TempPrefix prefix;
    const fs::path host = prefix.scratch() / "x.bin";
    WriteFileBytes(host, "data");
    const std::string name = WindowsPath(host);
    HANDLE h = Open(name, R, SR | SW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(DeleteFileA(name.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(MoveFileExA(name.c_str(), WindowsPath(prefix.scratch() / "y.bin").c_str(), 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_TRUE(fs::exists(host));
    CloseHandle(h);

    // Wine 8.0: a delete of a file that is open with FILE_SHARE_DELETE succeeds, the name stays
    // (CREATE_NEW fails with ERROR_FILE_EXISTS, the file still opens) until the last handle closes.
    h = Open(name, R, SR | SW | SD);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(DeleteFileA(name.c_str()));
    EXPECT_TRUE(fs::exists(host));
    EXPECT_EQ(Open(name, W, 0, CREATE_NEW), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    HANDLE second = Open(name, R, SR | SW | SD);
    EXPECT_NE(second, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_TRUE(fs::exists(host));
    CloseHandle(second);
    EXPECT_FALSE(fs::exists(host));
}

TEST(FilesShareTest, FileDeletedWhileAnotherProcessHoldsItGoesWithThatHandle) {
    TempPrefix prefix;
    const fs::path host = prefix.scratch() / "x.bin";
    WriteFileBytes(host, "data");
    const std::string name = WindowsPath(host);
    Child child([&](int in, int out) {
        HANDLE h = Open(name, R, SR | SD);
        Tell(out, h == INVALID_HANDLE_VALUE ? 'F' : 'O');
        Hear(in);
        CloseHandle(h);
        Tell(out, 'C');
        return 0;
    });
    ASSERT_TRUE(child.started());
    ASSERT_EQ(child.Receive(), 'O');
    EXPECT_TRUE(DeleteFileA(name.c_str()));
    EXPECT_TRUE(fs::exists(host));
    child.Send('x');
    EXPECT_EQ(child.Receive(), 'C');
    EXPECT_EQ(child.Wait(), 0);
    EXPECT_FALSE(fs::exists(host));
    // A new file of that name is an ordinary file again.
    WriteFileBytes(host, "new");
    HANDLE h = Open(name, R, SR | SD);
    CloseHandle(h);
    EXPECT_EQ(ReadFileBytes(host), "new");
}

TEST(FilesShareTest, MoveDoesNotReplaceATargetThatIsOpen) {
    TempPrefix prefix;
    const std::string from = WindowsPath(prefix.scratch() / "from.txt");
    const std::string to = WindowsPath(prefix.scratch() / "to.txt");
    WriteFileBytes(prefix.scratch() / "from.txt", "new");
    WriteFileBytes(prefix.scratch() / "to.txt", "old");
    // Wine 8.0 refuses with ERROR_ACCESS_DENIED whatever the open handle shares.
    HANDLE h = Open(to, R, SR | SW | SD);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(ReadFileBytes(prefix.scratch() / "to.txt"), "old");
    CloseHandle(h);
    EXPECT_TRUE(MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(ReadFileBytes(prefix.scratch() / "to.txt"), "new");
}

TEST(FilesShareTest, ExclusiveHandleOfAnotherProcessBlocksOpenAndDelete) {
    TempPrefix prefix;
    const fs::path host = prefix.scratch() / "x.bin";
    WriteFileBytes(host, "data");
    const std::string name = WindowsPath(host);
    Child child([&](int in, int out) {
        HANDLE h = Open(name, R, 0);
        Tell(out, h == INVALID_HANDLE_VALUE ? 'F' : 'O');
        Hear(in);  // until the test lets go
        CloseHandle(h);
        Tell(out, 'C');
        return 0;
    });
    ASSERT_TRUE(child.started());
    ASSERT_EQ(child.Receive(), 'O');
    EXPECT_EQ(Open(name, R, SR | SW | SD), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(DeleteFileA(name.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    child.Send('x');
    EXPECT_EQ(child.Receive(), 'C');
    EXPECT_EQ(child.Wait(), 0);
    HANDLE h = Open(name, R | W, 0);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
}

TEST(FilesShareTest, OtherProcessIsRefusedWhatThisProcessDenies) {
    TempPrefix prefix;
    const fs::path host = prefix.scratch() / "x.bin";
    WriteFileBytes(host, "data");
    const std::string name = WindowsPath(host);
    HANDLE mine = Open(name, R, SR);  // others may read, not write
    ASSERT_NE(mine, INVALID_HANDLE_VALUE);
    Child child([&](int, int out) {
        HANDLE writer = Open(name, W, SR | SW);
        const DWORD writerError = GetLastError();
        HANDLE reader = Open(name, R, SR | SW);
        Tell(out, writer == INVALID_HANDLE_VALUE && writerError == ERROR_SHARING_VIOLATION ? 'w' : '!');
        Tell(out, reader != INVALID_HANDLE_VALUE ? 'r' : '!');
        return 0;
    });
    ASSERT_TRUE(child.started());
    EXPECT_EQ(child.Receive(), 'w');
    EXPECT_EQ(child.Receive(), 'r');
    EXPECT_EQ(child.Wait(), 0);
    CloseHandle(mine);
}

TEST(FilesShareTest, EndOfTheHoldingProcessReleasesTheFile) {
    TempPrefix prefix;
    const fs::path host = prefix.scratch() / "x.bin";
    WriteFileBytes(host, "data");
    const std::string name = WindowsPath(host);
    Child child([&](int in, int out) {
        HANDLE h = Open(name, R | W, 0);
        Tell(out, h == INVALID_HANDLE_VALUE ? 'F' : 'O');
        Hear(in);
        return 0;  // ends without closing the handle
    });
    ASSERT_TRUE(child.started());
    ASSERT_EQ(child.Receive(), 'O');
    EXPECT_EQ(Open(name, R, SR | SW), INVALID_HANDLE_VALUE);
    EXPECT_EQ(child.Wait(), 0);
    HANDLE h = Open(name, R, SR | SW);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
}
