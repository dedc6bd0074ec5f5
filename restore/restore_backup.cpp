#include "restore_backup.h"

#include <cstring>
#include <string>

#include "backup_file.h"
#include "character_records.h"
#include "common/version_code.h"
#include "eudccore/tte_update.h"
#include "foundation/exact_buffer.h"
#include "foundation/tmp_file.h"
#include "keep_user_glyphs.h"
#include "platform/fileapi.h"
#include "platform/workstation.h"

namespace {

// One slot: the section goes through a temporary file into ReplaceTTE, which rebuilds the slot's
// TTE file from the template with the section's glyphs. In slots 0 and 1 the glyphs the user
// manages are first taken from what the workstation draws now. Nothing here is reported.
void RestoreSlot(BackupFile& backup, int slot, bool keepUserGlyphs) {
    const backup::SectionDescriptor section = backup.TteDescriptor(slot);
    if (!section.present()) return;
    HExactBuffer bytes;
    backup.ReadSection(section, bytes);
    const char* face = KeepGlyphFaceName(slot);
    if (keepUserGlyphs && face != nullptr) KeepUserGlyphs(bytes, backup, face);

    HTmpFile temporary;
    temporary.Configure(0, nullptr, false, false);
    temporary.Write(bytes.GetBuffer(0), static_cast<uint32_t>(bytes.GetLength()));
    const std::string name = temporary.GetFileName() ? temporary.GetFileName() : "";
    temporary.Close();
    if (name.empty()) return;
    if (TteUpdate* fonts = Get_TteUpdate()) fonts->ReplaceTTE(slot, name.c_str(), false);
    DeleteFileA(name.c_str());
}

// Starts the font manager with the backup's font-slot table, which links the slots under
// EUDC\950, then replaces the TTE file of every slot the backup carries. The font manager
// stays alive until the end of the restore.
void FontPhase(BackupFile& backup, bool keepUserGlyphs) {
    _TQFontData_Struc1 table[kFontSlotCount];
    static_assert(sizeof table == backup::kFontTableSize);
    std::memcpy(table, backup.FontTable(), sizeof table);
    TteUpdate_Init(TSM_SystemFolders);
    if (TteUpdate* fonts = Get_TteUpdate()) fonts->Write_FontTTE(table);

    for (int slot = 0; slot < backup::kSlotCount; ++slot) RestoreSlot(backup, slot, keepUserGlyphs);
}

// Reads the input-method section. liu.box and the registration are not yet written.
void InputMethodPhase(BackupFile& backup) {
    const backup::SectionDescriptor section = backup.ImeDescriptor();
    if (section.present()) {
        HExactBuffer bytes;
        backup.ReadSection(section, bytes);
    }
}

}  // namespace

int RestoreBackup(const char* path, bool keepUserGlyphs) {
    BackupFile backup;
    const int refused = backup.Open(path, eudc::ComputeWindowsVersionCode());
    if (refused != 0) return refused;
    // Last of the checks, and still before the first change.
    if (CheckWorkstationWritable() != ERROR_SUCCESS) return backup::kRefusedWorkstationInUse;
    restore::SetCharacterSource(backup.CharacterRecords());

    FontPhase(backup, keepUserGlyphs);
    InputMethodPhase(backup);
    TteUpdate_Uninit();

    restore::SetCharacterSource(nullptr);
    return 0;
}
