#include "files/delete_pending.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <system_error>

#include "files/share_lock.h"
#include "files/win_error.h"
#include "prefix.h"

namespace fs = std::filesystem;

namespace platform::files {

namespace {

fs::path RecordFolder() { return prefix::StateDir() / "delete-pending"; }

fs::path RecordFor(const struct stat& st) {
    return RecordFolder() /
           (std::to_string(static_cast<unsigned long long>(st.st_dev)) + "-" +
            std::to_string(static_cast<unsigned long long>(st.st_ino)));
}

bool SameFile(const fs::path& path, const struct stat& st) {
    struct stat now = {};
    return lstat(path.c_str(), &now) == 0 && now.st_dev == st.st_dev && now.st_ino == st.st_ino;
}

std::string ReadAll(int fd) {
    std::string out;
    char buf[4096];
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) > 0) out.append(buf, static_cast<size_t>(n));
    return out;
}

}  // namespace

DWORD MarkDeletePending(const fs::path& hostPath) {
    struct stat st = {};
    if (lstat(hostPath.c_str(), &st) != 0) return ErrnoToWin32(errno, hostPath);
    if (const DWORD error = prefix::PrepareWrite(); error != ERROR_SUCCESS) return error;
    std::error_code ec;
    fs::create_directories(RecordFolder(), ec);
    const fs::path record = RecordFor(st);
    const int fd = open(record.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return ERROR_ACCESS_DENIED;
    flock(fd, LOCK_EX);
    const std::string path = fs::absolute(hostPath, ec).string();
    const bool ok = ftruncate(fd, 0) == 0 && write(fd, path.data(), path.size()) == static_cast<ssize_t>(path.size());
    close(fd);
    return ok ? ERROR_SUCCESS : ERROR_WRITE_FAULT;
}

void CloseWithPendingDelete(int fd) {
    struct stat folder = {};
    if (stat(RecordFolder().c_str(), &folder) != 0) return;  // the common case: nothing pending anywhere
    struct stat st = {};
    if (fstat(fd, &st) != 0) return;
    const fs::path record = RecordFor(st);
    const int rfd = open(record.c_str(), O_RDWR | O_CLOEXEC);
    if (rfd < 0) return;
    // Under the record's lock, drop our own "open" marker before looking for others: of two
    // handles closing at once, the second always sees the first one gone.
    flock(rfd, LOCK_EX);
    ReleaseOpenMarker(fd);
    if (!OpenElsewhere(fd)) {
        const fs::path path = ReadAll(rfd);
        if (!path.empty() && SameFile(path, st)) unlink(path.c_str());
        unlink(record.c_str());
    }
    close(rfd);
}

}  // namespace platform::files
