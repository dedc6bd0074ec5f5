#include "keep_user_glyphs.h"

#include <cstdint>
#include <vector>

#include "eudccore/ref_glyph.h"
#include "eudccore/tt_font_file.h"
#include "eudccore/tt_glyph.h"
#include "foundation/mem_file.h"

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

void KeepUserGlyphs(HExactBuffer& section, const BackupFile& backup, const char* faceName) {
    const int length = section.GetLength();
    if (length <= 0) return;
    HMemFile memory;
    if (!memory.Attach(section.GetBuffer(0), static_cast<uint32_t>(length), nullptr)) return;
    TTFontFile font;
    if (!font.Attach(&memory)) return;

    std::vector<unsigned char> record(EUDC_REF_GLYPH_BUFFER_SIZE);
    for (int i = 0; i < backup::kCharCount; ++i) {
        if (!backup.IsUserManaged(i)) continue;
        const auto code = static_cast<uint16_t>(kFirstUserCode + i);
        const int size = GetRefGlyph(code, faceName, record.data());
        if (size <= 0 || size > EUDC_REF_GLYPH_BUFFER_SIZE) continue;
        TTGlyph glyph;
        if (glyph.Deserialize(record.data(), static_cast<uint32_t>(size))) font.PutGlyph(code, glyph);
    }
    if (!font.Close()) return;
    if (memory.GetLength() == 0 || memory.GetData() == nullptr) return;
    section.Empty();
    section.Append(memory.GetData(), static_cast<int>(memory.GetLength()));
}
