#include "common/ansi_text.h"

#include "platform/winnls.h"

namespace eudc {

namespace {

char FoldAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Compares the first n bytes of a and b character by character.
bool SameText(std::string_view a, std::string_view b, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        if (IsDBCSLeadByte(static_cast<BYTE>(a[i])) && i + 1 < n) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
            ++i;
        } else if (FoldAscii(a[i]) != FoldAscii(b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool EqualNoCaseAnsi(std::string_view a, std::string_view b) { return a.size() == b.size() && SameText(a, b, a.size()); }

bool StartsWithNoCaseAnsi(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && SameText(text, prefix, prefix.size());
}

}  // namespace eudc
