// AS400_2_Code: the user-defined area of IBM host and terminal codes (AS/400, 5550) against
// the PC side's Unicode private-use codes and Big5 (code page 950) codes.
//
// A position is the user-defined index 0..6203 (33 lead bytes x 188 trail positions). The
// code order chosen at construction decides which private-use code a position gets; orders
// other than 0 and 2 behave as order 1. Every code and index is 16-bit; 0xFFFF means "none".
#pragma once
#include <cstdint>

#include "eudccore/export.h"

class EUDCCORE_API AS400_2_Code {
public:
    explicit AS400_2_Code(int codeOrder);
    AS400_2_Code(const AS400_2_Code& other);
    AS400_2_Code& operator=(const AS400_2_Code& other);

    // Host double-byte code: lead 0xC2..0xE2, trail 0x41..0x7F then 0x81..0xFD.
    uint16_t NHC(uint16_t index) const;
    // IBM 5550 code: NHC + 0x18FF, cut to 16 bits (so 0x18FE past the area).
    uint16_t Code5550(uint16_t index) const;
    // Index + 0xC318, cut to 16 bits, whatever the index.
    uint16_t IbmTerminalCode_InFile(uint16_t index) const;
    uint16_t Unicode(uint16_t index) const;
    uint16_t Big5(uint16_t index) const;
    // The index whose Unicode code is `code`.
    uint16_t Seek_Unicode(uint16_t code) const;

    // Moves a private-use code between code orders: type 1 order 0 -> 1, type 2 order 1 -> 0,
    // type 3 order 2 -> 0; any other type returns the code unchanged.
    static uint16_t Get_ShouldUnicode(uint16_t code, int codeOrderType);

private:
    // Only the code order, 188, 63 and 5264 are read; the other three complete the layout.
    int32_t m_codeOrder;
    [[maybe_unused]] int32_t m_privateUseCount;  // 5809 positions with a private-use code
    [[maybe_unused]] int32_t m_extensionCount;   // 41 positions on Big5 0xF9D6..0xF9FE
    int32_t m_trailCount;                        // 188 trail positions per lead byte
    [[maybe_unused]] int32_t m_secondRunCount;   // 125 trails 0x81..0xFD
    int32_t m_firstRunCount;                     // 63 trails 0x41..0x7F
    int32_t m_order2Boundary;                    // 5264: order 2 is back on U+E000 + index from here
};

static_assert(sizeof(AS400_2_Code) == 28, "AS400_2_Code is seven 32-bit values");
