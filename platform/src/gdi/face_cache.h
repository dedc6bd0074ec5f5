// The FreeType faces that glyphs are loaded from, opened once per process and opened again when
// their file changed, so that a glyph costs no opening of its font.
#pragma once
#include <cstdint>
#include <filesystem>

#include "gdi/freetype_library.h"

namespace platform::gdi {

// The face of index in file, or null when the file is not there or is no font FreeType reads.
// A face kept from before is used while the change generation (change_watch.h) has not moved, or
// while the file's stamp shows the same version. The face belongs to the cache: it stays valid
// while lock is held and no other face is asked for.
FT_Face CachedFace(const FreeTypeLock& lock, const std::filesystem::path& file, long index, uint64_t generation);

}  // namespace platform::gdi
