// GetGlyphOutlineW and GetGlyphOutlineA over FreeType, with EUDC linking for private-use codes.
#include "gdi/glyph_outline.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cstring>
#include <memory>

#include "codepage/cp950.h"
#include "gdi/eudc_link.h"
#include "gdi/font_object.h"
#include "gdi/freetype_library.h"
#include "platform/fileapi.h"

namespace platform::gdi {

namespace {

FT_UInt GlyphIndex(FT_Face face, uint32_t code) {
    if (FT_Select_Charmap(face, FT_ENCODING_UNICODE) == 0) return FT_Get_Char_Index(face, code);
    // A font with a Big5 cmap only is asked for the character's code page 950 code.
    if (FT_Select_Charmap(face, FT_ENCODING_BIG5) == 0) {
        const uint16_t big5 = cp950::FromUnicode(static_cast<uint16_t>(code));
        if (big5 != 0) return FT_Get_Char_Index(face, big5);
    }
    return 0;
}

void Append(std::string& out, const void* p, size_t n) { out.append(static_cast<const char*>(p), n); }

void AppendFixed(std::string& out, int64_t v) {
    FIXED f;
    f.value = static_cast<short>(v >> 16);
    f.fract = static_cast<WORD>(v & 0xFFFF);
    Append(out, &f, sizeof f);
}

void AppendPoint(std::string& out, const GlyphPoint& p) {
    AppendFixed(out, p.x);
    AppendFixed(out, p.y);
}

void AppendCurve(std::string& out, WORD type, const std::vector<GlyphPoint>& pts) {
    const WORD head[2] = {type, static_cast<WORD>(pts.size())};
    Append(out, head, sizeof head);
    for (const auto& p : pts) AppendPoint(out, p);
}

}  // namespace

GlyphLoad LoadGlyphOutline(const std::filesystem::path& file, long index, uint32_t code, GlyphOutlineData& out) {
    FreeTypeLock freetype;
    const FacePtr face = freetype.OpenFace(file, index);
    if (!face) return GlyphLoad::Missing;
    FT_Face raw = face.get();
    const FT_UInt gi = GlyphIndex(raw, code);
    if (gi == 0) return GlyphLoad::Missing;
    if (FT_Load_Glyph(raw, gi, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0)
        return GlyphLoad::Missing;
    const FT_GlyphSlot slot = raw->glyph;
    if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return GlyphLoad::Error;
    const FT_Outline& o = slot->outline;
    out = GlyphOutlineData{};
    out.unitsPerEm = std::max<int64_t>(1, raw->units_per_EM);
    out.advance = slot->metrics.horiAdvance;  // font units with FT_LOAD_NO_SCALE
    if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(raw, FT_SFNT_OS2)); os2 && os2->version != 0xFFFF)
        out.avgWidth = os2->xAvgCharWidth;
    int first = 0;
    for (int c = 0; c < o.n_contours; ++c) {
        const int last = o.contours[c];
        if (last < first || last >= o.n_points) return GlyphLoad::Error;
        std::vector<GlyphPoint> contour;
        for (int i = first; i <= last; ++i) {
            const int tag = FT_CURVE_TAG(o.tags[i]);
            if (tag == FT_CURVE_TAG_CUBIC) return GlyphLoad::Error;
            contour.push_back(GlyphPoint{o.points[i].x, o.points[i].y, tag == FT_CURVE_TAG_ON});
        }
        out.contours.push_back(std::move(contour));
        first = last + 1;
    }
    return GlyphLoad::Found;
}

std::string EncodeNativeOutline(const std::vector<std::vector<GlyphPoint>>& contours) {
    std::string out;
    for (const auto& c : contours) {
        if (c.size() < 2) continue;  // a lone point draws nothing
        // The contour must start on an on-curve point.
        std::vector<GlyphPoint> q;
        if (c.front().onCurve) {
            q = c;
        } else if (c.back().onCurve) {
            q.push_back(c.back());
            q.insert(q.end(), c.begin(), c.end() - 1);
        } else {
            const GlyphPoint mid{(c.back().x + c.front().x) / 2, (c.back().y + c.front().y) / 2, true};
            q.push_back(mid);
            q.insert(q.end(), c.begin(), c.end());
        }
        std::string body;
        size_t i = 1;
        while (i < q.size()) {
            std::vector<GlyphPoint> run;
            if (q[i].onCurve) {
                while (i < q.size() && q[i].onCurve) run.push_back(q[i++]);
                AppendCurve(body, TT_PRIM_LINE, run);
            } else {
                while (i < q.size() && !q[i].onCurve) run.push_back(q[i++]);
                // The run ends on the next on-curve point, or closes back at the start.
                run.push_back(i < q.size() ? q[i++] : q.front());
                AppendCurve(body, TT_PRIM_QSPLINE, run);
            }
        }
        TTPOLYGONHEADER h;
        h.cb = static_cast<DWORD>(sizeof h + body.size());
        h.dwType = TT_POLYGON_TYPE;
        std::string start;
        AppendPoint(start, q.front());
        std::memcpy(&h.pfxStart, start.data(), sizeof h.pfxStart);
        Append(out, &h, sizeof h);
        out += body;
    }
    return out;
}

namespace {

bool IsIdentity(const MAT2& m) {
    auto is = [](const FIXED& f, short v) { return f.value == v && f.fract == 0; };
    return is(m.eM11, 1) && is(m.eM12, 0) && is(m.eM21, 0) && is(m.eM22, 1);
}

// Floor and ceiling of a 16.16 value, in whole pixels.
// v x num / den rounded, computed wide enough not to overflow.
int64_t Scale(int64_t v, int64_t num, int64_t den) {
    const __int128 n = static_cast<__int128>(v) * num;
    const __int128 half = den / 2;
    return static_cast<int64_t>(n >= 0 ? (n + half) / den : -((-n + half) / den));
}

int64_t FloorPx(int64_t v) { return v >> 16; }
int64_t CeilPx(int64_t v) { return (v + 0xFFFF) >> 16; }

DWORD GlyphOutline(HDC dc, uint32_t code, UINT format, LPGLYPHMETRICS metrics, DWORD bufferSize, LPVOID buffer,
                   const MAT2* matrix) {
    auto font = SelectedFont(dc);
    if (!font) {
        SetLastError(ERROR_INVALID_HANDLE);
        return GDI_ERROR;
    }
    const UINT kind = format & ~static_cast<UINT>(GGO_UNHINTED);
    if (!matrix || !IsIdentity(*matrix) || (kind != GGO_NATIVE && kind != GGO_METRICS)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return GDI_ERROR;
    }
    RealizedFont rf;
    if (!RealizeFont(font->logFont(), rf)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return GDI_ERROR;
    }

    // The chain: linked EUDC files for private-use codes, then the font itself.
    std::vector<std::pair<std::filesystem::path, long>> chain;
    if (IsEudcCode(code))
        for (auto& p : EudcLinkFiles(rf.askedName, rf.familyName)) chain.emplace_back(std::move(p), 0);
    chain.emplace_back(rf.face.file, rf.face.index);
    GlyphOutlineData g;
    GlyphLoad found = GlyphLoad::Missing;
    for (const auto& [file, index] : chain) {
        found = LoadGlyphOutline(file, index, code, g);
        if (found != GlyphLoad::Missing) break;
    }
    if (found == GlyphLoad::Error) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return GDI_ERROR;
    }
    if (found == GlyphLoad::Missing) {
        // Nothing in the chain draws it: no outline, nothing drawn.
        if (metrics) std::memset(metrics, 0, sizeof *metrics);
        return kind == GGO_METRICS ? GDI_ERROR : 0;
    }

    // Scale to the em in pixels of this file (a linked file may have its own units per em).
    const int64_t emPx = rf.emPixels;
    const int64_t yNum = emPx, yDen = g.unitsPerEm;
    int64_t xNum = yNum, xDen = yDen;
    if (rf.xNum * rf.yDen != rf.yNum * rf.xDen) {
        // lfWidth: keep the font's horizontal stretch relative to its height.
        xNum = emPx * rf.xNum * rf.yDen;
        xDen = g.unitsPerEm * rf.yNum * rf.xDen;
    }
    int64_t xMin = INT64_MAX, yMin = INT64_MAX, xMax = INT64_MIN, yMax = INT64_MIN;
    for (auto& c : g.contours)
        for (auto& p : c) {
            p.x = Scale(p.x * 65536, xNum, xDen);
            p.y = Scale(p.y * 65536, yNum, yDen);
            xMin = std::min(xMin, p.x);
            xMax = std::max(xMax, p.x);
            yMin = std::min(yMin, p.y);
            yMax = std::max(yMax, p.y);
        }
    const std::string records = EncodeNativeOutline(g.contours);

    if (metrics) {
        std::memset(metrics, 0, sizeof *metrics);
        if (xMin == INT64_MAX) {
            metrics->gmBlackBoxX = metrics->gmBlackBoxY = 1;  // a blank has a one-pixel box, as in GDI
        } else {
            const int64_t left = FloorPx(xMin), right = CeilPx(xMax);
            const int64_t bottom = FloorPx(yMin), top = CeilPx(yMax);
            metrics->gmBlackBoxX = static_cast<UINT>(std::max<int64_t>(1, right - left));
            metrics->gmBlackBoxY = static_cast<UINT>(std::max<int64_t>(1, top - bottom));
            metrics->gmptGlyphOrigin.x = static_cast<LONG>(left);
            metrics->gmptGlyphOrigin.y = static_cast<LONG>(top);
        }
        metrics->gmCellIncX = static_cast<short>(Scale(g.advance, xNum, xDen));
        metrics->gmCellIncY = 0;
    }
    if (kind == GGO_METRICS) return 1;

    const DWORD needed = static_cast<DWORD>(records.size());
    if (!buffer || bufferSize == 0) return needed;
    if (bufferSize < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return GDI_ERROR;
    }
    std::memcpy(buffer, records.data(), records.size());
    return needed;
}

}  // namespace

}  // namespace platform::gdi

DWORD GetGlyphOutlineW(HDC dc, UINT ch, UINT format, LPGLYPHMETRICS metrics, DWORD bufferSize, LPVOID buffer,
                       const MAT2* matrix) {
    return platform::gdi::GlyphOutline(dc, ch & 0xFFFF, format, metrics, bufferSize, buffer, matrix);
}

DWORD GetGlyphOutlineA(HDC dc, UINT ch, UINT format, LPGLYPHMETRICS metrics, DWORD bufferSize, LPVOID buffer,
                       const MAT2* matrix) {
    std::string bytes;
    if (ch > 0xFF) bytes.push_back(static_cast<char>((ch >> 8) & 0xFF));
    bytes.push_back(static_cast<char>(ch & 0xFF));
    bool valid = true;
    const std::wstring wide = platform::cp950::Decode(bytes, &valid);
    if (!valid || wide.size() != 1) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return GDI_ERROR;
    }
    return platform::gdi::GlyphOutline(dc, static_cast<uint32_t>(wide[0]), format, metrics, bufferSize, buffer,
                                       matrix);
}
