// The built-in font files of eudccore.
#pragma once
#include "eudccore/export.h"

// The size in bytes of the empty EUDC TrueType template that suits the running Windows
// version, 0 when there is none. With a buffer (of at least that size) the template's bytes
// are copied into it as well; callers ask for the size first, then call again with a buffer.
EUDCCORE_API int GetNewTteData(unsigned char* buffer);
