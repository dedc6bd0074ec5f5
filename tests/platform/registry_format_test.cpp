// The hive text format: lossless reading and writing, Wine's escapes and wrapping, refusal of
// malformed files.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "../../platform/src/registry/reg_format.h"
#include "../../platform/src/registry/reg_parse.h"
#include "support/temp_prefix.h"

using namespace platform::registry;

namespace {

std::string Fixture(const char* name) { return testsupport::ReadTestData(std::string("wine-prefix/") + name + ".gz"); }

// What a hive holds, every key and value written anew (nothing copied from original text).
std::string CanonicalDump(const Key& key) {
    std::string out = "[" + FormatKeyPath(key) + "]";
    if (IsWritten(key)) out += std::to_string(key.modified);
    if (key.className) AppendEscaped(out, *key.className, '"', '"');
    if (key.link) out += "#link";
    out += '\n';
    for (const Value& v : key.values) out += FormatValue(v);
    for (const auto& sub : key.subkeys) out += CanonicalDump(*sub);
    return out;
}

// Checks that the writer regenerates each key and value exactly as the file has it.
void ExpectRegeneratesExactly(const Key& key, int& checked) {
    if (!key.raw.empty()) {
        EXPECT_EQ(FormatKey(key), key.raw);
        for (const Value& v : key.values) {
            EXPECT_EQ(FormatValue(v), key.raw.substr(v.rawOffset, v.rawLength));
            ++checked;
        }
    }
    for (const auto& sub : key.subkeys) ExpectRegeneratesExactly(*sub, checked);
}

Value MakeValue(std::wstring name, uint32_t type, std::vector<uint8_t> data) {
    Value v;
    v.name = std::move(name);
    v.type = type;
    v.data = std::move(data);
    return v;
}

std::vector<uint8_t> Utf16(std::wstring_view s) {
    std::vector<uint8_t> out;
    for (wchar_t c : s) {
        out.push_back(static_cast<uint8_t>(c & 0xFF));
        out.push_back(static_cast<uint8_t>((c >> 8) & 0xFF));
    }
    return out;
}

}  // namespace

TEST(RegistryFormat, FixturesRoundTripByteForByte) {
    for (const char* name : {"system.reg", "user.reg", "userdef.reg"}) {
        const std::string text = Fixture(name);
        ParseError err;
        auto hive = ParseHive(text, &err);
        ASSERT_TRUE(hive) << name << " line " << err.line << ": " << err.message;
        EXPECT_TRUE(Serialize(*hive).text == text) << name;
    }
}

TEST(RegistryFormat, WriterReproducesEveryFixtureKeyAndValue) {
    for (const char* name : {"system.reg", "user.reg"}) {
        auto hive = ParseHive(Fixture(name));
        ASSERT_TRUE(hive);
        int checked = 0;
        ExpectRegeneratesExactly(hive->root, checked);
        EXPECT_GT(checked, 500) << name;
    }
}

TEST(RegistryFormat, HexEscapeWidenedOnlyBeforeHexDigit) {
    std::string s;
    AppendEscaped(s, L"\u00e9a\u00e9z\u6a19\u6977\u9ad4", '"', '"');
    EXPECT_EQ(s, "\\x00e9a\\xe9z\\x6a19\\x6977\\x9ad4");
    s.clear();
    AppendEscaped(s, std::wstring(L"q\\\"\n\r\t", 6) + L'\0' + L"x" + L'\0' + L"7" + L'\x1b' + L'\x01', '"', '"');
    EXPECT_EQ(s, "q\\\\\\\"\\n\\r\\t\\0x\\0007\\e\\1");

    // And the reader takes each escape back without swallowing the following digit.
    const std::string file = "WINE REGISTRY Version 2\n\n[K] 0\n\"\\x00e9a\\xe9z\\0007\"=\"\\x6a19\"\n";
    auto hive = ParseHive(file);
    ASSERT_TRUE(hive);
    Key* k = hive->root.FindSubkey(L"K");
    ASSERT_TRUE(k);
    ASSERT_EQ(k->values.size(), 1u);
    EXPECT_EQ(k->values[0].name, std::wstring(L"\u00e9a\u00e9z") + L'\0' + L"7");
    EXPECT_EQ(k->values[0].data, Utf16(std::wstring(L"\u6a19") + L'\0'));
}

TEST(RegistryFormat, StringsOnlyWhenProperlyTerminated) {
    EXPECT_EQ(FormatValue(MakeValue(L"a", 1, Utf16(std::wstring(L"hi") + L'\0'))), "\"a\"=\"hi\"\n");
    EXPECT_EQ(FormatValue(MakeValue(L"a", 1, Utf16(L"hi"))), "\"a\"=hex(1):68,00,69,00\n");
    EXPECT_EQ(FormatValue(MakeValue(L"", 2, {0x25, 0, 0, 0})), "@=str(2):\"%\"\n");
    EXPECT_EQ(FormatValue(MakeValue(L"m", 7, Utf16(std::wstring(L"a\0bc\0\0", 6)))), "\"m\"=str(7):\"a\\0bc\\0\"\n");
    EXPECT_EQ(FormatValue(MakeValue(L"odd", 1, {0x41, 0, 0})), "\"odd\"=hex(1):41,00,00\n");
    EXPECT_EQ(FormatValue(MakeValue(L"d", 4, {0x78, 0x56, 0x34, 0x12})), "\"d\"=dword:12345678\n");
    EXPECT_EQ(FormatValue(MakeValue(L"d", 4, {1, 2})), "\"d\"=hex(4):01,02\n");
    EXPECT_EQ(FormatValue(MakeValue(L"q", 11, {1})), "\"q\"=hex(b):01\n");
    EXPECT_EQ(FormatValue(MakeValue(L"b", 3, {})), "\"b\"=hex:\n");
}

TEST(RegistryFormat, HexWrapsAtWinesColumn) {
    // The first line holds the name; each further line starts with two spaces.
    const std::string line = FormatValue(MakeValue(L"", 3, std::vector<uint8_t>(60, 0xab)));
    const std::string expected = "@=hex:" + [] {
        std::string s;
        for (int i = 0; i < 60; ++i) {
            s += "ab";
            if (i == 59) break;
            s += ',';
            if (i == 23 || i == 48) s += "\\\n  ";
        }
        return s;
    }() + "\n";
    EXPECT_EQ(line, expected);
    auto hive = ParseHive("WINE REGISTRY Version 2\n\n[K] 0\n" + line);
    ASSERT_TRUE(hive);
    EXPECT_EQ(hive->root.FindSubkey(L"K")->values.at(0).data, std::vector<uint8_t>(60, 0xab));
}

TEST(RegistryFormat, ChangedKeyIsTheOnlyTextRegenerated) {
    const std::string text = Fixture("user.reg");
    auto hive = ParseHive(text);
    ASSERT_TRUE(hive);
    Key* colors = hive->root.FindSubkey(L"control panel")->FindSubkey(L"COLORS");
    ASSERT_TRUE(colors);
    colors->FindValue(L"Menu")->data = Utf16(std::wstring(L"1 2 3") + L'\0');
    colors->FindValue(L"Menu")->rawLength = 0;
    colors->Touch(0x1dd86921da629d4 + 10000000ull * 3600);
    SerializedHive out = Serialize(*hive);
    std::string expected = text;
    auto replace = [&](const std::string& from, const std::string& to) {
        const size_t at = expected.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        expected.replace(at, from.size(), to);
    };
    replace("[Control Panel\\\\Colors] 1796679001\n#time=1dd86921da629d4\n",
            "[Control Panel\\\\Colors] 1796682601\n#time=1dd869a7f6a91d4\n");
    replace("\"Menu\"=\"255 255 255\"\n\"MenuBar\"", "\"Menu\"=\"1 2 3\"\n\"MenuBar\"");
    EXPECT_TRUE(out.text == expected);
    ASSERT_EQ(out.regenerated.size(), 1u);
    Commit(out);
    EXPECT_FALSE(colors->dirty);
    EXPECT_TRUE(Serialize(*hive).text == expected);
}

TEST(RegistryFormat, MalformedFilesFailAsAWhole) {
    const std::string head = "WINE REGISTRY Version 2\n;; c\n\n#arch=win64\n\n";
    const std::vector<std::string> bad = {
        "",
        "WINE REGISTRY Version 1\n",
        "REGEDIT4\n[K]\n",
        head + "\"v\"=\"outside a key\"\n",
        head + "[K] 1\n\"v\"=\"unterminated\n",
        head + "[K] 1\n\"v\"=\"x\" trailing\n",
        head + "[K] 1\n\"v\"=hex:0g\n",
        head + "[K] 1\n\"v\"=hex:01,\n",
        head + "[K] 1\n\"v\"=hex:01,\\\n",
        head + "[K] 1\n\"v\"=dword:123456789\n",
        head + "[K] 1\n\"v\"=dword:\n",
        head + "[K] 1\n\"v\"=hex(123456789):00\n",
        head + "[K] 1\n\"v\"=qword:1\n",
        head + "[K] 1\n\"\\x\"=\"\"\n",
        head + "[K] 1\nstray text\n",
        head + "[K] 1\n#time=xyz\n",
        head + "[K] 1 junk\n",
        head + "[A\\\\\\\\B] 1\n",
        head + "[K\n",
        head + "[K] 1\n\"v\"=\"\xff\"\n",
        head + "[K] 1\n\"v\"=\"a\0b\"\n" + std::string(1, '\0'),
        head + "[" + [] {
            std::string p = "k";
            for (int i = 0; i < 600; ++i) p += "\\\\k";
            return p;
        }() + "] 1\n",
    };
    for (const std::string& text : bad) {
        ParseError err;
        EXPECT_FALSE(ParseHive(text, &err)) << text;
        EXPECT_FALSE(err.message.empty());
    }
}

TEST(RegistryFormat, RepeatedSectionsMergeAndUnorderedFilesStable) {
    auto hive = ParseHive("WINE REGISTRY Version 2\n\n[B] 5\n\"x\"=\"1\"\n\n[A\\\\C] 5\n\n[B] 5\n\"y\"=\"2\"\n\n[A] 5\n");
    ASSERT_TRUE(hive);
    Key* b = hive->root.FindSubkey(L"b");
    ASSERT_TRUE(b);
    EXPECT_EQ(b->values.size(), 2u);
    EXPECT_TRUE(b->dirty);
    const std::string once = Serialize(*hive).text;
    EXPECT_EQ(once.find("[A] 5"), once.find("\n[A") + 1);  // depth-first, sorted
    EXPECT_LT(once.find("[A\\\\C] 5"), once.find("[B] "));
    auto again = ParseHive(once);
    ASSERT_TRUE(again);
    EXPECT_EQ(Serialize(*again).text, once);
}

// Random damage to a real file never crashes the reader; whatever it accepts it writes back in a
// form that reads the same again.
TEST(RegistryFormat, MutatedFilesNeverBreakTheReader) {
    const std::string original = Fixture("user.reg");
    std::mt19937 rng(12345);
    const char alphabet[] = "\\\"[]=:,@#\n\r x0123456789abcdefhstrw()\x80\xff";
    int accepted = 0;
    for (int round = 0; round < 250; ++round) {
        std::string text = original;
        const int edits = 1 + static_cast<int>(rng() % 4);
        for (int e = 0; e < edits; ++e) {
            const size_t at = rng() % text.size();
            switch (rng() % 4) {
                case 0: text[at] = alphabet[rng() % (sizeof alphabet - 1)]; break;
                case 1: text.erase(at, 1 + rng() % 8); break;
                case 2: text.insert(at, 1, alphabet[rng() % (sizeof alphabet - 1)]); break;
                default: text.resize(at); break;
            }
            if (text.empty()) text = "W";
        }
        auto hive = ParseHive(text);
        if (!hive) continue;
        ++accepted;
        const std::string written = Serialize(*hive).text;
        auto reread = ParseHive(written);
        ASSERT_TRUE(reread) << "round " << round;
        EXPECT_EQ(CanonicalDump(reread->root), CanonicalDump(hive->root)) << "round " << round;
    }
    EXPECT_GT(accepted, 0);
}

// Files that once came back different after a save and a load: a key that names one value twice
// in a file without a final line break, a key implied in one letter case before its own section
// in another, two sections that spell their implied parent differently (the later one sorts
// first), and an emptied parent section that is no longer written above a child spelling it
// the old way.
TEST(RegistryFormat, SaveAndLoadGiveBackWhatWasRead) {
    const std::string header = "WINE REGISTRY Version 2\n";
    const struct {
        std::string body;
        const wchar_t* emptied;  // a key whose section is changed to nothing before the save
    } cases[] = {
        {"\n[K] 0\n\"a\"=dword:00000001\n\"b\"=dword:00000002\n\"a\"=dword:00000003", nullptr},
        {"\n[A\\\\c] 0\n\"x\"=\"1\"\n\n[a] 0\n\"v\"=\"2\"\n", nullptr},
        {"\n[P\\\\Ab\\\\Ss] 4\n\n[P\\\\AB\\\\S] 0\n", nullptr},
        {"\n[A\\\\c] 0\n\"x\"=\"1\"\n\n[a] 0\n\"v\"=\"2\"\n", L"A"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body);
        auto hive = ParseHive(header + c.body);
        ASSERT_TRUE(hive);
        if (c.emptied) {
            Key* key = hive->root.FindSubkey(c.emptied);
            ASSERT_TRUE(key);
            key->values.clear();
            key->Touch(key->modified);
        }
        const std::string once = Serialize(*hive).text;
        auto again = ParseHive(once);
        ASSERT_TRUE(again) << once;
        EXPECT_EQ(CanonicalDump(again->root), CanonicalDump(hive->root));
        EXPECT_EQ(Serialize(*again).text, once);
    }
}
