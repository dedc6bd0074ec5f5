// Zhuyin key orders, keys shown as symbols and back, and the IME types by name.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "eudccore/ime_helpers.h"

namespace {

// Code page 950 symbols.
const std::string kBo = "\xA3\x74", kA = "\xA3\xAB", kSpace = "\xA1\x40", kTone1 = "\xA3\xBC";
const std::string kSun = "\xA4\xE9", kMoon = "\xA4\xEB", kDifficult = "\xC3\xF8", kWideZ = "\xA2\xE8";

constexpr unsigned char kUntouched = 0xEE;

std::string Bytes(const unsigned char* p, size_t n) { return std::string(reinterpret_cast<const char*>(p), n); }

}  // namespace

TEST(ZuinOrder, SystemOrderToMicrosoftOrder) {
    struct Case {
        const char* in;  // four bytes
        const char* out;
    } cases[] = {
        {"1   ", "1  ="},           // a syllable without tone gets the first tone
        {"U8  ", " U8="},           // medial and final in their places
        {"6   ", "   6"},           // a tone alone: no "=" added
        {"1\0\0\0", "1  ="},        // zero bytes are empty places
        {"1x8 ", "1 8="},           // unknown bytes are dropped
        {"15  ", "5  ="},           // a later initial replaces an earlier one
        {"   3", "   3"},           // a tone in the fourth byte alone does not count as a syllable
    };
    for (const Case& c : cases) {
        unsigned char out[5];
        std::memset(out, kUntouched, sizeof out);
        Zuin__Tavio_2_Microsoft(c.in, out);
        EXPECT_EQ(Bytes(out, 4), c.out) << c.in;
        EXPECT_EQ(out[4], kUntouched) << "no terminator is written";
    }
}

TEST(ZuinOrder, MicrosoftOrderToSystemOrder) {
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"1 8=", "18  "},
        {" U8=", "U8  "},
        {"   6", "6   "},
        {"    ", "    "},
    };
    for (const Case& c : cases) {
        unsigned char out[5];
        std::memset(out, kUntouched, sizeof out);
        Zuin__Microsoft_2_Tavio(c.in, out);
        EXPECT_EQ(Bytes(out, 4), c.out) << c.in;
        EXPECT_EQ(out[4], kUntouched);
    }
}

TEST(Captions, KeysToSymbols) {
    struct Case {
        bool zhuyin;
        const char* keys;
        int n;
        int result;
        std::string symbols;  // for a result above 0, followed by a zero byte
    } cases[] = {
        {true, "1  =", 4, 8, kBo + kSpace + kSpace + kTone1},
        {true, "1   ", 4, 8, kBo + kSpace + kSpace + kTone1},   // an empty tone place after a key is the first tone
        {true, "    ", 4, 8, kSpace + kSpace + kSpace + kSpace},  // ... but not without a key before it
        {true, "1 8", 3, 6, kBo + kSpace + kA},
        {true, "1x", 2, 0, ""},
        {true, "1", 2, 0, ""},  // the terminator is no key
        {false, "AWXYZ", 5, 10, kSun + "\xA5\xD0" + kDifficult + "\xA4\x52" + kWideZ},
        {false, "AB", 2, 4, kSun + kMoon},
        {false, "ab", 2, 0, ""},  // lower case letters are no keys
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        unsigned char out[16];
        std::memset(out, kUntouched, sizeof out);
        const int result = c.zhuyin ? RegisterWord_Zuin_Data2Caption(c.keys, out, c.n)
                                    : RegisterWord_Chanjei_Data2Caption(c.keys, out, c.n);
        EXPECT_EQ(result, c.result);
        if (c.result > 0) {
            EXPECT_EQ(Bytes(out, c.result + 1), c.symbols + '\0');
        }
        // Zhuyin writes no more than its symbols and the zero; Changjie clears its first 11 bytes.
        const size_t end = c.zhuyin ? 2 * c.n + 1 : std::max(11, 2 * c.n + 1);
        EXPECT_EQ(out[end], kUntouched);
        if (!c.zhuyin && c.result == 0) {
            EXPECT_EQ(out[10], 0);
        }
    }
}

TEST(Captions, SymbolsToKeys) {
    struct Case {
        bool zhuyin;
        std::string caption;
        int result;
        const char* keys;
    } cases[] = {
        {true, kBo + kSpace + kSpace + kTone1, 4, "1  ="},
        {true, "\xA3\xBB\xA3\xB7", 2, "7-"},  // ˙ ㄦ: the last tone and the last final
        {true, kBo.substr(1) + kA.substr(0, 1), 0, ""},  // a trail and a lead byte are no symbol
        {true, kBo + "\xA3", 0, ""},                     // half a character
        {true, kSun, 0, ""},                              // a radical is no Zhuyin symbol
        {false, kSun + kMoon + kDifficult + kWideZ, 4, "ABXZ"},
        {false, kSpace, 1, " "},
        {false, "", 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        unsigned char out[16];
        std::memset(out, kUntouched, sizeof out);
        const int bytes = static_cast<int>(c.caption.size());
        const int result = c.zhuyin ? RegisterWord_Zuin_Caption2Data(out, c.caption.data(), bytes)
                                    : RegisterWord_Chanjei_Caption2Data(out, c.caption.data(), bytes);
        EXPECT_EQ(result, c.result);
        if (c.result > 0 || c.caption.empty()) {
            EXPECT_EQ(Bytes(out, c.result + 1), std::string(c.keys) + '\0');
            EXPECT_EQ(out[c.result + 1], kUntouched);
        }
    }
}

TEST(ImeType, ByExactName) {
    struct Case {
        const char* name;
        int type;
    } cases[] = {
        {"\xAA\x60\xAD\xB5", 1},              // 注音
        {"\xB7\x73\xAA\x60\xAD\xB5", 2},      // 新注音
        {"\xAD\xDC\xBE\x65", 3},              // 倉頡
        {"\xB7\x73\xAD\xDC\xBE\x65", 4},      // 新倉頡
        {"\xAA\x60\xAD\xB5 ", 0},             // trailing space
        {"\xB7\x73\xAA\x60", 0},              // 新注
        {"", 0},
        {nullptr, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(Get_Ime_type(c.name), c.type) << (c.name ? c.name : "(null)");
}
