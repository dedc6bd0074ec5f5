// The process's one FreeType library. FreeType objects are created and used only while a
// FreeTypeLock is held.
#pragma once
#include <ft2build.h>
#include FT_FREETYPE_H

#include <filesystem>
#include <memory>
#include <mutex>

namespace platform::gdi {

struct FaceCloser {
    void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using FacePtr = std::unique_ptr<FT_FaceRec_, FaceCloser>;

class FreeTypeLock {
public:
    FreeTypeLock();
    FreeTypeLock(const FreeTypeLock&) = delete;
    FreeTypeLock& operator=(const FreeTypeLock&) = delete;

    // Null when FreeType could not start.
    FT_Library library() const { return library_; }
    // Null when there is no library or the face cannot be opened.
    FacePtr OpenFace(const std::filesystem::path& file, long index) const;

private:
    std::lock_guard<std::mutex> guard_;
    FT_Library library_;
};

}  // namespace platform::gdi
