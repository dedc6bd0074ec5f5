// Replacing a file's whole content so that it is never seen torn.
#pragma once
#include <cstdint>

#include "platform/wintypes.h"

// Writes data to a sibling of path ("<path>.eudc-new"), flushes it to the disk and renames it over
// path, which then holds either its old content or all of data, whatever fails or crashes on
// the way. Returns ERROR_SUCCESS or the Win32 error of the step that failed; the sibling is never
// left behind by a failure (one left by a crash goes with the next replacement of that path).
DWORD ReplaceFileContent(const char* path, const void* data, std::uint32_t length);
