#include <gtest/gtest.h>

#include <cstring>

#include "common/registry_helpers.h"
#include "support/temp_prefix.h"

using namespace eudc;

namespace {
constexpr const char* kKey = "Software\\Velmora\\TQFontClient";
}

TEST(RegistryHelpers, WritersNeedAnExistingKey) {
    testsupport::TempPrefix prefix;
    EXPECT_FALSE(RegWriteString(HKEY_LOCAL_MACHINE, kKey, "SpecialFolder", "1"));
    EXPECT_FALSE(RegWriteMultiString(HKEY_LOCAL_MACHINE, kKey, "List", "a\0b\0", 5));
    EXPECT_TRUE(RegMakeKey(HKEY_LOCAL_MACHINE, kKey));
    EXPECT_TRUE(RegWriteString(HKEY_LOCAL_MACHINE, kKey, "Name", "\xBC\xD0\xB7\xA2\xC5\xE9"));
    EXPECT_TRUE(RegWriteMultiString(HKEY_LOCAL_MACHINE, kKey, "List", "a\0bc\0", 6));

    char buf[32] = {};
    DWORD size = sizeof buf, type = 0;
    ASSERT_TRUE(RegReadValue(HKEY_LOCAL_MACHINE, kKey, "Name", reinterpret_cast<BYTE*>(buf), &size, &type));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, 7u);  // the terminator counts
    EXPECT_STREQ(buf, "\xBC\xD0\xB7\xA2\xC5\xE9");

    size = sizeof buf;
    ASSERT_TRUE(RegReadValue(HKEY_LOCAL_MACHINE, kKey, "List", reinterpret_cast<BYTE*>(buf), &size, &type));
    EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(std::memcmp(buf, "a\0bc\0", 6), 0);
}

TEST(RegistryHelpers, DwordOnlyForFourByteDwordValues) {
    testsupport::TempPrefix prefix;
    ASSERT_TRUE(RegMakeKey(HKEY_LOCAL_MACHINE, kKey));
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    const DWORD one = 1;
    RegSetValueExA(key, "CreateTTE", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4);
    RegSetValueExA(key, "AsBinary", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&one), 4);
    RegSetValueExA(key, "Short", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 2);
    RegCloseKey(key);

    DWORD value = 0;
    EXPECT_TRUE(RegReadDword(HKEY_LOCAL_MACHINE, kKey, "CreateTTE", &value));
    EXPECT_EQ(value, 1u);
    EXPECT_FALSE(RegReadDword(HKEY_LOCAL_MACHINE, kKey, "AsBinary", &value));
    EXPECT_FALSE(RegReadDword(HKEY_LOCAL_MACHINE, kKey, "Short", &value));
    EXPECT_FALSE(RegReadDword(HKEY_LOCAL_MACHINE, kKey, "Missing", &value));

    EXPECT_TRUE(RegRemoveValue(HKEY_LOCAL_MACHINE, kKey, "CreateTTE"));
    EXPECT_FALSE(RegReadDword(HKEY_LOCAL_MACHINE, kKey, "CreateTTE", &value));
    EXPECT_FALSE(RegRemoveValue(HKEY_LOCAL_MACHINE, kKey, "CreateTTE"));
}

TEST(RegistryHelpers, MakeKeyIsAlwaysTrue) {
    testsupport::TempPrefix prefix;
    EXPECT_TRUE(RegMakeKey(HKEY_CURRENT_USER, "EUDC\\950"));
    EXPECT_TRUE(RegMakeKey(HKEY_CURRENT_USER, "EUDC\\950"));
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "eudc\\950", 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
}
