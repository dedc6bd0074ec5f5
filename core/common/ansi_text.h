// Code page 950 text compared as text: ASCII letters match without regard to case, while both
// bytes of a two-byte character are compared exactly (a trail byte may look like an ASCII letter:
// 乙 A441 and 兀 A461 differ only in what a byte-wise case fold would call case).
#pragma once
#include <string_view>

namespace eudc {

bool EqualNoCaseAnsi(std::string_view a, std::string_view b);
bool StartsWithNoCaseAnsi(std::string_view text, std::string_view prefix);

}  // namespace eudc
