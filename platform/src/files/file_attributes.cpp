// GetFileAttributesA / SetFileAttributesA. The read-only attribute is the owner's write bit; other
// attributes have no host counterpart and are not kept.
#include <cerrno>
#include <sys/stat.h>

#include "files/host_path.h"
#include "files/win_error.h"
#include "platform/fileapi.h"

using namespace platform::files;

DWORD GetFileAttributesA(LPCSTR name) {
    const auto host = ResolveA(name, Intent::Read);
    if (!host) return INVALID_FILE_ATTRIBUTES;
    struct stat st = {};
    if (stat(host->c_str(), &st) != 0) {
        SetLastError(ErrnoToWin32(errno, *host));
        return INVALID_FILE_ATTRIBUTES;
    }
    if (S_ISDIR(st.st_mode)) return FILE_ATTRIBUTE_DIRECTORY;
    DWORD attributes = FILE_ATTRIBUTE_ARCHIVE;
    if (!(st.st_mode & S_IWUSR)) attributes |= FILE_ATTRIBUTE_READONLY;
    return attributes;
}

BOOL SetFileAttributesA(LPCSTR name, DWORD attributes) {
    const auto host = ResolveA(name, Intent::Modify);
    if (!host) return FALSE;
    struct stat st = {};
    if (stat(host->c_str(), &st) != 0) return Fail(ErrnoToWin32(errno, *host));
    if (S_ISDIR(st.st_mode)) return TRUE;
    mode_t mode = st.st_mode & 07777;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
    else
        mode |= S_IWUSR;
    if (mode != (st.st_mode & 07777) && chmod(host->c_str(), mode) != 0) return Fail(ErrnoToWin32(errno, *host));
    return TRUE;
}
