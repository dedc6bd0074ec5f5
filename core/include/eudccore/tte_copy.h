// Whole-file operations on TTE files: mirroring the glyphs of one TTE file into another, and
// comparing two.
#pragma once
#include "eudccore/export.h"

// Makes the destination's glyphs U+E000..U+F8FF equal to the source's (glyph data and metrics);
// a glyph the source lacks is cleared in the destination. Each file is handled in memory when its
// flag is set. False when either font cannot be opened (the destination is then left as it was)
// or when the destination's edits could not be stored.
EUDCCORE_API bool TTE_2_TTE(const char* sourcePath, const char* destinationPath, bool destinationInMemory,
                            bool sourceInMemory);

// True when the TTE file at path holds the same glyphs U+E000..U+F8FF as the TTE file of font
// slot `slot` of the font manager (its common-application-data path).
EUDCCORE_API bool Compare_TTE(const char* path, int slot);
