// A user-defined character as the system draws it now in a named font, as a serialized glyph
// record: a 12-byte little-endian header (advance width, advance height, left and top side
// bearings, 32-bit data length n) and n bytes of `glyf` data, fitted to a 1024-unit em whose box
// runs from -204 to 820.
#pragma once
#include "eudccore/export.h"

#ifdef __cplusplus
extern "C" {
#endif

// The buffer a caller must provide: no record larger than this is ever written; a glyph whose
// record would be larger is refused with -1.
#define EUDC_REF_GLYPH_BUFFER_SIZE 65536

// code: a UTF-16 unit (normally U+E000..U+F8FF); faceName: a code page 950 face name of at most
// 31 bytes; buffer: EUDC_REF_GLYPH_BUFFER_SIZE bytes, or null to measure only. Returns the
// record's size (12 + n), or -1 when the font, the outline or the code page form of the character
// cannot be had. On 32-bit Windows the export is named _GetRefGlyph@12.
EUDCCORE_API int EUDCCORE_STDCALL GetRefGlyph(unsigned int code, const char* faceName, unsigned char* buffer);

#ifdef __cplusplus
}
#endif
