// EnumFontFamiliesExA over the font catalogue.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "codepage/cp950.h"
#include "gdi/device_context.h"
#include "gdi/font_catalogue.h"
#include "gdi/font_substitutes.h"
#include "platform/fileapi.h"
#include "text.h"

namespace platform::gdi {

namespace {

// GDI keeps face names to LF_FACESIZE - 1 characters; longer family names answer to their start.
std::wstring_view FaceKey(std::wstring_view name) { return name.substr(0, LF_FACESIZE - 1); }

const FontName* MatchFamily(const FontFace& face, std::wstring_view wanted) {
    for (const auto& f : face.families)
        if (text::EqualNoCase(FaceKey(f.text), wanted)) return &f;
    return nullptr;
}

// Copies a code page 950 string into a fixed field with its terminator, cut before a character
// that would not fit whole.
void CopyField(std::string_view src, char* dst, size_t size) {
    size_t n = 0;
    while (n < src.size()) {
        const size_t len = cp950::IsLeadByte(static_cast<uint8_t>(src[n])) && n + 1 < src.size() ? 2 : 1;
        if (n + len > size - 1) break;
        n += len;
    }
    std::memcpy(dst, src.data(), n);
    dst[n] = '\0';
}
void CopyField(std::string_view src, BYTE* dst, size_t size) { CopyField(src, reinterpret_cast<char*>(dst), size); }

// The family name to list a face under when no name was asked for: the first that code page 950
// can spell.
const FontName& ListedFamily(const FontFace& face) {
    for (const auto& f : face.families) {
        bool valid = true;
        cp950::Encode(FaceKey(f.text), &valid);
        if (valid) return f;
    }
    return face.families.front();
}

// Of names of one kind, the one in the language of the matched family, else US English, else any.
const FontName* PickName(const std::vector<FontName>& names, const FontName& family) {
    for (const auto& n : names)
        if (n.platformId == family.platformId && n.languageId == family.languageId) return &n;
    for (const auto& n : names)
        if (n.platformId == 3 && n.languageId == kLangEnglishUS) return &n;
    return names.empty() ? nullptr : &names.front();
}

const char* ScriptName(uint8_t charset) {
    switch (charset) {
        case ANSI_CHARSET: return "Western";
        case EASTEUROPE_CHARSET: return "Central European";
        case RUSSIAN_CHARSET: return "Cyrillic";
        case GREEK_CHARSET: return "Greek";
        case TURKISH_CHARSET: return "Turkish";
        case HEBREW_CHARSET: return "Hebrew";
        case ARABIC_CHARSET: return "Arabic";
        case BALTIC_CHARSET: return "Baltic";
        case VIETNAMESE_CHARSET: return "Vietnamese";
        case THAI_CHARSET: return "Thai";
        case SHIFTJIS_CHARSET: return "Japanese";
        case GB2312_CHARSET: return "CHINESE_GB2312";
        case HANGUL_CHARSET: return "Hangul";
        case CHINESEBIG5_CHARSET: return "CHINESE_BIG5";
        case JOHAB_CHARSET: return "Hangul(Johab)";
        case SYMBOL_CHARSET: return "Symbol";
        case MAC_CHARSET: return "Mac";
        default: return "";
    }
}

struct Entry {
    const FontFace* face;
    const FontName* family;  // the name that matched, or the listed one
    std::string faceName;    // as reported in lfFaceName
    uint8_t charset;
};

uint32_t CodePageBit(uint8_t charset) {
    switch (charset) {
        case ANSI_CHARSET: return 1u << 0;
        case EASTEUROPE_CHARSET: return 1u << 1;
        case RUSSIAN_CHARSET: return 1u << 2;
        case GREEK_CHARSET: return 1u << 3;
        case TURKISH_CHARSET: return 1u << 4;
        case HEBREW_CHARSET: return 1u << 5;
        case ARABIC_CHARSET: return 1u << 6;
        case BALTIC_CHARSET: return 1u << 7;
        case VIETNAMESE_CHARSET: return 1u << 8;
        case THAI_CHARSET: return 1u << 16;
        case SHIFTJIS_CHARSET: return 1u << 17;
        case GB2312_CHARSET: return 1u << 18;
        case HANGUL_CHARSET: return 1u << 19;
        case CHINESEBIG5_CHARSET: return 1u << 20;
        case JOHAB_CHARSET: return 1u << 21;
        case MAC_CHARSET: return 1u << 29;
        case SYMBOL_CHARSET: return 1u << 31;
        default: return 0;
    }
}

void Fill(const Entry& e, ENUMLOGFONTEXA& elf, NEWTEXTMETRICEXA& ntm) {
    const FontFace& f = *e.face;
    std::memset(&elf, 0, sizeof elf);
    std::memset(&ntm, 0, sizeof ntm);
    const LONG height = std::max<LONG>(1, f.ascent + f.descent);
    const BYTE pitch = f.fixedPitch ? FIXED_PITCH : VARIABLE_PITCH;

    LOGFONTA& lf = elf.elfLogFont;
    lf.lfHeight = height;
    lf.lfWidth = f.avgWidth;
    lf.lfWeight = f.weight;
    lf.lfItalic = f.italic ? 255 : 0;
    lf.lfCharSet = e.charset;
    lf.lfOutPrecision = OUT_STROKE_PRECIS;
    lf.lfClipPrecision = CLIP_STROKE_PRECIS;
    lf.lfQuality = DRAFT_QUALITY;
    lf.lfPitchAndFamily = static_cast<BYTE>(pitch | f.familyKind);
    CopyField(e.faceName, lf.lfFaceName, LF_FACESIZE);

    const FontName* style = PickName(f.styles, *e.family);
    const std::wstring styleText = style ? style->text : f.fallbackStyle;
    const FontName* full = PickName(f.fullNames, *e.family);
    std::wstring fullText = full ? full->text : e.family->text;
    if (!full && !styleText.empty()) fullText += L" " + styleText;
    CopyField(cp950::Encode(fullText), elf.elfFullName, LF_FULLFACESIZE);
    CopyField(cp950::Encode(styleText), elf.elfStyle, LF_FACESIZE);
    CopyField(ScriptName(e.charset), elf.elfScript, LF_FACESIZE);

    NEWTEXTMETRICA& tm = ntm.ntmTm;
    tm.tmHeight = height;
    tm.tmAscent = f.ascent;
    tm.tmDescent = f.descent;
    tm.tmInternalLeading = std::max<LONG>(0, height - f.unitsPerEm);
    tm.tmExternalLeading = f.lineGap;
    tm.tmAveCharWidth = f.avgWidth;
    tm.tmMaxCharWidth = f.maxAdvance;
    tm.tmWeight = f.weight;
    tm.tmDigitizedAspectX = 96;
    tm.tmDigitizedAspectY = 96;
    // The single-byte range the font covers; code page 950 text cannot name more than 0xFF here.
    tm.tmFirstChar = static_cast<BYTE>(std::min<uint16_t>(f.firstChar, 0xFF));
    tm.tmLastChar = static_cast<BYTE>(std::min<uint16_t>(std::max(f.lastChar, f.firstChar), 0xFF));
    tm.tmBreakChar = ' ' >= tm.tmFirstChar && ' ' <= tm.tmLastChar ? ' ' : tm.tmFirstChar;
    tm.tmDefaultChar = tm.tmBreakChar;
    tm.tmItalic = f.italic ? 255 : 0;
    tm.tmPitchAndFamily = static_cast<BYTE>((f.fixedPitch ? 0 : TMPF_FIXED_PITCH) | TMPF_VECTOR |
                                            (f.trueTypeOutlines ? TMPF_TRUETYPE : 0) | f.familyKind);
    tm.tmCharSet = e.charset;
    tm.ntmFlags = (f.italic ? NTM_ITALIC : 0) | (f.bold ? NTM_BOLD : 0) |
                  (!f.italic && !f.bold ? NTM_REGULAR : 0) | (f.postScriptOutlines ? NTM_PS_OPENTYPE : 0);
    tm.ntmSizeEM = f.unitsPerEm;
    tm.ntmCellHeight = static_cast<UINT>(height);
    tm.ntmAvgWidth = static_cast<UINT>(std::max<int32_t>(0, f.avgWidth));
    for (int i = 0; i < 4; ++i) ntm.ntmFontSig.fsUsb[i] = f.unicodeRanges[i];
    // The character sets the face is listed under show in the signature even when only its cmap
    // made them known.
    ntm.ntmFontSig.fsCsb[0] = f.codePages[0];
    for (uint8_t cs : f.charsets) ntm.ntmFontSig.fsCsb[0] |= CodePageBit(cs);
    ntm.ntmFontSig.fsCsb[1] = f.codePages[1];
}

void AddCharsets(std::vector<Entry>& out, const FontFace& face, const FontName* family, const std::string& name,
                 uint8_t charset) {
    for (uint8_t cs : face.charsets)
        if (charset == DEFAULT_CHARSET || cs == charset) out.push_back(Entry{&face, family, name, cs});
}

std::vector<Entry> FacesNamed(const std::vector<FontFace>& faces, const std::string& requested,
                              std::string_view faceAnsi, uint8_t charset, bool reportRequested) {
    std::vector<Entry> out;
    const std::wstring wanted(FaceKey(cp950::Decode(faceAnsi)));
    for (const auto& face : faces) {
        const FontName* family = MatchFamily(face, wanted);
        if (!family) continue;
        const std::string name = reportRequested ? requested : cp950::Encode(FaceKey(family->text));
        AddCharsets(out, face, family, name, charset);
    }
    return out;
}

std::vector<Entry> Families(const std::vector<FontFace>& faces, uint8_t charset) {
    std::vector<Entry> out;
    std::vector<std::pair<std::wstring, uint8_t>> seen;
    for (const auto& face : faces) {
        const FontName& family = ListedFamily(face);
        const std::wstring key = text::UpperAscii(FaceKey(family.text));
        std::vector<Entry> mine;
        AddCharsets(mine, face, &family, cp950::Encode(FaceKey(family.text)), charset);
        for (auto& e : mine) {
            auto id = std::make_pair(key, e.charset);
            if (std::find(seen.begin(), seen.end(), id) != seen.end()) continue;
            seen.push_back(id);
            out.push_back(std::move(e));
        }
    }
    return out;
}

}  // namespace

}  // namespace platform::gdi

int EnumFontFamiliesExA(HDC dc, LPLOGFONTA logFont, FONTENUMPROCA proc, LPARAM param, DWORD) {
    using namespace platform::gdi;
    if (!LookupDC(dc)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (!logFont || !proc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // Never read past the field, even when the caller filled all of it without a terminator.
    const std::string requested(logFont->lfFaceName, strnlen(logFont->lfFaceName, LF_FACESIZE - 1));
    const uint8_t charset = logFont->lfCharSet;
    const auto catalogue = FontCatalogue();

    std::vector<Entry> entries;
    if (requested.empty()) {
        entries = Families(*catalogue, charset);
    } else {
        if (auto sub = LookupFontSubstitute(requested, charset))
            entries = FacesNamed(*catalogue, requested, sub->face, sub->charset.value_or(charset), true);
        // A substitute that names no installed font leaves the name to be matched as it stands.
        if (entries.empty()) entries = FacesNamed(*catalogue, requested, requested, charset, false);
    }

    int result = 1;
    for (const auto& e : entries) {
        ENUMLOGFONTEXA elf;
        NEWTEXTMETRICEXA ntm;
        Fill(e, elf, ntm);
        result = proc(&elf.elfLogFont, reinterpret_cast<const TEXTMETRICA*>(&ntm), TRUETYPE_FONTTYPE, param);
        if (result == 0) break;
    }
    return result;
}
