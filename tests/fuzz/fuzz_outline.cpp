// The outline path: GGO_NATIVE records as the system might hand them over, collected, oriented,
// nested and encoded as a TrueType glyph that the editor accepts.
#include <string>
#include <vector>

#include "foundation/endian.h"
#include "fuzz_target.h"
#include "truetype/build_tt_glyph.h"
#include "truetype/system_glyph_outline.h"

namespace {

// One polygon: a header (cb, type 24, start point) and one record of the given type.
std::string Polygon(uint16_t recordType, const std::vector<std::pair<int, int>>& points) {
    std::string out(16 + 4 + 8 * (points.size() - 1), '\0');
    auto* p = reinterpret_cast<uint8_t*>(out.data());
    endian::StoreLE32(p, static_cast<uint32_t>(out.size()));
    endian::StoreLE32(p + 4, 24);
    endian::StoreLE32(p + 8, static_cast<uint32_t>(points[0].first << 16));
    endian::StoreLE32(p + 12, static_cast<uint32_t>(points[0].second << 16));
    endian::StoreLE16(p + 16, recordType);
    endian::StoreLE16(p + 18, static_cast<uint16_t>(points.size() - 1));
    for (size_t i = 1; i < points.size(); ++i) {
        endian::StoreLE32(p + 20 + 8 * (i - 1), static_cast<uint32_t>(points[i].first << 16));
        endian::StoreLE32(p + 24 + 8 * (i - 1), static_cast<uint32_t>(points[i].second << 16));
    }
    return out;
}

std::vector<std::string> Seeds() {
    const std::string outer = Polygon(1, {{100, -100}, {100, 700}, {900, 700}, {900, -100}});
    const std::string hole = Polygon(1, {{300, 100}, {700, 100}, {700, 500}, {300, 500}});
    const std::string curve = Polygon(2, {{200, 0}, {200, 600}, {500, 780}, {800, 600}, {200, 0}});
    return {outer, outer + hole, curve};
}

}  // namespace

EUDC_FUZZ_TARGET(outline, Seeds) {
    if (size > (1u << 16)) return 0;
    GlyphOutline outline;
    CollectNativeOutline(data, static_cast<uint32_t>(size), 204, outline);
    TTGlyph glyph;
    if (!BuildTTGlyph(outline, nullptr, glyph)) return 0;
    FUZZ_CHECK(glyph.GetContourInfo(nullptr, nullptr));
    FUZZ_CHECK(glyph.HasTrueBoundingBox());
    return 0;
}
