#include "backup_writer.h"

#include <algorithm>
#include <cstring>
#include <fstream>

#include "foundation/endian.h"

namespace backupwriter {

namespace {

void PutField(FontRecord& record, size_t offset, size_t size, const std::string& text) {
    const size_t n = std::min(text.size(), size - 1);
    std::memcpy(record.data() + offset, text.data(), n);
}

void PutDescriptor(std::string& header, size_t at, uint32_t offset, uint32_t length) {
    auto* d = reinterpret_cast<uint8_t*>(header.data() + at);
    endian::StoreLE32(d + 4, offset);
    endian::StoreLE32(d + 8, length);
}

}  // namespace

FontRecord MakeFontRecord(const std::string& faceName, const std::string& tteName, const std::string& styleName) {
    FontRecord record{};
    PutField(record, 0, 64, faceName);
    PutField(record, 64, 191, tteName);
    PutField(record, 255, 66, styleName);
    return record;
}

void BackupContents::SetUserManaged(uint16_t code, bool managed) {
    if (code < backup::kFirstCode || code > backup::kLastCode) return;
    const int i = code - backup::kFirstCode;
    const auto bit = static_cast<uint8_t>(1u << (i % 8));
    userBitmap[static_cast<size_t>(i / 8)] = managed ? (userBitmap[static_cast<size_t>(i / 8)] | bit)
                                                     : (userBitmap[static_cast<size_t>(i / 8)] & ~bit);
}

std::array<FontRecord, backup::kSlotCount> ReferenceFontTable() {
    std::array<FontRecord, backup::kSlotCount> table{};
    // "Windows目錄" and the style names in code page 950.
    const std::string windowsDir = "Windows\xA5\xD8\xBF\xFD";
    table[0] = MakeFontRecord("SystemDefaultEUDCFont", windowsDir + "\\EUDC.TTE", "\xA9\xFA\xC5\xE9");
    table[1] = MakeFontRecord("\xBC\xD0\xB7\xA2\xC5\xE9", windowsDir + "\\KAI.TTE", "\xB7\xA2\xAE\xD1\xC5\xE9");
    return table;
}

std::string BuildBackup(const BackupContents& c) {
    std::string file(backup::kHeaderLength, '\0');
    auto* h = reinterpret_cast<uint8_t*>(file.data());
    endian::StoreLE32(h, backup::kHeaderLength);
    std::memcpy(h + backup::kSignatureOffset, backup::kSignature, backup::kSignatureLength);
    for (int slot = 0; slot < backup::kSlotCount; ++slot)
        std::memcpy(h + backup::kFontTableOffset + backup::kFontRecordSize * static_cast<size_t>(slot),
                    c.fontTable[static_cast<size_t>(slot)].data(), backup::kFontRecordSize);
    std::memcpy(h + backup::kUserBitmapOffset, c.userBitmap.data(), backup::kUserBitmapSize);
    std::memcpy(h + backup::kCharRecordsOffset, c.characterRecords.data(),
                std::min(c.characterRecords.size(), backup::kCharRecordSize * backup::kCharCount));
    h[backup::kCompatFlagsOffset] = c.compatFlags;

    for (int slot = 0; slot < backup::kSlotCount; ++slot) {
        const auto& section = c.tteSections[static_cast<size_t>(slot)];
        if (!section || section->empty()) continue;
        PutDescriptor(file, backup::kTteDescriptorOffset + backup::kDescriptorSize * static_cast<size_t>(slot),
                      static_cast<uint32_t>(file.size()), static_cast<uint32_t>(section->size()));
        file += *section;
    }
    if (c.liuBox && !c.liuBox->empty()) {
        PutDescriptor(file, backup::kImeDescriptorOffset, static_cast<uint32_t>(file.size()),
                      static_cast<uint32_t>(c.liuBox->size()));
        file += *c.liuBox;
    }
    // A valid backup is longer than its header, even without sections.
    if (file.size() == backup::kHeaderLength) file.push_back('\0');
    return file;
}

bool WriteBackup(const std::string& hostPath, const BackupContents& contents) {
    const std::string bytes = BuildBackup(contents);
    std::ofstream out(hostPath, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace backupwriter
