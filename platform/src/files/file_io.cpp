// Reading, writing and positioning through a file handle.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "system/faults.h"
#include "files/file_object.h"
#include "files/win_error.h"
#include "platform/fileapi.h"

using namespace platform::files;

namespace {

DWORD HostError(int error) { return ErrnoToWin32(error, std::filesystem::path()); }

// Writes the whole buffer at the descriptor's position; false with errno set when the host
// refuses, with *done the bytes that went in.
bool WriteAll(int fd, const char* in, DWORD count, DWORD* done) {
    while (*done < count) {
        const ssize_t n = ::write(fd, in + *done, count - *done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) break;
        *done += static_cast<DWORD>(n);
    }
    return true;
}

// A write-through write goes in pieces, each sent on to the disk as soon as it is in, so that
// the disk works while the rest is still being copied; it returns once all of it is on the disk.
bool WriteThrough(int fd, const char* in, DWORD count, DWORD* done) {
    constexpr DWORD kPiece = 256 * 1024;
    const off_t start = ::lseek(fd, 0, SEEK_CUR);
    // A descriptor without a position (or a file system without ranges) is synced whole.
    bool ranges = start >= 0;
    while (*done < count) {
        const DWORD from = *done;
        const DWORD piece = std::min(kPiece, count - from);
        DWORD wrote = 0;
        if (!WriteAll(fd, in + from, piece, &wrote)) {
            *done += wrote;
            return false;
        }
        *done += wrote;
        if (wrote < piece) break;
        if (ranges && sync_file_range(fd, start + from, piece, SYNC_FILE_RANGE_WRITE) != 0) {
            if (errno == EIO) return false;
            ranges = false;
        }
    }
    if (ranges) {
        constexpr unsigned kWait = SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER;
        if (sync_file_range(fd, start, *done, kWait) == 0) return true;
        if (errno == EIO) return false;
    }
    return fdatasync(fd) == 0 || errno == EINVAL;
}

}  // namespace

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPVOID overlapped) {
    if (read) *read = 0;
    auto f = LookupFile(file);
    if (!f) return FALSE;
    if (overlapped) return Fail(ERROR_INVALID_PARAMETER);  // no overlapped I/O here
    if (!f->canRead()) return Fail(ERROR_ACCESS_DENIED);
    if (toRead == 0) return TRUE;
    if (!buffer) return Fail(ERROR_NOACCESS);
    // A disk file read returns everything up to the end of file, so short host reads are joined.
    auto* out = static_cast<char*>(buffer);
    DWORD done = 0;
    while (done < toRead) {
        const ssize_t n = ::read(f->fd(), out + done, toRead - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (read) *read = done;
            return Fail(HostError(errno));
        }
        if (n == 0) break;
        done += static_cast<DWORD>(n);
    }
    if (read) *read = done;
    return TRUE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPVOID overlapped) {
    if (written) *written = 0;
    auto f = LookupFile(file);
    if (!f) return FALSE;
    if (overlapped) return Fail(ERROR_INVALID_PARAMETER);
    if (!f->canWrite()) return Fail(ERROR_ACCESS_DENIED);
    if (toWrite == 0) return TRUE;
    if (!buffer) return Fail(ERROR_NOACCESS);
    if (platform::faults::Hit(platform::testing::FaultKind::Write)) return Fail(ERROR_DISK_FULL);
    const auto* in = static_cast<const char*>(buffer);
    DWORD done = 0;
    const bool ok =
        f->writeThrough() ? WriteThrough(f->fd(), in, toWrite, &done) : WriteAll(f->fd(), in, toWrite, &done);
    if (written) *written = done;
    if (!ok) return Fail(HostError(errno));
    if (done < toWrite) return Fail(ERROR_DISK_FULL);
    return TRUE;
}

DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD method) {
    auto f = LookupFile(file);
    if (!f) return INVALID_SET_FILE_POINTER;
    int whence;
    switch (method) {
    case FILE_BEGIN: whence = SEEK_SET; break;
    case FILE_CURRENT: whence = SEEK_CUR; break;
    case FILE_END: whence = SEEK_END; break;
    default: SetLastError(ERROR_INVALID_PARAMETER); return INVALID_SET_FILE_POINTER;
    }
    // Without the high half the distance is a signed 32-bit value; with it, a signed 64-bit one.
    int64_t move = distance;
    if (distanceHigh)
        move = static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(*distanceHigh)) << 32) |
                                    static_cast<uint32_t>(distance));
    int64_t base = 0;
    if (whence == SEEK_CUR) {
        const off_t cur = lseek(f->fd(), 0, SEEK_CUR);
        if (cur < 0) {
            SetLastError(HostError(errno));
            return INVALID_SET_FILE_POINTER;
        }
        base = cur;
    } else if (whence == SEEK_END) {
        struct stat st = {};
        if (fstat(f->fd(), &st) != 0) {
            SetLastError(HostError(errno));
            return INVALID_SET_FILE_POINTER;
        }
        base = st.st_size;
    }
    // The pointer is left where it was when the target is invalid.
    if (move > 0 && base > INT64_MAX - move) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    const int64_t target = base + move;  // base >= 0, so this cannot fall below INT64_MIN
    if (target < 0) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return INVALID_SET_FILE_POINTER;
    }
    if (!distanceHigh && target > static_cast<int64_t>(UINT32_MAX)) {
        SetLastError(ERROR_INVALID_PARAMETER);  // the result would not fit the return value
        return INVALID_SET_FILE_POINTER;
    }
    if (lseek(f->fd(), static_cast<off_t>(target), SEEK_SET) < 0) {
        SetLastError(errno == EINVAL ? ERROR_INVALID_PARAMETER : HostError(errno));
        return INVALID_SET_FILE_POINTER;
    }
    if (distanceHigh) *distanceHigh = static_cast<LONG>(static_cast<uint64_t>(target) >> 32);
    // A position whose low half is all ones is legal; a cleared error tells it from a failure.
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(static_cast<uint64_t>(target) & 0xFFFFFFFFu);
}

BOOL SetEndOfFile(HANDLE file) {
    auto f = LookupFile(file);
    if (!f) return FALSE;
    if (!f->canWrite()) return Fail(ERROR_ACCESS_DENIED);
    const off_t pos = lseek(f->fd(), 0, SEEK_CUR);
    if (pos < 0 || ftruncate(f->fd(), pos) != 0) return Fail(HostError(errno));
    return TRUE;
}

BOOL FlushFileBuffers(HANDLE file) {
    auto f = LookupFile(file);
    if (!f) return FALSE;
    if (!f->canWrite()) return Fail(ERROR_ACCESS_DENIED);
    if (platform::faults::Hit(platform::testing::FaultKind::Sync)) return Fail(ERROR_DISK_FULL);
    if (fdatasync(f->fd()) != 0 && errno != EINVAL) return Fail(HostError(errno));
    return TRUE;
}

DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh) {
    auto f = LookupFile(file);
    if (!f) return INVALID_FILE_SIZE;
    struct stat st = {};
    if (fstat(f->fd(), &st) != 0) {
        SetLastError(HostError(errno));
        return INVALID_FILE_SIZE;
    }
    const auto size = static_cast<uint64_t>(st.st_size);
    if (sizeHigh) *sizeHigh = static_cast<DWORD>(size >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(size & 0xFFFFFFFFu);
}
