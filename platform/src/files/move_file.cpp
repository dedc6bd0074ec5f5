// MoveFileExA.
#include <cerrno>
#include <cstdio>
#include <string>
#include <sys/stat.h>

#include "files/host_path.h"
#include "system/faults.h"
#include "files/share_lock.h"
#include "files/win_error.h"
#include "platform/fileapi.h"
#include "text.h"

namespace fs = std::filesystem;
using namespace platform::files;

namespace {

// The last component of a Windows name, as it was written.
std::wstring LeafOf(std::wstring_view name) {
    const size_t cut = name.find_last_of(L"\\/");
    if (cut != std::wstring_view::npos) return std::wstring(name.substr(cut + 1));
    if (name.size() >= 2 && name[1] == L':') return std::wstring(name.substr(2));
    return std::wstring(name);
}

}  // namespace

BOOL MoveFileExA(LPCSTR from, LPCSTR to, DWORD flags) {
    constexpr DWORD kKnown =
        MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_WRITE_THROUGH;
    if (flags & ~kKnown) return Fail(ERROR_INVALID_PARAMETER);
    // Moves at restart are kept in the registry; until that exists they are refused openly.
    if (flags & MOVEFILE_DELAY_UNTIL_REBOOT) return Fail(ERROR_NOT_SUPPORTED);
    if (!from || !to) return Fail(ERROR_INVALID_PARAMETER);

    const std::wstring wideFrom = platform::text::AnsiToWide(from);
    const std::wstring wideTo = platform::text::AnsiToWide(to);
    bool srcCanonical = false, dstCanonical = false;
    auto src = Resolve(wideFrom, Intent::Read, &srcCanonical);
    if (!src) return FALSE;
    auto dst = Resolve(wideTo, Intent::Read, &dstCanonical);
    if (!dst) return FALSE;
    struct stat srcSt = {};
    if (lstat(src->c_str(), &srcSt) != 0) return Fail(ErrnoToWin32(errno, *src));
    if (InsidePrefix(*src, srcCanonical) || InsidePrefix(*dst, dstCanonical)) {
        src = Resolve(wideFrom, Intent::Modify);
        dst = src ? Resolve(wideTo, Intent::Create) : std::nullopt;
        if (!src || !dst) return FALSE;
        if (lstat(src->c_str(), &srcSt) != 0) return Fail(ErrnoToWin32(errno, *src));
    }
    const bool srcIsDir = S_ISDIR(srcSt.st_mode);
    if (S_ISREG(srcSt.st_mode) && DeleteDenied(*src)) return Fail(ERROR_SHARING_VIOLATION);

    struct stat dstSt = {};
    if (lstat(dst->c_str(), &dstSt) == 0) {
        if (dstSt.st_dev == srcSt.st_dev && dstSt.st_ino == srcSt.st_ino) {
            // The target names the source itself (names differ in case only): rename to the case given.
            *dst = dst->parent_path() / platform::text::WideToUtf8(LeafOf(wideTo));
        } else {
            if (!(flags & MOVEFILE_REPLACE_EXISTING)) return Fail(ERROR_ALREADY_EXISTS);
            if (srcIsDir || S_ISDIR(dstSt.st_mode)) return Fail(ERROR_ACCESS_DENIED);
            // Wine refuses to replace a file that any handle holds open, whatever its sharing.
            if (S_ISREG(dstSt.st_mode) && (!(dstSt.st_mode & S_IWUSR) || OpenAnywhere(*dst)))
                return Fail(ERROR_ACCESS_DENIED);
        }
    }

    if (platform::faults::Hit(platform::testing::FaultKind::Rename)) return Fail(ERROR_DISK_FULL);
    if (std::rename(src->c_str(), dst->c_str()) == 0) return TRUE;
    if (errno != EXDEV) return Fail(ErrnoToWin32(errno, *dst));
    if (!(flags & MOVEFILE_COPY_ALLOWED) || srcIsDir) return Fail(ERROR_NOT_SAME_DEVICE);
    if (!CopyFileA(from, to, FALSE)) return FALSE;
    return DeleteFileA(from);
}
