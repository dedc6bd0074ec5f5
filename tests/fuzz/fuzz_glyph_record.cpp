// Serialized glyph records as callers hand them in: a record that deserializes is measured,
// checked, serialized back to the same bytes, and written into a TTE file that then reads it back.
#include <algorithm>
#include <climits>
#include <optional>
#include <string>
#include <vector>

#include "eudccore/tte_install.h"
#include "foundation/mem_file.h"
#include "fuzz_target.h"
#include "support/box_glyph.h"
#include "support/tt_test_fonts.h"
#include "truetype/tt_font_file.h"
#include "truetype/tt_glyph.h"

namespace {

std::vector<std::string> Seeds() {
    const TTGlyph box = testsupport::BoxGlyph(100, -100, 900, 700);
    std::string record(box.Serialize(nullptr), '\0');
    box.Serialize(reinterpret_cast<uint8_t*>(record.data()));
    std::string empty(12, '\0');
    // A contour of many one-byte steps, which the box walks in blocks, and one that walks up to
    // the edge of the 16-bit range.
    std::vector<std::string> seeds = {record, empty};
    for (const int step : {37, 255}) {
        testsupport::FontContour ring;
        for (int i = 0; i < 60; ++i) ring.push_back({32767 - 255 * 59 + step * (i % 30), 100 + (i % 7) * step, true});
        TTGlyph ringGlyph;
        const std::string data = testsupport::EncodeSimpleGlyph({ring});
        ringGlyph.SetData(reinterpret_cast<const uint8_t*>(data.data()), static_cast<uint32_t>(data.size()));
        std::string ringRecord(ringGlyph.Serialize(nullptr), '\0');
        ringGlyph.Serialize(reinterpret_cast<uint8_t*>(ringRecord.data()));
        seeds.push_back(ringRecord);
    }
    return seeds;
}

const std::string& Template() {
    static const std::string bytes = [] {
        std::string t(static_cast<size_t>(GetNewTteData(nullptr)), '\0');
        GetNewTteData(reinterpret_cast<unsigned char*>(t.data()));
        return t;
    }();
    return bytes;
}

// The box of a simple glyph's points, walked point by point the plain way; none when the data
// ends before the points do.
std::optional<std::vector<int>> PlainBox(const uint8_t* d, uint32_t n) {
    const auto at16 = [&](uint32_t i) { return static_cast<uint32_t>(d[i] << 8 | d[i + 1]); };
    if (n < 12) return std::nullopt;
    const uint32_t contours = at16(0);
    uint32_t pos = 10 + 2 * contours;
    if (contours == 0 || pos + 2 > n) return std::nullopt;
    const uint32_t points = at16(pos - 2) + 1;
    pos += 2 + at16(pos);
    std::vector<uint8_t> flags;
    while (flags.size() < points) {
        if (pos >= n) return std::nullopt;
        const uint8_t flag = d[pos++];
        uint32_t times = 1;
        if (flag & 0x08) {
            if (pos >= n) return std::nullopt;
            times += d[pos++];
        }
        flags.insert(flags.end(), times, flag);
    }
    flags.resize(points);
    std::vector<int> box = {INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (int axis = 0; axis < 2; ++axis) {
        const uint8_t shortBit = axis == 0 ? 0x02 : 0x04, sameBit = axis == 0 ? 0x10 : 0x20;
        int at = 0;
        for (const uint8_t flag : flags) {
            if (flag & shortBit) {
                if (pos >= n) return std::nullopt;
                at += (flag & sameBit) ? d[pos] : -d[pos];
                ++pos;
            } else if (!(flag & sameBit)) {
                if (pos + 2 > n) return std::nullopt;
                at += static_cast<int16_t>(at16(pos));
                pos += 2;
            }
            box[axis] = std::min(box[axis], at);
            box[axis + 2] = std::max(box[axis + 2], at);
        }
    }
    return box;
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
    // The box the glyph would be given is the box of its points, or none beyond 16 bits.
    if (points > 0) {
        const std::optional<std::vector<int>> plain = PlainBox(glyph.Data(), glyph.Length());
        FUZZ_CHECK(plain.has_value());
        const bool fits =
            std::all_of(plain->begin(), plain->end(), [](int v) { return v >= INT16_MIN && v <= INT16_MAX; });
        TTGlyph boxed = glyph;
        FUZZ_CHECK(boxed.FixBoundingBox() == fits);
        int16_t fixed[4];
        boxed.GetBoundingBox(&fixed[0], &fixed[1], &fixed[2], &fixed[3]);
        if (fits) FUZZ_CHECK(std::equal(fixed, fixed + 4, plain->begin()));
    }
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
