// The fonts the process can use: the prefix's Fonts folder and, unless EUDC_HOST_FONTS is "0", the
// host's fonts as fontconfig lists them.
#pragma once
#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "gdi/font_face.h"

namespace platform::gdi {

// The faces in order: the Fonts folder's files by name, then the host's. Kept for the process and
// checked against the folder whenever the change generation (change_watch.h) moved: a change of
// prefix, or a font file added to, removed from or rewritten in the Fonts folder, is seen at the
// next call (only changed files are read again). The same catalogue object is returned while
// nothing changed.
std::shared_ptr<const std::vector<FontFace>> FontCatalogue(uint64_t generation);
// The same at the current generation.
std::shared_ptr<const std::vector<FontFace>> FontCatalogue();

// The host path of C:\windows\Fonts in the current prefix.
std::filesystem::path PrefixFontsFolder();

// Whether a file name has one of the extensions taken from the Fonts folder (.ttf .ttc .otf .tte).
bool IsFontFileName(const std::filesystem::path& name);

}  // namespace platform::gdi
