// Serialized glyph records as callers hand them in: a record that deserializes is measured,
// checked, serialized back to the same bytes, and written into a TTE file that then reads it back.
#include <string>
#include <vector>

#include "eudccore/tte_install.h"
#include "foundation/mem_file.h"
#include "fuzz_target.h"
#include "support/box_glyph.h"
#include "truetype/tt_font_file.h"
#include "truetype/tt_glyph.h"

namespace {

std::vector<std::string> Seeds() {
    const TTGlyph box = testsupport::BoxGlyph(100, -100, 900, 700);
    std::string record(box.Serialize(nullptr), '\0');
    box.Serialize(reinterpret_cast<uint8_t*>(record.data()));
    std::string empty(12, '\0');
    return {record, empty};
}

const std::string& Template() {
    static const std::string bytes = [] {
        std::string t(static_cast<size_t>(GetNewTteData(nullptr)), '\0');
        GetNewTteData(reinterpret_cast<unsigned char*>(t.data()));
        return t;
    }();
    return bytes;
}

}  // namespace

EUDC_FUZZ_TARGET(glyph_record, Seeds) {
    TTGlyph glyph;
    if (!glyph.Deserialize(data, static_cast<uint32_t>(size))) return 0;
    std::vector<uint8_t> again(glyph.Serialize(nullptr));
    glyph.Serialize(again.data());
    FUZZ_CHECK(again.size() <= size && std::equal(again.begin(), again.end(), data));
    int16_t contours = 0;
    uint32_t points = 0;
    const bool simple = glyph.GetContourInfo(&contours, &points);
    int16_t box[4];
    glyph.GetBoundingBox(&box[0], &box[1], &box[2], &box[3]);
    if (!simple) return 0;
    HMemFile file;
    file.Attach(Template().data(), static_cast<uint32_t>(Template().size()), nullptr);
    TTFontFile font;
    FUZZ_CHECK(font.Attach(&file));
    if (!font.PutGlyph(0xE123, glyph)) return 0;
    FUZZ_CHECK(font.Close());
    TTFontFile reopened;
    FUZZ_CHECK(reopened.Attach(&file));
    TTGlyph back;
    FUZZ_CHECK(reopened.GetGlyph(0xE123, back));
    FUZZ_CHECK(back.HasTrueBoundingBox());
    FUZZ_CHECK(back.IsEmpty() == glyph.IsEmpty());
    return 0;
}
