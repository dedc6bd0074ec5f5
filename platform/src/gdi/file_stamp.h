// What tells one version of a file (or folder) from another without reading it.
#pragma once
#include <cstdint>
#include <filesystem>

namespace platform::gdi {

struct FileStamp {
    bool exists = false;
    bool regular = false;  // a plain file (not a folder, a device or a pipe)
    uint64_t device = 0;
    uint64_t inode = 0;
    uint64_t size = 0;
    int64_t mtimeNs = 0;
    // Modified so shortly before it was looked at that a later change within the same tick of the
    // file system's clock could leave every field above as it is.
    bool recent = false;

    bool SameFields(const FileStamp& other) const {
        return exists == other.exists && regular == other.regular && device == other.device &&
               inode == other.inode && size == other.size && mtimeNs == other.mtimeNs;
    }
};

// The stamp of path now (symbolic links followed); exists is false when there is nothing there.
FileStamp TakeStamp(const std::filesystem::path& path);

// Whether what was read when earlier was taken is still what now describes: the fields agree and
// earlier was not recent. A recent stamp never vouches for its file, so a file changed twice
// within one tick is read again rather than taken for unchanged.
inline bool StillCurrent(const FileStamp& earlier, const FileStamp& now) {
    return !earlier.recent && earlier.SameFields(now);
}

}  // namespace platform::gdi
