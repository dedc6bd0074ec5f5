#include "resources/tte_template_builder.h"

#include <string_view>

#include "resources/sfnt_writer.h"

namespace eudc::resources {
namespace {

// ---- Font-wide metrics ----------------------------------------------------------------------
constexpr uint16_t kUnitsPerEm = 1024;
constexpr int16_t kAscender = 820;
constexpr int16_t kDescender = -204;
constexpr int16_t kLineGap = 204;
constexpr uint16_t kWinAscent = 820;
constexpr uint16_t kWinDescent = 204;
constexpr uint16_t kAdvance = 1024;  // every glyph, across and down

// ---- Glyph 0: the missing-character box ------------------------------------------------------
struct Point {
    int16_t x, y;
};
// A 310-unit square centred across the em. Its side bearings (357 left, 820 - 461 = 359 top)
// are the metrics a reset glyph carries, so the empty glyphs share them.
constexpr int16_t kBoxLeft = 357, kBoxRight = 667, kBoxBottom = 151, kBoxTop = 461;
// Clockwise from the top-left corner, as outer TrueType contours run.
constexpr std::array<Point, 4> kBox = {{{kBoxLeft, kBoxTop}, {kBoxRight, kBoxTop}, {kBoxRight, kBoxBottom},
                                        {kBoxLeft, kBoxBottom}}};
constexpr int16_t kLeftSideBearing = kBoxLeft;
constexpr int16_t kTopSideBearing = static_cast<int16_t>(kWinAscent - kBoxTop);
static_assert(kLeftSideBearing == 357 && kTopSideBearing == 359, "the reset metrics of a glyph");

// Simple-glyph flags.
constexpr uint8_t kOnCurve = 0x01, kXShort = 0x02, kYShort = 0x04, kXSameOrPositive = 0x10,
                  kYSameOrPositive = 0x20;

constexpr size_t CoordinateBytes(int delta) { return delta == 0 ? 0 : (delta >= -255 && delta <= 255) ? 1 : 2; }

// One flag byte per point (no repeat runs: the box's flags never repeat), deltas in the
// shortest form.
template <size_t N>
constexpr size_t SimpleGlyphLength(const std::array<Point, N>& points) {
    size_t n = 10 + 2 + 2 + N;  // header, one end point, instruction length, flags
    int x = 0, y = 0;
    for (const Point& p : points) {
        n += CoordinateBytes(p.x - x) + CoordinateBytes(p.y - y);
        x = p.x;
        y = p.y;
    }
    return n;
}

constexpr size_t kGlyfLength = SimpleGlyphLength(kBox);
static_assert(kGlyfLength == 28);

// ---- Instructions and control values ---------------------------------------------------------
// fpgm: function 0, empty (PUSHB[0] 0, FDEF, ENDF), so the table is not empty.
constexpr uint8_t kFpgm[] = {0xB0, 0x00, 0x2C, 0x2D};
constexpr uint16_t kFunctionDefs = 1;
// prep: dropout control at every size (PUSHW[0] 0x01FF, SCANCTRL), so thin strokes of small
// ideographs do not vanish.
constexpr uint8_t kPrep[] = {0xB8, 0x01, 0xFF, 0x85};
// The programs above push one value at a time; 16 leaves room for glyph hints added later.
constexpr uint16_t kMaxStackElements = 16;
// cvt: the ascender and descender, for hints that a later tool may add.
constexpr int16_t kCvt[] = {kAscender, kDescender};

// ---- Names -----------------------------------------------------------------------------------
constexpr uint16_t kPlatformWindows = 3, kEncodingUnicodeBmp = 1, kLanguageTraditionalChinese = 0x0404;
struct NameEntry {
    uint16_t id;
    std::string_view text;  // ASCII; stored as UTF-16BE
};
constexpr NameEntry kNames[] = {
    {1, "EUDC"},          // family
    {2, "Regular"},       // subfamily
    {3, "VLMR:EUDC"},     // unique identifier: vendor and family
    {4, "EUDC"},          // full name (the regular style adds nothing)
    {5, "Version 1.0"},   // version
    {6, "EUDC"},          // PostScript name
};
constexpr size_t NameTableLength() {
    size_t n = 6 + 12 * std::size(kNames);
    for (const auto& e : kNames) n += 2 * e.text.size();
    return n;
}

// ---- Other fixed values ----------------------------------------------------------------------
constexpr uint32_t kVersion1 = 0x00010000;
constexpr uint32_t kFontRevision = 0x00010000;  // 1.0, as the version name says
constexpr uint32_t kHeadMagic = 0x5F0F3CF5;
constexpr uint16_t kHeadFlags = 0x0009;          // baseline at y 0, integer scaling
constexpr uint16_t kLowestRecPpem = 12;          // ideographs are unreadable below ~12 pixels
constexpr int16_t kFontDirectionHint = 2;
constexpr int16_t kLongLocaOffsets = 1;

constexpr bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
constexpr uint64_t SecondsSince1904(int year, int month, int day) {
    constexpr int kMonthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    uint64_t days = 0;
    for (int y = 1904; y < year; ++y) days += IsLeap(y) ? 366 : 365;
    for (int m = 1; m < month; ++m) days += kMonthDays[m - 1] + (m == 2 && IsLeap(year) ? 1 : 0);
    return (days + day - 1) * 86400;
}
// Created and modified dates are fixed so that every build makes the same bytes.
constexpr uint64_t kTemplateDate = SecondsSince1904(2000, 1, 1);

// OS/2 values that no classification changes.
constexpr uint16_t kOs2Version = 1;
// Half the em, as in CJK fonts, so that a width request scales these glyphs like the text
// fonts they are linked to.
constexpr int16_t kAvgCharWidth = kUnitsPerEm / 2;
constexpr uint16_t kWeightNormal = 400, kWidthMedium = 5;
constexpr uint16_t kFsTypeInstallable = 0;
// Sub- and superscript boxes of 0.65 em, strikeout 0.05 em thick at 0.26 em.
constexpr int16_t kScriptSize = 666, kSubscriptYOffset = 143, kSuperscriptYOffset = 491;
constexpr int16_t kStrikeoutSize = 51, kStrikeoutPosition = 265;
constexpr std::string_view kVendorId = "VLMR";
constexpr uint16_t kFsSelectionRegular = 0x0040;

// post: underline 0.1 em below the baseline, 0.05 em thick. Not fixed pitch: linked glyphs take
// the pitch of the font they stand in.
constexpr int16_t kUnderlinePosition = -102, kUnderlineThickness = 51;
constexpr uint32_t kPostVersion3 = 0x00030000;

// ---- Table lengths ---------------------------------------------------------------------------
constexpr size_t kNumTables = 15;
constexpr size_t kCmapLength = 4 + 8 + 16 + 2 * 4 * 2;  // header, one record, format 4 with 2 segments
constexpr size_t kHeadLength = 54, kHheaLength = 36, kVheaLength = 36, kMaxpLength = 32;
constexpr size_t kOs2Length = 86, kPostLength = 32;
constexpr size_t kCvtLength = sizeof kCvt, kFpgmLength = sizeof kFpgm, kPrepLength = sizeof kPrep;
constexpr size_t kNameLength = NameTableLength();

// Everything but the directory and the per-glyph tables.
constexpr size_t kSmallTablesLength = Pad4(kCvtLength) + Pad4(kFpgmLength) + Pad4(kPrepLength) +
                                      Pad4(kNameLength) + Pad4(kCmapLength) + Pad4(kOs2Length) +
                                      Pad4(kPostLength) + Pad4(kHheaLength) + Pad4(kVheaLength) +
                                      Pad4(kHeadLength) + Pad4(kMaxpLength);
static_assert(kSmallTablesLength == 492);

constexpr size_t TemplateSize(uint16_t lastCode) {
    const size_t glyphs = TemplateGlyphCount(lastCode);
    return SfntDirectoryLength(kNumTables) + kSmallTablesLength + 4 * glyphs /* hmtx */ + 4 * glyphs /* vmtx */ +
           4 * (glyphs + 1) /* loca */ + Pad4(kGlyfLength);
}
static_assert(TemplateSize(0xF8FF) == 77600);
static_assert(TemplateSize(0xF848) == 75404);

// ---- Tables ----------------------------------------------------------------------------------
std::vector<uint8_t> Cmap(uint16_t lastCode) {
    constexpr uint16_t kSegments = 2;
    // Maps kTemplateFirstCode to kTemplateFirstMappedGlyph modulo 65536.
    constexpr uint16_t kIdDelta = static_cast<uint16_t>(kTemplateFirstMappedGlyph - kTemplateFirstCode);
    static_assert(kIdDelta == 8194);
    // The closing segment maps 0xFFFF to glyph 0.
    constexpr uint16_t kClosingDelta = 1;
    BigEndianBytes b;
    b.U16(0);  // version
    b.U16(1);  // one encoding record
    b.U16(kPlatformWindows);
    b.U16(kEncodingUnicodeBmp);
    b.U32(12);  // subtable behind the record
    b.U16(4);   // format
    b.U16(static_cast<uint16_t>(kCmapLength - 12));
    b.U16(0);  // language
    b.U16(2 * kSegments);
    b.U16(4);  // searchRange = 2 * 2^floor(log2(2))
    b.U16(1);  // entrySelector
    b.U16(0);  // rangeShift
    b.U16(lastCode);
    b.U16(0xFFFF);  // endCode
    b.U16(0);       // reservedPad
    b.U16(kTemplateFirstCode);
    b.U16(0xFFFF);  // startCode
    b.U16(kIdDelta);
    b.U16(kClosingDelta);
    b.U16(0);
    b.U16(0);  // idRangeOffset
    return b.Take();
}

std::vector<uint8_t> Head() {
    BigEndianBytes b;
    b.U32(kVersion1);
    b.U32(kFontRevision);
    b.U32(0);  // checkSumAdjustment, set when the file is assembled
    b.U32(kHeadMagic);
    b.U16(kHeadFlags);
    b.U16(kUnitsPerEm);
    b.U64(kTemplateDate);  // created
    b.U64(kTemplateDate);  // modified
    b.S16(kBoxLeft);
    b.S16(kBoxBottom);
    b.S16(kBoxRight);
    b.S16(kBoxTop);
    b.U16(0);  // macStyle
    b.U16(kLowestRecPpem);
    b.S16(kFontDirectionHint);
    b.S16(kLongLocaOffsets);
    b.S16(0);  // glyphDataFormat
    return b.Take();
}

// hhea and vhea share one layout. Extents are those of glyph 0, the only glyph with contours.
std::vector<uint8_t> MetricsHeader(int16_t minLeadingBearing, int16_t minTrailingBearing, int16_t maxExtent,
                                   int16_t caretRise, int16_t caretRun, uint16_t longMetrics) {
    BigEndianBytes b;
    b.U32(kVersion1);
    b.S16(kAscender);
    b.S16(kDescender);
    b.S16(kLineGap);
    b.U16(kAdvance);
    b.S16(minLeadingBearing);
    b.S16(minTrailingBearing);
    b.S16(maxExtent);
    b.S16(caretRise);
    b.S16(caretRun);
    b.S16(0);    // caretOffset
    b.Zeros(8);  // reserved
    b.S16(0);    // metricDataFormat
    b.U16(longMetrics);
    return b.Take();
}

std::vector<uint8_t> Hhea(uint16_t glyphs) {
    constexpr int16_t width = kBoxRight - kBoxLeft;
    return MetricsHeader(kLeftSideBearing, static_cast<int16_t>(kAdvance - kLeftSideBearing - width),
                         static_cast<int16_t>(kLeftSideBearing + width), 1, 0, glyphs);  // upright caret
}

std::vector<uint8_t> Vhea(uint16_t glyphs) {
    constexpr int16_t height = kBoxTop - kBoxBottom;
    return MetricsHeader(kTopSideBearing, static_cast<int16_t>(kAdvance - kTopSideBearing - height),
                         static_cast<int16_t>(kTopSideBearing + height), 0, 1, glyphs);  // level caret
}

// Every glyph has a long metric with the full advance and the reset side bearing.
std::vector<uint8_t> LongMetrics(uint16_t glyphs, int16_t sideBearing) {
    BigEndianBytes b;
    for (uint16_t i = 0; i < glyphs; ++i) {
        b.U16(kAdvance);
        b.S16(sideBearing);
    }
    return b.Take();
}

std::vector<uint8_t> Loca(uint16_t glyphs) {
    BigEndianBytes b;
    b.U32(0);  // glyph 0 holds the whole glyf table, every later glyph is empty
    for (uint16_t i = 0; i < glyphs; ++i) b.U32(kGlyfLength);
    return b.Take();
}

std::vector<uint8_t> Glyf() {
    BigEndianBytes b;
    b.S16(1);  // numberOfContours
    b.S16(kBoxLeft);
    b.S16(kBoxBottom);
    b.S16(kBoxRight);
    b.S16(kBoxTop);
    b.U16(kBox.size() - 1);  // end point of the contour
    b.U16(0);                // no instructions
    int x = 0, y = 0;
    for (const Point& p : kBox) {
        const int dx = p.x - x, dy = p.y - y;
        uint8_t flag = kOnCurve;
        if (dx == 0) flag |= kXSameOrPositive;
        else if (CoordinateBytes(dx) == 1) flag |= kXShort | (dx > 0 ? kXSameOrPositive : 0);
        if (dy == 0) flag |= kYSameOrPositive;
        else if (CoordinateBytes(dy) == 1) flag |= kYShort | (dy > 0 ? kYSameOrPositive : 0);
        b.U8(flag);
        x = p.x;
        y = p.y;
    }
    for (int axis = 0; axis < 2; ++axis) {
        int prev = 0;
        for (const Point& p : kBox) {
            const int v = axis == 0 ? p.x : p.y;
            const int d = v - prev;
            prev = v;
            if (CoordinateBytes(d) == 1) b.U8(static_cast<uint8_t>(d < 0 ? -d : d));
            else if (CoordinateBytes(d) == 2) b.S16(static_cast<int16_t>(d));
        }
    }
    return b.Take();
}

std::vector<uint8_t> Maxp(uint16_t glyphs, uint16_t maxZones) {
    BigEndianBytes b;
    b.U32(kVersion1);
    b.U16(glyphs);
    b.U16(kBox.size());  // maxPoints
    b.U16(1);            // maxContours
    b.U16(0);            // maxCompositePoints
    b.U16(0);            // maxCompositeContours
    b.U16(maxZones);
    b.U16(0);  // maxTwilightPoints
    b.U16(0);  // maxStorage
    b.U16(kFunctionDefs);
    b.U16(0);  // maxInstructionDefs
    b.U16(kMaxStackElements);
    b.U16(0);  // maxSizeOfInstructions: glyph 0 has none
    b.U16(0);  // maxComponentElements
    b.U16(0);  // maxComponentDepth
    return b.Take();
}

std::vector<uint8_t> Os2(const Os2Classification& c, uint16_t lastCode) {
    BigEndianBytes b;
    b.U16(kOs2Version);
    b.S16(kAvgCharWidth);
    b.U16(kWeightNormal);
    b.U16(kWidthMedium);
    b.U16(kFsTypeInstallable);
    b.S16(kScriptSize);  // subscript x and y size, x and y offset
    b.S16(kScriptSize);
    b.S16(0);
    b.S16(kSubscriptYOffset);
    b.S16(kScriptSize);  // superscript
    b.S16(kScriptSize);
    b.S16(0);
    b.S16(kSuperscriptYOffset);
    b.S16(kStrikeoutSize);
    b.S16(kStrikeoutPosition);
    b.S16(c.familyClass);
    for (uint8_t p : c.panose) b.U8(p);
    for (uint32_t r : c.unicodeRange) b.U32(r);
    b.Tag(kVendorId);
    b.U16(kFsSelectionRegular);
    b.U16(c.firstCharIndex);
    b.U16(lastCode);  // usLastCharIndex
    b.S16(kAscender);
    b.S16(kDescender);
    b.S16(kLineGap);
    b.U16(kWinAscent);
    b.U16(kWinDescent);
    for (uint32_t r : c.codePageRange) b.U32(r);
    return b.Take();
}

std::vector<uint8_t> Post() {
    BigEndianBytes b;
    b.U32(kPostVersion3);  // no glyph names
    b.U32(0);              // italicAngle
    b.S16(kUnderlinePosition);
    b.S16(kUnderlineThickness);
    b.U32(0);  // isFixedPitch
    b.Zeros(16);  // memory hints for PostScript printers: unknown
    return b.Take();
}

std::vector<uint8_t> Name() {
    BigEndianBytes b;
    b.U16(0);  // format
    b.U16(static_cast<uint16_t>(std::size(kNames)));
    b.U16(static_cast<uint16_t>(6 + 12 * std::size(kNames)));
    uint16_t offset = 0;
    for (const auto& e : kNames) {
        b.U16(kPlatformWindows);
        b.U16(kEncodingUnicodeBmp);
        b.U16(kLanguageTraditionalChinese);
        b.U16(e.id);
        b.U16(static_cast<uint16_t>(2 * e.text.size()));
        b.U16(offset);
        offset = static_cast<uint16_t>(offset + 2 * e.text.size());
    }
    for (const auto& e : kNames)
        for (char ch : e.text) b.U16(static_cast<uint8_t>(ch));
    return b.Take();
}

std::vector<uint8_t> Cvt() {
    BigEndianBytes b;
    for (int16_t v : kCvt) b.S16(v);
    return b.Take();
}

std::vector<uint8_t> Bytes(const uint8_t* p, size_t n) { return std::vector<uint8_t>(p, p + n); }

}  // namespace

size_t TteTemplateSize(uint16_t lastCode) { return TemplateSize(lastCode); }

std::vector<uint8_t> BuildTteTemplate(const TteTemplateShape& shape) {
    const uint16_t glyphs = TemplateGlyphCount(shape.lastCode);
    // Body order: glyf last, so that a glyph that grows or shrinks only moves the end of the file.
    const std::vector<SfntTable> tables = {
        {"cvt ", Cvt()},
        {"fpgm", Bytes(kFpgm, sizeof kFpgm)},
        {"prep", Bytes(kPrep, sizeof kPrep)},
        {"name", Name()},
        {"cmap", Cmap(shape.lastCode)},
        {"OS/2", Os2(shape.classification, shape.lastCode)},
        {"post", Post()},
        {"hhea", Hhea(glyphs)},
        {"vhea", Vhea(glyphs)},
        {"vmtx", LongMetrics(glyphs, kTopSideBearing)},
        {"head", Head()},
        {"hmtx", LongMetrics(glyphs, kLeftSideBearing)},
        {"loca", Loca(glyphs)},
        {"maxp", Maxp(glyphs, shape.maxZones)},
        {"glyf", Glyf()},
    };
    return AssembleSfnt(tables);
}

}  // namespace eudc::resources
