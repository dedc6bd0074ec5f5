// Makes a collected outline fit for TrueType and drives a builder with it: outer contours
// clockwise, holes counter-clockwise, contours outside the em square left out.
#pragma once
#include <cstddef>

#include "truetype/glyph_builder.h"
#include "truetype/glyph_outline.h"

namespace outline {
// Points of the quarter-resolution polygon that stands for one contour while its nesting is
// worked out; a contour that needs more is refused.
inline constexpr size_t kMaxPolygonPoints = 8192;
}  // namespace outline

// False, with the builder untouched, when the work buffer or the scratch region cannot be had or
// a contour is too large for its polygon.
bool EmitOutline(GlyphOutline& outline, CGlyphBuilder& builder);
