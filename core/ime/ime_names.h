// The four Traditional-Chinese IMEs the system registers words with: their names (code page 950
// bytes, compared with their terminator) and the keyboard layouts they are probed at.
#pragma once
#include "platform/wintypes.h"

namespace eudc::ime {

inline constexpr char kZhuyin[] = "\xAA\x60\xAD\xB5";              // 注音
inline constexpr char kChangjie[] = "\xAD\xDC\xBE\x65";            // 倉頡
inline constexpr char kNewZhuyin[] = "\xB7\x73\xAA\x60\xAD\xB5";   // 新注音
inline constexpr char kNewChangjie[] = "\xB7\x73\xAD\xDC\xBE\x65"; // 新倉頡

inline constexpr DWORD kZhuyinLayout = 0xE0010404;
inline constexpr DWORD kChangjieLayout = 0xE0020404;
inline constexpr DWORD kNewZhuyinLayout = 0xE0080404;
inline constexpr DWORD kNewChangjieLayout = 0xE0090404;

}  // namespace eudc::ime
