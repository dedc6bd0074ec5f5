// Win32 code page conversion: the ANSI and OEM code page is 950; UTF-8 is also accepted.
#include "platform/winnls.h"

#include <climits>
#include <string>
#include <string_view>

#include "codepage/cp950.h"
#include "platform/fileapi.h"
#include "text.h"

namespace {

enum class Page { Cp950, Utf8, Unsupported };

Page Resolve(UINT codePage) {
    if (codePage == CP_ACP || codePage == CP_OEMCP || codePage == 950) return Page::Cp950;
    if (codePage == CP_UTF8) return Page::Utf8;
    return Page::Unsupported;
}

// The Windows rule for every conversion's output: size 0 asks for the size, a buffer too
// small fails without writing.
template <typename Out, typename Str>
int Deliver(const Str& result, Out* dest, int destLen) {
    if (result.size() > size_t(INT_MAX)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    const auto needed = static_cast<int>(result.size());
    if (destLen == 0) return needed;
    if (needed > destLen) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    result.copy(dest, result.size());
    return needed;
}

int Fail(DWORD error) {
    SetLastError(error);
    return 0;
}

}  // namespace

UINT GetACP() { return 950; }
UINT GetOEMCP() { return 950; }

BOOL IsDBCSLeadByte(BYTE testChar) { return platform::cp950::IsLeadByte(testChar) ? TRUE : FALSE; }

BOOL IsDBCSLeadByteEx(UINT codePage, BYTE testChar) {
    switch (Resolve(codePage)) {
        case Page::Cp950:
            return IsDBCSLeadByte(testChar);
        case Page::Utf8:
            return FALSE;
        case Page::Unsupported:
            break;
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR mbStr, int mbLen, LPWSTR wideStr, int wideLen) {
    const Page page = Resolve(codePage);
    if (page == Page::Unsupported || mbStr == nullptr || mbLen == 0 || mbLen < -1 || wideLen < 0 ||
        (wideLen > 0 && wideStr == nullptr) || static_cast<const void*>(mbStr) == static_cast<const void*>(wideStr))
        return Fail(ERROR_INVALID_PARAMETER);

    // -1: the string and its terminator.
    const std::string_view in(mbStr, mbLen == -1 ? std::char_traits<char>::length(mbStr) + 1 : size_t(mbLen));
    bool valid = true;
    std::wstring out;
    if (page == Page::Cp950) {
        out = platform::cp950::Decode(in, &valid);
    } else {
        out = platform::text::Utf8ToWide(in);
        // Any malformed sequence (overlong, surrogate, truncated) does not survive the round trip.
        valid = platform::text::WideToUtf8(out) == in;
    }
    if (!valid && (flags & MB_ERR_INVALID_CHARS)) return Fail(ERROR_NO_UNICODE_TRANSLATION);
    return Deliver(out, wideStr, wideLen);
}

int WideCharToMultiByte(UINT codePage, DWORD /*flags*/, LPCWSTR wideStr, int wideLen, LPSTR mbStr, int mbLen,
                        LPCSTR defaultChar, LPBOOL usedDefaultChar) {
    const Page page = Resolve(codePage);
    if (page == Page::Unsupported || wideStr == nullptr || wideLen == 0 || wideLen < -1 || mbLen < 0 ||
        (mbLen > 0 && mbStr == nullptr) || static_cast<const void*>(mbStr) == static_cast<const void*>(wideStr))
        return Fail(ERROR_INVALID_PARAMETER);
    // UTF-8 has no default character; Windows refuses both parameters for it.
    if (page == Page::Utf8 && (defaultChar != nullptr || usedDefaultChar != nullptr))
        return Fail(ERROR_INVALID_PARAMETER);

    const std::wstring_view in(wideStr,
                               wideLen == -1 ? std::char_traits<wchar_t>::length(wideStr) + 1 : size_t(wideLen));
    if (page == Page::Utf8) return Deliver(platform::text::WideToUtf8(in), mbStr, mbLen);

    // The default character may be a double-byte one: its first two bytes when both are set
    // (so "??" stands for the code 0x3F3F), otherwise its first byte.
    std::string fallback = "?";
    if (defaultChar != nullptr) {
        fallback.assign(1, defaultChar[0]);
        if (defaultChar[0] != 0 && defaultChar[1] != 0) fallback += defaultChar[1];
    }

    // Best-fit substitutes are not applied: every unit is written with a code that decodes
    // back to it, or with the default character, so WC_NO_BEST_FIT_CHARS changes nothing.
    std::string out;
    out.reserve(in.size() * 2);
    bool usedDefault = false;
    for (wchar_t c : in) {
        const auto u = static_cast<uint32_t>(c);
        const uint16_t code = u == 0 || u > 0xFFFF ? 0 : platform::cp950::FromUnicode(static_cast<uint16_t>(u));
        if (u != 0 && code == 0) {
            out += fallback;
            usedDefault = true;
        } else if (code < 0x100) {
            out += static_cast<char>(code);
        } else {
            out += static_cast<char>(code >> 8);
            out += static_cast<char>(code & 0xFF);
        }
    }
    if (usedDefaultChar != nullptr) *usedDefaultChar = usedDefault ? TRUE : FALSE;
    return Deliver(out, mbStr, mbLen);
}
