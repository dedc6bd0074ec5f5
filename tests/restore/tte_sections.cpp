#include "tte_sections.h"

#include <gtest/gtest.h>

#include "eudccore/tte_install.h"
#include "foundation/mem_file.h"
#include "support/box_glyph.h"
#include "truetype/tt_font_file.h"

namespace testsupport {

std::string TemplateTte(const TteGlyphs& glyphs) {
    std::string bytes(static_cast<size_t>(GetNewTteData(nullptr)), '\0');
    GetNewTteData(reinterpret_cast<unsigned char*>(bytes.data()));
    HMemFile file;
    file.Attach(bytes.data(), static_cast<uint32_t>(bytes.size()), nullptr);
    TTFontFile font;
    EXPECT_TRUE(font.Attach(&file));
    for (const auto& [code, glyph] : glyphs) EXPECT_TRUE(font.PutGlyph(code, glyph));
    font.Close();
    return std::string(reinterpret_cast<const char*>(file.GetData()), file.GetLength());
}

int CountDifferingGlyphs(const std::string& a, const std::string& b) {
    std::string ca = a, cb = b;  // Attach works on writable memory
    HMemFile fa, fb;
    fa.Attach(ca.data(), static_cast<uint32_t>(ca.size()), nullptr);
    fb.Attach(cb.data(), static_cast<uint32_t>(cb.size()), nullptr);
    TTFontFile ta, tb;
    if (!ta.Attach(&fa) || !tb.Attach(&fb)) return 6400;
    int differing = 0;
    for (uint32_t code = 0xE000; code <= 0xF8FF; ++code) {
        TTGlyph ga, gb;
        const bool ra = ta.GetGlyph(static_cast<uint16_t>(code), ga);
        const bool rb = tb.GetGlyph(static_cast<uint16_t>(code), gb);
        if (ra != rb || ga.IsEmpty() != gb.IsEmpty() || (!ga.IsEmpty() && !ga.Equals(gb))) ++differing;
    }
    return differing;
}

TteGlyphs DistinctBoxGlyphs(uint16_t first, int stride, int seed) {
    TteGlyphs glyphs;
    for (uint32_t code = first; code <= 0xF8FF; code += static_cast<uint32_t>(stride)) {
        const auto x = static_cast<int16_t>((code * 7 + static_cast<uint32_t>(seed)) % 300);
        glyphs[static_cast<uint16_t>(code)] = BoxGlyph(x, 0, static_cast<int16_t>(x + 100), 500, 1000);
    }
    return glyphs;
}

}  // namespace testsupport
