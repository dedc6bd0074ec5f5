// Builds backup files (TQClient.tqb) for tests and the demo. Not part of either deliverable: the
// system itself only reads backups.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "backup_format.h"

namespace backupwriter {

using FontRecord = std::array<uint8_t, backup::kFontRecordSize>;

// A font-slot record from code page 950 strings; a string too long for its field is cut.
FontRecord MakeFontRecord(const std::string& faceName, const std::string& tteName, const std::string& styleName);

struct BackupContents {
    std::array<FontRecord, backup::kSlotCount> fontTable{};
    std::array<std::optional<std::string>, backup::kSlotCount> tteSections;  // absent when empty
    std::optional<std::string> liuBox;
    std::vector<uint8_t> characterRecords = std::vector<uint8_t>(backup::kCharRecordSize * backup::kCharCount);
    std::array<uint8_t, backup::kUserBitmapSize> userBitmap{};
    uint8_t compatFlags = backup::kCompatWindows6;

    void SetUserManaged(uint16_t code, bool managed = true);
    // Record of code U+E000 + index; 19 bytes.
    uint8_t* CharacterRecord(int index) { return characterRecords.data() + backup::kCharRecordSize * index; }
};

// The table a new installation starts from: "SystemDefaultEUDCFont" -> "Windows目錄\EUDC.TTE",
// "標楷體" -> "Windows目錄\KAI.TTE".
std::array<FontRecord, backup::kSlotCount> ReferenceFontTable();

// The file's bytes: the header, then the present sections in slot order and the input-method
// section last.
std::string BuildBackup(const BackupContents& contents);
bool WriteBackup(const std::string& hostPath, const BackupContents& contents);

}  // namespace backupwriter
