// The keep-glyph step of the font restore: in the section of slot 0 or 1, the codes the user
// manages take the glyph this workstation draws for them now.
#pragma once
#include "backup_file.h"
#include "foundation/mem_file.h"

// Face names of the base fonts of slots 0 and 1 ("細明體" and "標楷體", code page 950); null for
// the other slots.
const char* KeepGlyphFaceName(int slot);

struct KeptGlyphs {
    int kept = 0;     // codes that now carry the workstation's glyph
    int notKept = 0;  // codes the workstation draws whose glyph could not be put in
};

// Rewrites section in place, all the workstation's glyphs in one pass over the font. A code the
// workstation does not draw keeps the backup's glyph, as it should; a glyph that could not be put
// in counts as not kept. When the font cannot be written back, the section keeps the backup's
// bytes and every glyph counts as not kept.
KeptGlyphs KeepUserGlyphs(HMemFile& section, const BackupFile& backup, const char* faceName);
