// Resources of the library's own module.
#pragma once
#include "platform/wintypes.h"

namespace eudc {

// Without a buffer: the size of resource id of the given type, 0 when missing or empty.
// With a buffer: copies the resource, all of it when maxBytes is 0, else at most maxBytes,
// and returns the number of bytes copied.
DWORD LoadOwnResource(UINT id, void* buffer = nullptr, DWORD maxBytes = 0, LPCSTR type = "DLL");

}  // namespace eudc
