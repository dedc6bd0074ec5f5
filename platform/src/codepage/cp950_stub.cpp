// Temporary ASCII-only stand-in until the generated table lands.
#include "codepage/cp950.h"

namespace platform::cp950 {
bool IsLeadByte(uint8_t b) { return b >= 0x81 && b <= 0xFE; }
uint16_t ToUnicode(uint16_t code) { return code < 0x80 ? code : 0; }
uint16_t FromUnicode(uint16_t unit) { return unit < 0x80 ? unit : 0; }
std::wstring Decode(std::string_view bytes, bool* valid) {
    std::wstring out;
    if (valid) *valid = true;
    for (unsigned char c : bytes) out += c < 0x80 ? wchar_t(c) : L'?';
    return out;
}
std::string Encode(std::wstring_view units, bool* valid) {
    std::string out;
    if (valid) *valid = true;
    for (wchar_t c : units) out += c < 0x80 ? char(c) : '?';
    return out;
}
}  // namespace platform::cp950
