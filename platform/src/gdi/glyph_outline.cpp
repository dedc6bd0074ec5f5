// GetGlyphOutlineW and GetGlyphOutlineA over FreeType, with EUDC linking for private-use codes.
#include "gdi/glyph_outline.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <numeric>

#include "codepage/cp950.h"
#include "gdi/change_watch.h"
#include "gdi/eudc_link.h"
#include "gdi/face_cache.h"
#include "gdi/font_object.h"
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

// Writes records at a cursor into room made for them beforehand.
struct RecordWriter {
    char* at;

    void Bytes(const void* p, size_t n) {
        std::memcpy(at, p, n);
        at += n;
    }
    void Point(const GlyphPoint& p) {
        POINTFX f;
        f.x.value = static_cast<short>(p.x >> 16);
        f.x.fract = static_cast<WORD>(p.x & 0xFFFF);
        f.y.value = static_cast<short>(p.y >> 16);
        f.y.fract = static_cast<WORD>(p.y & 0xFFFF);
        Bytes(&f, sizeof f);
    }
    void CurveHeader(WORD type, size_t count) {
        const WORD head[2] = {type, static_cast<WORD>(count)};
        Bytes(head, sizeof head);
    }
};

}  // namespace

GlyphLoad LoadGlyphOutline(const std::filesystem::path& file, long index, uint32_t code, uint64_t generation,
                           GlyphOutlineData& out) {
    FreeTypeLock freetype;
    FT_Face face = CachedFace(freetype, file, index, generation);
    if (!face) return GlyphLoad::Missing;
    const FT_UInt gi = GlyphIndex(face, code);
    if (gi == 0) return GlyphLoad::Missing;
    if (FT_Load_Glyph(face, gi, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0)
        return GlyphLoad::Missing;
    const FT_GlyphSlot slot = face->glyph;
    if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return GlyphLoad::Error;
    const FT_Outline& o = slot->outline;
    out.points.clear();
    out.ends.clear();
    out.unitsPerEm = std::max<int64_t>(1, face->units_per_EM);
    out.advance = slot->metrics.horiAdvance;  // font units with FT_LOAD_NO_SCALE
    out.avgWidth = 0;
    out.points.reserve(static_cast<size_t>(std::max<short>(o.n_points, 0)));
    if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2)); os2 && os2->version != 0xFFFF)
        out.avgWidth = os2->xAvgCharWidth;
    int first = 0;
    for (int c = 0; c < o.n_contours; ++c) {
        const int last = o.contours[c];
        if (last < first || last >= o.n_points) return GlyphLoad::Error;
        for (int i = first; i <= last; ++i) {
            const int tag = FT_CURVE_TAG(o.tags[i]);
            if (tag == FT_CURVE_TAG_CUBIC) return GlyphLoad::Error;
            out.points.push_back(GlyphPoint{o.points[i].x, o.points[i].y, tag == FT_CURVE_TAG_ON});
        }
        out.ends.push_back(out.points.size());
        first = last + 1;
    }
    return GlyphLoad::Found;
}

void EncodeNativeOutline(const GlyphOutlineData& outline, std::string& out) {
    size_t begin = 0;
    for (const size_t end : outline.ends) {
        const GlyphPoint* c = outline.points.data() + begin;
        const size_t n = end - begin;
        begin = end;
        if (n < 2) continue;  // a lone point draws nothing
        // The contour must start on an on-curve point: its own first point, else its last one, else
        // the midpoint of the two. q(k) is the contour's k-th point so started.
        const GlyphPoint mid{(c[n - 1].x + c[0].x) / 2, (c[n - 1].y + c[0].y) / 2, true};
        const GlyphPoint* start = c[0].onCurve ? &c[0] : c[n - 1].onCurve ? &c[n - 1] : &mid;
        const size_t size = c[0].onCurve ? n : c[n - 1].onCurve ? n : n + 1;
        const size_t shift = c[0].onCurve ? 0 : 1;
        auto q = [&](size_t k) -> const GlyphPoint& { return k == 0 ? *start : c[k - shift]; };

        // At most: the header, a record per point, every point and one closing point.
        const size_t header = out.size();
        out.resize(header + sizeof(TTPOLYGONHEADER) + size * (4 + sizeof(POINTFX)) + sizeof(POINTFX));
        RecordWriter w{out.data() + header + sizeof(TTPOLYGONHEADER)};
        size_t i = 1;
        while (i < size) {
            const bool on = q(i).onCurve;
            size_t runEnd = i;
            while (runEnd < size && q(runEnd).onCurve == on) ++runEnd;
            // A run of off-curve points ends on the next on-curve point, or closes back at the start.
            const bool closes = !on && runEnd == size;
            w.CurveHeader(on ? TT_PRIM_LINE : TT_PRIM_QSPLINE, runEnd - i + (on ? 0 : 1));
            for (size_t k = i; k < runEnd; ++k) w.Point(q(k));
            if (!on) w.Point(closes ? q(0) : q(runEnd));
            i = on || closes ? runEnd : runEnd + 1;
        }
        const size_t used = static_cast<size_t>(w.at - (out.data() + header));
        TTPOLYGONHEADER h;
        h.cb = static_cast<DWORD>(used);
        h.dwType = TT_POLYGON_TYPE;
        RecordWriter{reinterpret_cast<char*>(&h.pfxStart)}.Point(*start);
        std::memcpy(out.data() + header, &h, sizeof h);
        out.resize(header + used);
    }
}

namespace {

bool IsIdentity(const MAT2& m) {
    auto is = [](const FIXED& f, short v) { return f.value == v && f.fract == 0; };
    return is(m.eM11, 1) && is(m.eM12, 0) && is(m.eM21, 0) && is(m.eM22, 1);
}

// v x num / den rounded, halves away from zero. The fraction is reduced first, so that a scale of
// one (the em of a 1024-unit font drawn 1024 pixels high) is a multiplication only.
class Scaling {
public:
    Scaling(int64_t num, int64_t den) {
        const int64_t g = std::gcd(num, den);
        num_ = g ? num / g : num;
        den_ = g ? den / g : den;
    }
    int64_t operator()(int64_t v) const {
        const __int128 n = static_cast<__int128>(v) * num_;
        if (den_ == 1) return static_cast<int64_t>(n);
        const __int128 half = den_ / 2;
        return static_cast<int64_t>(n >= 0 ? (n + half) / den_ : -((-n + half) / den_));
    }

private:
    int64_t num_, den_;
};

// Floor and ceiling of a 16.16 value, in whole pixels.
int64_t FloorPx(int64_t v) { return v >> 16; }
int64_t CeilPx(int64_t v) { return (v + 0xFFFF) >> 16; }

// What a GetGlyphOutline call answers for one character in one realised font.
struct GlyphAnswer {
    GlyphLoad load = GlyphLoad::Missing;
    std::string records;
    GLYPHMETRICS metrics{};
};

GlyphAnswer Answer(const RealizedFont& rf, uint32_t code, uint64_t generation) {
    thread_local GlyphOutlineData g;
    GlyphAnswer answer;
    // The chain: linked EUDC files for private-use codes, then the font itself.
    if (IsEudcCode(code)) {
        const auto links = EudcLinkFiles(rf.askedName, rf.familyName, generation);
        for (const auto& file : *links) {
            answer.load = LoadGlyphOutline(file, 0, code, generation, g);
            if (answer.load != GlyphLoad::Missing) break;
        }
    }
    if (answer.load == GlyphLoad::Missing) answer.load = LoadGlyphOutline(rf.face->file, rf.face->index, code, generation, g);
    if (answer.load != GlyphLoad::Found) return answer;

    // Scale to the em in pixels of this file (a linked file may have its own units per em).
    const int64_t emPx = rf.emPixels;
    const int64_t yNum = emPx, yDen = g.unitsPerEm;
    int64_t xNum = yNum, xDen = yDen;
    if (rf.xNum * rf.yDen != rf.yNum * rf.xDen) {
        // lfWidth: keep the font's horizontal stretch relative to its height.
        xNum = emPx * rf.xNum * rf.yDen;
        xDen = g.unitsPerEm * rf.yNum * rf.xDen;
    }
    const Scaling scaleX(xNum, xDen), scaleY(yNum, yDen);
    int64_t xMin = INT64_MAX, yMin = INT64_MAX, xMax = INT64_MIN, yMax = INT64_MIN;
    for (auto& p : g.points) {
        p.x = scaleX(p.x * 65536);
        p.y = scaleY(p.y * 65536);
        xMin = std::min(xMin, p.x);
        xMax = std::max(xMax, p.x);
        yMin = std::min(yMin, p.y);
        yMax = std::max(yMax, p.y);
    }
    EncodeNativeOutline(g, answer.records);

    GLYPHMETRICS& metrics = answer.metrics;
    if (xMin == INT64_MAX) {
        metrics.gmBlackBoxX = metrics.gmBlackBoxY = 1;  // a blank has a one-pixel box, as in GDI
    } else {
        const int64_t left = FloorPx(xMin), right = CeilPx(xMax);
        const int64_t bottom = FloorPx(yMin), top = CeilPx(yMax);
        metrics.gmBlackBoxX = static_cast<UINT>(std::max<int64_t>(1, right - left));
        metrics.gmBlackBoxY = static_cast<UINT>(std::max<int64_t>(1, top - bottom));
        metrics.gmptGlyphOrigin.x = static_cast<LONG>(left);
        metrics.gmptGlyphOrigin.y = static_cast<LONG>(top);
    }
    metrics.gmCellIncX = static_cast<short>(scaleX(g.advance));
    metrics.gmCellIncY = 0;
    return answer;
}

// The last answer: a caller asks twice for each character, once for the size and once for the
// records.
struct LastAnswer {
    std::mutex lock;
    uint64_t generation = 0;
    std::shared_ptr<const RealizedFont> font;
    uint32_t code = 0;
    std::shared_ptr<const GlyphAnswer> answer;
};

LastAnswer& TheLastAnswer() {
    static auto* last = new LastAnswer;
    return *last;
}

std::shared_ptr<const GlyphAnswer> AnswerFor(const std::shared_ptr<const RealizedFont>& rf, uint32_t code,
                                             uint64_t generation) {
    LastAnswer& last = TheLastAnswer();
    {
        std::lock_guard<std::mutex> guard(last.lock);
        if (last.answer && last.generation == generation && last.font == rf && last.code == code) return last.answer;
    }
    auto answer = std::make_shared<const GlyphAnswer>(Answer(*rf, code, generation));
    std::lock_guard<std::mutex> guard(last.lock);
    last.generation = generation;
    last.font = rf;
    last.code = code;
    last.answer = answer;
    return answer;
}

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
    const uint64_t generation = OutlineGeneration(dc);
    const auto rf = RealizeFont(font->logFont(), generation);
    if (!rf) {
        SetLastError(ERROR_INVALID_HANDLE);
        return GDI_ERROR;
    }
    const auto answer = AnswerFor(rf, code, generation);
    if (answer->load == GlyphLoad::Error) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return GDI_ERROR;
    }
    if (answer->load == GlyphLoad::Missing) {
        // Nothing in the chain draws it: no outline, nothing drawn.
        if (metrics) std::memset(metrics, 0, sizeof *metrics);
        return kind == GGO_METRICS ? GDI_ERROR : 0;
    }
    if (metrics) *metrics = answer->metrics;
    if (kind == GGO_METRICS) return 1;

    const DWORD needed = static_cast<DWORD>(answer->records.size());
    if (!buffer || bufferSize == 0) return needed;
    if (bufferSize < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return GDI_ERROR;
    }
    std::memcpy(buffer, answer->records.data(), answer->records.size());
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
