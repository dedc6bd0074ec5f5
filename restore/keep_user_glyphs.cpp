#include "keep_user_glyphs.h"

#include <cstdint>
#include <vector>

#include "eudccore/ref_glyph.h"
#include "foundation/mem_file.h"
#include "truetype/tt_font_file.h"
#include "truetype/tt_glyph.h"

namespace {

constexpr char kMingLiU[] = "\xB2\xD3\xA9\xFA\xC5\xE9";   // 細明體
constexpr char kDFKaiSB[] = "\xBC\xD0\xB7\xA2\xC5\xE9";  // 標楷體
constexpr uint16_t kFirstUserCode = 0xE000;

}  // namespace

const char* KeepGlyphFaceName(int slot) {
    if (slot == 0) return kMingLiU;
    if (slot == 1) return kDFKaiSB;
    return nullptr;
}

KeptGlyphs KeepUserGlyphs(HExactBuffer& section, const BackupFile& backup, const char* faceName) {
    KeptGlyphs result;
    const int length = section.GetLength();
    if (length <= 0) return result;
    HMemFile memory;
    if (!memory.Attach(section.GetBuffer(0), static_cast<uint32_t>(length), nullptr)) return result;
    TTFontFile font;
    if (!font.Attach(&memory)) return result;  // the checks let no such section through

    std::vector<unsigned char> record(EUDC_REF_GLYPH_BUFFER_SIZE);
    for (int i = 0; i < backup::kCharCount; ++i) {
        if (!backup.IsUserManaged(i)) continue;
        const auto code = static_cast<uint16_t>(kFirstUserCode + i);
        const int size = GetRefGlyph(code, faceName, record.data());
        if (size <= 0) continue;
        TTGlyph glyph;
        if (size <= EUDC_REF_GLYPH_BUFFER_SIZE && glyph.Deserialize(record.data(), static_cast<uint32_t>(size)) &&
            font.PutGlyph(code, glyph))
            ++result.kept;
        else
            ++result.notKept;
    }
    if (!font.Close() || memory.GetLength() == 0 || memory.GetData() == nullptr) {
        result.notKept += result.kept;
        result.kept = 0;
        return result;
    }
    section.Empty();
    section.Append(memory.GetData(), static_cast<int>(memory.GetLength()));
    return result;
}
