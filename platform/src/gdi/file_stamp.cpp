#include "gdi/file_stamp.h"

#include <sys/stat.h>
#include <time.h>

#include <algorithm>

namespace platform::gdi {

namespace {

constexpr int64_t kNsPerSecond = 1000000000;

int64_t Ns(const struct timespec& t) { return static_cast<int64_t>(t.tv_sec) * kNsPerSecond + t.tv_nsec; }

// File times come from the kernel's coarse clock, one tick apart; a time of whole seconds may
// come from a file system that keeps nothing finer (a FAT volume keeps two seconds).
int64_t Granularity(int64_t mtimeNs) {
    if (mtimeNs % kNsPerSecond == 0) return 2 * kNsPerSecond;
    struct timespec res {};
    if (clock_getres(CLOCK_REALTIME_COARSE, &res) != 0) return kNsPerSecond;
    return Ns(res);
}

}  // namespace

FileStamp TakeStamp(const std::filesystem::path& path) {
    // Read before looking at the file: a change after this moment gets a later time.
    struct timespec now {};
    const bool clock = clock_gettime(CLOCK_REALTIME_COARSE, &now) == 0;
    FileStamp stamp;
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return stamp;
    stamp.exists = true;
    stamp.regular = S_ISREG(st.st_mode);
    stamp.device = static_cast<uint64_t>(st.st_dev);
    stamp.inode = static_cast<uint64_t>(st.st_ino);
    stamp.size = static_cast<uint64_t>(st.st_size);
    stamp.mtimeNs = Ns(st.st_mtim);
    // A change time may be later still (a rename keeps the modification time).
    const int64_t changed = std::max(stamp.mtimeNs, Ns(st.st_ctim));
    stamp.recent = !clock || changed + Granularity(stamp.mtimeNs) >= Ns(now);
    return stamp;
}

}  // namespace platform::gdi
