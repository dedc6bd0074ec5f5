#include "gdi/freetype_library.h"

namespace platform::gdi {
namespace {

// Never destroyed, so that a use during exit still finds it.
std::mutex& Mutex() {
    static auto* m = new std::mutex;
    return *m;
}

FT_Library Library() {
    static FT_Library lib = [] {
        FT_Library l = nullptr;
        if (FT_Init_FreeType(&l) != 0) l = nullptr;
        return l;
    }();
    return lib;
}

}  // namespace

FreeTypeLock::FreeTypeLock() : guard_(Mutex()), library_(Library()) {}

FacePtr FreeTypeLock::OpenFace(const std::filesystem::path& file, long index) const {
    FT_Face face = nullptr;
    if (library_ == nullptr || FT_New_Face(library_, file.c_str(), index, &face) != 0) return nullptr;
    return FacePtr(face);
}

}  // namespace platform::gdi
