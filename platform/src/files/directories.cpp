// CreateDirectoryA / RemoveDirectoryA.
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

#include "files/host_path.h"
#include "files/win_error.h"
#include "platform/fileapi.h"

using namespace platform::files;

BOOL CreateDirectoryA(LPCSTR name, LPSECURITY_ATTRIBUTES /*sa*/) {
    const auto host = ResolveA(name, Intent::Create);
    if (!host) return FALSE;
    if (mkdir(host->c_str(), 0777) != 0) return Fail(ErrnoToWin32(errno, *host));
    return TRUE;
}

BOOL RemoveDirectoryA(LPCSTR name) {
    const auto host = ResolveA(name, Intent::Modify);
    if (!host) return FALSE;
    struct stat st = {};
    if (lstat(host->c_str(), &st) != 0) return Fail(ErrnoToWin32(errno, *host));
    if (!S_ISDIR(st.st_mode)) return Fail(ERROR_DIRECTORY);
    if (rmdir(host->c_str()) != 0) return Fail(errno == EEXIST ? ERROR_DIR_NOT_EMPTY : ErrnoToWin32(errno, *host));
    return TRUE;
}
