// TrueType helpers for the tests of the TrueType editor: reading and patching a font's bytes,
// reshaping the fonts of TestFontBuilder into the foreign shapes the editor meets (composite
// glyphs, format 2 character maps, short loca, vertical metrics, tables behind glyf), and the two
// outside judges of a written font, ots-sanitize and FreeType.
#pragma once
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/test_font_builder.h"

namespace testsupport {

// ---- bytes -------------------------------------------------------------------------------------
uint16_t Get16(const std::string& bytes, size_t at);
uint32_t Get32(const std::string& bytes, size_t at);
void Put16(std::string& bytes, size_t at, uint16_t value);
void Put32(std::string& bytes, size_t at, uint32_t value);
// Sum of the big-endian 32-bit words, the last one padded with zeros.

// ---- a font's directory ------------------------------------------------------------------------
struct TableEntry {
    std::string tag;
    uint32_t checksum = 0;
    uint32_t offset = 0;
    uint32_t length = 0;
    size_t entryAt = 0;  // where the 16-byte entry lies in the file
};
std::vector<TableEntry> Directory(const std::string& font);
// The entry of tag; throws std::out_of_range when absent.
TableEntry Entry(const std::string& font, const std::string& tag);
std::string TableOf(const std::string& font, const std::string& tag);

// ---- tables by tag -----------------------------------------------------------------------------
using TableMap = std::map<std::string, std::string>;
TableMap TablesOf(const TestFontBuilder& builder);
TableMap TablesOf(const std::string& font);
// A file with the directory in tag order and the tables laid out in bodyOrder (tables not named
// there follow in tag order), each starting on a 4-byte boundary and padded with zeros; all
// checksums and head's checkSumAdjustment are set.
std::string AssembleFont(const TableMap& tables, const std::vector<std::string>& bodyOrder = {});

// ---- glyphs ------------------------------------------------------------------------------------
// A simple glyph with the given instructions; flags are written one per point, coordinates in their
// shortest form.
std::string EncodeSimpleGlyph(const std::vector<FontContour>& contours, const std::string& instructions = {});
// A composite glyph of one component placed at (dx, dy).
std::string EncodeCompositeGlyph(uint16_t component, int16_t dx, int16_t dy);
// The glyph entries of a font's glyf/loca tables.
std::vector<std::string> GlyphsOf(const TableMap& tables);
// Replaces glyf and loca with the given entries (same glyph count), with long or short offsets
// (short: every entry padded to an even length); head's indexToLocFormat follows.
void SetGlyphs(TableMap& tables, const std::vector<std::string>& glyphs, bool longLoca);
// Adds vhea and vmtx: every glyph gets this advance height and top side bearing.
void AddVerticalMetrics(TableMap& tables, uint16_t advanceHeight, int16_t topSideBearing);
// Replaces the character map with a (3,1) format 2 subtable mapping two-byte codes
// (lead byte 0x81 or above) to glyphs, followed by a (3,10) format 12 subtable that maps only
// U+0041 (to glyph 1).
void UseFormat2Cmap(TableMap& tables, const std::map<uint16_t, uint16_t>& codes);
// Lets only the first longCount glyphs keep a long horizontal metric.
void UseShortHmtx(TableMap& tables, uint16_t longCount);

// ---- outside judges ----------------------------------------------------------------------------
// Runs ots-sanitize on a font file; true when it exits with status 0. log receives its output.
bool OtsAccepts(const std::filesystem::path& fontFile, std::string* log = nullptr);
bool OtsAcceptsBytes(const std::filesystem::path& scratchFile, const std::string& font, std::string* log = nullptr);

// ---- another writer ----------------------------------------------------------------------------
// The font as fontTools writes it after reading every glyph: short loca offsets where they fit,
// its own table order and glyph encoding, the glyphs' stored boxes kept as they were. Throws when
// fontTools cannot be run (/usr/bin/python3 with python3-fonttools).
std::string ResavedByFontTools(const std::string& font, const std::filesystem::path& scratchDir);

// A glyph as FreeType loads it, unscaled and unhinted.
struct FreeTypeGlyph {
    bool loaded = false;
    std::string error;
    std::vector<int> contourEnds;
    std::vector<FontPoint> points;
    long advance = 0;
};
FreeTypeGlyph FreeTypeLoad(const std::string& font, unsigned glyphIndex);
// Opens the font with FreeType and loads every glyph; empty when all went well, else what failed.
std::string FreeTypeLoadsEveryGlyph(const std::string& font);
// The glyph index FreeType finds for a code through the font's Unicode map; -1 when the font does
// not open.
long FreeTypeCharIndex(const std::string& font, uint32_t code);
// The points of contours in order, as FreeType would give them.
std::vector<FontPoint> FlattenContours(const std::vector<FontContour>& contours);

}  // namespace testsupport
