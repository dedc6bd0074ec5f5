// AS400_2_Code: host, 5550 and terminal codes, the three code orders, Big5 and the order moves.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

#include "codeconv/ansi_code.h"
#include "eudccore/as400_2_code.h"
#include "platform/winnls.h"

namespace {

constexpr int kPositions = 6204;
constexpr uint16_t kNone = 0xFFFF;

// The code page's own answers, asked directly of the platform.
uint16_t PlatformDecode(uint16_t code) {
    const char bytes[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
    WCHAR out[2] = {};
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, bytes, 2, out, 2), 1) << std::hex << code;
    return static_cast<uint16_t>(out[0]);
}

uint16_t PlatformEncode(uint16_t unit) {
    const WCHAR in = unit;
    unsigned char out[4] = {};
    BOOL used = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, 0, &in, 1, reinterpret_cast<char*>(out), 4, "?", &used);
    EXPECT_FALSE(used) << std::hex << unit;
    EXPECT_EQ(n, 2) << std::hex << unit;
    return static_cast<uint16_t>(out[0] << 8 | out[1]);
}

int ExtensionStart(int order) { return order == 1 ? 2591 : 6163; }

}  // namespace

TEST(AS400Layout, SevenValuesInOrderAndCopiedWhole) {
    const AS400_2_Code seven(7);
    int32_t raw[7];
    std::memcpy(raw, &seven, sizeof raw);
    const int32_t expected[7] = {7, 5809, 41, 188, 125, 63, 5264};
    for (int k = 0; k < 7; ++k) EXPECT_EQ(raw[k], expected[k]) << k;

    AS400_2_Code target(0);
    target = AS400_2_Code(2);
    const AS400_2_Code copy(target);
    EXPECT_EQ(target.Unicode(0), 0xEA48);
    EXPECT_EQ(copy.Unicode(0), 0xEA48);
    EXPECT_EQ(std::memcmp(&copy, &target, sizeof copy), 0);
}

TEST(AS400HostCodes, NhcEdgesAndWholeArea) {
    const AS400_2_Code conv(0);
    EXPECT_EQ(conv.NHC(0), 0xC241);
    EXPECT_EQ(conv.NHC(62), 0xC27F);
    EXPECT_EQ(conv.NHC(63), 0xC281);
    EXPECT_EQ(conv.NHC(187), 0xC2FD);
    EXPECT_EQ(conv.NHC(188), 0xC341);
    EXPECT_EQ(conv.NHC(6203), 0xE2FD);
    EXPECT_EQ(conv.NHC(6204), kNone);
    EXPECT_EQ(conv.NHC(0xFFFF), kNone);

    uint16_t previous = 0;
    for (int i = 0; i < kPositions; ++i) {
        const uint16_t code = conv.NHC(static_cast<uint16_t>(i));
        const int lead = code >> 8, trail = code & 0xFF;
        EXPECT_EQ(lead, 0xC2 + i / 188) << i;
        EXPECT_TRUE((trail >= 0x41 && trail <= 0x7F) || (trail >= 0x81 && trail <= 0xFD)) << i;
        EXPECT_GT(code, previous) << i;  // strictly rising: no two positions share a code
        previous = code;
    }
}

TEST(AS400HostCodes, Code5550) {
    const AS400_2_Code conv(1);
    EXPECT_EQ(conv.Code5550(0), 0xDB40);
    EXPECT_EQ(conv.Code5550(187), 0xDBFC);
    EXPECT_EQ(conv.Code5550(188), 0xDC40);
    EXPECT_EQ(conv.Code5550(6203), 0xFBFC);
    EXPECT_EQ(conv.Code5550(6204), 0x18FE);
    for (int i = 0; i < kPositions; ++i) {
        const int trail = conv.Code5550(static_cast<uint16_t>(i)) & 0xFF;
        EXPECT_TRUE((trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFC)) << i;
    }
}

TEST(AS400HostCodes, TerminalCodeHasNoRangeCheckAndNoOrder) {
    for (int order : {0, 1, 2}) {
        const AS400_2_Code conv(order);
        EXPECT_EQ(conv.IbmTerminalCode_InFile(0), 0xC318);
        EXPECT_EQ(conv.IbmTerminalCode_InFile(2632), 0xCD60);
        EXPECT_EQ(conv.IbmTerminalCode_InFile(6204), 0xC318 + 6204);
        EXPECT_EQ(conv.IbmTerminalCode_InFile(0xFFFF), 0xC317);
    }
}

TEST(AS400Unicode, TableEdges) {
    const AS400_2_Code o0(0), o1(1), o2(2);
    EXPECT_EQ(o0.Unicode(0), 0xE000);
    EXPECT_EQ(o0.Unicode(5808), 0xF6B0);
    EXPECT_EQ(o0.Unicode(5809), kNone);
    EXPECT_EQ(o0.Unicode(6162), kNone);
    EXPECT_EQ(o0.Big5(6163), 0xF9D6);

    EXPECT_EQ(o1.Unicode(0), 0xEDF4);
    EXPECT_EQ(o1.Unicode(2236), 0xF6B0);
    EXPECT_EQ(o1.Unicode(2237), kNone);
    EXPECT_EQ(o1.Unicode(2590), kNone);
    EXPECT_EQ(o1.Unicode(2632), 0xE000);
    EXPECT_EQ(o1.Unicode(6203), 0xEDF3);
    EXPECT_EQ(o1.Big5(2591), 0xF9D6);

    EXPECT_EQ(o2.Unicode(0), 0xEA48);
    EXPECT_EQ(o2.Unicode(2631), 0xF48F);
    EXPECT_EQ(o2.Unicode(2632), 0xE000);
    EXPECT_EQ(o2.Unicode(5263), 0xEA47);
    EXPECT_EQ(o2.Unicode(5264), 0xF490);
    EXPECT_EQ(o2.Unicode(5808), 0xF6B0);
    EXPECT_EQ(o2.Unicode(5809), kNone);

    for (const AS400_2_Code* conv : {&o0, &o1, &o2}) {
        EXPECT_EQ(conv->Unicode(6204), kNone);
        EXPECT_EQ(conv->Unicode(0xFFFF), kNone);
        EXPECT_EQ(conv->Big5(6204), kNone);
    }
}

TEST(AS400Unicode, EachOrderCoversPrivateUseOnceAndTheExtensionBlock) {
    for (int order : {0, 1, 2}) {
        const AS400_2_Code conv(order);
        std::set<uint16_t> privateUse;
        int none = 0;
        for (int i = 0; i < kPositions; ++i) {
            const uint16_t u = conv.Unicode(static_cast<uint16_t>(i));
            const int k = i - ExtensionStart(order);
            if (k >= 0 && k < 41) {
                EXPECT_EQ(u, PlatformDecode(static_cast<uint16_t>(0xF9D6 + k))) << order << " " << i;
                EXPECT_EQ(conv.Big5(static_cast<uint16_t>(i)), 0xF9D6 + k) << order << " " << i;
            } else if (u == kNone) {
                ++none;
                EXPECT_EQ(conv.Big5(static_cast<uint16_t>(i)), kNone) << order << " " << i;
            } else {
                EXPECT_TRUE(u >= 0xE000 && u <= 0xF6B0) << order << " " << i;
                privateUse.insert(u);
            }
        }
        EXPECT_EQ(privateUse.size(), 5809u) << order;
        EXPECT_EQ(none, 354) << order;
    }
    EXPECT_EQ(AS400_2_Code(0).Unicode(6163), 0x7881);  // Big5 F9D6
    EXPECT_EQ(AS400_2_Code(1).Unicode(2631), 0x2593);  // Big5 F9FE
}

TEST(AS400Unicode, OrdersOtherThanZeroAndTwoBehaveAsOne) {
    const AS400_2_Code one(1);
    for (int order : {-1, 3, 7, 100}) {
        const AS400_2_Code conv(order);
        for (int i = 0; i < kPositions; ++i) {
            const auto idx = static_cast<uint16_t>(i);
            ASSERT_EQ(conv.Unicode(idx), one.Unicode(idx)) << order << " " << i;
            ASSERT_EQ(conv.Big5(idx), one.Big5(idx)) << order << " " << i;
        }
        for (uint32_t u = 0xE000; u <= 0xF6B0; ++u)
            ASSERT_EQ(conv.Seek_Unicode(static_cast<uint16_t>(u)), one.Seek_Unicode(static_cast<uint16_t>(u))) << u;
        EXPECT_EQ(conv.Seek_Unicode(0x7881), 2591) << order;
    }
}

TEST(AS400Big5, AgreesWithTheCodePage) {
    for (int order : {0, 1, 2}) {
        const AS400_2_Code conv(order);
        for (int i = 0; i < kPositions; ++i) {
            const int k = i - ExtensionStart(order);
            const uint16_t u = conv.Unicode(static_cast<uint16_t>(i));
            if ((k >= 0 && k < 41) || u == kNone) continue;
            EXPECT_EQ(conv.Big5(static_cast<uint16_t>(i)), PlatformEncode(u)) << order << " " << i;
        }
    }
    EXPECT_EQ(AS400_2_Code(0).Big5(0), 0xFA40);     // U+E000: first user-defined area
    EXPECT_EQ(AS400_2_Code(0).Big5(5808), 0x8DFE);  // U+F6B0: end of the third area
}

TEST(AS400Big5, UnmappableUnitGivesTheDoubleByteDefault) {
    // No position's unit is unmappable on code page 950, so the conversion Big5 uses is checked on its own.
    bool used = false;
    EXPECT_EQ(eudc::UnicodeToAnsiCode(0x0E01, "??", &used), 0x3F3F);
    EXPECT_TRUE(used);
    EXPECT_EQ(eudc::UnicodeToAnsiCode(0x0E01, "?", &used), 0x3F);
    EXPECT_EQ(eudc::UnicodeToAnsiCode(0xE000, "??", &used), 0xFA40);
    EXPECT_FALSE(used);
    EXPECT_EQ(eudc::AnsiCodeToUnicode(0xF9D6), 0x7881);
    EXPECT_EQ(eudc::AnsiCodeToUnicode(0xA3FE), kNone);  // no character there
}

TEST(AS400Seek, InvertsUnicodeForEveryMappedPosition) {
    for (int order : {0, 1, 2}) {
        const AS400_2_Code conv(order);
        int mapped = 0;
        for (int i = 0; i < kPositions; ++i) {
            const uint16_t u = conv.Unicode(static_cast<uint16_t>(i));
            if (u == kNone) continue;
            ++mapped;
            EXPECT_EQ(conv.Seek_Unicode(u), i) << order << " U+" << std::hex << u;
        }
        EXPECT_EQ(mapped, 5809 + 41) << order;
    }
}

TEST(AS400Seek, TwinsInRowA2FoldOntoTheExtensionBlock) {
    const uint16_t twins[4][2] = {{0xA27E, 0xF9FA}, {0xA2A1, 0xF9FB}, {0xA2A2, 0xF9FC}, {0xA2A3, 0xF9FD}};
    for (const auto& [twin, extension] : twins) {
        const uint16_t unit = PlatformDecode(extension);
        ASSERT_EQ(PlatformEncode(unit), twin);  // Windows writes these units with the row A2 code
        EXPECT_EQ(AS400_2_Code(0).Seek_Unicode(unit), extension - 0xE1C3);
        EXPECT_EQ(AS400_2_Code(1).Seek_Unicode(unit), extension - 0xEFB7);
    }
}

TEST(AS400Seek, CodesWithoutPosition) {
    // Beyond the run, a standard double-byte and a single-byte character, unmappable units.
    const uint16_t codes[] = {0xF6B1, 0xF848, 0xF8F8, 0x4E00, 0x0041, 0x0000, 0x0E01, 0xDFFF, 0xFFFF};
    for (int order : {0, 1, 2}) {
        for (uint16_t u : codes) EXPECT_EQ(AS400_2_Code(order).Seek_Unicode(u), kNone) << order << " " << u;
    }
}

TEST(AS400ShouldUnicode, Examples) {
    EXPECT_EQ(AS400_2_Code::Get_ShouldUnicode(0xE000, 1), 0xEDF4);
    EXPECT_EQ(AS400_2_Code::Get_ShouldUnicode(0xEDF4, 2), 0xE000);
    EXPECT_EQ(AS400_2_Code::Get_ShouldUnicode(0xEA48, 3), 0xE000);
    EXPECT_EQ(AS400_2_Code::Get_ShouldUnicode(0x1234, 7), 0x1234);
    EXPECT_EQ(AS400_2_Code::Get_ShouldUnicode(0xE000, 0), 0xE000);
    EXPECT_EQ(AS400_2_Code::Get_ShouldUnicode(0xE000, -1), 0xE000);
    EXPECT_EQ(AS400_2_Code::Get_ShouldUnicode(0xF6B1, 1), kNone);
    EXPECT_EQ(AS400_2_Code::Get_ShouldUnicode(0xF6B1, 2), kNone);
    EXPECT_EQ(AS400_2_Code::Get_ShouldUnicode(0xF6B1, 3), kNone);
    // Order-0 position 2591 is in order 1's extension block: no private-use image.
    EXPECT_EQ(AS400_2_Code::Get_ShouldUnicode(0xE000 + 2591, 1), kNone);
}

TEST(AS400ShouldUnicode, TypesOneAndTwoUndoEachOther) {
    int lost = 0;
    for (uint32_t c = 0xE000; c <= 0xF6B0; ++c) {
        const auto code = static_cast<uint16_t>(c);
        const uint16_t moved = AS400_2_Code::Get_ShouldUnicode(code, 1);
        if (moved == kNone) {
            ++lost;
            continue;
        }
        EXPECT_TRUE(moved >= 0xE000 && moved <= 0xF6B0) << c;
        EXPECT_EQ(AS400_2_Code::Get_ShouldUnicode(moved, 2), code) << c;
    }
    EXPECT_EQ(lost, 354 + 41);  // order-1 positions without a private-use code
}

TEST(AS400ShouldUnicode, TypeThreeFollowsThePositions) {
    const AS400_2_Code o0(0), o2(2);
    std::set<uint16_t> images;
    for (int i = 0; i < 5809; ++i) {
        const uint16_t moved = AS400_2_Code::Get_ShouldUnicode(o2.Unicode(static_cast<uint16_t>(i)), 3);
        EXPECT_EQ(moved, o0.Unicode(static_cast<uint16_t>(i))) << i;
        images.insert(moved);
    }
    EXPECT_EQ(images.size(), 5809u);
    EXPECT_EQ(images.count(kNone), 0u);
}
