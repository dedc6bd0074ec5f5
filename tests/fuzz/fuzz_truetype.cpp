// The TrueType editor on any bytes: whatever it opens it reads glyph by glyph, writes into, and
// closes; a font it closed without complaint opens again with what was written.
#include <algorithm>
#include <string>
#include <vector>

#include "eudccore/tte_install.h"
#include "foundation/mem_file.h"
#include "fuzz_target.h"
#include "support/box_glyph.h"
#include "support/test_font_builder.h"
#include "truetype/tt_font_file.h"
#include "truetype/tt_glyph.h"

namespace {

std::vector<std::string> Seeds() {
    std::string tte(static_cast<size_t>(GetNewTteData(nullptr)), '\0');
    GetNewTteData(reinterpret_cast<unsigned char*>(tte.data()));
    const testsupport::FontContour box = {{100, 0}, {100, 700}, {600, 700}, {600, 0}};
    const std::string small = testsupport::TestFontBuilder().Family("Fuzz").Glyph(0xE000, {box}).Glyph(0xE001, {box}).Build();
    return {tte, small};
}

}  // namespace

EUDC_FUZZ_TARGET(truetype, Seeds) {
    if (size > (1u << 20)) return 0;
    HMemFile file;
    file.Attach(data, static_cast<uint32_t>(size), nullptr);
    TTFontFile font;
    if (!font.Attach(&file)) return 0;
    const TTGlyph written = testsupport::BoxGlyph(10, 20, 300, 400, 900);
    std::vector<uint16_t> codes(64);
    codes.resize(static_cast<size_t>(font.ListMappedCodes(codes.data(), static_cast<int>(codes.size()))));
    for (uint16_t code : codes) {
        bool empty = false;
        const bool checked = font.CheckGlyph(code, &empty);
        TTGlyph glyph;
        FUZZ_CHECK(font.GetGlyph(code, glyph) == checked);
        if (checked) {
            FUZZ_CHECK(glyph.IsEmpty() == empty);
            font.PutGlyph(code, glyph);
        }
    }
    const bool put = !codes.empty() && font.PutGlyph(codes.front(), written);
    if (!font.Close()) return 0;
    TTFontFile reopened;
    FUZZ_CHECK(reopened.Attach(&file));
    if (put) {
        TTGlyph back;
        FUZZ_CHECK(reopened.GetGlyph(codes.front(), back));
        // The data, not always the advance: a glyph past hmtx's long metrics shares the last one.
        FUZZ_CHECK(back.Length() == written.Length() && std::equal(back.Data(), back.Data() + back.Length(), written.Data()));
    }
    return 0;
}
