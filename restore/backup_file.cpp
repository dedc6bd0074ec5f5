#include "backup_file.h"

#include <cstdint>
#include <cstring>

#include "foundation/endian.h"
#include "foundation/file_open_mode.h"
#include "foundation/mem_file.h"
#include "truetype/tt_font_file.h"
#include "truetype/tt_glyph.h"

using namespace backup;

int BackupFile::Open(const char* path, int versionCode) {
    Close();
    // Read only, others may read, the file must exist.
    if (!path || !file_.Open(path, 0x8020)) return kRefusedOpen;

    if (file_.GetLength() <= kHeaderLength) {
        Close();
        return kRefusedFormat;
    }
    header_.assign(kHeaderLength, 0);
    if (file_.Read(header_.data(), kHeaderLength) != kHeaderLength ||
        endian::LoadLE32(header_.data()) != kHeaderLength ||
        std::memcmp(header_.data() + kSignatureOffset, kSignature, kSignatureLength) != 0) {
        Close();
        return kRefusedFormat;
    }
    if (versionCode == 16 && (header_[kCompatFlagsOffset] & kCompatWindows6) == 0) {
        Close();
        return kRefusedWindows6;
    }
    // A section that reaches past the end of the file would be restored cut short; such a file
    // is damaged, so it is refused before anything changes.
    if (!SectionsFitFile(file_.GetLength())) {
        Close();
        return kRefusedFormat;
    }
    // Every TTE section must be a font the editor reads whole, or nothing at all is restored.
    for (int slot = 0; slot < kSlotCount; ++slot) {
        glyphCounts_[slot] = 0;
        if (!TteDescriptor(slot).present()) continue;
        HMemFile* bytes = Section(slot);
        if (!bytes || !ReadableFont(*bytes, glyphCounts_[slot])) {
            Close();
            return kRefusedFormat;
        }
    }
    return 0;
}

HMemFile* BackupFile::Section(int slot) {
    return ReadSection(TteDescriptor(slot), section_) ? &section_ : nullptr;
}

bool BackupFile::ReadableFont(HMemFile& bytes, int& glyphs) {
    TTFontFile font;
    if (!font.Attach(&bytes)) return false;
    glyphs = 0;
    for (uint32_t code = kFirstCode; code < kFirstCode + kCharCount; ++code) {
        bool empty = true;
        if (font.CheckGlyph(static_cast<uint16_t>(code), &empty)) {
            if (!empty) ++glyphs;
        } else if (font.LastError() != TTFontFile::Error::Unmapped) {
            return false;
        }
    }
    return true;
}

void BackupFile::Close() {
    file_.Close();
    header_.clear();
    section_.SetLength(0);
}

SectionDescriptor BackupFile::Descriptor(size_t offset) const {
    if (header_.size() < kHeaderLength) return {};
    const uint8_t* d = header_.data() + offset;
    return SectionDescriptor{endian::LoadLE32(d + 4), endian::LoadLE32(d + 8)};
}

SectionDescriptor BackupFile::TteDescriptor(int slot) const {
    if (slot < 0 || slot >= kSlotCount) return {};
    return Descriptor(kTteDescriptorOffset + kDescriptorSize * static_cast<size_t>(slot));
}

SectionDescriptor BackupFile::ImeDescriptor() const { return Descriptor(kImeDescriptorOffset); }

bool BackupFile::IsUserManaged(int index) const {
    if (index < 0 || index >= kCharCount || header_.size() < kHeaderLength) return false;
    return (UserBitmap()[index / 8] >> (index % 8)) & 1;
}

bool BackupFile::SectionsFitFile(uint32_t fileLength) const {
    auto fits = [fileLength](const SectionDescriptor& d) {
        // Offsets and lengths travel as signed 32-bit seeks and buffer sizes.
        return !d.present() || (d.offset >= kHeaderLength && d.offset <= INT32_MAX && d.length <= INT32_MAX &&
                                static_cast<uint64_t>(d.offset) + d.length <= fileLength);
    };
    for (int slot = 0; slot < kSlotCount; ++slot)
        if (!fits(TteDescriptor(slot))) return false;
    return fits(ImeDescriptor());
}

bool BackupFile::ReadSection(const SectionDescriptor& section, HExactBuffer& out) {
    out.Empty();
    if (!section.present() || !file_.IsOpen()) return false;
    if (file_.Seek(static_cast<int32_t>(section.offset), 0) != section.offset) return false;
    void* data = out.GetBufferSetLength(static_cast<int32_t>(section.length));
    return file_.Read(data, section.length) == section.length;
}

bool BackupFile::ReadSection(const SectionDescriptor& section, HMemFile& out) {
    if (!section.present() || !file_.IsOpen()) return false;
    if (file_.Seek(static_cast<int32_t>(section.offset), 0) != section.offset) return false;
    if (!out.SetLength(section.length)) return false;
    const bool read = out.GetData() && file_.Read(out.GetData(), section.length) == section.length;
    out.SeekToBegin();
    return read;
}
