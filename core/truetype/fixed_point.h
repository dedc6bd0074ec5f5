// 16.16 fixed-point numbers as the glyph builders use them.
#pragma once
#include <cstdint>

namespace fixed {

constexpr int32_t kOne = 0x10000;

constexpr int32_t FromInt(int32_t value) { return static_cast<int32_t>(static_cast<uint32_t>(value) << 16); }

// Halves round away from zero.
constexpr int32_t Round(int32_t v) {
    const int64_t w = v;
    return w >= 0 ? static_cast<int32_t>((w + 0x8000) >> 16) : static_cast<int32_t>(-((0x8000 - w) >> 16));
}

// The 64-bit product, rounded by adding a half before the shift. Products beyond 32 bits
// wrap as a 32-bit value would.
constexpr int32_t Mul(int32_t a, int32_t b) {
    const int64_t p = static_cast<int64_t>(a) * b + 0x8000;
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(p >> 16)));
}

}  // namespace fixed
