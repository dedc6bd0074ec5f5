// The input-method manager and version information over described IMEs.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "files/win_error.h"
#include "platform/fileapi.h"
#include "platform/imm.h"
#include "platform/winreg.h"
#include "platform/winver.h"
#include "support/described_ime.h"

using namespace testsupport;

namespace {

const char* const kLayouts = "SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts\\";

HKL Layout(ULONG_PTR value) { return reinterpret_cast<HKL>(value); }
const HKL kPhonetic = Layout(0xE0010404);

struct ImeWorkstation : ::testing::Test {
    TempPrefix prefix;
    ImeWorkstation() { prefix.InstallFixtureRegistry(); }

    void Describe(const std::string& layout, const std::string& file, const std::string& text) const {
        DescribeIme(prefix, layout, file, text);
    }
    std::string Name(HKL layout) const {
        char name[128];
        std::memset(name, 'x', sizeof name);
        if (!ImmEscapeA(layout, nullptr, IME_ESC_IME_NAME, name)) return "<failed>";
        EXPECT_EQ(name[64], 'x') << "wrote past the 64 bytes the escape is given";
        return name;
    }
};

}  // namespace

TEST_F(ImeWorkstation, InstalledMeansAnImeLayoutWhoseFileIsInTheSystemFolder) {
    Describe("E0010404", "phon.ime", "Name=x\n");
    Describe("00000404", "kbd.ime", "Name=x\n");  // not of the IME form
    SetRegistryString(HKEY_LOCAL_MACHINE, std::string(kLayouts) + "E0020404", "Ime File", "CHAJEI.IME");  // no file
    WriteFileBytes(prefix.root() / "drive_c" / "windows" / "win.ini", "Name=x\n");
    SetRegistryString(HKEY_LOCAL_MACHINE, std::string(kLayouts) + "E0080404", "Ime File", "..\\win.ini");
    struct Case {
        ULONG_PTR layout;
        bool installed;
    } cases[] = {
        {0xE0010404, true},
        {static_cast<ULONG_PTR>(static_cast<intptr_t>(static_cast<int32_t>(0xE0010404))), true},  // sign-extended
        {0x00000404, false},
        {0xE0020404, false},
        {0xE0080404, false},
        {0xE0090404, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.layout));
        EXPECT_EQ(ImmIsIME(Layout(c.layout)), c.installed ? TRUE : FALSE);
        EXPECT_EQ(ImmConfigureIMEA(Layout(c.layout), nullptr, IME_CONFIG_SELECTDICTIONARY, nullptr),
                  c.installed ? TRUE : FALSE);
        EXPECT_EQ(ImmGetIMEFileNameA(Layout(c.layout), nullptr, 0), c.installed ? 8u : 0u);
    }
    char file[16];
    EXPECT_EQ(ImmGetIMEFileNameA(kPhonetic, file, 9), 8u);
    EXPECT_STREQ(file, "phon.ime");
    EXPECT_EQ(ImmGetIMEFileNameA(kPhonetic, file, 8), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    // Installing finds the described IME by its file name; it installs nothing new.
    EXPECT_EQ(ImmInstallIMEA("C:\\WINDOWS\\SYSTEM32\\PHON.IME", "x"), kPhonetic);
    EXPECT_EQ(ImmInstallIMEA("C:\\windows\\system32\\chajei.ime", "x"), nullptr);
}

TEST_F(ImeWorkstation, DescriptorGivesNameAndUnicodeProperty) {
    std::string longName, cutName;
    for (int i = 0; i < 40; ++i) longName += "注";
    for (int i = 0; i < 31; ++i) cutName += "\xAA\x60";
    struct Case {
        const char* what;
        std::string text;
        std::string name;  // code page 950
        DWORD property;
    } cases[] = {
        {"plain", "Name=新注音\nUnicode=1\n", "\xB7\x73\xAA\x60\xAD\xB5", IME_PROP_UNICODE},
        {"comments, CRLF, spaces, any case, BOM", "\xEF\xBB\xBF# Name=no\r\n name = 倉頡 \r\nUNICODE=0\r\n",
         "\xAD\xDC\xBE\x65", 0},
        {"later line wins, bad values ignored", "Unicode=1\nUnicode=yes\nName=a\nName=b", "b", IME_PROP_UNICODE},
        {"bad lines only", "garbage\n=\n\n==\nUnicode\nName", "", 0},
        {"cut at a character to 63 bytes", "Name=" + longName, cutName, 0},
        {"not code page 950", "Name=\xF0\x9F\x98\x80\xFF", "???", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Describe("E0080404", "phon.ime", c.text);
        EXPECT_EQ(Name(Layout(0xE0080404)), c.name);
        EXPECT_EQ(ImmGetProperty(Layout(0xE0080404), IGP_PROPERTY), c.property);
    }
    EXPECT_EQ(Name(Layout(0xE0090404)), "<failed>");
    EXPECT_EQ(ImmGetProperty(Layout(0xE0090404), IGP_PROPERTY), 0u);
}

TEST_F(ImeWorkstation, VersionResourceComesFromProductVersion) {
    struct Case {
        const char* what;
        std::string text;
        DWORD error;  // 0: there is a resource
        DWORD ms, ls;
        const char* description;  // code page 950; null: none
    } cases[] = {
        {"full", "ProductVersion=6.0.0.1\nFileDescription=新注音 2002\n", 0, 0x00060000, 0x00000001,
         "\xB7\x73\xAA\x60\xAD\xB5 2002"},
        {"wide parts", "ProductVersion = 65535.2.3.40000", 0, 0xFFFF0002, 0x00039C40, nullptr},
        {"no version", "Name=x\nFileDescription=y\n", ERROR_RESOURCE_TYPE_NOT_FOUND, 0, 0, nullptr},
        {"too few parts", "ProductVersion=6.0.1\n", ERROR_RESOURCE_TYPE_NOT_FOUND, 0, 0, nullptr},
        {"part too large", "ProductVersion=65536.0.0.0\n", ERROR_RESOURCE_TYPE_NOT_FOUND, 0, 0, nullptr},
        {"too large a file", "ProductVersion=1.0.0.0\n" + std::string(64 * 1024, '#'), ERROR_FILE_TOO_LARGE, 0, 0,
         nullptr},
    };
    const std::string path = "C:\\windows\\system32\\MSTCIPHA.IME";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Describe("E0080404", "mstcipha.ime", c.text);
        DWORD handle = 7;
        SetLastError(0);
        const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
        EXPECT_EQ(handle, 0u);
        if (c.error) {
            EXPECT_EQ(size, 0u);
            EXPECT_EQ(GetLastError(), c.error);
            continue;
        }
        ASSERT_GT(size, sizeof(VS_FIXEDFILEINFO));
        std::string block(size, '\0');
        ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()));
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT len = 0;
        ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<LPVOID*>(&fixed), &len));
        EXPECT_EQ(len, sizeof(VS_FIXEDFILEINFO));
        EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
        EXPECT_EQ(fixed->dwProductVersionMS, c.ms);
        EXPECT_EQ(fixed->dwProductVersionLS, c.ls);
        WORD* translation = nullptr;
        ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<LPVOID*>(&translation),
                                   &len));
        EXPECT_EQ(len, 4u);
        EXPECT_EQ(translation[0], 0x0404);
        EXPECT_EQ(translation[1], 950);
        char* text = nullptr;
        const BOOL found = VerQueryValueA(block.data(), "\\StringFileInfo\\040403B6\\FileDescription",
                                          reinterpret_cast<LPVOID*>(&text), &len);
        ASSERT_EQ(found, c.description ? TRUE : FALSE);
        if (c.description) {
            EXPECT_STREQ(text, c.description);
            EXPECT_EQ(len, std::strlen(c.description) + 1);
        }
    }
    // A block cut short is read only as far as it goes; one shorter than its header is refused.
    Describe("E0080404", "mstcipha.ime", "ProductVersion=6.0.0.1\nFileDescription=x\n");
    char small[40];
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, sizeof small, small));
    void* value = nullptr;
    UINT len = 0;
    EXPECT_FALSE(VerQueryValueA(small, "\\", &value, &len));
    EXPECT_FALSE(VerQueryValueA(small, "\\StringFileInfo\\040403B6\\FileDescription", &value, &len));
    EXPECT_FALSE(GetFileVersionInfoA(path.c_str(), 0, 4, small));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(GetFileVersionInfoSizeA("C:\\windows\\system32\\missing.ime", nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(ImeWorkstation, WhatAnImeAcceptsIsRecordedForTheUser) {
    const char* reading = "\xA3\x74\xA1\x40\xA1\x40\xA3\xBC";  // ㄅ, two full-width spaces, ˉ
    const char* word = "\xFA\x40";                             // U+E000
    struct Case {
        const char* descriptor;
        bool dictionary, words;
    } cases[] = {
        {"Name=x\n", true, true},
        {"Dictionary=accept\nWords=refuse\n", true, false},
        {"Dictionary=refuse\nWords=accept\n", false, true},
        {"Dictionary=never\nWords=", true, true},  // bad values keep the default
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.descriptor);
        TempPrefix fresh;
        fresh.InstallFixtureRegistry();
        DescribeIme(fresh, "E0010404", "phon.ime", c.descriptor);

        char first[] = "C:\\users\\a\\TQ_Zuin.Tbl";
        char second[] = "C:\\users\\a\\\xB7\x73.Tbl";  // 新.Tbl
        EXPECT_EQ(ImmEscapeA(kPhonetic, nullptr, IME_ESC_SET_EUDC_DICTIONARY, first) != 0, c.dictionary);
        EXPECT_EQ(ImmEscapeA(kPhonetic, nullptr, IME_ESC_SET_EUDC_DICTIONARY, second) != 0, c.dictionary);
        EXPECT_EQ(ImeRecord("E0010404", L"EUDC Dictionary"),
                  c.dictionary ? std::wstring(L"C:\\users\\a\\\u65B0.Tbl") + L'\0' : L"<none>");

        EXPECT_EQ(ImmRegisterWordA(kPhonetic, reading, IME_REGWORD_STYLE_EUDC, word), c.words ? TRUE : FALSE);
        EXPECT_EQ(ImmRegisterWordA(kPhonetic, "1", IME_REGWORD_STYLE_EUDC, "\xA4\x40"), c.words ? TRUE : FALSE);
        // Texts that the record could not hold as they are.
        EXPECT_FALSE(ImmRegisterWordA(kPhonetic, "a\tb", IME_REGWORD_STYLE_EUDC, word));
        EXPECT_FALSE(ImmRegisterWordA(kPhonetic, "", IME_REGWORD_STYLE_EUDC, word));
        EXPECT_FALSE(ImmRegisterWordA(kPhonetic, std::string(256, 'a').c_str(), IME_REGWORD_STYLE_EUDC, word));
        EXPECT_EQ(ImeRecord("E0010404", L"Registered Words"),
                  c.words ? std::wstring(L"\u3105\u3000\u3000\u02C9\t\uE000") + L'\0' + L"1\t\u4E00" + L'\0' + L'\0'
                          : L"<none>");
    }
    // A layout that is no IME is told nothing.
    char path[] = "C:\\x.tbl";
    EXPECT_EQ(ImmEscapeA(Layout(0xE0020404), nullptr, IME_ESC_SET_EUDC_DICTIONARY, path), 0);
    EXPECT_FALSE(ImmRegisterWordA(Layout(0xE0020404), "1", IME_REGWORD_STYLE_EUDC, word));
    EXPECT_EQ(ImeRecord("E0020404", L"EUDC Dictionary"), L"<none>");
}
