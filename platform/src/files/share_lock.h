// Win32 share modes between handles of this and other processes.
//
// Each handle announces itself through shared (read) locks on marker bytes far beyond any real
// data of its file: one marker for each access it holds (read, write, delete) and one for each
// access it refuses to others (no FILE_SHARE_READ, _WRITE, _DELETE). The locks are Linux open-file-
// description locks, so two open() calls conflict even inside one process, and the kernel drops
// them when the last descriptor of the description closes, also when a process dies. A new handle
// first places its own markers, then probes (F_OFD_GETLK with a write lock) the markers that
// conflict with it; a marker held by any other description means a sharing violation. Because
// every handle announces before it probes, two racing opens can both fail, but never both succeed.
#pragma once
#include <filesystem>

#include "platform/wintypes.h"

namespace platform::files {

struct ShareRequest {
    bool read = false;
    bool write = false;
    bool del = false;
    DWORD share = 0;  // FILE_SHARE_* bits
};

// Places the markers of a new handle on fd and checks them against all other handles of the file.
// false when another handle conflicts; the markers are then removed again.
bool AcquireShare(int fd, const ShareRequest& request);
// True when some open handle of the file at hostPath was opened without FILE_SHARE_DELETE.
bool DeleteDenied(const std::filesystem::path& hostPath);
// True when any handle of the file at hostPath is open, in this or another process.
bool OpenAnywhere(const std::filesystem::path& hostPath);
// True when a description other than fd's holds a handle of fd's file open.
bool OpenElsewhere(int fd);
// Drops fd's "open" marker (before its last check whether it was the last handle).
void ReleaseOpenMarker(int fd);

}  // namespace platform::files
