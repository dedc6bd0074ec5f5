#include "codeconv/ansi_code.h"

#include "platform/winnls.h"

namespace eudc {

WORD AnsiCodeToUnicode(WORD code) {
    const char bytes[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
    WCHAR out[2] = {};
    // An unknown pair must not come back as the code page's '?' substitute.
    const int n = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes, 2, out, 2);
    if (n != 1) return kNoCode;
    const auto unit = static_cast<uint32_t>(out[0]);
    return unit > 0xFFFF ? kNoCode : static_cast<WORD>(unit);
}

WORD UnicodeToAnsiCode(WORD unit, LPCSTR defaultChar, bool* usedDefault) {
    const WCHAR in = static_cast<WCHAR>(unit);
    char out[4] = {};
    BOOL used = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, 0, &in, 1, out, sizeof out, defaultChar, &used);
    if (usedDefault != nullptr) *usedDefault = used != FALSE;
    // Only the bytes actually written count; bytes are unsigned whatever char is.
    const auto byte = [&](int i) { return static_cast<WORD>(static_cast<unsigned char>(out[i])); };
    if (n == 1) return byte(0);
    if (n == 2) return static_cast<WORD>((byte(0) << 8) | byte(1));
    return kNoCode;
}

}  // namespace eudc
