// Conversions between the system's string forms: code page 950 bytes (A functions),
// UTF-16 units in WCHAR (W functions) and UTF-8 (host paths, terminal output).
#pragma once
#include <string>
#include <string_view>

namespace platform::text {

std::wstring AnsiToWide(std::string_view ansi);   // code page 950 -> UTF-16 units
std::string WideToAnsi(std::wstring_view wide);   // UTF-16 units -> code page 950, '?' for what has no mapping
std::string WideToUtf8(std::wstring_view wide);
std::wstring Utf8ToWide(std::string_view utf8);
std::string AnsiToUtf8(std::string_view ansi);
std::string Utf8ToAnsi(std::string_view utf8);

// Upper-cases ASCII letters only, as the registry and the file system compare names.
std::wstring UpperAscii(std::wstring_view s);
bool EqualNoCase(std::wstring_view a, std::wstring_view b);
// For ASCII words (keys, resource names): each byte as it is, ASCII letters without regard to case.
bool EqualNoCaseAscii(std::string_view a, std::string_view b);

}  // namespace platform::text
