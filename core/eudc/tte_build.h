// A slot's new TTE file, made whole in memory before it replaces the old one.
#pragma once
#include <cstdint>
#include <vector>

#include "eudc/tte_error.h"

class HMemFile;

namespace eudc {

// The built-in template of the running system with every glyph U+E000..U+F8FF of the TTE file
// at sourcePath. TteError::None when out holds the file.
TteError BuildTteFromSource(const char* sourcePath, HMemFile& out);

// The built-in template alone.
TteError EmptyTte(std::vector<uint8_t>& out);

// Replaces the TTE file at path with bytes through a sibling file and a rename, after the rule
// of MayReplaceTteFile. Returns ERROR_SUCCESS or the last-error code of the failure.
DWORD ReplaceTteFile(const char* path, const uint8_t* data, uint32_t length);

}  // namespace eudc
