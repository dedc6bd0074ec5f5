// Field sizes and flag bits of a TrueType simple glyph (`glyf` entry).
#pragma once
#include <cstdint>

namespace glyf {

// numberOfContours and the bounding box.
inline constexpr uint32_t kHeaderSize = 10;

inline constexpr uint8_t kFlagOnCurve = 0x01;
inline constexpr uint8_t kFlagXShort = 0x02;
inline constexpr uint8_t kFlagYShort = 0x04;
inline constexpr uint8_t kFlagRepeat = 0x08;
inline constexpr uint8_t kFlagXSameOrPositive = 0x10;
inline constexpr uint8_t kFlagYSameOrPositive = 0x20;

}  // namespace glyf
