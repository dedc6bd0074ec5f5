// Glyph outlines read from font files with FreeType, in font units, and their encoding as the
// TrueType polygons of GetGlyphOutline(GGO_NATIVE).
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace platform::gdi {

struct GlyphPoint {
    int64_t x = 0;  // font units, or 16.16 pixels once scaled
    int64_t y = 0;
    bool onCurve = true;
};

// The contours' points one after another; contour c ends before ends[c].
struct GlyphOutlineData {
    std::vector<GlyphPoint> points;
    std::vector<size_t> ends;
    int64_t advance = 0;  // font units
    int64_t unitsPerEm = 0;
    int64_t avgWidth = 0;  // OS/2 xAvgCharWidth, 0 when unknown
};

enum class GlyphLoad { Found, Missing, Error };

// The outline of a UTF-16 code in face index of file, from the face cache (face_cache.h). Missing
// when the file's cmap does not map the code (or the file cannot be read); Error for outlines
// other than TrueType's quadratic ones.
GlyphLoad LoadGlyphOutline(const std::filesystem::path& file, long index, uint32_t code, uint64_t generation,
                           GlyphOutlineData& out);

// Appends to out the GGO_NATIVE records of the outline's contours, whose points are already in
// 16.16: one TTPOLYGONHEADER per contour of two points or more, then TT_PRIM_LINE and
// TT_PRIM_QSPLINE records.
void EncodeNativeOutline(const GlyphOutlineData& outline, std::string& out);

}  // namespace platform::gdi
