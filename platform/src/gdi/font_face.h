// What the platform knows about one face of a font file, read once with FreeType.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace platform::gdi {

// A decoded string of the face's `name` table.
struct FontName {
    uint16_t platformId = 0;
    uint16_t encodingId = 0;
    uint16_t languageId = 0;
    uint16_t nameId = 0;
    std::wstring text;  // UTF-16 units
};

inline constexpr uint16_t kNameFamily = 1;
inline constexpr uint16_t kNameSubfamily = 2;
inline constexpr uint16_t kNameFullName = 4;
inline constexpr uint16_t kNameTypographicFamily = 16;
inline constexpr uint16_t kLangChineseTaiwan = 0x0404;
inline constexpr uint16_t kLangEnglishUS = 0x0409;

struct FontFace {
    std::filesystem::path file;
    long index = 0;  // face index inside a collection
    // Family names (IDs 1 and 16, every platform and language), no two equal without regard to
    // ASCII case; the first is the family's own name (Traditional Chinese, else US English, else
    // the first legacy family name).
    std::vector<FontName> families;
    // Subfamily (ID 2) and full (ID 4) names in every language.
    std::vector<FontName> styles;
    std::vector<FontName> fullNames;
    std::wstring fallbackStyle;  // FreeType's style name, when the name table has none

    bool trueTypeOutlines = false;    // a `glyf` table
    bool postScriptOutlines = false;  // a `CFF ` or `CFF2` table
    bool bold = false;
    bool italic = false;
    bool fixedPitch = false;
    uint16_t weight = 400;
    uint8_t familyKind = 0;  // FF_* of lfPitchAndFamily

    uint16_t unitsPerEm = 1000;
    int32_t ascent = 0;   // usWinAscent, else hhea
    int32_t descent = 0;  // usWinDescent, else -hhea descender
    int32_t lineGap = 0;
    int32_t avgWidth = 0;
    int32_t maxAdvance = 0;
    uint16_t firstChar = 0;
    uint16_t lastChar = 0;

    uint32_t unicodeRanges[4] = {};
    uint32_t codePages[2] = {};  // as in the file (zero without an OS/2 table of version 1 or later)
    // Character sets the face is enumerated under, in code-page-bit order. DEFAULT_CHARSET alone
    // when none can be told (such a face is listed only when any character set is asked for).
    std::vector<uint8_t> charsets;
};

// Code page range bit of Traditional Chinese (code page 950) in OS/2 ulCodePageRange1.
inline constexpr uint32_t kCodePageBitChineseTraditional = 1u << 20;

// A face without the OS/2 Traditional Chinese bit still belongs to the Big5 character set when
// its cmap maps at least kBig5CoverageThreshold of these very common characters of Traditional
// Chinese text. Half of them have no Simplified form in GB2312, so a font made for Simplified
// Chinese alone (or for Latin) falls well short.
inline constexpr int kBig5SampleCount = 64;
extern const char16_t kBig5Sample[kBig5SampleCount];
inline constexpr int kBig5CoverageThreshold = 56;

// Every sfnt face of a font file (TrueType, OpenType, collections). A file FreeType cannot read,
// or that is no sfnt font, yields nothing.
std::vector<FontFace> ReadFontFaces(const std::filesystem::path& file);

}  // namespace platform::gdi
