// The TrueType checksum, for table directory entries and checkSumAdjustment.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "foundation/endian.h"

// checkSumAdjustment in `head` is this minus the checksum of the whole file.
inline constexpr uint32_t kSfntChecksumMagic = 0xB1B0AFBA;

// Sum of the big-endian 32-bit words of data, the last word zero-padded.
inline uint32_t SfntChecksum(const uint8_t* data, size_t length) {
    uint32_t sum = 0;
    size_t i = 0;
    for (; i + 4 <= length; i += 4) sum += endian::LoadBE32(data + i);
    if (i < length) {
        uint8_t last[4] = {};
        std::memcpy(last, data + i, length - i);
        sum += endian::LoadBE32(last);
    }
    return sum;
}
