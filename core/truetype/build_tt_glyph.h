// Turns a collected outline into a TrueType glyph fitted to a font's design box.
#pragma once
#include "truetype/glyph_outline.h"
#include "truetype/tt_font_file.h"
#include "truetype/tt_glyph.h"

// The em square's centre lands on the design box's centre, scaled by unitsPerEm / 1024. Without a
// box: unitsPerEm 1024, left 0, bottom -204, right 1024, top 820. False when the outline could
// not be processed or the glyph is too large for a simple glyph.
bool BuildTTGlyph(GlyphOutline& outline, const TTDesignBox* box, TTGlyph& glyph);
