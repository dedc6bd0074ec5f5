// The Zhuyin key orders and the dictionary image functions: header, add, replace, remove, order.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <vector>

#include "eudccore/ime_buffer.h"
#include "eudccore/ime_keys.h"

namespace {

using Bytes = std::vector<uint8_t>;

TEST(ZhuyinKeyOrder, BothDirectionsPlaceKeysAndTheFirstTone) {
    struct Case {
        bool toMicrosoft;
        char in[5];
        char out[5];
    };
    const Case cases[] = {
        {true, "1   ", "1  ="},          // a lone initial gets the first tone
        {true, "U8  ", " U8="},          // medial and final move to their places
        {true, "6   ", "   6"},          // a tone alone: no "=" on top of it
        {true, "1U84", "1U84"},
        {true, "12  ", "2  ="},          // a later initial replaces the earlier
        {true, "a\0001 ", "1  ="},       // unknown and zero bytes are dropped
        {true, "   1", "1   "},          // a key only in the fourth byte asks for no tone
        {true, "    ", "    "},
        {false, "1 8=", "18  "},
        {false, "   6", "6   "},
        {false, " U8=", "U8  "},
        {false, "    ", "    "},
    };
    for (const Case& c : cases) {
        unsigned char out[5] = {'x', 'x', 'x', 'x', '#'};
        if (c.toMicrosoft)
            Zuin__Tavio_2_Microsoft(c.in, out);
        else
            Zuin__Microsoft_2_Tavio(c.in, out);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 4), std::string(c.out, 4))
            << (c.toMicrosoft ? "to Microsoft: " : "to ours: ") << std::string(c.in, 4);
        EXPECT_EQ(out[4], '#') << "exactly four bytes";
    }
    EXPECT_STREQ(RegisterWord_Zuin_GetValidChar(), " 1QAZ2WSXEDCRFV5TGBYHNUJM8IK,9OL.0P;/-=6347");
    EXPECT_STREQ(RegisterWord_Chanjei_GetValidChar(), " ABCDEFGHIJKLMNOPQRSTUVWXYZ");
}

TEST(ImeImageHeader, EmptyImageIsExactlyTheHeader) {
    struct Case {
        char keyCount;
        bool unicode, newFormat;
        uint8_t version, codePageLow, codePageHigh;
        bool name;  // the template's name "倉頡" at 71
    };
    const Case cases[] = {
        {4, false, false, 1, 0xB6, 0x03, true},  {4, true, false, 1, 0xB0, 0x04, true},
        {5, false, false, 1, 0xB6, 0x03, true},  {5, true, false, 1, 0xB0, 0x04, true},
        {4, true, true, 2, 0xB6, 0x03, false},   {5, true, true, 2, 0xB6, 0x03, false},
        {5, false, true, 1, 0xB6, 0x03, true},
    };
    for (const Case& c : cases) {
        std::map<int, uint8_t> set = {{1, 0x01}, {2, 'C'},  {3, 'W'},         {4, 'I'},
                                      {5, 'N'},  {6, '_'},  {7, 'T'},         {8, 'B'},
                                      {9, 'L'},  {10, c.version},             {16, uint8_t(c.keyCount)},
                                      {64, 0x0D}, {69, c.codePageLow},        {70, c.codePageHigh}};
        if (c.name) set.insert({{71, 0xAD}, {72, 0xDC}, {73, 0xBE}, {74, 0x65}});
        Bytes image(300, 0xEE);
        EXPECT_EQ(Empty_ImeBuffer(image.data(), c.keyCount, c.unicode, c.newFormat), 256);
        for (int i = 0; i < 256; ++i) {
            const auto it = set.find(i);
            EXPECT_EQ(image[i], it == set.end() ? 0 : it->second)
                << "offset " << i << " keys " << int(c.keyCount) << " unicode " << c.unicode << " new " << c.newFormat;
        }
        EXPECT_EQ(image[256], 0xEE) << "nothing past the header";
    }
}

Bytes Record1(uint16_t code, Bytes keys) {
    Bytes r = {0x01, 0x00, uint8_t(code), uint8_t(code >> 8)};
    for (uint8_t k : keys) r.push_back(k);
    return r;
}

Bytes Records(const Bytes& image, int from, int to) { return Bytes(image.begin() + from, image.begin() + to); }

uint16_t Count(const Bytes& image) { return uint16_t(image[12] | image[13] << 8); }

TEST(ManagerImeBuffer, AddsReplacesInPlaceAndRemoves) {
    Bytes image(256 + 3 * 8);  // room for exactly three records
    int length = Empty_ImeBuffer(image.data(), 4, true, false);
    const char a[] = {1, 0, 0, 38}, b[] = {2, 0, 0, 38}, c[] = {3, 0, 0, 38}, b2[] = {5, 22, 25, 39};
    const char none[] = {0, 0, 0, 0};
    length = Manager_ImeBuffer(image.data(), 0xE001, a, length, 0);
    length = Manager_ImeBuffer(image.data(), 0xE002, b, length, 0);
    length = Manager_ImeBuffer(image.data(), 0xE003, c, length, 0);
    ASSERT_EQ(length, 280);
    EXPECT_EQ(Count(image), 3);

    length = Manager_ImeBuffer(image.data(), 0xE002, b2, length, 0);
    EXPECT_EQ(length, 280);
    EXPECT_EQ(Count(image), 3);
    Bytes expected = Record1(0xE001, {1, 0, 0, 38});
    for (const Bytes& r : {Record1(0xE002, {5, 22, 25, 39}), Record1(0xE003, {3, 0, 0, 38})})
        for (uint8_t byte : r) expected.push_back(byte);
    EXPECT_EQ(Records(image, 256, 280), expected) << "replaced where it stood";

    length = Manager_ImeBuffer(image.data(), 0xE001, none, length, 0);
    EXPECT_EQ(length, 272);
    EXPECT_EQ(Count(image), 2);
    EXPECT_EQ(Records(image, 256, 272), Bytes(expected.begin() + 8, expected.end()));
    EXPECT_EQ(Manager_ImeBuffer(image.data(), 0xE009, none, length, 0), 272) << "removing an absent code";
}

TEST(ManagerImeBuffer, EmptinessFollowsTheMode) {
    struct Case {
        int mode;
        char keys[5];
        bool empty;
    };
    const Case cases[] = {
        {0, {0, 0, 0, 38, 0}, true},    {0, {0, 0, 25, 0, 0}, false}, {0, {0, 22, 0, 0, 0}, false},
        {0, {0x20, 0, 0, 0, 0}, false}, {1, {0x20, 1, 1, 1, 1}, true}, {1, {0, 1, 1, 1, 1}, true},
        {1, {1, 0x20, 0x20, 0x20, 0x20}, false},                       {2, {1, 22, 25, 38, 1}, true},
        {-1, {1, 22, 25, 38, 1}, true},
    };
    for (const Case& c : cases) {
        for (const bool version2 : {false, true}) {
            Bytes image(256 + 20);
            const int empty = Empty_ImeBuffer(image.data(), 5, version2, version2);
            const int length = version2 ? Manager_ImeBuffer_NZuin_XP(image.data(), 0xE000, c.keys, empty, c.mode)
                                        : Manager_ImeBuffer(image.data(), 0xE000, c.keys, empty, c.mode);
            EXPECT_EQ(length, c.empty ? 256 : version2 ? 276 : 265)
                << "mode " << c.mode << " first key " << int(c.keys[0]) << " version 2: " << version2;
            EXPECT_EQ(Count(image), c.empty ? 0 : 1);
        }
    }
}

TEST(ManagerImeBufferNZuinXP, KeepsRecordsSortedByCode) {
    Bytes image(256 + 3 * 20);
    int length = Empty_ImeBuffer(image.data(), 4, true, true);
    const char a[] = {1, 0, 0, 38}, b[] = {2, 22, 25, 39}, c[] = {3, 0, 0, 38}, none[] = {0, 0, 0, 0};
    length = Manager_ImeBuffer_NZuin_XP(image.data(), 0xE009, c, length, 0);
    length = Manager_ImeBuffer_NZuin_XP(image.data(), 0xE001, a, length, 0);
    length = Manager_ImeBuffer_NZuin_XP(image.data(), 0xE005, b, length, 0);
    ASSERT_EQ(length, 316);
    EXPECT_EQ(Count(image), 3);
    const Bytes e001 = {1, 0, 0x01, 0xE0, 1, 0, 0, 0, 0, 0, 38, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const Bytes e005 = {1, 0, 0x05, 0xE0, 2, 0, 22, 0, 25, 0, 39, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const Bytes e009 = {1, 0, 0x09, 0xE0, 3, 0, 0, 0, 0, 0, 38, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(Records(image, 256, 276), e001);
    EXPECT_EQ(Records(image, 276, 296), e005);
    EXPECT_EQ(Records(image, 296, 316), e009);

    length = Manager_ImeBuffer_NZuin_XP(image.data(), 0xE001, none, length, 0);
    EXPECT_EQ(length, 296);
    EXPECT_EQ(Records(image, 256, 276), e005);
    EXPECT_EQ(Records(image, 276, 296), e009);
}

// An image whose count and length disagree, or whose key count is damaged, is worked on within
// its length plus one record (the buffers here are exactly that long).
TEST(ManagerImeBuffer, DisagreeingHeaderStaysWithinLengthPlusOneRecord) {
    const char keys[] = {1, 0, 0, 38, 0};
    for (const bool version2 : {false, true}) {
        const int recordSize = version2 ? 20 : 8;
        auto manage = [&](Bytes& image, int length) {
            return version2 ? Manager_ImeBuffer_NZuin_XP(image.data(), 0xE001, keys, length, 0)
                            : Manager_ImeBuffer(image.data(), 0xE001, keys, length, 0);
        };
        Bytes image(256 + recordSize);
        Empty_ImeBuffer(image.data(), 4, version2, version2);
        image[12] = 50;  // 50 records claimed, none present
        EXPECT_EQ(manage(image, 256), 256 + recordSize);
        EXPECT_EQ(image[256 + 2], 0x01);

        Bytes damaged(256 + recordSize, 0);
        Empty_ImeBuffer(damaged.data(), 4, version2, version2);
        damaged[16] = 200;
        const Bytes before = damaged;
        EXPECT_EQ(manage(damaged, 256), 256) << "a key count no record can hold";
        EXPECT_EQ(damaged, before);

        Bytes cut(200, 0);
        EXPECT_EQ(manage(cut, 200), 200) << "a length shorter than the header";
    }
}

}  // namespace
