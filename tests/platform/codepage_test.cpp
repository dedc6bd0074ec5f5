// Code page 950: the table, its user-defined areas and the Win32 conversion calls.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "codepage/cp950.h"
#include "platform/fileapi.h"
#include "platform/winnls.h"

namespace cp950 = platform::cp950;

namespace {

// Codes whose unit Windows writes with another code (A2A4 <-> F9F9, F9FA <-> A27E, ...).
const std::set<uint16_t> kDecodeOnly = {0xA2A4, 0xA2A5, 0xA2A6, 0xA2A7, 0xA2CC,
                                        0xA2CE, 0xF9FA, 0xF9FB, 0xF9FC, 0xF9FD};

std::string Bytes(uint16_t code) {
    if (code < 0x100) return std::string(1, static_cast<char>(code));
    return {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
}

std::wstring ToWide(UINT cp, const std::string& s, DWORD flags = 0) {
    const int n = MultiByteToWideChar(cp, flags, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    if (n > 0) {
        EXPECT_EQ(n, MultiByteToWideChar(cp, flags, s.data(), static_cast<int>(s.size()), out.data(), n));
    }
    return out;
}

std::string ToAnsi(const std::wstring& w, LPCSTR def = nullptr, BOOL* used = nullptr) {
    const int n = WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, def, used);
    std::string out(static_cast<size_t>(n), '\0');
    if (n > 0) {
        EXPECT_EQ(n, WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), out.data(), n, def, used));
    }
    return out;
}

}  // namespace

TEST(CodepageTable, EveryMappedCodeRoundTrips) {
    int doubleByte = 0;
    std::string all;
    std::wstring allUnits;
    for (uint32_t code = 1; code <= 0xFFFF; ++code) {
        const uint16_t unit = cp950::ToUnicode(static_cast<uint16_t>(code));
        if (unit == 0) continue;
        if (code >= 0x100) ++doubleByte;
        const uint16_t back = cp950::FromUnicode(unit);
        if (kDecodeOnly.count(static_cast<uint16_t>(code))) {
            EXPECT_NE(back, code) << std::hex << code;
            EXPECT_EQ(cp950::ToUnicode(back), unit) << std::hex << code;
        } else {
            EXPECT_EQ(back, code) << std::hex << code;
        }
        all += Bytes(static_cast<uint16_t>(code));
        allUnits += static_cast<wchar_t>(unit);
    }
    // 13503 codes of Microsoft's table and 6217 user-defined ones.
    EXPECT_EQ(doubleByte, 13503 + 6217);

    bool valid = false;
    EXPECT_EQ(cp950::Decode(all, &valid), allUnits);
    EXPECT_TRUE(valid);
    EXPECT_EQ(ToWide(CP_ACP, all), allUnits);
    EXPECT_EQ(cp950::Decode(ToAnsi(allUnits)), allUnits);
}

TEST(CodepageTable, EveryEncodedUnitDecodesBack) {
    for (uint32_t unit = 1; unit <= 0xFFFF; ++unit) {
        const uint16_t code = cp950::FromUnicode(static_cast<uint16_t>(unit));
        if (code != 0) {
            EXPECT_EQ(cp950::ToUnicode(code), unit) << std::hex << unit;
        }
    }
}

TEST(CodepageTable, MicrosoftEntriesAndChoices) {
    EXPECT_EQ(cp950::ToUnicode(0xA145), 0x2027);
    EXPECT_EQ(cp950::ToUnicode(0xA1C3), 0xFFE3);
    EXPECT_EQ(cp950::ToUnicode(0xA3E1), 0x20AC);
    EXPECT_EQ(cp950::ToUnicode(0xC94A), 0xFA0C);
    EXPECT_EQ(cp950::ToUnicode(0xF9FE), 0x2593);
    EXPECT_EQ(cp950::ToUnicode(0xA3C0), 0);  // plain Big5 only
    EXPECT_EQ(cp950::ToUnicode(0x80), 0x0080);
    EXPECT_EQ(cp950::ToUnicode(0xFF), 0xF8F8);
    EXPECT_EQ(cp950::FromUnicode(0xF8F8), 0xFF);
    // Duplicates encode as Windows' own table does.
    EXPECT_EQ(cp950::FromUnicode(0x2550), 0xF9F9);
    EXPECT_EQ(cp950::FromUnicode(0x2561), 0xF9EB);
    EXPECT_EQ(cp950::FromUnicode(0x256D), 0xA27E);
    EXPECT_EQ(cp950::FromUnicode(0x2570), 0xA2A2);
    EXPECT_EQ(cp950::FromUnicode(0x5341), 0xA451);
    EXPECT_EQ(cp950::FromUnicode(0x5345), 0xA4CA);
}

TEST(CodepageEudc, AreaBoundaries) {
    struct Area {
        uint16_t first, last, ufirst, ulast;
    };
    const Area areas[] = {{0xFA40, 0xFEFE, 0xE000, 0xE310},
                          {0x8E40, 0xA0FE, 0xE311, 0xEEB7},
                          {0x8140, 0x8DFE, 0xEEB8, 0xF6B0},
                          {0xC6A1, 0xC8FE, 0xF6B1, 0xF848}};
    for (const Area& a : areas) {
        EXPECT_EQ(cp950::ToUnicode(a.first), a.ufirst) << std::hex << a.first;
        EXPECT_EQ(cp950::ToUnicode(a.last), a.ulast) << std::hex << a.last;
        EXPECT_EQ(cp950::FromUnicode(a.ufirst), a.first);
        EXPECT_EQ(cp950::FromUnicode(a.ulast), a.last);
        const auto lead = static_cast<uint16_t>(a.first & 0xFF00);
        EXPECT_EQ(cp950::ToUnicode(lead | 0x7F), 0) << std::hex << lead;
        EXPECT_EQ(cp950::ToUnicode(lead | 0xA0), 0) << std::hex << lead;
    }
    // Rows run 0x40..0x7E then 0xA1..0xFE.
    EXPECT_EQ(cp950::ToUnicode(0xFA7E), 0xE03E);
    EXPECT_EQ(cp950::ToUnicode(0xFAA1), 0xE03F);
    EXPECT_EQ(cp950::ToUnicode(0xFB40), 0xE000 + 157);
    // The 0xC6 row is standard below 0xA1, and the ETen extension is not used.
    EXPECT_EQ(cp950::ToUnicode(0xC67E), 0x7C72);
    EXPECT_EQ(cp950::FromUnicode(0x30FE), 0);
}

TEST(CodepageEudc, WholePrivateRangeIsCovered) {
    for (uint32_t u = 0xE000; u <= 0xF848; ++u) EXPECT_NE(cp950::FromUnicode(static_cast<uint16_t>(u)), 0) << u;
    EXPECT_EQ(cp950::FromUnicode(0xF849), 0);
    EXPECT_EQ(cp950::FromUnicode(0xDFFF), 0);
}

TEST(CodepageCodec, FontNameBothWays) {
    const std::string utf8 = "標楷體";
    const std::string big5 = "\xBC\xD0\xB7\xA2\xC5\xE9";
    const std::wstring wide = ToWide(CP_UTF8, utf8);
    ASSERT_EQ(wide.size(), 3u);
    EXPECT_EQ(ToAnsi(wide), big5);
    EXPECT_EQ(ToWide(CP_ACP, big5), wide);
    EXPECT_EQ(cp950::Encode(wide), big5);
}

TEST(CodepageCodec, LeadByteAtEnd) {
    bool valid = true;
    EXPECT_EQ(cp950::Decode("A\xA4", &valid), L"A?");
    EXPECT_FALSE(valid);
    // The terminator after a stray lead byte is kept.
    wchar_t buf[8];
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "A\xA4", -1, buf, 8), 3);
    EXPECT_EQ(std::wstring(buf), L"A?");
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, "A\xA4", 2, buf, 8), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_UNICODE_TRANSLATION));
}

TEST(CodepageCodec, InvalidPairs) {
    bool valid = true;
    // An unmapped pair is one character; a byte that cannot be a trail byte stays itself.
    EXPECT_EQ(cp950::Decode("\xA3\xC0x", &valid), L"?x");
    EXPECT_FALSE(valid);
    EXPECT_EQ(cp950::Decode("\xA4" "0\xA4\x40", &valid), L"?0\x4E00");
    EXPECT_FALSE(valid);
    EXPECT_EQ(cp950::Decode("\xA4\x40", &valid), L"\x4E00");
    EXPECT_TRUE(valid);
    wchar_t buf[4];
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, "\xA3\xC0", 2, buf, 4), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_UNICODE_TRANSLATION));
}

TEST(CodepageCodec, UnitsOutsideUtf16AreUnmapped) {
    bool valid = true;
    EXPECT_EQ(cp950::Encode(std::wstring{static_cast<wchar_t>(0x1E000), L'A'}, &valid), "?A");
    EXPECT_FALSE(valid);
}

TEST(CodepageWin32, CodePagesAndLeadBytes) {
    EXPECT_EQ(GetACP(), 950u);
    EXPECT_EQ(GetOEMCP(), 950u);
    EXPECT_FALSE(IsDBCSLeadByte(0x80));
    EXPECT_TRUE(IsDBCSLeadByte(0x81));
    EXPECT_TRUE(IsDBCSLeadByte(0xFE));
    EXPECT_FALSE(IsDBCSLeadByte(0xFF));
    EXPECT_TRUE(IsDBCSLeadByteEx(CP_ACP, 0xA4));
    EXPECT_FALSE(IsDBCSLeadByteEx(CP_UTF8, 0xA4));
    SetLastError(0);
    EXPECT_FALSE(IsDBCSLeadByteEx(1252, 0xA4));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

TEST(CodepageWin32, MultiByteBufferSizes) {
    const char* text = "\xA4\x40" "b";  // two characters, three bytes
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0), 3);  // with the terminator
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, text, 3, nullptr, 0), 2);
    wchar_t buf[3] = {L'x', L'x', L'x'};
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, text, -1, buf, 2), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, text, -1, buf, 3), 3);
    EXPECT_EQ(std::wstring(buf), L"\x4E00" L"b");
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, text, 0, buf, 3), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(1252, 0, text, -1, buf, 3), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

TEST(CodepageWin32, WideCharBufferSizes) {
    const wchar_t* text = L"\x4E00" L"b";
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr), 4);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, text, 2, nullptr, 0, nullptr, nullptr), 3);
    char buf[4] = {'x', 'x', 'x', 'x'};
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, text, -1, buf, 3, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, text, -1, buf, 4, nullptr, nullptr), 4);
    EXPECT_EQ(std::string(buf), "\xA4\x40" "b");
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, text, -1, buf, -1, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

TEST(CodepageWin32, DefaultCharacter) {
    const std::wstring text = L"a\x0E01" L"b";  // Thai has no code page 950 form
    BOOL used = FALSE;
    EXPECT_EQ(ToAnsi(text, nullptr, &used), "a?b");
    EXPECT_TRUE(used);
    EXPECT_EQ(ToAnsi(text, "*", &used), "a*b");
    EXPECT_EQ(ToAnsi(text, "??", &used), "a??b");  // a double-byte default
    EXPECT_TRUE(used);
    used = TRUE;
    EXPECT_EQ(ToAnsi(L"\xE000", "?", &used), "\xFA\x40");
    EXPECT_FALSE(used);
}

TEST(CodepageWin32, Utf8) {
    const std::string utf8 = "a\xE6\xA8\x99";
    EXPECT_EQ(ToWide(CP_UTF8, utf8), L"a\x6A19");
    char buf[8];
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"a\x6A19", -1, buf, 8, nullptr, nullptr), 5);
    EXPECT_EQ(std::string(buf), utf8);
    BOOL used = FALSE;
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"a", 1, buf, 8, nullptr, &used), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    // Overlong and truncated sequences are refused only on request.
    wchar_t wbuf[4];
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "\xC0\x80", 2, wbuf, 4), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_UNICODE_TRANSLATION));
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "\xE6\xA8", 2, wbuf, 4), 0);
    EXPECT_EQ(ToWide(CP_UTF8, "\xE6\xA8").size(), 2u);
}
