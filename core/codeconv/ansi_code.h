// Single-character conversions through the system's ANSI code page (950 here). Double-byte
// codes carry the lead byte in the high half.
#pragma once
#include "platform/wintypes.h"

namespace eudc {

inline constexpr WORD kNoCode = 0xFFFF;

// The Unicode unit of a double-byte ANSI code; kNoCode when the code page has none.
WORD AnsiCodeToUnicode(WORD code);

// The ANSI code of one unit. An unmappable unit is written as defaultChar (one or two bytes,
// so "??" gives 0x3F3F) and *usedDefault is set. A single-byte result is returned as it is;
// kNoCode when the conversion itself fails.
WORD UnicodeToAnsiCode(WORD unit, LPCSTR defaultChar, bool* usedDefault = nullptr);

}  // namespace eudc
