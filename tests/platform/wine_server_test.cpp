// While a wineserver serves the prefix nothing is written into it: the server holds the registry
// in memory and would write it back over our changes when it exits.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/fileapi.h"
#include "platform/winreg.h"
#include "support/temp_prefix.h"

namespace fs = std::filesystem;
using namespace testsupport;

namespace {

// The server folder for the prefix in either layout Wine uses: upstream's /tmp/.wine-<uid>, or
// Debian's random folder under /tmp that <prefix>/wineserver names.
fs::path ServerFolder(const TempPrefix& prefix, bool debianLayout) {
    struct stat st = {};
    stat(prefix.root().c_str(), &st);
    char leaf[64];
    std::snprintf(leaf, sizeof leaf, "server-%llx-%llx", static_cast<unsigned long long>(st.st_dev),
                  static_cast<unsigned long long>(st.st_ino));
    if (!debianLayout) return fs::path("/tmp") / (".wine-" + std::to_string(geteuid())) / leaf;
    const std::string name = prefix.scratch().filename().string() + "-srv";
    WriteFileBytes(prefix.root() / "wineserver", name);
    return fs::path("/tmp") / name / leaf;
}

// Holds the server's write lock on <folder>/lock in a child process, as a running wineserver does.
class FakeServer {
public:
    explicit FakeServer(const fs::path& folder) : folder_(folder) {
        fs::create_directories(folder);
        int ready[2];
        if (pipe(ready) != 0 || pipe(stop_) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            close(stop_[1]);
            const int fd = open((folder / "lock").c_str(), O_RDWR | O_CREAT, 0600);
            struct flock fl = {};
            fl.l_type = F_WRLCK;
            fl.l_whence = SEEK_SET;
            const char ok = fd >= 0 && fcntl(fd, F_SETLK, &fl) == 0 ? 'L' : 'F';
            (void)!write(ready[1], &ok, 1);
            char c;
            (void)!read(stop_[0], &c, 1);
            _exit(0);
        }
        close(ready[1]);
        close(stop_[0]);
        char c = 0;
        locked_ = read(ready[0], &c, 1) == 1 && c == 'L';
        close(ready[0]);
    }
    ~FakeServer() { Stop(); }
    bool locked() const { return locked_; }
    void Stop() {
        if (pid_ <= 0) return;
        close(stop_[1]);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
        std::error_code ec;
        fs::remove_all(folder_.parent_path().filename().string().starts_with(".wine-") ? folder_
                                                                                         : folder_.parent_path(),
                       ec);
    }

private:
    fs::path folder_;
    int stop_[2] = {-1, -1};
    pid_t pid_ = -1;
    bool locked_ = false;
};

LONG SetLink(const char* data) {
    HKEY key = nullptr;
    LONG rc = RegCreateKeyExA(HKEY_CURRENT_USER, "EUDC\\950", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    rc = RegSetValueExA(key, "Face", 0, REG_SZ, reinterpret_cast<const BYTE*>(data), 2);
    RegCloseKey(key);
    return rc;
}

}  // namespace

TEST(WineServer, WritesIntoAPrefixInUseAreRefusedUntilTheServerEnds) {
    for (const bool debian : {false, true}) {
        TempPrefix prefix;
        prefix.InstallFixtureRegistry();
        FakeServer server(ServerFolder(prefix, debian));
        ASSERT_TRUE(server.locked());
        const std::string before = SnapshotTree(prefix.root());

        EXPECT_EQ(SetLink("x"), ERROR_BUSY) << debian;
        const std::string inside = "C:\\windows\\EUDC.TTE";
        HANDLE h = CreateFileA(inside.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_EQ(h, INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BUSY));
        EXPECT_EQ(SnapshotTree(prefix.root()), before);
        // Reading and writing outside the prefix go on.
        const std::string outside = WindowsPath(prefix.scratch() / "outside.txt");
        h = CreateFileA(outside.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(h, INVALID_HANDLE_VALUE);
        CloseHandle(h);
        // Where a link leads counts, not the name it is reached by.
        std::filesystem::create_directories(prefix.root() / "drive_c" / "windows");
        std::filesystem::create_directories(prefix.root() / "dosdevices");
        std::filesystem::create_directory_symlink("../drive_c", prefix.root() / "dosdevices" / "c:");
        std::filesystem::create_directory_symlink("/", prefix.root() / "dosdevices" / "z:");
        std::filesystem::create_directory_symlink(prefix.root() / "drive_c" / "windows", prefix.scratch() / "in");
        std::filesystem::create_directory_symlink(prefix.scratch(), prefix.root() / "drive_c" / "out");
        h = CreateFileA((WindowsPath(prefix.scratch() / "in") + "\\EUDC.TTE").c_str(), GENERIC_WRITE, 0, nullptr,
                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_EQ(h, INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BUSY));
        h = CreateFileA("C:\\out\\linked.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(h, INVALID_HANDLE_VALUE);
        CloseHandle(h);

        server.Stop();
        EXPECT_EQ(SetLink("x"), ERROR_SUCCESS) << debian;
    }
}
