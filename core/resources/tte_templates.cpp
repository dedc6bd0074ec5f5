#include "resources/tte_templates.h"

#include <mutex>
#include <vector>

#include "platform/resources.h"
#include "resources/tte_template_builder.h"

namespace eudc {
namespace {

using resources::Os2Classification;

constexpr uint16_t kFullAreaLastCode = 0xF8FF;
constexpr uint16_t kBig5AreaLastCode = 0xF848;  // the end of code page 950's user-defined areas

// OS/2 Unicode-range and code-page bits.
constexpr uint32_t kRange2PrivateUseArea = 1u << (60 - 32);
constexpr uint32_t kRange2CjkSymbols = 1u << (48 - 32);
constexpr uint32_t kRange2CjkIdeographs = 1u << (59 - 32);
constexpr uint32_t kCodePageLatin1 = 1u << 0;
constexpr uint32_t kCodePageBig5 = 1u << 20;

// The NT line and Windows 95: no typographic class or PANOSE claims; the font covers the
// private use area for code page 950 and nothing else.
constexpr Os2Classification kPlainClassification = {
    0,                                  // sFamilyClass: no classification
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0},     // PANOSE: any
    {0, kRange2PrivateUseArea, 0, 0},
    {kCodePageBig5, 0},
    0xE000,                             // usFirstCharIndex
};

// Windows 98 and Me: the template presents itself as a Chinese text face, so that the font
// mapper treats it like the fonts it is linked to: a sans-serif text class, PANOSE Latin text of
// book weight and monospaced proportion, the CJK ranges beside the private use area, Latin-1
// beside Big5, and a first character in the single-byte range, from which 9x derives the font's
// first character.
constexpr Os2Classification kWin98Classification = {
    0x0800,                             // class 8 (sans serif), subclass 0
    {2, 0, 5, 9, 0, 0, 0, 0, 0, 0},
    {0, kRange2CjkSymbols | kRange2CjkIdeographs | kRange2PrivateUseArea, 0, 0},
    {kCodePageLatin1 | kCodePageBig5, 0},
    0x0020,
};

// maxZones: 2 (twilight zone available to hints) in general; the 98/Me template declares none,
// as nothing in it uses one.
constexpr uint16_t kZonesWithTwilight = 2, kZonesGlyphOnly = 1;

std::vector<BYTE> BuildFullArea() {
    return resources::BuildTteTemplate({kFullAreaLastCode, kPlainClassification, kZonesWithTwilight});
}
std::vector<BYTE> BuildBig5Area() {
    return resources::BuildTteTemplate({kBig5AreaLastCode, kPlainClassification, kZonesWithTwilight});
}
std::vector<BYTE> BuildWin98() {
    return resources::BuildTteTemplate({kBig5AreaLastCode, kWin98Classification, kZonesGlyphOnly});
}

const platform::BinaryResource kTemplates[] = {
    {"TTE", kTteTemplateFullArea, &BuildFullArea},
    {"TTE", kTteTemplateBig5Area, &BuildBig5Area},
    {"TTE", kTteTemplateWin98, &BuildWin98},
};

}  // namespace

void EnsureTemplateResources() {
    static std::once_flag registered;
    std::call_once(registered, [] { platform::RegisterBinaryResources(kTemplates, std::size(kTemplates)); });
}

}  // namespace eudc
