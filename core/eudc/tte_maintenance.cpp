// The operations on the slots' TTE files.
#include <cstdio>
#include <cstring>
#include <vector>

#include "eudc/eudc_lock.h"
#include "eudc/tte_build.h"
#include "eudccore/as400_2_code.h"
#include "eudccore/eudc_registry.h"
#include "eudccore/tte_copy.h"
#include "eudccore/tte_update.h"
#include "foundation/exact_buffer.h"
#include "foundation/mem_file.h"
#include "foundation/os_file.h"
#include "platform/fileapi.h"
#include "truetype/tt_glyph.h"
#include "truetype/tte_writer.h"

namespace {

// "由於第 %d 組字型對照表不正確,所以無法算出該造字檔的完整路徑"
const char kSlotPathUnknown[] =
    "\xA5\xD1\xA9\xF3\xB2\xC4 %d \xB2\xD5\xA6r\xAB\xAC\xB9\xEF\xB7\xD3\xAA\xED\xA4\xA3\xA5\xBF\xBDT,\xA9\xD2\xA5H"
    "\xB5L\xAAk\xBA\xE2\xA5X\xB8\xD3\xB3y\xA6r\xC0\xC9\xAA\xBA\xA7\xB9\xBE\xE3\xB8\xF4\xAE|";
// "無法開啟造字檔:%s (第%d組字型對照表)"
const char kCannotOpen[] = "\xB5L\xAAk\xB6}\xB1\xD2\xB3y\xA6r\xC0\xC9:%s (\xB2\xC4%d\xB2\xD5\xA6r\xAB\xAC\xB9\xEF\xB7\xD3\xAA\xED)";
// "在 CheckAllTTE 函式中 : 無法產製新的造字 Dat 檔: %s"
const char kCannotCreate[] =
    "\xA6" "b CheckAllTTE \xA8\xE7\xA6\xA1\xA4\xA4 : \xB5L\xAAk\xB2\xA3\xBBs\xB7s\xAA\xBA\xB3y\xA6r Dat \xC0\xC9: %s";

constexpr int kPath = EudcRegistry::kPathSize;

bool FailWith(DWORD error) {
    SetLastError(error);
    return false;
}

bool FileExists(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

_TerminalServiceMode_ TteUpdate::WorkingMode() const {
    return m_mode == TSM_SystemFolders ? TSM_CommonAppData : m_mode;
}

bool TteUpdate::ResolvePath(int slot, _TerminalServiceMode_ mode, char* out) {
    out[0] = '\0';
    return EudcRegistry::Trans_2_RealTteFileName(Get_FontTTE(slot), out, mode) && out[0] != '\0';
}

// The slot's new file is made whole in memory from the template and the source, and only then
// takes the place of the old one: a failure at any point leaves the old file as it was.
bool TteUpdate::ReplaceTTE(int slot, const char* source, bool viaWorkingCopy) {
    using eudc::TteError;
    eudc::EudcLockScope lock;
    if (!lock.held()) return FailWith(eudc::ToLastError(TteError::LockUnavailable));
    const _TerminalServiceMode_ mode = (m_mode == TSM_SystemFolders && viaWorkingCopy) ? TSM_CommonAppData : m_mode;
    char path[kPath];
    if (!ResolvePath(slot, mode, path)) return FailWith(eudc::ToLastError(TteError::NoPath));
    HMemFile bytes;
    if (const TteError e = eudc::BuildTteFromSource(source, bytes); e != TteError::None)
        return FailWith(eudc::ToLastError(e));
    if (const DWORD error = eudc::ReplaceTteFile(path, bytes.GetData(), bytes.GetLength()); error != ERROR_SUCCESS)
        return FailWith(error);
    if (viaWorkingCopy) TteDat_2_RealTte(slot);
    SetLastError(ERROR_SUCCESS);
    return true;
}

bool TteUpdate::Re_CreateTTE(bool) {
    for (int slot = 0; slot < kFontSlotCount; ++slot) {
        char path[kPath];
        if (!ResolvePath(slot, WorkingMode(), path)) continue;
        CreateEmptyTteFile(path);
        m_created[slot] = true;
    }
    return true;
}

bool TteUpdate::DelTTE(int slot, bool alsoWorkingCopy) {
    eudc::EudcLockScope lock;
    if (!lock.held()) return false;
    char path[kPath];
    if (ResolvePath(slot, m_mode, path)) DeleteFileA(path);
    if (m_mode == TSM_SystemFolders && alsoWorkingCopy && ResolvePath(slot, TSM_CommonAppData, path))
        DeleteFileA(path);
    return true;
}

bool TteUpdate::GetTteData(int slot, HExactBuffer* buffer) {
    char path[kPath];
    if (!buffer || !ResolvePath(slot, WorkingMode(), path)) return false;
    OS_File file;
    if (!file.Open(path, 0x8040)) return false;
    const uint32_t length = file.GetLength();
    if (length == 0 || length > INT32_MAX) return false;
    char* data = buffer->GetBufferSetLength(static_cast<int>(length));
    return file.Read(data, length) == length;
}

bool TteUpdate::TteDat_2_RealTte(int slot) {
    const _TQFontData_Struc1* record = Get_FontTTE(slot);
    if (!record || record->TteFileName[0] == '\0') return true;
    char working[kPath], real[kPath];
    if (!ResolvePath(slot, TSM_CommonAppData, working)) return true;
    HMemFile copy;
    if (!copy.Open(working, 0x8010)) return true;
    if (!ResolvePath(slot, TSM_SystemFolders, real)) return false;
    OS_File target;
    if (!target.Open(real, 0x8012) && !target.Open(real, 0x9012)) return false;
    copy.CopyTo(&target);
    target.Close();
    return true;
}

bool TteUpdate::AfterUpdateOK(bool all) {
    eudc::EudcLockScope lock;
    if (!lock.held()) return false;
    if (m_mode != TSM_SystemFolders) return true;
    bool result = true;
    for (int slot = 0; slot < kFontSlotCount; ++slot) {
        if (!all && !m_created[slot]) continue;
        m_created[slot] = false;
        if (!TteDat_2_RealTte(slot)) result = false;
    }
    return result;
}

bool TteUpdate::Check_TteDat_Compatible() {
    if (m_mode != TSM_SystemFolders && m_mode != TSM_CommonAppData2) return false;
    for (int slot = 0; slot < kFontSlotCount; ++slot) {
        char working[kPath], current[kPath];
        if (!ResolvePath(slot, TSM_CommonAppData, working) || !ResolvePath(slot, m_mode, current)) continue;
        HMemFile target;
        if (!target.Open(working, 0x8012) && !target.Open(working, 0x9012)) continue;
        OS_File source;
        if (source.Open(current, 0x8040)) {
            source.CopyTo(&target);
            target.Close();
        }
    }
    return true;
}

bool TteUpdate::CheckAllTTE(const _TQFontData_Struc1* table, char* states, char* error) {
    if (error) error[0] = '\0';
    if (!table || !states) return false;
    bool result = true;
    auto record = [&](const char* path) {
        result = false;
        if (error && error[0] == '\0') std::snprintf(error, kTteErrorBufferSize, kCannotCreate, path);
    };
    for (int slot = 0; slot < kFontSlotCount; ++slot) {
        if (table[slot].TteFileName[0] == '\0') continue;
        char path[kPath] = {};
        if (!EudcRegistry::Trans_2_RealTteFileName(&table[slot], path, WorkingMode()) || path[0] == '\0') continue;
        if (states[slot] == '0') {
            if (CreateEmptyTteFile(path)) {
                states[slot] = '1';
                m_created[slot] = true;
            } else {
                record(path);
            }
        } else if (!FileExists(path)) {
            if (CreateEmptyTteFile(path))
                m_created[slot] = true;
            else
                record(path);
        }
    }
    return result;
}

bool TteUpdate::Internal_Check1TTE(int slot, char* outPath, int* created) {
    if (created) *created = 0;
    char path[kPath];
    if (slot < 0 || slot >= kFontSlotCount || !ResolvePath(slot, WorkingMode(), path)) return false;
    if (outPath) std::memcpy(outPath, path, std::strlen(path) + 1);
    if (FileExists(path)) return true;
    if (!CreateEmptyTteFile(path)) return false;
    m_created[slot] = true;
    if (created) *created = 1;
    return true;
}

int TteUpdate::Update_2_TTE(const unsigned char* data, int, unsigned short count, const _FontDataProperty_* entries,
                            unsigned short slot, int* created, int codeType, bool, char* error) {
    if (error) error[0] = '\0';
    char path[kPath] = {};
    if (!Internal_Check1TTE(slot, path, created)) {
        if (error) std::snprintf(error, kTteErrorBufferSize, kSlotPathUnknown, static_cast<int>(slot));
        return -11;
    }
    TteBatchWriter writer;
    if (!writer.Open(count > 5, path)) {
        if (error) std::snprintf(error, kTteErrorBufferSize, kCannotOpen, path, static_cast<int>(slot));
        return -12;
    }
    size_t offset = 0;
    for (unsigned i = 0; entries && i < count; ++i) {
        const _FontDataProperty_& entry = entries[i];
        const uint16_t code = AS400_2_Code::Get_ShouldUnicode(entry.Code, codeType);
        if (entry.Length == 0xFFFF) {
            if (code != 0xFFFF) writer.PutGlyph(code, TTGlyph());
            continue;
        }
        if (entry.Length == 0) continue;
        TTGlyph glyph;
        if (data && glyph.Deserialize(data + offset, entry.Length) && code != 0xFFFF) writer.PutGlyph(code, glyph);
        offset += entry.Length;
    }
    writer.Commit();
    return 0;
}
