// DeleteFileA.
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

#include "files/delete_pending.h"
#include "files/host_path.h"
#include "files/share_lock.h"
#include "files/win_error.h"
#include "platform/fileapi.h"

using namespace platform::files;

BOOL DeleteFileA(LPCSTR name) {
    const auto host = ResolveA(name, Intent::Modify);
    if (!host) return FALSE;
    struct stat st = {};
    if (lstat(host->c_str(), &st) != 0) return Fail(ErrnoToWin32(errno, *host));
    if (S_ISDIR(st.st_mode)) return Fail(ERROR_ACCESS_DENIED);
    if (S_ISREG(st.st_mode)) {
        if (!(st.st_mode & S_IWUSR)) return Fail(ERROR_ACCESS_DENIED);  // read-only attribute
        // Windows refuses while any handle was opened without FILE_SHARE_DELETE.
        if (DeleteDenied(*host)) return Fail(ERROR_SHARING_VIOLATION);
        // Handles that allow deleting keep the name until the last of them closes.
        if (OpenAnywhere(*host)) {
            const DWORD error = MarkDeletePending(*host);
            return error == ERROR_SUCCESS ? TRUE : Fail(error);
        }
    }
    if (unlink(host->c_str()) != 0) return Fail(ErrnoToWin32(errno, *host));
    return TRUE;
}
