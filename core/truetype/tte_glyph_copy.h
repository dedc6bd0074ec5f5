// The glyph copy that every whole-file TTE operation shares.
#pragma once

class TTFontFile;

struct GlyphCopyResult {
    int unreadable = 0;  // source glyphs that are damaged (their codes are cleared in the destination)
    int notStored = 0;   // glyphs the destination refused
};

// Makes the destination's glyphs U+E000..U+F8FF equal to the source's: data and metrics of every
// glyph the source has, the others cleared where the destination has them.
GlyphCopyResult CopyEudcGlyphs(TTFontFile& source, TTFontFile& destination);
