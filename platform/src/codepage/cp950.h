// Code page 950 (Microsoft's Big5 table with its user-defined areas on U+E000..U+F848).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace platform::cp950 {

bool IsLeadByte(uint8_t b);
// Decodes code page 950 bytes to UTF-16 units. A byte pair without a mapping, or a lead byte
// at the end, decodes to U+003F ('?'); *valid (when given) is cleared in that case.
std::wstring Decode(std::string_view bytes, bool* valid = nullptr);
// Encodes UTF-16 units; a unit without a mapping becomes '?' and clears *valid (when given).
std::string Encode(std::wstring_view units, bool* valid = nullptr);

// One mapping each way; 0 when there is none. Double-byte codes carry the lead byte in the high half.
uint16_t ToUnicode(uint16_t code);
uint16_t FromUnicode(uint16_t unit);

}  // namespace platform::cp950
