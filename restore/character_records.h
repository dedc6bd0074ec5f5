// The character callback of the input-method phase: serves the backup's character records.
#pragma once
#include <cstdint>

namespace restore {

// The records (6400 of 19 bytes, U+E000 first) that the callback serves; they stay owned by the
// backup header. Null makes every code answer with a zeroed record.
void SetCharacterSource(const uint8_t* records);

// Fills the 21-byte record: bytes 0-18 from the backup for codes U+E000..U+F8FF, zero for any
// other code; bytes 19-20 the code (the low 16 bits of code), little-endian.
void ServeCharacterRecord(uint32_t code, uint8_t* record);

}  // namespace restore
