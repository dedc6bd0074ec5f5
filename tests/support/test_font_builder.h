// Builds small but complete TrueType fonts in memory for tests: name records in any platform and
// language, OS/2 code page bits, a format 4 cmap and simple glyph outlines.
#pragma once
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace testsupport {

// A point of a glyph outline in font units, y up from the baseline.
struct FontPoint {
    int x = 0;
    int y = 0;
    bool onCurve = true;
};
using FontContour = std::vector<FontPoint>;

// Platform, encoding and language IDs used in name records.
inline constexpr uint16_t kNamePlatformUnicode = 0;
inline constexpr uint16_t kNamePlatformMac = 1;
inline constexpr uint16_t kNamePlatformWindows = 3;
inline constexpr uint16_t kLangEnglishUS = 0x0409;
inline constexpr uint16_t kLangChineseTaiwan = 0x0404;

// OS/2 ulCodePageRange1 bits.
inline constexpr uint32_t kCodePageLatin1 = 1u << 0;
inline constexpr uint32_t kCodePageChineseTraditional = 1u << 20;
inline constexpr uint32_t kCodePageChineseSimplified = 1u << 18;

// The TrueType checksum: the sum of big-endian 32-bit words, the last one padded with zeros.
uint32_t TableChecksum(const std::string& bytes);

class TestFontBuilder {
public:
    TestFontBuilder();

    // A family name (name ID 1) on the Windows platform (Unicode BMP) in the given language; UTF-8.
    TestFontBuilder& Family(const std::string& utf8, uint16_t languageId = kLangEnglishUS);
    // Any name record, its text given in UTF-8 and stored as the platform wants it: UTF-16BE on the
    // Unicode and Windows platforms, Mac Roman on the Mac platform (ASCII only here).
    TestFontBuilder& Name(uint16_t platformId, uint16_t encodingId, uint16_t languageId, uint16_t nameId,
                          const std::string& utf8);
    // A name record with exactly these bytes.
    TestFontBuilder& RawName(uint16_t platformId, uint16_t encodingId, uint16_t languageId, uint16_t nameId,
                             std::string bytes);

    TestFontBuilder& CodePages(uint32_t range1, uint32_t range2 = 0);
    TestFontBuilder& UnicodeRanges(uint32_t r1, uint32_t r2 = 0, uint32_t r3 = 0, uint32_t r4 = 0);
    TestFontBuilder& UnitsPerEm(uint16_t unitsPerEm);
    // Ascent above and descent below the baseline (both positive), for hhea and OS/2 alike.
    TestFontBuilder& Metrics(int ascent, int descent);
    // OS/2 xAvgCharWidth; by default the average of the non-zero advance widths.
    TestFontBuilder& AverageCharWidth(int width);
    TestFontBuilder& Weight(uint16_t weightClass);
    TestFontBuilder& Bold(bool bold);
    TestFontBuilder& Italic(bool italic);
    TestFontBuilder& FixedPitch(bool fixed);

    // The outline of glyph 0 (.notdef); a hollow box unless set. An empty .notdef in a font without
    // any other outline leaves glyf empty, which OTS refuses.
    TestFontBuilder& Notdef(const std::vector<FontContour>& contours, int advance = -1);
    // A new glyph mapped from code (a BMP code point other than U+FFFF), with its contours and
    // advance width (-1: the em). A code mapped twice keeps its last glyph.
    TestFontBuilder& Glyph(uint32_t code, const std::vector<FontContour>& contours, int advance = -1);
    // Maps each code to one shared square glyph.
    TestFontBuilder& MapCodes(const std::vector<uint32_t>& codes);
    // Maps every character of a UTF-8 string (duplicates are fine).
    TestFontBuilder& MapText(const std::string& utf8);

    // The font file. Throws std::invalid_argument for what TrueType cannot hold.
    std::string Build() const;
    // Its tables by tag, before they are put together into a file.
    std::map<uint32_t, std::string> Tables() const;

private:
    struct GlyphData {
        std::vector<FontContour> contours;
        int advance = -1;
    };
    struct NameRecord {
        uint16_t platformId, encodingId, languageId, nameId;
        std::string bytes;
    };
    uint16_t AddGlyph(const std::vector<FontContour>& contours, int advance);
    int Advance(const GlyphData& g) const { return g.advance < 0 ? unitsPerEm_ : g.advance; }

    std::vector<GlyphData> glyphs_;
    std::map<uint32_t, uint16_t> cmap_;
    std::vector<NameRecord> names_;
    uint16_t squareGlyph_ = 0;
    uint32_t codePages_[2] = {0, 0};
    uint32_t unicodeRanges_[4] = {0, 0, 0, 0};
    uint16_t unitsPerEm_ = 1024;
    int ascent_ = 820;
    int descent_ = 204;
    int avgWidth_ = -1;
    uint16_t weight_ = 400;
    bool bold_ = false;
    bool italic_ = false;
    bool fixedPitch_ = false;
};

// A TrueType collection (.ttc) holding the faces of the given fonts in order.
std::string BuildCollection(const std::vector<TestFontBuilder>& fonts);

class TempPrefix;
// Writes a font file into the prefix's Fonts folder (C:\windows\Fonts), creating the folder;
// returns its host path.
std::filesystem::path InstallFont(const TempPrefix& prefix, const std::string& fileName, const std::string& bytes);

// UTF-8 to UTF-16 code units.
std::u16string Utf8ToUtf16(const std::string& utf8);

}  // namespace testsupport
