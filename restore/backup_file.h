// The backup file as the restore reads it: the checks before anything changes, the header kept in
// one buffer for the whole restore, and the sections read on demand.
#pragma once
#include <cstdint>
#include <vector>

#include "backup_format.h"
#include "foundation/exact_buffer.h"
#include "foundation/mem_file.h"
#include "foundation/os_file.h"

class BackupFile {
public:
    // Opens the file and runs the checks in their order. 0 when the backup may be restored, else
    // the number of the refusal; a refused backup leaves the file closed. Beyond the documented
    // checks: every section must lie behind the header and inside the file, and every TTE
    // section must be a font whose glyphs U+E000..U+F8FF all read.
    int Open(const char* path, int versionCode);
    void Close();

    const uint8_t* Header() const { return header_.data(); }
    backup::SectionDescriptor TteDescriptor(int slot) const;
    backup::SectionDescriptor ImeDescriptor() const;
    const uint8_t* FontTable() const { return header_.data() + backup::kFontTableOffset; }
    const uint8_t* UserBitmap() const { return header_.data() + backup::kUserBitmapOffset; }
    const uint8_t* CharacterRecords() const { return header_.data() + backup::kCharRecordsOffset; }
    // Whether the user manages the glyph of code U+E000 + index on the workstation.
    bool IsUserManaged(int index) const;

    // Seeks to the section and reads it with one Read into a buffer of its length; false when
    // fewer bytes arrive.
    bool ReadSection(const backup::SectionDescriptor& section, HExactBuffer& out);
    // The same into a memory file, where the font editor can read it without another copy.
    bool ReadSection(const backup::SectionDescriptor& section, HMemFile& out);
    // The slot's section, read into the one memory file that the checks and every slot use in
    // turn (so that no slot needs memory of its own); null when absent or when it does not read
    // whole. It may be changed in place, until the next call. The file stays open, readable
    // by others but not writable, from Open to Close: the bytes are the ones the checks passed.
    HMemFile* Section(int slot);

    // How many glyphs the slot's section holds (0 without a section).
    int GlyphCount(int slot) const { return slot >= 0 && slot < backup::kSlotCount ? glyphCounts_[slot] : 0; }

private:
    backup::SectionDescriptor Descriptor(size_t offset) const;
    bool SectionsFitFile(uint32_t fileLength) const;
    static bool ReadableFont(HMemFile& bytes, int& glyphs);

    OS_File file_;
    std::vector<uint8_t> header_;
    int glyphCounts_[backup::kSlotCount] = {};
    HMemFile section_;
};
