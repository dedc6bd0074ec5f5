// The keep-glyph step of the font restore: in the section of slot 0 or 1, the codes the user
// manages take the glyph this workstation draws for them now.
#pragma once
#include "backup_file.h"
#include "foundation/exact_buffer.h"

// Face names of the base fonts of slots 0 and 1 ("細明體" and "標楷體", code page 950); null for
// the other slots.
const char* KeepGlyphFaceName(int slot);

// Rewrites section in place. A section that is no font, a code the workstation cannot draw and a
// font that cannot be written back leave the backup's bytes as they were.
void KeepUserGlyphs(HExactBuffer& section, const BackupFile& backup, const char* faceName);
