// Writing TTE files inside the library: a fresh file from the built-in template, and the writer
// of one glyph batch. Neither is exported; the font manager drives both.
#pragma once
#include <cstdint>

class HBaseFile;
class TTFontFile;
class TTGlyph;

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
