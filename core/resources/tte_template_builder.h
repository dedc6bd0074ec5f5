// The empty EUDC TrueType templates, built from named values. Every template has the same
// 15 tables; they differ in how far the character map reaches and in how the font classifies
// itself (OS/2 classification fields and one maxp field).
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace eudc::resources {

struct Os2Classification {
    int16_t familyClass;
    std::array<uint8_t, 10> panose;
    std::array<uint32_t, 4> unicodeRange;
    std::array<uint32_t, 2> codePageRange;
    uint16_t firstCharIndex;
};

struct TteTemplateShape {
    uint16_t lastCode;  // the character map covers U+E000 through lastCode
    Os2Classification classification;
    uint16_t maxZones;
};

inline constexpr uint16_t kTemplateFirstCode = 0xE000;
// Glyph 0 is the missing-character box and glyph 1 stays unused, so U+E000 is glyph 2.
inline constexpr uint16_t kTemplateFirstMappedGlyph = 2;

constexpr uint16_t TemplateGlyphCount(uint16_t lastCode) {
    return static_cast<uint16_t>(kTemplateFirstMappedGlyph + (lastCode - kTemplateFirstCode + 1));
}

// The file size that BuildTteTemplate gives for a character map ending at lastCode.
size_t TteTemplateSize(uint16_t lastCode);

std::vector<uint8_t> BuildTteTemplate(const TteTemplateShape& shape);

}  // namespace eudc::resources
