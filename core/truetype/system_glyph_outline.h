// The outline of one character as the system draws it in a named font, collected in em-square
// coordinates: x from the character origin, y with the em's bottom at 0 and its top at 1024.
#pragma once
#include <cstdint>

#include "truetype/glyph_outline.h"

// code is a UTF-16 unit when wide, else a code page 950 code (lead byte x 256 + trail byte).
// Face names longer than 31 bytes are refused rather than cut to a different name. False, with the
// outline as it was, when no font, device context or outline can be had.
bool LoadSystemGlyphOutline(GlyphOutline& outline, uint32_t code, const char* faceName, bool wide);

// The GGO_NATIVE records (polygon headers and curves, 16.16, as GetGlyphOutline gives them) into
// the outline, y moved up by yShift; nothing in them is trusted.
void CollectNativeOutline(const uint8_t* records, uint32_t size, int32_t yShift, GlyphOutline& outline);
