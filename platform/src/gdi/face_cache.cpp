#include "gdi/face_cache.h"

#include <algorithm>
#include <vector>

#include "gdi/change_watch.h"
#include "gdi/file_stamp.h"

namespace platform::gdi {

namespace {

// Faces kept at a time: a drawing uses its font and the EUDC fonts linked to it.
constexpr size_t kKeptFaces = 16;

struct Entry {
    std::filesystem::path file;
    long index = 0;
    uint64_t generation = 0;
    uint64_t lastUse = 0;
    FileStamp stamp;
    FacePtr face;  // null: the file was not there or no font
};

// Used only while the FreeType lock is held.
struct Faces {
    std::vector<Entry> entries;
    uint64_t uses = 0;
};

Faces& TheFaces() {
    static auto* faces = new Faces;
    return *faces;
}

}  // namespace

FT_Face CachedFace(const FreeTypeLock& lock, const std::filesystem::path& file, long index, uint64_t generation) {
    Faces& faces = TheFaces();
    auto it = std::find_if(faces.entries.begin(), faces.entries.end(),
                           [&](const Entry& e) { return e.index == index && e.file.native() == file.native(); });
    if (it != faces.entries.end() && it->generation == generation) {
        it->lastUse = ++faces.uses;
        return it->face.get();
    }
    WatchFileFolder(file);
    const FileStamp stamp = TakeStamp(file);
    if (it == faces.entries.end()) {
        if (faces.entries.size() >= kKeptFaces)
            faces.entries.erase(std::min_element(faces.entries.begin(), faces.entries.end(),
                                                 [](const Entry& a, const Entry& b) { return a.lastUse < b.lastUse; }));
        faces.entries.push_back(Entry{file, index, 0, 0, FileStamp{}, nullptr});
        it = faces.entries.end() - 1;
    } else if (StillCurrent(it->stamp, stamp)) {
        it->generation = generation;
        it->lastUse = ++faces.uses;
        return it->face.get();
    }
    it->face.reset();
    if (stamp.regular) it->face = lock.OpenFace(file, index);
    it->stamp = stamp;
    it->generation = generation;
    it->lastUse = ++faces.uses;
    return it->face.get();
}

}  // namespace platform::gdi
