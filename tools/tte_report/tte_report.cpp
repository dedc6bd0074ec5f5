// tte_report BACKUP
// For every font slot of the backup that names a TTE file: the slot, its face name, the TTE file
// as the system resolves it in the prefix ($WINEPREFIX, else ~/.wine), and how many
// codes U+E000..U+F8FF hold a non-empty glyph there ("missing" when the file is absent).
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "backup_format.h"
#include "eudccore/eudc_registry.h"
#include "eudccore/font_slot.h"
#include "foundation/endian.h"
#include "foundation/os_file.h"
#include "platform/fileapi.h"
#include "platform/winnls.h"
#include "truetype/tt_font_file.h"
#include "truetype/tt_glyph.h"

namespace {

// The font-slot table of the backup, after the header's length and signature check out.
bool ReadFontTable(const char* path, _TQFontData_Struc1 (&table)[kFontSlotCount]) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> head(backup::kFontTableOffset + backup::kFontTableSize);
    if (!in.read(head.data(), static_cast<std::streamsize>(head.size()))) return false;
    const auto* bytes = reinterpret_cast<const uint8_t*>(head.data());
    if (endian::LoadLE32(bytes) != backup::kHeaderLength ||
        std::memcmp(bytes + backup::kSignatureOffset, backup::kSignature, backup::kSignatureLength) != 0)
        return false;
    static_assert(sizeof table == backup::kFontTableSize);
    std::memcpy(table, bytes + backup::kFontTableOffset, sizeof table);
    return true;
}

std::wstring Wide(const std::string& ansi) {
    const int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), out.data(), n);
    return out;
}

std::string Utf8(const std::string& ansi) {
    const std::wstring wide = Wide(ansi);
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                      nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
    return out;
}

// "N glyphs", or why there is no count.
std::string GlyphCount(const char* tte) {
    OS_File file;
    if (!file.Open(tte, file_open_mode::kReadOnly | file_open_mode::kShareOthersRead | file_open_mode::kCallerMark)) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? "missing" : "unreadable";
    }
    TTFontFile font;
    if (!font.Attach(&file)) return "not a font";
    int count = 0;
    for (uint32_t code = backup::kFirstCode; code <= backup::kLastCode; ++code) {
        TTGlyph glyph;
        if (font.GetGlyph(static_cast<uint16_t>(code), glyph) && !glyph.IsEmpty()) ++count;
    }
    font.Close();
    return std::to_string(count) + " glyphs";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tte_report BACKUP\n");
        return 2;
    }
    _TQFontData_Struc1 table[kFontSlotCount];
    if (!ReadFontTable(argv[1], table)) {
        std::fprintf(stderr, "tte_report: %s is no readable backup\n", argv[1]);
        return 1;
    }
    for (int slot = 0; slot < kFontSlotCount; ++slot) {
        char tte[EudcRegistry::kPathSize] = {};
        // The restore runs its font manager in mode 0, the system folders.
        if (!EudcRegistry::Trans_2_RealTteFileName(&table[slot], tte, TSM_SystemFolders)) continue;
        const std::string face(table[slot].FaceName, strnlen(table[slot].FaceName, sizeof table[slot].FaceName));
        std::printf("slot %2d  \"%s\"  %s: %s\n", slot, Utf8(face).c_str(), Utf8(tte).c_str(),
                    GlyphCount(tte).c_str());
    }
    return 0;
}
