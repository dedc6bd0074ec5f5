// Decoding of the strings in a font's `name` table.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform::gdi {

// Platform and encoding IDs of the `name` and `cmap` tables.
inline constexpr uint16_t kPlatformUnicode = 0;
inline constexpr uint16_t kPlatformMac = 1;
inline constexpr uint16_t kPlatformWindows = 3;
inline constexpr uint16_t kMacRoman = 0;
inline constexpr uint16_t kMacChineseTraditional = 2;
inline constexpr uint16_t kWindowsSymbol = 0;
inline constexpr uint16_t kWindowsUnicodeBmp = 1;
inline constexpr uint16_t kWindowsBig5 = 4;
inline constexpr uint16_t kWindowsUnicodeFull = 10;

// The name's text in UTF-16 units, or nullopt for an encoding we cannot read (or bytes that are not
// valid in it). UTF-16BE for the Unicode platform and Windows' Unicode and symbol encodings, Mac
// Roman, and Big5 (Windows encoding 4, Mac encoding 2) through code page 950. Trailing NULs, which
// some fonts pad their names with, are dropped.
std::optional<std::wstring> DecodeName(uint16_t platformId, uint16_t encodingId, std::string_view bytes);

// Mac Roman to Unicode, one byte.
wchar_t MacRomanToUnicode(unsigned char b);

}  // namespace platform::gdi
