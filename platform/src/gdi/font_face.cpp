#include "gdi/font_face.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SFNT_NAMES_H
#include FT_TRUETYPE_TABLES_H
#include FT_TRUETYPE_TAGS_H

#include <algorithm>

#include "codepage/cp950.h"
#include "gdi/font_names.h"
#include "gdi/freetype_library.h"
#include "platform/wingdi.h"
#include "text.h"

namespace platform::gdi {

const char16_t kBig5Sample[kBig5SampleCount] = {
    // Shared with Simplified Chinese.
    0x7684, 0x4E00, 0x662F, 0x4E0D, 0x4E86, 0x4EBA, 0x6211, 0x5728,  // 的一是不了人我在
    0x6709, 0x4ED6, 0x4E2D, 0x4E0A, 0x5927, 0x548C, 0x5730, 0x5230,  // 有他中上大和地到
    0x4EE5, 0x8981, 0x5C31, 0x51FA, 0x53EF, 0x4E5F, 0x4F60, 0x751F,  // 以要就出可也你生
    0x80FD, 0x800C, 0x5B50, 0x90A3, 0x5F97, 0x4E0B, 0x81EA, 0x4E4B,  // 能而子那得下自之
    // Traditional forms.
    0x9019, 0x500B, 0x5011, 0x4F86, 0x70BA, 0x570B, 0x8AAA, 0x6642,  // 這個們來為國說時
    0x6703, 0x5C0D, 0x904E, 0x767C, 0x88E1, 0x7A2E, 0x7D93, 0x9EBC,  // 會對過發裡種經麼
    0x5B78, 0x73FE, 0x7576, 0x6C92, 0x52D5, 0x9084, 0x9032, 0x958B,  // 學現當沒動還進開
    0x5F9E, 0x5BE6, 0x6A23, 0x9577, 0x554F, 0x8207, 0x9EDE, 0x696D,  // 從實樣長問與點業
};

namespace {

// Present at all: a glyf table is empty in a font whose glyphs are all blank.
bool HasTable(FT_Face face, FT_ULong tag) {
    FT_ULong length = 0;
    return FT_Load_Sfnt_Table(face, tag, 0, nullptr, &length) == 0;
}

FT_CharMap FindCharMap(FT_Face face, FT_Encoding encoding) {
    for (int i = 0; i < face->num_charmaps; ++i)
        if (face->charmaps[i]->encoding == encoding) return face->charmaps[i];
    return nullptr;
}

bool Maps(FT_Face face, FT_CharMap map, FT_ULong code) {
    if (FT_Set_Charmap(face, map) != 0) return false;
    return FT_Get_Char_Index(face, code) != 0;
}

bool CoversLatin(FT_Face face) {
    FT_CharMap uni = FindCharMap(face, FT_ENCODING_UNICODE);
    if (!uni) return false;
    for (FT_ULong c = 'A'; c <= 'Z'; ++c)
        if (!Maps(face, uni, c) || !Maps(face, uni, c + ('a' - 'A'))) return false;
    return true;
}

bool CoversBig5Text(FT_Face face) {
    // A Big5 cmap encodes the character set itself; a Unicode cmap has to map the sample.
    FT_CharMap uni = FindCharMap(face, FT_ENCODING_UNICODE);
    FT_CharMap big5 = FindCharMap(face, FT_ENCODING_BIG5);
    if (!uni && !big5) return false;
    int mapped = 0;
    for (char16_t c : kBig5Sample) {
        bool has = uni && Maps(face, uni, c);
        if (!has && big5) {
            const uint16_t code = cp950::FromUnicode(static_cast<uint16_t>(c));
            has = code != 0 && Maps(face, big5, code);
        }
        if (has) ++mapped;
    }
    return mapped >= kBig5CoverageThreshold;
}

bool HasSymbolCmap(FT_Face face) {
    for (int i = 0; i < face->num_charmaps; ++i)
        if (face->charmaps[i]->platform_id == kPlatformWindows && face->charmaps[i]->encoding_id == kWindowsSymbol)
            return true;
    return false;
}

// Code page range bits and the character sets they stand for, in the order faces list them.
struct CodePageCharset {
    int bit;
    uint8_t charset;
};
constexpr CodePageCharset kCodePageCharsets[] = {
    {0, ANSI_CHARSET},      {1, EASTEUROPE_CHARSET}, {2, RUSSIAN_CHARSET},     {3, GREEK_CHARSET},
    {4, TURKISH_CHARSET},   {5, HEBREW_CHARSET},     {6, ARABIC_CHARSET},      {7, BALTIC_CHARSET},
    {8, VIETNAMESE_CHARSET}, {16, THAI_CHARSET},     {17, SHIFTJIS_CHARSET},   {18, GB2312_CHARSET},
    {19, HANGUL_CHARSET},   {20, CHINESEBIG5_CHARSET}, {21, JOHAB_CHARSET},    {29, MAC_CHARSET},
    {31, SYMBOL_CHARSET},
};

std::vector<uint8_t> Charsets(uint32_t codePages, bool latin, bool big5, bool symbol) {
    uint32_t bits = codePages;
    if (latin) bits |= 1u << 0;
    if (big5) bits |= kCodePageBitChineseTraditional;
    if (symbol) bits |= 1u << 31;
    std::vector<uint8_t> out;
    for (const auto& cc : kCodePageCharsets)
        if (bits & (1u << cc.bit)) out.push_back(cc.charset);
    if (out.empty()) out.push_back(DEFAULT_CHARSET);
    return out;
}

std::wstring Utf8(const char* s) { return s ? text::Utf8ToWide(s) : std::wstring(); }

void ReadNames(FT_Face face, FontFace& out) {
    const FT_UInt count = FT_Get_Sfnt_Name_Count(face);
    for (FT_UInt i = 0; i < count; ++i) {
        FT_SfntName sn;
        if (FT_Get_Sfnt_Name(face, i, &sn) != 0) continue;
        if (sn.name_id != kNameFamily && sn.name_id != kNameTypographicFamily && sn.name_id != kNameSubfamily &&
            sn.name_id != kNameFullName)
            continue;
        auto decoded = DecodeName(sn.platform_id, sn.encoding_id,
                                  std::string_view(reinterpret_cast<const char*>(sn.string), sn.string_len));
        if (!decoded || decoded->empty()) continue;
        FontName name{sn.platform_id, sn.encoding_id, sn.language_id, sn.name_id, std::move(*decoded)};
        if (name.nameId == kNameSubfamily)
            out.styles.push_back(std::move(name));
        else if (name.nameId == kNameFullName)
            out.fullNames.push_back(std::move(name));
        else
            out.families.push_back(std::move(name));
    }
    // The family's own name first; IDs 1 before 16 so that the legacy family leads.
    auto rank = [](const FontName& n) {
        int r = n.nameId == kNameFamily ? 0 : 8;
        if (n.platformId == kPlatformWindows && n.languageId == kLangChineseTaiwan)
            r += 0;
        else if (n.platformId == kPlatformWindows && n.languageId == kLangEnglishUS)
            r += 1;
        else if (n.platformId == kPlatformWindows)
            r += 2;
        else
            r += 3;
        return r;
    };
    std::stable_sort(out.families.begin(), out.families.end(),
                     [&](const FontName& a, const FontName& b) { return rank(a) < rank(b); });
    std::vector<FontName> unique;
    for (auto& n : out.families) {
        bool seen = false;
        for (const auto& u : unique) seen = seen || text::EqualNoCase(u.text, n.text);
        if (!seen) unique.push_back(std::move(n));
    }
    out.families = std::move(unique);
    if (out.families.empty() && face->family_name) {
        // No readable name record: FreeType's own idea of the family still makes the face listable.
        out.families.push_back(FontName{kPlatformWindows, kWindowsUnicodeBmp, kLangEnglishUS, kNameFamily,
                                        Utf8(face->family_name)});
    }
    out.fallbackStyle = Utf8(face->style_name);
}

uint8_t FamilyKind(const TT_OS2* os2, bool fixedPitch) {
    if (fixedPitch) return FF_MODERN;
    if (!os2) return FF_DONTCARE;
    switch ((os2->sFamilyClass >> 8) & 0xFF) {
        case 1: case 2: case 3: case 4: case 5: case 7: return FF_ROMAN;
        case 8: return FF_SWISS;
        case 9: return FF_DECORATIVE;
        case 10: return FF_SCRIPT;
        case 12: return FF_DECORATIVE;
        default: return FF_DONTCARE;
    }
}

bool ReadFace(FT_Face face, FontFace& out) {
    if (!FT_IS_SFNT(face)) return false;
    ReadNames(face, out);
    if (out.families.empty()) return false;

    out.trueTypeOutlines = HasTable(face, TTAG_glyf);
    out.postScriptOutlines = HasTable(face, TTAG_CFF) || HasTable(face, FT_MAKE_TAG('C', 'F', 'F', '2'));

    const auto* head = static_cast<const TT_Header*>(FT_Get_Sfnt_Table(face, FT_SFNT_HEAD));
    const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
    auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    const auto* post = static_cast<const TT_Postscript*>(FT_Get_Sfnt_Table(face, FT_SFNT_POST));
    if (os2 && os2->version == 0xFFFF) os2 = nullptr;  // FreeType's mark for a missing table

    out.unitsPerEm = head && head->Units_Per_EM ? head->Units_Per_EM : static_cast<uint16_t>(face->units_per_EM);
    if (out.unitsPerEm == 0) out.unitsPerEm = 1000;
    out.bold = (face->style_flags & FT_STYLE_FLAG_BOLD) != 0;
    out.italic = (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
    out.fixedPitch = post ? post->isFixedPitch != 0 : FT_IS_FIXED_WIDTH(face);
    out.weight = os2 && os2->usWeightClass >= 1 && os2->usWeightClass <= 1000 ? os2->usWeightClass
                                                                              : (out.bold ? FW_BOLD : FW_NORMAL);
    out.familyKind = FamilyKind(os2, out.fixedPitch);
    if (os2 && (os2->usWinAscent || os2->usWinDescent)) {
        out.ascent = os2->usWinAscent;
        out.descent = os2->usWinDescent;
    } else if (hhea) {
        out.ascent = hhea->Ascender;
        out.descent = -hhea->Descender;
    }
    out.lineGap = hhea ? std::max<int32_t>(0, hhea->Line_Gap) : 0;
    out.maxAdvance = hhea ? hhea->advance_Width_Max : 0;
    out.avgWidth = os2 && os2->xAvgCharWidth > 0 ? os2->xAvgCharWidth : out.maxAdvance;
    if (os2) {
        out.firstChar = os2->usFirstCharIndex;
        out.lastChar = os2->usLastCharIndex;
        out.unicodeRanges[0] = static_cast<uint32_t>(os2->ulUnicodeRange1);
        out.unicodeRanges[1] = static_cast<uint32_t>(os2->ulUnicodeRange2);
        out.unicodeRanges[2] = static_cast<uint32_t>(os2->ulUnicodeRange3);
        out.unicodeRanges[3] = static_cast<uint32_t>(os2->ulUnicodeRange4);
        if (os2->version >= 1) {
            out.codePages[0] = static_cast<uint32_t>(os2->ulCodePageRange1);
            out.codePages[1] = static_cast<uint32_t>(os2->ulCodePageRange2);
        }
    }
    const bool symbol = HasSymbolCmap(face);
    out.charsets = Charsets(out.codePages[0], !symbol && CoversLatin(face), CoversBig5Text(face), symbol);
    return true;
}

}  // namespace

std::vector<FontFace> ReadFontFaces(const std::filesystem::path& file) {
    std::vector<FontFace> faces;
    FreeTypeLock freetype;
    FacePtr first = freetype.OpenFace(file, 0);
    if (!first) return faces;
    // A damaged collection header may claim any number of faces; no real collection holds more.
    const long count = std::clamp<long>(first->num_faces, 1, 1024);
    for (long i = 0; i < count; ++i) {
        FacePtr face = i == 0 ? std::move(first) : freetype.OpenFace(file, i);
        if (!face) continue;
        FontFace info;
        info.file = file;
        info.index = i;
        if (ReadFace(face.get(), info)) faces.push_back(std::move(info));
    }
    return faces;
}

}  // namespace platform::gdi
