// The Reg* functions' semantics: paths, case, sizes, conversions, access, handles.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/winreg.h"
#include "support/temp_prefix.h"

namespace {

// An open key that closes itself.
struct Key {
    HKEY h = nullptr;
    ~Key() {
        if (h) RegCloseKey(h);
    }
};

LONG Create(HKEY root, const char* path, Key& k, REGSAM access = KEY_ALL_ACCESS, DWORD* disposition = nullptr) {
    return RegCreateKeyExA(root, path, 0, nullptr, 0, access, nullptr, &k.h, disposition);
}

LONG SetString(HKEY key, const char* name, const std::string& s, DWORD type = REG_SZ) {
    return RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(s.c_str()), static_cast<DWORD>(s.size() + 1));
}

std::string QueryA(HKEY key, const char* name, DWORD* type = nullptr) {
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, type, nullptr, &size) != ERROR_SUCCESS) return "<missing>";
    std::string out(size, '\0');
    DWORD got = size;
    EXPECT_EQ(RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<BYTE*>(out.data()), &got), ERROR_SUCCESS);
    EXPECT_EQ(got, size);
    return out;
}

}  // namespace

TEST(RegistryApi, CreateOpensIntermediateKeysAndReportsDisposition) {
    testsupport::TempPrefix prefix;
    Key a, b, c;
    DWORD disp = 0;
    ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\Velmora\\Deep\\Key", a, KEY_ALL_ACCESS, &disp), ERROR_SUCCESS);
    EXPECT_EQ(disp, REG_CREATED_NEW_KEY);
    ASSERT_EQ(Create(HKEY_CURRENT_USER, "SOFTWARE\\velmora\\DEEP\\key\\", b, KEY_ALL_ACCESS, &disp), ERROR_SUCCESS);
    EXPECT_EQ(disp, REG_OPENED_EXISTING_KEY);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "software\\VELMORA\\deep", 0, KEY_READ, &c.h), ERROR_SUCCESS);
    Key bad;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Velmora\\Missing", 0, KEY_READ, &bad.h), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(bad.h, nullptr);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "\\Software", 0, KEY_READ, &bad.h), ERROR_BAD_PATHNAME);
    // The hives are separate.
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Velmora", 0, KEY_READ, &bad.h), ERROR_FILE_NOT_FOUND);
}

TEST(RegistryApi, NamesCompareWithoutAsciiCase) {
    testsupport::TempPrefix prefix;
    Key k;
    ASSERT_EQ(Create(HKEY_LOCAL_MACHINE, "Software\\Velmora\\TQFontClient", k), ERROR_SUCCESS);
    ASSERT_EQ(SetString(k.h, "SpecialFolder", "C:\\EUDC"), ERROR_SUCCESS);
    EXPECT_EQ(QueryA(k.h, "SPECIALFOLDER"), std::string("C:\\EUDC") + '\0');
    ASSERT_EQ(SetString(k.h, "specialfolder", "D:\\"), ERROR_SUCCESS);  // same value, replaced
    DWORD values = 0;
    ASSERT_EQ(RegQueryInfoKeyA(k.h, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                               nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(values, 1u);
    EXPECT_EQ(QueryA(k.h, "SpecialFolder"), std::string("D:\\") + '\0');
}

TEST(RegistryApi, QuerySizesAndMoreData) {
    testsupport::TempPrefix prefix;
    Key k;
    ASSERT_EQ(Create(HKEY_CURRENT_USER, "EUDC\\950", k), ERROR_SUCCESS);
    ASSERT_EQ(SetString(k.h, "SystemDefaultEUDCFont", "EUDC.TTE"), ERROR_SUCCESS);
    DWORD type = 0, size = 0;
    ASSERT_EQ(RegQueryValueExW(k.h, L"SystemDefaultEUDCFont", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 9 * sizeof(WCHAR));  // with the terminator
    BYTE small[4];
    size = sizeof small;
    EXPECT_EQ(RegQueryValueExA(k.h, "SystemDefaultEUDCFont", nullptr, &type, small, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 9u);  // the code page 950 size
    EXPECT_EQ(RegQueryValueExA(k.h, "Missing", nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueExA(k.h, "SystemDefaultEUDCFont", nullptr, &type, small, nullptr), ERROR_INVALID_PARAMETER);
}

TEST(RegistryApi, AnsiStringsConvertThroughCodePage950) {
    testsupport::TempPrefix prefix;
    Key k;
    ASSERT_EQ(Create(HKEY_CURRENT_USER, "EUDC\\950", k), ERROR_SUCCESS);
    const std::string kai = "\xBC\xD0\xB7\xA2\xC5\xE9";  // 標楷體
    ASSERT_EQ(SetString(k.h, kai.c_str(), kai + ".TTE"), ERROR_SUCCESS);
    WCHAR wide[16] = {};
    DWORD size = sizeof wide, type = 0;
    ASSERT_EQ(RegQueryValueExW(k.h, L"\u6a19\u6977\u9ad4", nullptr, &type, reinterpret_cast<BYTE*>(wide), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(size, 8 * sizeof(WCHAR));
    EXPECT_EQ(std::wstring(wide), L"\u6a19\u6977\u9ad4.TTE");
    EXPECT_EQ(QueryA(k.h, kai.c_str()), kai + ".TTE" + '\0');

    // Wine 8.0: an A size that leaves the terminator out still stores the string terminated.
    ASSERT_EQ(RegSetValueExA(k.h, "short", 0, REG_SZ, reinterpret_cast<const BYTE*>("ab"), 2), ERROR_SUCCESS);
    EXPECT_EQ(QueryA(k.h, "short"), std::string("ab") + '\0');
    ASSERT_EQ(RegQueryValueExW(k.h, L"short", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 3 * sizeof(WCHAR));

    // The W functions trade strings as WCHAR arrays.
    const WCHAR wideIn[] = L"\u6a19x";
    ASSERT_EQ(RegSetValueExW(k.h, L"w", 0, REG_SZ, reinterpret_cast<const BYTE*>(wideIn), sizeof wideIn), ERROR_SUCCESS);
    EXPECT_EQ(QueryA(k.h, "w"), "\xBC\xD0x" + std::string(1, '\0'));

    char name[8];
    DWORD nameSize = sizeof name;
    BYTE data[32];
    DWORD dataSize = sizeof data;
    ASSERT_EQ(RegEnumValueA(k.h, 2, name, &nameSize, nullptr, &type, data, &dataSize), ERROR_SUCCESS);
    EXPECT_EQ(std::string(name, nameSize), kai);  // "short" and "w" sort first
    EXPECT_EQ(dataSize, 11u);
    nameSize = 3;
    EXPECT_EQ(RegEnumValueA(k.h, 2, name, &nameSize, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    nameSize = sizeof name;
    EXPECT_EQ(RegEnumValueA(k.h, 3, name, &nameSize, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
}

TEST(RegistryApi, TypedValuesRoundTrip) {
    testsupport::TempPrefix prefix;
    Key k;
    ASSERT_EQ(Create(HKEY_LOCAL_MACHINE, "Software\\T", k), ERROR_SUCCESS);
    const char multi[] = "a\0bc\0\0";
    ASSERT_EQ(RegSetValueExA(k.h, "m", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(multi), 6), ERROR_SUCCESS);
    ASSERT_EQ(SetString(k.h, "e", "%SystemRoot%\\Fonts", REG_EXPAND_SZ), ERROR_SUCCESS);
    const DWORD dw = 0x12345678;
    ASSERT_EQ(RegSetValueExA(k.h, "d", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dw), 4), ERROR_SUCCESS);
    std::string bin;
    for (int i = 0; i < 40; ++i) bin += static_cast<char>(i * 7);
    ASSERT_EQ(RegSetValueExA(k.h, "b", 0, REG_BINARY, reinterpret_cast<const BYTE*>(bin.data()), 40), ERROR_SUCCESS);

    const std::string file = testsupport::ReadFileBytes(prefix.root() / "system.reg");
    EXPECT_NE(file.find("\n\"b\"=hex:00,07,0e,15,1c,23,2a,31,38,3f,46,4d,54,5b,62,69,70,77,7e,85,8c,93,9a,\\\n"
                        "  a1,a8,af,b6,bd,c4,cb,d2,d9,e0,e7,ee,f5,fc,03,0a,11\n\"d\"=dword:12345678\n"
                        "\"e\"=str(2):\"%SystemRoot%\\\\Fonts\"\n\"m\"=str(7):\"a\\0bc\\0\"\n"),
              std::string::npos)
        << file;

    DWORD type = 0;
    EXPECT_EQ(QueryA(k.h, "m", &type), std::string(multi, 6));
    EXPECT_EQ(type, REG_MULTI_SZ);
    EXPECT_EQ(QueryA(k.h, "e", &type), std::string("%SystemRoot%\\Fonts") + '\0');
    EXPECT_EQ(type, REG_EXPAND_SZ);
    EXPECT_EQ(QueryA(k.h, "d", &type), std::string(reinterpret_cast<const char*>(&dw), 4));
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(QueryA(k.h, "b", &type), bin);
    EXPECT_EQ(type, REG_BINARY);
}

TEST(RegistryApi, AccessMasksAreEnforced) {
    testsupport::TempPrefix prefix;
    Key setup;
    ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\A\\Sub", setup), ERROR_SUCCESS);
    ASSERT_EQ(SetString(setup.h, "v", "1"), ERROR_SUCCESS);
    Key ro, wo;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\A\\Sub", 0, KEY_QUERY_VALUE, &ro.h), ERROR_SUCCESS);
    EXPECT_EQ(SetString(ro.h, "v", "2"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValueA(ro.h, "v"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(QueryA(ro.h, "v"), std::string("1") + '\0');
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\A", 0, KEY_SET_VALUE, &wo.h), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(wo.h, "v", nullptr, nullptr, nullptr, &size), ERROR_ACCESS_DENIED);
    char name[32];
    DWORD nameSize = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(wo.h, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr), ERROR_ACCESS_DENIED);
    Key child;
    EXPECT_EQ(Create(wo.h, "New", child), ERROR_ACCESS_DENIED);
    EXPECT_EQ(Create(wo.h, "Sub", child), ERROR_SUCCESS);  // opening an existing key needs no right
    Key gr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\A", 0, GENERIC_READ, &gr.h), ERROR_SUCCESS);
    nameSize = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(gr.h, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_STREQ(name, "Sub");
}

TEST(RegistryApi, StaleAndInvalidHandlesAreRefused) {
    testsupport::TempPrefix prefix;
    HKEY h = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\H", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(h), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(h), ERROR_INVALID_HANDLE);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(h, "v", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
    EXPECT_EQ(SetString(h, "v", "x"), ERROR_INVALID_HANDLE);
    const HKEY garbage = reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x1234));
    EXPECT_EQ(RegQueryValueExA(garbage, "v", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(nullptr), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegDeleteKeyA(HKEY_USERS, "x"), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
}

TEST(RegistryApi, DeletingKeys) {
    testsupport::TempPrefix prefix;
    Key leaf, open;
    ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\P\\C", leaf), ERROR_SUCCESS);
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\P\\C", 0, KEY_ALL_ACCESS, &open.h), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\P"), ERROR_ACCESS_DENIED);  // has a subkey
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\P\\X"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, ""), ERROR_ACCESS_DENIED);
    ASSERT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "software\\p\\c"), ERROR_SUCCESS);
    // Open handles to the deleted key see it gone.
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(open.h, "v", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
    EXPECT_EQ(SetString(open.h, "v", "x"), ERROR_KEY_DELETED);
    Key sub;
    EXPECT_EQ(Create(open.h, "Again", sub), ERROR_KEY_DELETED);
    // The parent, now without values or subkeys, is written as a key of its own.
    const std::string file = testsupport::ReadFileBytes(prefix.root() / "user.reg");
    EXPECT_NE(file.find("\n[Software\\\\P] "), std::string::npos) << file;
    EXPECT_EQ(file.find("[Software\\\\P\\\\C]"), std::string::npos) << file;
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\P"), ERROR_SUCCESS);
}

TEST(RegistryApi, EnumerationFollowsWinesOrder) {
    testsupport::TempPrefix prefix;
    Key parent;
    ASSERT_EQ(Create(HKEY_LOCAL_MACHINE, "Software\\Order", parent), ERROR_SUCCESS);
    for (const char* name : {"ABC", "A_b", "ab", "B"}) {
        Key k;
        ASSERT_EQ(Create(parent.h, name, k), ERROR_SUCCESS);
    }
    std::vector<std::string> names;
    char name[16];
    for (DWORD i = 0;; ++i) {
        DWORD size = sizeof name;
        const LONG rc = RegEnumKeyExA(parent.h, i, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        ASSERT_EQ(rc, ERROR_SUCCESS);
        EXPECT_EQ(size, std::strlen(name));
        names.emplace_back(name);
    }
    // Letters fold to lower case, so '_' sorts before them; a prefix sorts first.
    EXPECT_EQ(names, (std::vector<std::string>{"A_b", "ab", "ABC", "B"}));
    DWORD subKeys = 0, maxLen = 0;
    ASSERT_EQ(RegQueryInfoKeyA(parent.h, nullptr, nullptr, nullptr, &subKeys, &maxLen, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(subKeys, 4u);
    EXPECT_EQ(maxLen, 3u);
    DWORD size = 2;
    EXPECT_EQ(RegEnumKeyExA(parent.h, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
}

TEST(RegistryApi, ClassesRootIsTheMachinesClasses) {
    testsupport::TempPrefix prefix;
    Key viaRoot, viaMachine;
    ASSERT_EQ(Create(HKEY_CLASSES_ROOT, ".tte", viaRoot), ERROR_SUCCESS);
    ASSERT_EQ(SetString(viaRoot.h, "", "ttefile"), ERROR_SUCCESS);
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Classes\\.tte", 0, KEY_READ, &viaMachine.h), ERROR_SUCCESS);
    EXPECT_EQ(QueryA(viaMachine.h, nullptr), std::string("ttefile") + '\0');
}

// Measured under Wine 8.0 with the same calls: how string sizes without terminators are stored
// and read back, and what Wine's own file then holds.
TEST(RegistryApi, StringsWithoutTerminatorsAsWineKeepsThem) {
    testsupport::TempPrefix prefix;
    Key k;
    ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\EudcProbe", k), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(k.h, "short", 0, REG_SZ, reinterpret_cast<const BYTE*>("abc"), 3), ERROR_SUCCESS);
    DWORD size = 0, type = 0;
    ASSERT_EQ(RegQueryValueExA(k.h, "short", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 4u);
    ASSERT_EQ(RegSetValueExA(k.h, "multi", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>("a\0b"), 3), ERROR_SUCCESS);
    EXPECT_EQ(QueryA(k.h, "multi"), std::string("a\0b\0", 4));
    // A W string stored without a terminator keeps its size; the A query adds a terminator where
    // the buffer has room, and a buffer of exactly the characters is enough.
    const WCHAR bare[] = {'a', 'b', 'c'};
    ASSERT_EQ(RegSetValueExW(k.h, L"bare", 0, REG_SZ, reinterpret_cast<const BYTE*>(bare), sizeof bare), ERROR_SUCCESS);
    char roomy[6] = {'x', 'x', 'x', 'x', 'x', 'x'};
    size = sizeof roomy;
    ASSERT_EQ(RegQueryValueExA(k.h, "bare", nullptr, &type, reinterpret_cast<BYTE*>(roomy), &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(std::string(roomy, 5), std::string("abc\0x", 5));
    char tight[4] = {'x', 'x', 'x', 'x'};
    size = 3;
    ASSERT_EQ(RegQueryValueExA(k.h, "bare", nullptr, &type, reinterpret_cast<BYTE*>(tight), &size), ERROR_SUCCESS);
    EXPECT_EQ(std::string(tight, 4), "abcx");
    // A missing value sets the type to REG_NONE.
    type = REG_DWORD;
    EXPECT_EQ(RegQueryValueExA(k.h, "missing", nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(type, REG_NONE);
    // What Wine's own file holds for them.
    const std::string text = testsupport::ReadFileBytes(prefix.root() / "user.reg");
    EXPECT_NE(text.find("\"multi\"=str(7):\"a\\0b\"\n"), std::string::npos);
    EXPECT_NE(text.find("\"bare\"=hex(1):61,00,62,00,63,00\n"), std::string::npos);
    EXPECT_NE(text.find("\"short\"=\"abc\"\n"), std::string::npos);
}
