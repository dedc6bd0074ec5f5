#include "truetype/system_glyph_outline.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "foundation/endian.h"
#include "platform/wingdi.h"
#include "truetype/fixed_point.h"
#include "truetype/glyph_builder.h"

namespace {

constexpr int kEm = 1024;
// GGO_NATIVE bytes a thread keeps room for, and the most it keeps after a larger outline.
constexpr size_t kUsualRecords = 16384;
constexpr size_t kKeptRecords = 65536;

// One native record's fields, read from the buffer without trusting its lengths.
struct NativeReader {
    const uint8_t* data;
    uint32_t size;

    bool Has(uint32_t at, uint32_t count) const { return at <= size && count <= size - at; }
    // A POINTFX as a 16.16 value per axis.
    void Point(uint32_t at, int32_t* x, int32_t* y) const {
        *x = static_cast<int32_t>(endian::LoadLE32(data + at));
        *y = static_cast<int32_t>(endian::LoadLE32(data + at + 4));
    }
};

// y + shift without wrapping: a wild coordinate stays far outside the em.
int32_t Shifted(int32_t y, int32_t shift) {
    const int64_t v = static_cast<int64_t>(y) + shift;
    return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : static_cast<int32_t>(v);
}

constexpr uint32_t kHeaderSize = 16;  // TTPOLYGONHEADER
constexpr uint32_t kCurveHeaderSize = 4;
constexpr uint32_t kPointSize = 8;

// Feeds the GGO_NATIVE records to the builder, y moved up by yShift pixels. A record that claims
// more than its polygon holds ends that polygon.
void Collect(const NativeReader& in, int32_t yShift, CBSGlyphBuilder& builder) {
    const int32_t shift = fixed::FromInt(yShift);
    builder.BeginGlyph();
    uint32_t at = 0;
    while (in.Has(at, kHeaderSize)) {
        const uint32_t cb = endian::LoadLE32(in.data + at);
        if (cb < kHeaderSize || !in.Has(at, cb)) break;
        const uint32_t end = at + cb;
        int32_t x, y;
        in.Point(at + 8, &x, &y);
        builder.BeginContour();
        builder.AddPoint(CGlyphBuilder::kOnCurve, x, Shifted(y, shift));
        uint32_t record = at + kHeaderSize;
        while (record + kCurveHeaderSize <= end) {
            const uint16_t type = endian::LoadLE16(in.data + record);
            const uint16_t count = endian::LoadLE16(in.data + record + 2);
            const uint32_t points = record + kCurveHeaderSize;
            if (static_cast<uint64_t>(count) * kPointSize > end - points) break;
            for (uint16_t k = 0; k < count; ++k) {
                int32_t px, py;
                in.Point(points + k * kPointSize, &px, &py);
                if (type == TT_PRIM_LINE) {
                    builder.AddPoint(CGlyphBuilder::kOnCurve, px, Shifted(py, shift));
                } else if (type == TT_PRIM_QSPLINE) {
                    const int kind = k + 1 < count ? CGlyphBuilder::kOffCurve : CGlyphBuilder::kOnCurve;
                    builder.AddPoint(kind, px, Shifted(py, shift));
                }
            }
            record = points + count * kPointSize;
        }
        builder.EndContour();
        at = end;
    }
    builder.EndGlyph();
}

}  // namespace

bool LoadSystemGlyphOutline(GlyphOutline& outline, uint32_t code, const char* faceName, bool wide) {
    if (faceName == nullptr || std::strlen(faceName) >= LF_FACESIZE) return false;
    LOGFONTA description{};
    description.lfHeight = -kEm;
    description.lfWeight = FW_NORMAL;
    description.lfCharSet = DEFAULT_CHARSET;
    description.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    std::strcpy(description.lfFaceName, faceName);

    HFONT font = CreateFontIndirectA(&description);
    if (font == nullptr) return false;
    HDC dc = GetDC(nullptr);
    if (dc == nullptr) {
        DeleteObject(font);
        return false;
    }
    HGDIOBJ previous = SelectObject(dc, font);
    TEXTMETRICA metrics{};
    const bool measured = previous != nullptr && GetTextMetricsA(dc, &metrics);
    // Kept within 16 bits so that the shift stays a 16.16 number.
    const int32_t yShift = std::clamp<int32_t>(kEm + metrics.tmInternalLeading - metrics.tmAscent, -32767, 32767);

    const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    GLYPHMETRICS glyph{};
    auto outlineCall = [&](DWORD size, void* buffer) {
        return wide ? GetGlyphOutlineW(dc, code, GGO_NATIVE, &glyph, size, buffer, &identity)
                    : GetGlyphOutlineA(dc, code, GGO_NATIVE, &glyph, size, buffer, &identity);
    };
    // Kept by the thread: most outlines fit it and are had with one call, without a buffer of
    // their own; a larger one is measured first and the buffer grows to it.
    thread_local std::vector<uint8_t> records;
    if (records.size() < kUsualRecords) records.assign(kUsualRecords, 0);
    DWORD written = GDI_ERROR;
    if (measured) {
        written = outlineCall(static_cast<DWORD>(records.size()), records.data());
        if (written == GDI_ERROR) {
            const auto size = static_cast<int32_t>(outlineCall(0, nullptr));
            if (size > 0) {
                records.assign(static_cast<size_t>(size), 0);
                written = outlineCall(static_cast<DWORD>(size), records.data());
            }
        }
    }
    // No records at all is no outline, as a size of 0 is.
    const bool loaded = written != GDI_ERROR && written > 0 && written <= records.size();
    if (previous != nullptr) SelectObject(dc, previous);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    if (loaded) CollectNativeOutline(records.data(), written, yShift, outline);
    if (records.size() > kKeptRecords) std::vector<uint8_t>().swap(records);
    return loaded;
}

void CollectNativeOutline(const uint8_t* records, uint32_t size, int32_t yShift, GlyphOutline& outline) {
    CBSGlyphBuilder builder(&outline, fixed::kOne, fixed::FromInt(512), fixed::FromInt(512));
    Collect(NativeReader{records, records ? size : 0}, yShift, builder);
}
