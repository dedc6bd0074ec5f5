// Backup files as an administrator may get them: the reader checks any bytes without reading
// outside them, and what it accepts it can read section by section.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "backup_file.h"
#include "backup_writer.h"
#include "fuzz_target.h"
#include "support/box_glyph.h"
#include "eudccore/tte_install.h"
#include "support/temp_prefix.h"

namespace {

std::vector<std::string> Seeds() {
    backupwriter::BackupContents contents;
    contents.fontTable = backupwriter::ReferenceFontTable();
    contents.liuBox = std::string("liu");
    std::string empty(static_cast<size_t>(GetNewTteData(nullptr)), '\0');
    GetNewTteData(reinterpret_cast<unsigned char*>(empty.data()));
    contents.tteSections[0] = empty;
    contents.SetUserManaged(0xE000);
    return {backupwriter::BuildBackup(contents)};
}

// Where the input is put for the reader, which opens backups by name.
const std::string& InputPath() {
    static const std::string path = [] {
        const std::string dir = (std::filesystem::temp_directory_path() / ("eudc-fuzz-" + std::to_string(getpid()))).string();
        std::filesystem::create_directories(dir);
        return dir + "/TQClient.tqb";
    }();
    return path;
}

}  // namespace

EUDC_FUZZ_TARGET(backup, Seeds) {
    testsupport::WriteFileBytes(InputPath(), std::string(reinterpret_cast<const char*>(data), size));
    BackupFile backup;
    const int refused = backup.Open(testsupport::WindowsPath(InputPath()).c_str(), 16);
    FUZZ_CHECK(refused == 0 || refused == backup::kRefusedFormat || refused == backup::kRefusedWindows6 ||
               refused == backup::kRefusedOpen);
    if (refused != 0) return 0;
    for (int slot = 0; slot < backup::kSlotCount; ++slot) {
        const auto section = backup.TteDescriptor(slot);
        HExactBuffer bytes;
        if (section.present()) FUZZ_CHECK(backup.ReadSection(section, bytes));
        FUZZ_CHECK(backup.GlyphCount(slot) >= 0 && backup.GlyphCount(slot) <= backup::kCharCount);
    }
    for (int i = 0; i < backup::kCharCount; ++i) backup.IsUserManaged(i);
    return 0;
}
