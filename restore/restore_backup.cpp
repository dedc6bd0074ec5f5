#include "restore_backup.h"

#include "backup_file.h"
#include "character_records.h"
#include "common/version_code.h"
#include "foundation/exact_buffer.h"

namespace {

// Reads every present TTE section in slot order. The slots' files are not yet replaced.
void FontPhase(BackupFile& backup, bool /*keepUserGlyphs*/) {
    for (int slot = 0; slot < backup::kSlotCount; ++slot) {
        const backup::SectionDescriptor section = backup.TteDescriptor(slot);
        if (!section.present()) continue;
        HExactBuffer bytes;
        backup.ReadSection(section, bytes);
    }
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
    restore::SetCharacterSource(backup.CharacterRecords());

    FontPhase(backup, keepUserGlyphs);
    InputMethodPhase(backup);

    restore::SetCharacterSource(nullptr);
    return 0;
}
