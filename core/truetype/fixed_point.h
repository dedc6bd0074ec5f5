// 16.16 fixed-point numbers as the glyph builders use them.
#pragma once
#include <cstdint>

namespace fixed {

constexpr int32_t kOne = 0x10000;

constexpr int32_t FromInt(int32_t value) { return static_cast<int32_t>(static_cast<uint32_t>(value) << 16); }

// Halves round away from zero. Takes 64 bits so that sums and midpoints of 16.16 values round too.
// Without a branch: for v < 0, -((0x8000 - v) >> 16) is (v + 0x7FFF) >> 16.
constexpr int32_t Round(int64_t v) { return static_cast<int32_t>((v + 0x8000 + (v >> 63)) >> 16); }

// The 64-bit product, rounded by adding a half before the shift.
constexpr int64_t Mul(int64_t a, int64_t b) { return (a * b + 0x8000) >> 16; }

}  // namespace fixed
