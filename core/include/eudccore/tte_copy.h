// Whole-file operations on TTE files: a fresh file from the built-in template, mirroring the
// glyphs of one TTE file into another, comparing two, and the writer of one glyph batch.
#pragma once
#include <cstdint>

#include "eudccore/export.h"

class HBaseFile;
class TTFontFile;
class TTGlyph;

// Makes the destination's glyphs U+E000..U+F8FF equal to the source's (glyph data and metrics);
// a glyph the source lacks is cleared in the destination. Each file is handled in memory when its
// flag is set. False when either font cannot be opened (the destination is then left as it was)
// or when the destination's edits could not be stored.
EUDCCORE_API bool TTE_2_TTE(const char* sourcePath, const char* destinationPath, bool destinationInMemory,
                            bool sourceInMemory);

// True when the TTE file at path holds the same glyphs U+E000..U+F8FF as the TTE file of font
// slot `slot` of the font manager (its common-application-data path).
EUDCCORE_API bool Compare_TTE(const char* path, int slot);

// True when path now holds a fresh empty TTE file of the template that suits the running system.
bool CreateEmptyTteFile(const char* path);

// One batch update of one TTE file.
class TteBatchWriter {
public:
    TteBatchWriter();
    // Commits when still open.
    ~TteBatchWriter();
    TteBatchWriter(const TteBatchWriter&) = delete;
    TteBatchWriter& operator=(const TteBatchWriter&) = delete;

    // Opens path (read-write, exclusive, existing) as a memory file or an operating-system file
    // and attaches the font; a batch still open is committed first.
    bool Open(bool inMemory, const char* path);
    bool PutGlyph(uint16_t code, const TTGlyph& glyph);
    // Writes the edits back and closes the file; true when there was nothing to do.
    bool Commit();

private:
    bool inMemory_ = false;
    HBaseFile* file_ = nullptr;
    TTFontFile* font_ = nullptr;
};
