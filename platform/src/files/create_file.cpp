// CreateFileA / CreateFileW.
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "files/file_object.h"
#include "files/host_path.h"
#include "files/share_lock.h"
#include "files/win_error.h"
#include "platform/fileapi.h"
#include "text.h"

namespace fs = std::filesystem;
using namespace platform::files;

namespace {

// Specific rights that imply data access, besides the generic ones.
constexpr DWORD kFileReadData = 0x0001;
constexpr DWORD kFileWriteData = 0x0002;
constexpr DWORD kFileAppendData = 0x0004;

// readAsked: the caller wants read access, so the descriptor must stay readable.
int OpenRetrying(const fs::path& p, int flags, mode_t mode, bool readAsked) {
    int fd;
    do {
        fd = open(p.c_str(), flags, mode);
    } while (fd < 0 && errno == EINTR);
    // The descriptor is opened for reading too when only writing is wanted (share markers are
    // read locks); a file the host lets us only write is still opened, without markers.
    if (fd < 0 && errno == EACCES && (flags & O_ACCMODE) == O_RDWR && !readAsked)
        return OpenRetrying(p, (flags & ~O_ACCMODE) | O_WRONLY, mode, readAsked);
    return fd;
}

HANDLE FailHandle(DWORD error, int fd = -1) {
    if (fd >= 0) close(fd);
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

}  // namespace

HANDLE CreateFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa, DWORD disposition,
                   DWORD attributes, HANDLE /*templateFile*/) {
    if ((share & ~(FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE)) != 0 || disposition < CREATE_NEW ||
        disposition > TRUNCATE_EXISTING)
        return FailHandle(ERROR_INVALID_PARAMETER);
    const bool wantRead = (access & (GENERIC_READ | GENERIC_ALL | kFileReadData)) != 0;
    const bool wantWrite = (access & (GENERIC_WRITE | GENERIC_ALL | kFileWriteData | kFileAppendData)) != 0;
    const bool wantDelete = (access & (DELETE | GENERIC_ALL)) != 0;
    if (disposition == TRUNCATE_EXISTING && !wantWrite) return FailHandle(ERROR_INVALID_PARAMETER);
    const bool mayCreate = disposition == CREATE_NEW || disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS;
    const bool truncates = disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;

    const Intent intent = mayCreate ? Intent::Create : (wantWrite || wantDelete) ? Intent::Modify : Intent::Read;
    const std::optional<fs::path> host = ResolveW(name, intent);
    if (!host) return INVALID_HANDLE_VALUE;

    const bool inherit = sa && sa->bInheritHandle;
    const int flags = (wantWrite ? O_RDWR : O_RDONLY) | O_NOCTTY | (inherit ? 0 : O_CLOEXEC);
    const mode_t mode = (attributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;

    // Never O_TRUNC: an existing file is emptied only after the share check has passed.
    int fd = -1;
    bool existed = false;
    if (disposition == CREATE_NEW) {
        fd = OpenRetrying(*host, flags | O_CREAT | O_EXCL, mode, wantRead);
        if (fd < 0) return FailHandle(errno == EEXIST ? ERROR_FILE_EXISTS : ErrnoToWin32(errno, *host));
    } else {
        for (int attempt = 0;; ++attempt) {
            fd = OpenRetrying(*host, flags, 0, wantRead);
            if (fd >= 0) {
                existed = true;
                break;
            }
            if (errno != ENOENT || !mayCreate) return FailHandle(ErrnoToWin32(errno, *host));
            // O_EXCL tells us that the file is ours; after a few lost races (or at a dangling
            // link, which O_EXCL never passes) plain O_CREAT settles it.
            fd = OpenRetrying(*host, flags | O_CREAT | (attempt < 3 ? O_EXCL : 0), mode, wantRead);
            if (fd >= 0) break;
            if (errno != EEXIST) return FailHandle(ErrnoToWin32(errno, *host));
        }
    }

    struct stat st = {};
    if (fstat(fd, &st) != 0) return FailHandle(ErrnoToWin32(errno, *host), fd);
    if (S_ISDIR(st.st_mode)) return FailHandle(ERROR_ACCESS_DENIED, fd);
    // The read-only attribute holds even for a user the host lets write anyway (root).
    if (existed && (wantWrite || truncates) && !(st.st_mode & S_IWUSR)) return FailHandle(ERROR_ACCESS_DENIED, fd);

    // A handle without data access neither checks nor restricts sharing, but it is open all the same.
    const bool dataAccess = wantRead || wantWrite || wantDelete;
    const DWORD shareMode = dataAccess ? share : (FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    if (!AcquireShare(fd, {wantRead, wantWrite, wantDelete, shareMode})) return FailHandle(ERROR_SHARING_VIOLATION, fd);

    // An empty file is left alone: ext4 takes a cut to length 0 for a file being replaced and
    // writes it out when it is closed, which for a scratch file deleted right after is disk
    // traffic for nothing.
    if (existed && truncates && st.st_size > 0) {
        const int rc = wantWrite ? ftruncate(fd, 0) : truncate(host->c_str(), 0);
        if (rc != 0) return FailHandle(ErrnoToWin32(errno, *host), fd);
    }

    const bool writeThrough = (attributes & FILE_FLAG_WRITE_THROUGH) != 0;
    HANDLE h = platform::handles::Register(std::make_shared<FileObject>(fd, wantRead, wantWrite, writeThrough));
    SetLastError(existed && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS) ? ERROR_ALREADY_EXISTS
                                                                                         : ERROR_SUCCESS);
    return h;
}

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa, DWORD disposition,
                   DWORD attributes, HANDLE templateFile) {
    if (!name) return CreateFileW(nullptr, access, share, sa, disposition, attributes, templateFile);
    const std::wstring wide = platform::text::AnsiToWide(name);
    return CreateFileW(wide.c_str(), access, share, sa, disposition, attributes, templateFile);
}
