#include "keep_user_glyphs.h"

#include <cstdint>
#include <cstring>
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

KeptGlyphs KeepUserGlyphs(HMemFile& section, const BackupFile& backup, const char* faceName) {
    KeptGlyphs result;
    bool anyManaged = false;
    for (int i = 0; i < backup::kCharCount && !anyManaged; ++i) anyManaged = backup.IsUserManaged(i);
    if (!anyManaged || section.GetLength() == 0 || !section.GetData()) return result;
    // Edited in a copy: a font that cannot be written back leaves the section as it was.
    HMemFile memory;
    if (!memory.Attach(section.GetData(), section.GetLength(), nullptr)) return result;
    TTFontFile font;
    if (!font.Attach(&memory)) return result;  // the checks let no such section through

    std::vector<unsigned char> record(EUDC_REF_GLYPH_BUFFER_SIZE);
    std::vector<TTGlyph> glyphs;
    std::vector<uint16_t> codes;
    for (int i = 0; i < backup::kCharCount; ++i) {
        if (!backup.IsUserManaged(i)) continue;
        const auto code = static_cast<uint16_t>(kFirstUserCode + i);
        const int size = GetRefGlyph(code, faceName, record.data());
        if (size <= 0) continue;
        TTGlyph glyph;
        if (size > EUDC_REF_GLYPH_BUFFER_SIZE || !glyph.Deserialize(record.data(), static_cast<uint32_t>(size))) {
            ++result.notKept;
            continue;
        }
        glyphs.push_back(std::move(glyph));
        codes.push_back(code);
    }
    if (glyphs.empty()) return result;
    std::vector<TTGlyphEdit> edits;
    for (size_t k = 0; k < glyphs.size(); ++k) edits.push_back({codes[k], &glyphs[k]});
    const bool put = font.PutGlyphs(edits);
    for (const TTGlyphEdit& e : edits) {
        if (put && e.stored)
            ++result.kept;
        else
            ++result.notKept;
    }
    // Sizing the section first: a block that cannot be had leaves its bytes as they were.
    if (!put || !font.Close() || memory.GetLength() == 0 || !memory.GetData() || !section.SetLength(memory.GetLength())) {
        result.notKept += result.kept;
        result.kept = 0;
        return result;
    }
    std::memcpy(section.GetData(), memory.GetData(), memory.GetLength());
    section.SeekToBegin();
    return result;
}
