#include "files/share_lock.h"

#include <fcntl.h>
#include <unistd.h>

#include "platform/fileapi.h"

namespace platform::files {

namespace {

// Far above any file this system handles, still a valid lock offset.
constexpr off_t kMarkerBase = static_cast<off_t>(0x7FFFFFFF00000000LL);

enum Marker { kHasRead, kHasWrite, kHasDelete, kDeniesRead, kDeniesWrite, kDeniesDelete, kIsOpen, kMarkerCount };

bool SetMarker(int fd, int marker, short type) {
    struct flock fl = {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = kMarkerBase + marker;
    fl.l_len = 1;
    return fcntl(fd, F_OFD_SETLK, &fl) == 0;
}

// True when a description other than fd's holds marker.
bool HeldByOther(int fd, int marker) {
    struct flock fl = {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = kMarkerBase + marker;
    fl.l_len = 1;
    if (fcntl(fd, F_OFD_GETLK, &fl) != 0) return false;
    return fl.l_type != F_UNLCK;
}

}  // namespace

bool AcquireShare(int fd, const ShareRequest& r) {
    bool mine[kMarkerCount] = {};
    mine[kHasRead] = r.read;
    mine[kHasWrite] = r.write;
    mine[kHasDelete] = r.del;
    mine[kDeniesRead] = !(r.share & FILE_SHARE_READ);
    mine[kDeniesWrite] = !(r.share & FILE_SHARE_WRITE);
    mine[kDeniesDelete] = !(r.share & FILE_SHARE_DELETE);
    mine[kIsOpen] = true;
    for (int m = 0; m < kMarkerCount; ++m) {
        if (mine[m] && !SetMarker(fd, m, F_RDLCK)) {
            // A descriptor that cannot take read locks (not readable, or a file system without
            // locks) cannot announce itself; such a handle goes unchecked rather than failing.
            for (int k = 0; k < m; ++k)
                if (mine[k]) SetMarker(fd, k, F_UNLCK);
            return true;
        }
    }
    // Each marker of ours conflicts with its counterpart held by someone else.
    static constexpr int kOpposite[kMarkerCount] = {kDeniesRead, kDeniesWrite, kDeniesDelete, kHasRead,
                                                    kHasWrite,   kHasDelete,   -1};
    bool conflict = false;
    for (int m = 0; m < kMarkerCount && !conflict; ++m)
        conflict = mine[m] && kOpposite[m] >= 0 && HeldByOther(fd, kOpposite[m]);
    if (conflict) {
        for (int m = 0; m < kMarkerCount; ++m)
            if (mine[m]) SetMarker(fd, m, F_UNLCK);
    }
    return !conflict;
}

namespace {

// Whether another description holds marker on the file at hostPath, seen through a description
// of our own that holds nothing.
bool MarkerHeld(const std::filesystem::path& hostPath, int marker) {
    const int fd = open(hostPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return false;
    const bool held = HeldByOther(fd, marker);
    close(fd);
    return held;
}

}  // namespace

bool DeleteDenied(const std::filesystem::path& hostPath) { return MarkerHeld(hostPath, kDeniesDelete); }

bool OpenAnywhere(const std::filesystem::path& hostPath) { return MarkerHeld(hostPath, kIsOpen); }

bool OpenElsewhere(int fd) { return HeldByOther(fd, kIsOpen); }

void ReleaseOpenMarker(int fd) { SetMarker(fd, kIsOpen, F_UNLCK); }

}  // namespace platform::files
