#include "truetype/glyph_builder.h"

#include <algorithm>
#include <limits>

#include "truetype/fixed_point.h"

namespace {

int32_t Saturate(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// (value - origin) x scale + offset, all 16.16. Extreme inputs saturate instead of wrapping, so
// that a wild point stays far away rather than landing somewhere inside the em.
int32_t Transform(int32_t value, int32_t origin, int32_t scale, int32_t offset) {
    const int64_t relative = Saturate(static_cast<int64_t>(value) - origin);
    return Saturate(fixed::Mul(relative, scale) + offset);
}

}  // namespace

int32_t CGlyphBuilder::TransformX(int32_t x) const { return Transform(x, originX_, scale_, offsetX_); }
int32_t CGlyphBuilder::TransformY(int32_t y) const { return Transform(y, originY_, scale_, offsetY_); }
