// TTE sections for backups: the built-in template holding chosen glyphs.
#pragma once
#include <cstdint>
#include <map>
#include <string>

#include "truetype/tt_glyph.h"

namespace testsupport {

using TteGlyphs = std::map<uint16_t, TTGlyph>;

// The template of the running Windows version with exactly these glyphs put in.
std::string TemplateTte(const TteGlyphs& glyphs);

// How many codes U+E000..U+F8FF read differently from the two fonts (all 6400 when one of them
// does not open).
int CountDifferingGlyphs(const std::string& a, const std::string& b);

// A different box glyph (advance 1000) at every stride-th code from first to U+F8FF.
TteGlyphs DistinctBoxGlyphs(uint16_t first, int stride, int seed);

}  // namespace testsupport
