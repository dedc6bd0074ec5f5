// CopyFileA: the content, the read-only attribute and the time of last write.
#include <cerrno>
#include <sys/stat.h>
#include <vector>

#include "files/file_object.h"
#include "files/win_error.h"
#include "platform/fileapi.h"

using namespace platform::files;

namespace {

BOOL Abandon(DWORD error, HANDLE src, HANDLE dst, LPCSTR to) {
    CloseHandle(src);
    if (dst != INVALID_HANDLE_VALUE) {
        CloseHandle(dst);
        DeleteFileA(to);  // no half-copied file is left behind
    }
    return Fail(error);
}

}  // namespace

BOOL CopyFileA(LPCSTR from, LPCSTR to, BOOL failIfExists) {
    if (!from || !to) return Fail(ERROR_INVALID_PARAMETER);
    // Others may go on reading and writing the source; only a handle that denies reading stops us.
    HANDLE src = CreateFileA(from, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (src == INVALID_HANDLE_VALUE) return FALSE;
    struct stat st = {};
    if (fstat(LookupFile(src)->fd(), &st) != 0) return Abandon(ErrnoToWin32(errno, {}), src, INVALID_HANDLE_VALUE, to);

    HANDLE dst = CreateFileA(to, GENERIC_WRITE, 0, nullptr, failIfExists ? CREATE_NEW : CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (dst == INVALID_HANDLE_VALUE) return Abandon(GetLastError(), src, INVALID_HANDLE_VALUE, to);

    std::vector<char> buffer(1 << 16);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(src, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr))
            return Abandon(GetLastError(), src, dst, to);
        if (got == 0) break;
        DWORD put = 0;
        if (!WriteFile(dst, buffer.data(), got, &put, nullptr)) return Abandon(GetLastError(), src, dst, to);
    }

    const int dstFd = LookupFile(dst)->fd();
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    futimens(dstFd, times);
    if (!(st.st_mode & S_IWUSR)) {
        struct stat dstSt = {};
        if (fstat(dstFd, &dstSt) == 0) fchmod(dstFd, dstSt.st_mode & 07555);
    }
    CloseHandle(dst);
    CloseHandle(src);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}
