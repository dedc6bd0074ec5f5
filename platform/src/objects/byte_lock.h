// One-byte OFD locks (F_OFD_SETLK): owned by the open file description, so they exclude other
// descriptions even inside one process, and the kernel drops them with the description's last
// descriptor, also when the process dies.
#pragma once
#include <fcntl.h>

#include <cerrno>

namespace platform::objects {

// type F_RDLCK, F_WRLCK or F_UNLCK; wait blocks until a conflicting lock is gone.
inline bool LockByte(int fd, long long at, short type, bool wait = false) {
    struct flock fl = {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(at);
    fl.l_len = 1;
    while (fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &fl) != 0)
        if (errno != EINTR) return false;
    return true;
}

// True when a description other than fd's holds a lock on the byte.
inline bool ByteLockedElsewhere(int fd, long long at) {
    struct flock fl = {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(at);
    fl.l_len = 1;
    return fcntl(fd, F_OFD_GETLK, &fl) == 0 && fl.l_type != F_UNLCK;
}

// The errno of a failed non-blocking lock that only means "held by someone else".
inline bool LockIsBusy(int error) { return error == EAGAIN || error == EACCES; }

}  // namespace platform::objects
