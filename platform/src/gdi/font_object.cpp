// CreateFontIndirectA, CreateFontA, SelectObject, DeleteObject and GetTextMetricsA.
#include "gdi/font_object.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <optional>
#include <unordered_map>

#include "codepage/cp950.h"
#include "gdi/change_watch.h"
#include "gdi/device_context.h"
#include "gdi/font_catalogue.h"
#include "gdi/font_substitutes.h"
#include "platform/fileapi.h"
#include "text.h"

namespace platform::gdi {

namespace {

// A cell of 16 pixels when no height is asked for.
constexpr LONG kDefaultCellHeight = 16;
// Heights and widths beyond this many pixels are taken as this, which keeps the scaling arithmetic
// well inside 64 bits.
constexpr int64_t kMaxPixels = 16384;

std::wstring_view FaceKey(std::wstring_view name) { return name.substr(0, LF_FACESIZE - 1); }

// The stock font every DC starts with: no face name, the default height. Never deleted.
const std::shared_ptr<FontObject>& StockFont() {
    static auto* stock = [] {
        LOGFONTA lf{};
        lf.lfWeight = FW_NORMAL;
        lf.lfCharSet = DEFAULT_CHARSET;
        auto* p = new std::shared_ptr<FontObject>(std::make_shared<FontObject>(lf, true));
        RegisterObject(*p);
        return p;
    }();
    return *stock;
}

struct Selection {
    std::weak_ptr<DeviceContext> dc;  // tells a live DC from a later one at the same address
    std::shared_ptr<FontObject> font;
    // The change check of GetTextMetrics, handed to the next outline of the same selection.
    std::optional<uint64_t> measuredGeneration;
};

struct Selections {
    std::mutex lock;
    std::unordered_map<const void*, Selection> byDc;
};

Selections& TheSelections() {
    static auto* s = new Selections;
    return *s;
}

const FontFace* FindFamily(const std::vector<FontFace>& faces, std::string_view ansi, std::string& family) {
    const std::wstring wanted(FaceKey(cp950::Decode(ansi)));
    if (wanted.empty()) return nullptr;
    for (const auto& face : faces)
        for (const auto& f : face.families)
            if (text::EqualNoCase(FaceKey(f.text), wanted)) {
                family = cp950::Encode(FaceKey(f.text));
                return &face;
            }
    return nullptr;
}

}  // namespace

int64_t RoundDiv(int64_t num, int64_t den) {
    return num >= 0 ? (num + den / 2) / den : -((-num + den / 2) / den);
}

uint64_t MeasureGeneration(HDC dc) {
    const uint64_t generation = ChangeGeneration();
    Selections& s = TheSelections();
    std::lock_guard<std::mutex> guard(s.lock);
    if (auto it = s.byDc.find(dc); it != s.byDc.end()) it->second.measuredGeneration = generation;
    return generation;
}

uint64_t OutlineGeneration(HDC dc) {
    {
        Selections& s = TheSelections();
        std::lock_guard<std::mutex> guard(s.lock);
        if (auto it = s.byDc.find(dc); it != s.byDc.end() && it->second.measuredGeneration) {
            const uint64_t generation = *it->second.measuredGeneration;
            it->second.measuredGeneration.reset();
            return generation;
        }
    }
    return ChangeGeneration();
}

std::shared_ptr<FontObject> SelectedFont(HDC dc) {
    auto obj = LookupDC(dc);
    if (!obj) return nullptr;
    Selections& s = TheSelections();
    std::lock_guard<std::mutex> guard(s.lock);
    auto it = s.byDc.find(dc);
    if (it != s.byDc.end() && it->second.dc.lock() == obj) return it->second.font;
    return StockFont();
}

namespace {

RealizedFont Realize(const LOGFONTA& lf, const std::shared_ptr<const std::vector<FontFace>>& catalogue,
                     uint64_t generation) {
    RealizedFont out;
    out.askedName.assign(lf.lfFaceName, strnlen(lf.lfFaceName, LF_FACESIZE - 1));
    const FontFace* face = nullptr;
    if (auto sub = LookupFontSubstitute(out.askedName, lf.lfCharSet, generation))
        face = FindFamily(*catalogue, sub->face, out.familyName);
    if (!face) face = FindFamily(*catalogue, out.askedName, out.familyName);
    if (!face) {
        // GDI always gives some font; the first one stands in for a name nobody has.
        face = &catalogue->front();
        out.familyName = face->families.empty() ? std::string() : cp950::Encode(FaceKey(face->families[0].text));
    }
    out.face = std::shared_ptr<const FontFace>(catalogue, face);

    const int64_t upem = std::max<int64_t>(1, face->unitsPerEm);
    const int64_t cell = std::max<int64_t>(1, int64_t{face->ascent} + face->descent);
    const int64_t height = std::clamp<int64_t>(lf.lfHeight == 0 ? kDefaultCellHeight : lf.lfHeight, -kMaxPixels, kMaxPixels);
    if (height < 0) {
        out.yNum = -height;  // the em height in pixels
        out.yDen = upem;
    } else {
        out.yNum = height;  // the cell height in pixels
        out.yDen = cell;
    }
    out.emPixels = RoundDiv(upem * out.yNum, out.yDen);
    if (lf.lfWidth != 0 && face->avgWidth > 0) {
        // The average character width becomes lfWidth pixels.
        out.xNum = std::min<int64_t>(kMaxPixels, lf.lfWidth < 0 ? -int64_t{lf.lfWidth} : lf.lfWidth);
        out.xDen = face->avgWidth;
    } else {
        out.xNum = out.yNum;
        out.xDen = out.yDen;
    }
    return out;
}

// What of a font description the realisation depends on.
struct RealizedKey {
    LONG height;
    LONG width;
    BYTE charset;
    char face[LF_FACESIZE];

    explicit RealizedKey(const LOGFONTA& lf) : height(lf.lfHeight), width(lf.lfWidth), charset(lf.lfCharSet), face{} {
        std::memcpy(face, lf.lfFaceName, strnlen(lf.lfFaceName, LF_FACESIZE - 1));
    }
    bool operator==(const RealizedKey& o) const {
        return height == o.height && width == o.width && charset == o.charset && std::memcmp(face, o.face, sizeof face) == 0;
    }
};

// The fonts realised at one generation; a drawing realises the same few again and again.
struct Realized {
    std::mutex lock;
    uint64_t generation = 0;
    std::vector<std::pair<RealizedKey, std::shared_ptr<const RealizedFont>>> fonts;
};
constexpr size_t kKeptRealizations = 16;

Realized& TheRealized() {
    static auto* realized = new Realized;
    return *realized;
}

}  // namespace

std::shared_ptr<const RealizedFont> RealizeFont(const LOGFONTA& lf, uint64_t generation) {
    const RealizedKey key(lf);
    Realized& realized = TheRealized();
    {
        std::lock_guard<std::mutex> guard(realized.lock);
        if (realized.generation == generation) {
            for (const auto& [k, font] : realized.fonts)
                if (k == key) return font;
        }
    }
    const auto catalogue = FontCatalogue(generation);
    if (catalogue->empty()) return nullptr;
    auto font = std::make_shared<const RealizedFont>(Realize(lf, catalogue, generation));
    std::lock_guard<std::mutex> guard(realized.lock);
    if (realized.generation != generation || realized.fonts.size() >= kKeptRealizations) {
        realized.fonts.clear();
        realized.generation = generation;
    }
    realized.fonts.emplace_back(key, font);
    return font;
}

}  // namespace platform::gdi

using namespace platform::gdi;

HFONT CreateFontIndirectA(const LOGFONTA* logFont) {
    if (!logFont) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    LOGFONTA lf = *logFont;
    // A face name that fills the field without a terminator is cut, never read past.
    lf.lfFaceName[LF_FACESIZE - 1] = '\0';
    return static_cast<HFONT>(RegisterObject(std::make_shared<FontObject>(lf)));
}

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charset, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, LPCSTR faceName) {
    LOGFONTA lf{};
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfEscapement = escapement;
    lf.lfOrientation = orientation;
    lf.lfWeight = weight;
    lf.lfItalic = static_cast<BYTE>(italic);
    lf.lfUnderline = static_cast<BYTE>(underline);
    lf.lfStrikeOut = static_cast<BYTE>(strikeOut);
    lf.lfCharSet = static_cast<BYTE>(charset);
    lf.lfOutPrecision = static_cast<BYTE>(outPrecision);
    lf.lfClipPrecision = static_cast<BYTE>(clipPrecision);
    lf.lfQuality = static_cast<BYTE>(quality);
    lf.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
    if (faceName) {
        const size_t n = strnlen(faceName, LF_FACESIZE - 1);
        std::memcpy(lf.lfFaceName, faceName, n);
    }
    return CreateFontIndirectA(&lf);
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ obj) {
    auto dcObj = LookupDC(static_cast<HDC>(dc));
    auto font = LookupObjectAs<FontObject>(obj);
    if (!dcObj || !font) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    Selections& s = TheSelections();
    std::lock_guard<std::mutex> guard(s.lock);
    // Forget the selections of DCs that are gone.
    for (auto it = s.byDc.begin(); it != s.byDc.end();)
        it = it->second.dc.expired() ? s.byDc.erase(it) : std::next(it);
    std::shared_ptr<FontObject> previous = StockFont();
    auto it = s.byDc.find(dc);
    if (it != s.byDc.end() && it->second.dc.lock() == dcObj) previous = it->second.font;
    s.byDc[dc] = Selection{dcObj, font, std::nullopt};
    return previous.get();
}

BOOL DeleteObject(HGDIOBJ obj) {
    auto o = LookupObject(obj);
    if (!o || std::dynamic_pointer_cast<DeviceContext>(o)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (auto font = std::dynamic_pointer_cast<FontObject>(o); font && font->stock()) return TRUE;
    UnregisterObject(obj);
    return TRUE;
}

BOOL GetTextMetricsA(HDC dc, LPTEXTMETRICA tm) {
    auto font = SelectedFont(dc);
    if (!font) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!tm) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const auto realized = RealizeFont(font->logFont(), MeasureGeneration(dc));
    if (!realized) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const RealizedFont& rf = *realized;
    const FontFace& f = *rf.face;
    const LOGFONTA& lf = font->logFont();
    auto sy = [&](int64_t v) { return static_cast<LONG>(RoundDiv(v * rf.yNum, rf.yDen)); };
    auto sx = [&](int64_t v) { return static_cast<LONG>(RoundDiv(v * rf.xNum, rf.xDen)); };
    std::memset(tm, 0, sizeof *tm);
    tm->tmAscent = sy(f.ascent);
    tm->tmDescent = sy(f.descent);
    tm->tmHeight = tm->tmAscent + tm->tmDescent;
    tm->tmInternalLeading = std::max<LONG>(0, tm->tmHeight - static_cast<LONG>(rf.emPixels));
    tm->tmExternalLeading = std::max<LONG>(0, sy(f.lineGap));
    tm->tmAveCharWidth = sx(f.avgWidth);
    tm->tmMaxCharWidth = sx(f.maxAdvance);
    tm->tmWeight = lf.lfWeight != FW_DONTCARE ? lf.lfWeight : f.weight;
    tm->tmDigitizedAspectX = 96;
    tm->tmDigitizedAspectY = 96;
    tm->tmFirstChar = static_cast<BYTE>(std::min<uint16_t>(f.firstChar, 0xFF));
    tm->tmLastChar = static_cast<BYTE>(std::min<uint16_t>(std::max(f.lastChar, f.firstChar), 0xFF));
    tm->tmBreakChar = ' ' >= tm->tmFirstChar && ' ' <= tm->tmLastChar ? ' ' : tm->tmFirstChar;
    tm->tmDefaultChar = tm->tmBreakChar;
    tm->tmItalic = lf.lfItalic || f.italic ? 255 : 0;
    tm->tmUnderlined = lf.lfUnderline ? 255 : 0;
    tm->tmStruckOut = lf.lfStrikeOut ? 255 : 0;
    tm->tmPitchAndFamily = static_cast<BYTE>((f.fixedPitch ? 0 : TMPF_FIXED_PITCH) | TMPF_VECTOR |
                                             (f.trueTypeOutlines ? TMPF_TRUETYPE : 0) | f.familyKind);
    // The asked character set when the face has it, else the face's own first one.
    const bool has = std::find(f.charsets.begin(), f.charsets.end(), lf.lfCharSet) != f.charsets.end();
    tm->tmCharSet = has || f.charsets.empty() ? lf.lfCharSet : f.charsets.front();
    if (lf.lfCharSet == DEFAULT_CHARSET && !f.charsets.empty()) tm->tmCharSet = f.charsets.front();
    return TRUE;
}
