#include "restore_backup.h"

#include <cstring>
#include <string>

#include "backup_file.h"
#include "character_records.h"
#include "common/ansi_text.h"
#include "common/system_folders.h"
#include "common/version_code.h"
#include "eudccore/eudc_registry.h"
#include "eudccore/register_word.h"
#include "eudccore/tte_update.h"
#include "foundation/exact_buffer.h"
#include "foundation/mem_file.h"
#include "foundation/os_file.h"
#include "foundation/tmp_file.h"
#include "keep_user_glyphs.h"
#include "messages.h"
#include "platform/fileapi.h"
#include "platform/heap.h"
#include "platform/module.h"
#include "platform/shell.h"
#include "platform/sysinfo.h"
#include "platform/winreg.h"
#include "platform/workstation.h"
#include "progress.h"
#include "restore_report.h"

namespace {

std::string SlotPath(const _TQFontData_Struc1& record) {
    char path[EudcRegistry::kPathSize] = {};
    if (!EudcRegistry::Trans_2_RealTteFileName(&record, path, TSM_SystemFolders)) return {};
    return path;
}

// The font manager writes the links without saying whether they took; read them back.
void CheckLinks(const _TQFontData_Struc1* table, RestoreReport& report) {
    HKEY key = nullptr;
    const bool open = RegOpenKeyExA(HKEY_CURRENT_USER, "EUDC\\950", 0, KEY_READ, &key) == ERROR_SUCCESS;
    for (int slot = 0; slot < kFontSlotCount; ++slot) {
        const _TQFontData_Struc1& record = table[slot];
        const std::string face = FaceOf(record);
        const std::string path = SlotPath(record);
        if (face.empty() || path.empty()) continue;
        char data[EudcRegistry::kPathSize] = {};
        DWORD size = sizeof data - 1, type = 0;
        const bool read = open && RegQueryValueExA(key, face.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data),
                                                   &size) == ERROR_SUCCESS && type == REG_SZ;
        // A link left to the slot's unresolved name is one the font manager chose to keep.
        const std::string raw(record.TteFileName, strnlen(record.TteFileName, sizeof record.TteFileName));
        if (!read || (!eudc::EqualNoCaseAnsi(data, path) && !eudc::EqualNoCaseAnsi(data, raw)))
            report.LinkNotWritten(record);
    }
    if (open) RegCloseKey(key);
}

// One slot: the section (for slots 0 and 1 with the glyphs the user manages taken from what the
// workstation draws now) goes through a temporary file into ReplaceTTE, which makes the slot's
// new TTE file whole and then puts it in the old one's place.
void RestoreSlot(BackupFile& backup, const _TQFontData_Struc1& record, int slot, bool keepUserGlyphs,
                 RestoreReport& report, const Progress& progress) {
    const backup::SectionDescriptor section = backup.TteDescriptor(slot);
    if (!section.present()) return;
    const std::string path = SlotPath(record);
    HMemFile* read = backup.Section(slot);
    if (!read) {
        report.SlotFailedText(slot, record, path, restore::messages::kReasonSourceUnreadable);
        return;
    }
    HMemFile& bytes = *read;
    KeptGlyphs kept;
    const char* face = KeepGlyphFaceName(slot);
    if (keepUserGlyphs && face != nullptr) kept = KeepUserGlyphs(bytes, backup, face);
    if (kept.notKept > 0) report.GlyphsNotKept(slot, record, kept.notKept);

    // The section reaches ReplaceTTE by name; the file is written once and not synced, as it
    // is gone again before the restore ends.
    HTmpFile temporary;
    temporary.Configure(0, nullptr, false, false);
    const uint32_t length = bytes.GetLength();
    const bool written = temporary.Write(bytes.GetData(), length) == length;
    const std::string name = temporary.GetFileName() ? temporary.GetFileName() : "";
    const bool closed = temporary.Close();
    if (!written || !closed || name.empty()) {
        if (!name.empty()) DeleteFileA(name.c_str());
        report.SlotFailedText(slot, record, path, restore::messages::kReasonTemporaryFile);
        return;
    }
    TteUpdate* fonts = Get_TteUpdate();
    const bool replaced = fonts && fonts->ReplaceTTE(slot, name.c_str(), false);
    const DWORD reason = GetLastError();
    DeleteFileA(name.c_str());
    if (!replaced) {
        report.SlotFailed(slot, record, path, reason);
        progress.Say("第 " + std::to_string(slot) + " 組 " + Progress::Utf8(FaceOf(record)) + " → " +
                     Progress::Utf8(path) + "：沒有寫入");
        return;
    }
    progress.Say("第 " + std::to_string(slot) + " 組 " + Progress::Utf8(FaceOf(record)) + " → " +
                 Progress::Utf8(path) + "：寫入 " + std::to_string(backup.GlyphCount(slot)) + " 個字形" +
                 (face && keepUserGlyphs ? "，保留 " + std::to_string(kept.kept) + " 個使用者的字形" : ""));
}

// Starts the font manager with the backup's font-slot table, which links the slots under
// EUDC\950, then replaces the TTE file of every slot the backup carries. The font manager
// stays alive until the end of the restore.
void FontPhase(BackupFile& backup, bool keepUserGlyphs, RestoreReport& report, const Progress& progress) {
    _TQFontData_Struc1 table[kFontSlotCount];
    static_assert(sizeof table == backup::kFontTableSize);
    std::memcpy(table, backup.FontTable(), sizeof table);
    TteUpdate_Init(TSM_SystemFolders);
    if (TteUpdate* fonts = Get_TteUpdate()) fonts->Write_FontTTE(table);
    CheckLinks(table, report);

    for (int slot = 0; slot < backup::kSlotCount; ++slot)
        RestoreSlot(backup, table[slot], slot, keepUserGlyphs, report, progress);
}

// The Boshiamy table file in the system folder gets the backup's input-method section whole.
void WriteBoxTable(BackupFile& backup, RestoreReport& report, const Progress& progress) {
    const backup::SectionDescriptor section = backup.ImeDescriptor();
    if (!section.present()) return;
    char system[251] = {};
    const UINT n = GetSystemDirectoryA(system, 250);
    std::string path = n > 0 && n < 250 ? std::string(system, n) : std::string();
    if (!path.empty() && path.back() == '\\') path.pop_back();
    path += "\\liu.box";
    HExactBuffer bytes;
    if (!backup.ReadSection(section, bytes)) {
        report.BoxTableNotWritten(path, ERROR_READ_FAULT);
        return;
    }
    OS_File file;
    const auto length = static_cast<uint32_t>(bytes.GetLength());
    bool written = file.Open(path.c_str(), 0x9002);
    DWORD reason = written ? ERROR_SUCCESS : GetLastError();
    if (written) {
        written = file.Write(bytes.GetBuffer(0), length) == length && file.SetLength(length);
        if (!written) reason = GetLastError();
        file.Flush();
        written = file.Close() && written;
    }
    if (!written) {
        report.BoxTableNotWritten(path, reason != ERROR_SUCCESS ? reason : ERROR_WRITE_FAULT);
        return;
    }
    progress.Say("嘸蝦米字根檔 → " + Progress::Utf8(path));
}

void ServeRecord(unsigned int code, _WORD_DATA_Code* record) {
    restore::ServeCharacterRecord(code, reinterpret_cast<uint8_t*>(record));
}


// liu.box, then the characters' input codes into every installed IME's dictionary.
void InputMethodPhase(BackupFile& backup, RestoreReport& report, const Progress& progress) {
    WriteBoxTable(backup, report, progress);
    TQClient_RegisterWord* words = Get_TQClient_RegisterWord();
    if (!words) return;
    const std::string documents = eudc::ShellFolder(CSIDL_COMMON_DOCUMENTS);
    words->Init(documents.c_str(), ServeRecord);
    const int result = words->Update(true);
    if (result < 0) report.ImeNotRegistered(result);
    if (result == 0)
        progress.Say("輸入法造字詞庫：已登錄");
    else if (result > 0)
        progress.Say("輸入法造字詞庫：沒有可登錄的輸入法");
    else
        progress.Say("輸入法造字詞庫：沒有全部登錄（結果 " + std::to_string(result) + "）");
}

// Under Wine, where the workstation's C: drive lies on the host.
std::string WorkstationRoot() {
    using UnixName = char* (*)(LPCWSTR);
    const auto unixName =
        reinterpret_cast<UnixName>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name"));
    if (!unixName) return "C:\\";
    char* host = unixName(L"C:\\");
    if (!host) return "C:\\";
    std::string out = host;
    HeapFree(GetProcessHeap(), 0, host);
    return out;
}

void SayWorkstation(const Progress& progress) {
    if (!progress.On()) return;
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    progress.Say("工作站：" + WorkstationRoot() + "，Windows " + std::to_string(version.dwMajorVersion) + "." +
                 std::to_string(version.dwMinorVersion) + "（組建 " + std::to_string(version.dwBuildNumber) +
                 "，版本代碼 " + std::to_string(eudc::ComputeWindowsVersionCode()) + "）");
}

}  // namespace

int RestoreBackup(const char* path, bool keepUserGlyphs, RestoreReport* report, const Progress* progress) {
    RestoreReport ownReport;
    const Progress quiet;
    RestoreReport& failures = report ? *report : ownReport;
    const Progress& steps = progress ? *progress : quiet;
    SayWorkstation(steps);

    BackupFile backup;
    const int refused = backup.Open(path, eudc::ComputeWindowsVersionCode());
    if (refused != 0) return refused;
    // Last of the checks, and still before the first change.
    if (CheckWorkstationWritable() != ERROR_SUCCESS) return backup::kRefusedWorkstationInUse;
    restore::SetCharacterSource(backup.CharacterRecords());

    FontPhase(backup, keepUserGlyphs, failures, steps);
    InputMethodPhase(backup, failures, steps);
    TteUpdate_Uninit();

    restore::SetCharacterSource(nullptr);
    return 0;
}
