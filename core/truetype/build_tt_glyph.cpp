#include "truetype/build_tt_glyph.h"

#include <cstdint>
#include <cstdlib>

#include "truetype/emit_outline.h"
#include "truetype/fixed_point.h"
#include "truetype/glyph_builder.h"

namespace {

constexpr TTDesignBox kDefaultBox{1024, 0, -204, 1024, 820};

// |unitsPerEm| / 1024 as 16.16, negated for a negative unitsPerEm.
int32_t ScaleFor(int unitsPerEm) {
    const int magnitude = std::abs(unitsPerEm);
    const int32_t scale = fixed::FromInt(magnitude / 1024) + (magnitude % 1024) * 65536 / 1024;
    return unitsPerEm < 0 ? -scale : scale;
}

}  // namespace

bool BuildTTGlyph(GlyphOutline& outline, const TTDesignBox* box, TTGlyph& glyph) {
    const TTDesignBox& design = box != nullptr ? *box : kDefaultBox;
    glyph.Reset();
    // The box's unitsPerEm is read as the signed 16-bit value the font stores.
    const int32_t scale = ScaleFor(static_cast<int16_t>(design.unitsPerEm));
    const int32_t centreX = (design.left + design.right) / 2;
    const int32_t centreY = (design.bottom + design.top) / 2;
    CTTGlyphBuilder builder(&glyph, scale, fixed::FromInt(512), fixed::FromInt(512), fixed::FromInt(centreX),
                            fixed::FromInt(centreY));
    if (!EmitOutline(outline, builder)) return false;
    // A glyph the builder had to give up on is refused rather than handed on empty.
    if (!builder.IsWorking()) return false;

    glyph.SetMetrics(outline.advanceWidth, outline.advanceHeight, outline.leftSideBearing, outline.topSideBearing);
    int16_t xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    if (glyph.GetBoundingBox(&xMin, &yMin, &xMax, &yMax)) {
        glyph.SetMetrics(outline.advanceWidth, outline.advanceHeight, static_cast<int16_t>(xMin - design.left),
                         static_cast<int16_t>(design.top - yMax));
    } else {
        glyph.SetMetrics(outline.advanceWidth, outline.advanceHeight, 0, 0);
    }
    return true;
}
