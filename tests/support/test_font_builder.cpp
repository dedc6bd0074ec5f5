#include "support/test_font_builder.h"

#include "support/temp_prefix.h"

#include <algorithm>
#include <climits>
#include <stdexcept>
#include <tuple>

namespace testsupport {

namespace {

constexpr uint32_t Tag(const char (&t)[5]) {
    return (static_cast<uint32_t>(static_cast<uint8_t>(t[0])) << 24) |
           (static_cast<uint32_t>(static_cast<uint8_t>(t[1])) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(t[2])) << 8) | static_cast<uint32_t>(static_cast<uint8_t>(t[3]));
}

void U8(std::string& out, unsigned v) { out += static_cast<char>(v & 0xFF); }
void U16(std::string& out, unsigned v) {
    out += static_cast<char>((v >> 8) & 0xFF);
    out += static_cast<char>(v & 0xFF);
}
void I16(std::string& out, int v) {
    if (v < INT16_MIN || v > INT16_MAX) throw std::invalid_argument("value does not fit a 16-bit field");
    U16(out, static_cast<unsigned>(v) & 0xFFFF);
}
void U32(std::string& out, uint32_t v) {
    U16(out, v >> 16);
    U16(out, v & 0xFFFF);
}
void PutU32(std::string& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>((v >> (24 - 8 * i)) & 0xFF);
}

void Pad4(std::string& s) {
    while (s.size() % 4) s += '\0';
}

int FloorLog2(unsigned n) {
    int r = 0;
    while ((2u << r) <= n) ++r;
    return r;
}

std::vector<uint32_t> Utf8ToCodePoints(const std::string& s) {
    std::vector<uint32_t> out;
    for (size_t i = 0; i < s.size();) {
        const auto b = static_cast<uint8_t>(s[i]);
        size_t len = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
        if (len == 0 || i + len > s.size()) throw std::invalid_argument("bad UTF-8");
        uint32_t c = len == 1 ? b : b & (0x7F >> len);
        for (size_t k = 1; k < len; ++k) c = (c << 6) | (static_cast<uint8_t>(s[i + k]) & 0x3F);
        out.push_back(c);
        i += len;
    }
    return out;
}

std::string Utf16BE(const std::string& utf8) {
    std::string out;
    for (char16_t u : Utf8ToUtf16(utf8)) U16(out, u);
    return out;
}

struct Bounds {
    int xMin = 0, yMin = 0, xMax = 0, yMax = 0;
};

Bounds BoundsOf(const std::vector<FontContour>& contours) {
    Bounds b{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (const auto& c : contours)
        for (const auto& p : c) {
            b.xMin = std::min(b.xMin, p.x);
            b.yMin = std::min(b.yMin, p.y);
            b.xMax = std::max(b.xMax, p.x);
            b.yMax = std::max(b.yMax, p.y);
        }
    if (b.xMin == INT_MAX) return Bounds{};
    return b;
}

// A simple glyph: header, contour ends, no instructions, then flags and coordinates as deltas in
// their shortest form.
std::string EncodeGlyph(const std::vector<FontContour>& contours) {
    if (contours.empty()) return {};
    const Bounds b = BoundsOf(contours);
    std::string out;
    I16(out, static_cast<int>(contours.size()));
    I16(out, b.xMin);
    I16(out, b.yMin);
    I16(out, b.xMax);
    I16(out, b.yMax);
    unsigned end = 0;
    for (const auto& c : contours) {
        if (c.empty()) throw std::invalid_argument("a contour needs at least one point");
        end += static_cast<unsigned>(c.size());
        if (end - 1 > 0xFFFF) throw std::invalid_argument("too many points");
        U16(out, end - 1);
    }
    U16(out, 0);  // instructionLength
    std::string flags, xs, ys;
    int px = 0, py = 0;
    for (const auto& c : contours)
        for (const auto& p : c) {
            unsigned flag = p.onCurve ? 0x01 : 0x00;
            const int dx = p.x - px, dy = p.y - py;
            if (dx == 0) {
                flag |= 0x10;  // same x
            } else if (dx >= -255 && dx <= 255) {
                flag |= 0x02 | (dx > 0 ? 0x10 : 0);
                U8(xs, static_cast<unsigned>(dx > 0 ? dx : -dx));
            } else {
                I16(xs, dx);
            }
            if (dy == 0) {
                flag |= 0x20;  // same y
            } else if (dy >= -255 && dy <= 255) {
                flag |= 0x04 | (dy > 0 ? 0x20 : 0);
                U8(ys, static_cast<unsigned>(dy > 0 ? dy : -dy));
            } else {
                I16(ys, dy);
            }
            U8(flags, flag);
            px = p.x;
            py = p.y;
        }
    return out + flags + xs + ys;
}

// Format 4: runs of consecutive codes with consecutive glyphs share a segment and its delta.
std::string EncodeCmap4(const std::map<uint32_t, uint16_t>& map) {
    struct Segment {
        uint16_t start, end;
        uint16_t delta;
    };
    std::vector<Segment> segs;
    for (const auto& [code, gid] : map) {
        const auto delta = static_cast<uint16_t>((gid - code) & 0xFFFF);
        if (!segs.empty() && segs.back().end + 1u == code && segs.back().delta == delta)
            segs.back().end = static_cast<uint16_t>(code);
        else
            segs.push_back({static_cast<uint16_t>(code), static_cast<uint16_t>(code), delta});
    }
    segs.push_back({0xFFFF, 0xFFFF, 1});
    const unsigned segCount = static_cast<unsigned>(segs.size());
    const unsigned length = 16 + 8 * segCount;
    if (length > 0xFFFF) throw std::invalid_argument("too many cmap segments for format 4");
    const unsigned searchRange = 2u << FloorLog2(segCount);
    std::string t;
    U16(t, 4);
    U16(t, length);
    U16(t, 0);  // language
    U16(t, segCount * 2);
    U16(t, searchRange);
    U16(t, static_cast<unsigned>(FloorLog2(segCount)));
    U16(t, segCount * 2 - searchRange);
    for (const auto& s : segs) U16(t, s.end);
    U16(t, 0);  // reservedPad
    for (const auto& s : segs) U16(t, s.start);
    for (const auto& s : segs) U16(t, s.delta);
    for (size_t i = 0; i < segs.size(); ++i) U16(t, 0);  // idRangeOffset
    return t;
}

// Table directory and tables of one font whose directory lies at base in the file; its tables
// follow the directory.
std::string Assemble(const std::map<uint32_t, std::string>& tables, size_t base) {
    const unsigned n = static_cast<unsigned>(tables.size());
    std::string dir;
    U32(dir, 0x00010000);
    U16(dir, n);
    const unsigned searchRange = 16u << FloorLog2(n);
    U16(dir, searchRange);
    U16(dir, static_cast<unsigned>(FloorLog2(n)));
    U16(dir, n * 16 - searchRange);
    size_t offset = base + 12 + 16 * n;
    std::string body;
    for (const auto& [tag, data] : tables) {  // std::map keeps the tags in ascending order
        std::string summed = data;
        if (tag == Tag("head")) PutU32(summed, 8, 0);  // head is summed without its adjustment
        U32(dir, tag);
        U32(dir, TableChecksum(summed));
        U32(dir, static_cast<uint32_t>(offset));
        U32(dir, static_cast<uint32_t>(data.size()));
        std::string padded = data;
        Pad4(padded);
        body += padded;
        offset += padded.size();
    }
    return dir + body;
}

// Sets head.checkSumAdjustment so that the font, standing alone, sums to 0xB1B0AFBA.
std::map<uint32_t, std::string> Adjusted(std::map<uint32_t, std::string> tables) {
    std::string& head = tables.at(Tag("head"));
    PutU32(head, 8, 0);
    PutU32(head, 8, 0xB1B0AFBAu - TableChecksum(Assemble(tables, 0)));
    return tables;
}

}  // namespace

uint32_t TableChecksum(const std::string& bytes) {
    uint32_t sum = 0;
    for (size_t i = 0; i < bytes.size(); i += 4) {
        uint32_t word = 0;
        for (size_t k = 0; k < 4; ++k)
            word = (word << 8) | (i + k < bytes.size() ? static_cast<uint8_t>(bytes[i + k]) : 0u);
        sum += word;
    }
    return sum;
}

std::u16string Utf8ToUtf16(const std::string& utf8) {
    std::u16string out;
    for (uint32_t c : Utf8ToCodePoints(utf8)) {
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

TestFontBuilder::TestFontBuilder() {
    // .notdef as fonts usually draw it, a hollow box; it also keeps glyf from being empty, which
    // sanitizers refuse.
    const int e = unitsPerEm_;
    glyphs_.push_back(GlyphData{{{{e / 16, 0}, {e / 16, e * 3 / 4}, {e / 2, e * 3 / 4}, {e / 2, 0}},
                                 {{e / 8, e / 16}, {e * 7 / 16, e / 16}, {e * 7 / 16, e * 11 / 16}, {e / 8, e * 11 / 16}}},
                                e * 9 / 16});
}

TestFontBuilder& TestFontBuilder::Family(const std::string& utf8, uint16_t languageId) {
    return Name(kNamePlatformWindows, 1, languageId, 1, utf8);
}

TestFontBuilder& TestFontBuilder::Name(uint16_t platformId, uint16_t encodingId, uint16_t languageId,
                                       uint16_t nameId, const std::string& utf8) {
    std::string bytes;
    if (platformId == kNamePlatformMac) {
        for (uint32_t c : Utf8ToCodePoints(utf8)) {
            if (c >= 0x80) throw std::invalid_argument("Mac names take ASCII here; use RawName");
            U8(bytes, c);
        }
    } else {
        bytes = Utf16BE(utf8);
    }
    return RawName(platformId, encodingId, languageId, nameId, std::move(bytes));
}

TestFontBuilder& TestFontBuilder::RawName(uint16_t platformId, uint16_t encodingId, uint16_t languageId,
                                          uint16_t nameId, std::string bytes) {
    names_.push_back(NameRecord{platformId, encodingId, languageId, nameId, std::move(bytes)});
    return *this;
}

TestFontBuilder& TestFontBuilder::CodePages(uint32_t range1, uint32_t range2) {
    codePages_[0] = range1;
    codePages_[1] = range2;
    return *this;
}

TestFontBuilder& TestFontBuilder::UnicodeRanges(uint32_t r1, uint32_t r2, uint32_t r3, uint32_t r4) {
    unicodeRanges_[0] = r1;
    unicodeRanges_[1] = r2;
    unicodeRanges_[2] = r3;
    unicodeRanges_[3] = r4;
    return *this;
}

TestFontBuilder& TestFontBuilder::UnitsPerEm(uint16_t unitsPerEm) {
    if (unitsPerEm < 16 || unitsPerEm > 16384) throw std::invalid_argument("units per em out of range");
    unitsPerEm_ = unitsPerEm;
    return *this;
}

TestFontBuilder& TestFontBuilder::Metrics(int ascent, int descent) {
    ascent_ = ascent;
    descent_ = descent;
    return *this;
}

TestFontBuilder& TestFontBuilder::AverageCharWidth(int width) {
    avgWidth_ = width;
    return *this;
}

TestFontBuilder& TestFontBuilder::Weight(uint16_t weightClass) {
    weight_ = weightClass;
    return *this;
}

TestFontBuilder& TestFontBuilder::Bold(bool bold) {
    bold_ = bold;
    if (bold && weight_ < 700) weight_ = 700;
    return *this;
}

TestFontBuilder& TestFontBuilder::Italic(bool italic) {
    italic_ = italic;
    return *this;
}

TestFontBuilder& TestFontBuilder::FixedPitch(bool fixed) {
    fixedPitch_ = fixed;
    return *this;
}

TestFontBuilder& TestFontBuilder::Notdef(const std::vector<FontContour>& contours, int advance) {
    glyphs_[0] = GlyphData{contours, advance};
    return *this;
}

uint16_t TestFontBuilder::AddGlyph(const std::vector<FontContour>& contours, int advance) {
    if (glyphs_.size() >= 0xFFFF) throw std::invalid_argument("too many glyphs");
    glyphs_.push_back(GlyphData{contours, advance});
    return static_cast<uint16_t>(glyphs_.size() - 1);
}

TestFontBuilder& TestFontBuilder::Glyph(uint32_t code, const std::vector<FontContour>& contours, int advance) {
    if (code >= 0xFFFF) throw std::invalid_argument("format 4 maps BMP codes below U+FFFF only");
    cmap_[code] = AddGlyph(contours, advance);
    return *this;
}

TestFontBuilder& TestFontBuilder::MapCodes(const std::vector<uint32_t>& codes) {
    if (squareGlyph_ == 0) {
        const int e = unitsPerEm_;
        squareGlyph_ = AddGlyph({{{e / 10, 0}, {e / 10, e * 7 / 10}, {e * 9 / 10, e * 7 / 10}, {e * 9 / 10, 0}}}, -1);
    }
    for (uint32_t code : codes) {
        if (code >= 0xFFFF) throw std::invalid_argument("format 4 maps BMP codes below U+FFFF only");
        cmap_[code] = squareGlyph_;
    }
    return *this;
}

TestFontBuilder& TestFontBuilder::MapText(const std::string& utf8) { return MapCodes(Utf8ToCodePoints(utf8)); }

std::map<uint32_t, std::string> TestFontBuilder::Tables() const {
    std::map<uint32_t, std::string> t;
    const int em = unitsPerEm_;
    const auto numGlyphs = static_cast<unsigned>(glyphs_.size());

    // glyf and loca (long offsets), glyph metrics on the way.
    std::string glyf, loca;
    Bounds fontBounds{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    int maxAdvance = 0, minLsb = INT_MAX, minRsb = INT_MAX, maxExtent = INT_MIN;
    unsigned maxPoints = 0, maxContours = 0;
    long advanceSum = 0, advanceCount = 0;
    std::string hmtx;
    for (const auto& g : glyphs_) {
        U32(loca, static_cast<uint32_t>(glyf.size()));
        std::string data = EncodeGlyph(g.contours);
        Pad4(data);
        glyf += data;
        const int advance = Advance(g);
        if (advance < 0 || advance > 0xFFFF) throw std::invalid_argument("advance width out of range");
        maxAdvance = std::max(maxAdvance, advance);
        if (advance > 0) {
            advanceSum += advance;
            ++advanceCount;
        }
        int lsb = 0;
        if (!g.contours.empty()) {
            const Bounds b = BoundsOf(g.contours);
            fontBounds.xMin = std::min(fontBounds.xMin, b.xMin);
            fontBounds.yMin = std::min(fontBounds.yMin, b.yMin);
            fontBounds.xMax = std::max(fontBounds.xMax, b.xMax);
            fontBounds.yMax = std::max(fontBounds.yMax, b.yMax);
            lsb = b.xMin;
            minLsb = std::min(minLsb, lsb);
            minRsb = std::min(minRsb, advance - b.xMax);
            maxExtent = std::max(maxExtent, b.xMax);
            unsigned points = 0;
            for (const auto& c : g.contours) points += static_cast<unsigned>(c.size());
            maxPoints = std::max(maxPoints, points);
            maxContours = std::max(maxContours, static_cast<unsigned>(g.contours.size()));
        }
        U16(hmtx, static_cast<unsigned>(advance));
        I16(hmtx, lsb);
    }
    U32(loca, static_cast<uint32_t>(glyf.size()));
    if (fontBounds.xMin == INT_MAX) fontBounds = Bounds{};
    if (minLsb == INT_MAX) minLsb = 0, minRsb = 0, maxExtent = 0;
    t[Tag("glyf")] = glyf;
    t[Tag("loca")] = loca;
    t[Tag("hmtx")] = hmtx;

    const unsigned macStyle = (bold_ ? 1u : 0u) | (italic_ ? 2u : 0u);
    std::string head;
    U16(head, 1);
    U16(head, 0);
    U32(head, 0x00010000);  // fontRevision
    U32(head, 0);           // checkSumAdjustment, set once the file is put together
    U32(head, 0x5F0F3CF5);
    U16(head, 0x000B);  // baseline at y=0, left sidebearing at x=0, integer scaling
    U16(head, unitsPerEm_);
    for (int i = 0; i < 2; ++i) {  // created, modified: 2024-01-01 in seconds since 1904
        U32(head, 0);
        U32(head, 0xE1A0F200u);
    }
    I16(head, fontBounds.xMin);
    I16(head, fontBounds.yMin);
    I16(head, fontBounds.xMax);
    I16(head, fontBounds.yMax);
    U16(head, macStyle);
    U16(head, 8);  // lowestRecPPEM
    I16(head, 2);  // fontDirectionHint
    I16(head, 1);  // indexToLocFormat: long
    I16(head, 0);
    t[Tag("head")] = head;

    std::string hhea;
    U16(hhea, 1);
    U16(hhea, 0);
    I16(hhea, ascent_);
    I16(hhea, -descent_);
    I16(hhea, 0);  // lineGap
    U16(hhea, static_cast<unsigned>(maxAdvance));
    I16(hhea, minLsb);
    I16(hhea, minRsb);
    I16(hhea, maxExtent);
    I16(hhea, 1);  // caretSlopeRise
    I16(hhea, 0);  // caretSlopeRun
    I16(hhea, 0);  // caretOffset
    for (int i = 0; i < 4; ++i) I16(hhea, 0);
    I16(hhea, 0);  // metricDataFormat
    U16(hhea, numGlyphs);
    t[Tag("hhea")] = hhea;

    std::string maxp;
    U32(maxp, 0x00010000);
    U16(maxp, numGlyphs);
    U16(maxp, maxPoints);
    U16(maxp, maxContours);
    U16(maxp, 0);  // maxCompositePoints
    U16(maxp, 0);  // maxCompositeContours
    U16(maxp, 2);  // maxZones
    for (int i = 0; i < 8; ++i) U16(maxp, 0);
    t[Tag("maxp")] = maxp;

    const int avg = avgWidth_ >= 0 ? avgWidth_ : advanceCount ? static_cast<int>(advanceSum / advanceCount) : 0;
    const unsigned firstChar = cmap_.empty() ? 0 : cmap_.begin()->first;
    const unsigned lastChar = cmap_.empty() ? 0 : cmap_.rbegin()->first;
    unsigned fsSelection = (italic_ ? 0x01u : 0u) | (bold_ ? 0x20u : 0u);
    if (!italic_ && !bold_) fsSelection |= 0x40;  // REGULAR
    std::string os2;
    U16(os2, 4);
    I16(os2, avg);
    U16(os2, weight_);
    U16(os2, 5);  // usWidthClass: medium
    U16(os2, 0);  // fsType: installable
    I16(os2, em * 65 / 100);  // subscript x size
    I16(os2, em * 60 / 100);  // subscript y size
    I16(os2, 0);
    I16(os2, em * 7 / 100);
    I16(os2, em * 65 / 100);  // superscript x size
    I16(os2, em * 60 / 100);
    I16(os2, 0);
    I16(os2, em * 35 / 100);
    I16(os2, em * 5 / 100);   // strikeout size
    I16(os2, em * 25 / 100);  // strikeout position
    I16(os2, 0);              // sFamilyClass
    for (int i = 0; i < 10; ++i) U8(os2, 0);  // panose
    for (uint32_t r : unicodeRanges_) U32(os2, r);
    U32(os2, Tag("TEST"));
    U16(os2, fsSelection);
    U16(os2, std::min(firstChar, 0xFFFFu));
    U16(os2, std::min(lastChar, 0xFFFFu));
    I16(os2, ascent_);
    I16(os2, -descent_);
    I16(os2, 0);
    U16(os2, static_cast<unsigned>(std::max(0, ascent_)));
    U16(os2, static_cast<unsigned>(std::max(0, descent_)));
    U32(os2, codePages_[0]);
    U32(os2, codePages_[1]);
    I16(os2, em / 2);        // sxHeight
    I16(os2, em * 7 / 10);   // sCapHeight
    U16(os2, 0);             // usDefaultChar
    U16(os2, 0x20);          // usBreakChar
    U16(os2, 0);             // usMaxContext
    t[Tag("OS/2")] = os2;

    std::string post;
    U32(post, 0x00030000);
    U32(post, 0);  // italicAngle
    I16(post, -em / 10);
    I16(post, em / 20);
    U32(post, fixedPitch_ ? 1 : 0);
    for (int i = 0; i < 4; ++i) U32(post, 0);
    t[Tag("post")] = post;

    std::string cmap;
    U16(cmap, 0);
    U16(cmap, 1);
    U16(cmap, kNamePlatformWindows);
    U16(cmap, 1);   // Unicode BMP
    U32(cmap, 12);  // the subtable follows the header
    cmap += EncodeCmap4(cmap_);
    t[Tag("cmap")] = cmap;

    // Names: what was given, completed with the English records every font carries.
    std::vector<NameRecord> names = names_;
    auto has = [&](uint16_t id) {
        return std::any_of(names.begin(), names.end(), [&](const NameRecord& r) {
            return r.nameId == id && r.platformId == kNamePlatformWindows && r.languageId == kLangEnglishUS;
        });
    };
    std::string family = "Test Font";
    for (const auto& r : names_)
        if (r.nameId == 1 && r.platformId == kNamePlatformWindows && r.languageId == kLangEnglishUS) {
            family.clear();
            for (size_t i = 1; i < r.bytes.size(); i += 2)
                if (r.bytes[i - 1] == '\0' && static_cast<uint8_t>(r.bytes[i]) < 0x80) family += r.bytes[i];
            break;
        }
    const std::string style = bold_ && italic_ ? "Bold Italic" : bold_ ? "Bold" : italic_ ? "Italic" : "Regular";
    std::string ps;
    for (char c : family + "-" + style)
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-') ps += c;
    if (ps.empty() || ps == "-" + style) ps = "TestFont-" + style;
    auto add = [&](uint16_t id, const std::string& text) {
        if (!has(id)) names.push_back(NameRecord{kNamePlatformWindows, 1, kLangEnglishUS, id, Utf16BE(text)});
    };
    add(1, family);
    add(2, style);
    add(3, "Test:" + ps);
    add(4, style == "Regular" ? family : family + " " + style);
    add(6, ps);
    std::stable_sort(names.begin(), names.end(), [](const NameRecord& a, const NameRecord& b) {
        return std::tie(a.platformId, a.encodingId, a.languageId, a.nameId) <
               std::tie(b.platformId, b.encodingId, b.languageId, b.nameId);
    });
    std::string nameTable, strings;
    U16(nameTable, 0);
    U16(nameTable, static_cast<unsigned>(names.size()));
    U16(nameTable, static_cast<unsigned>(6 + 12 * names.size()));
    for (const auto& r : names) {
        if (r.bytes.size() > 0xFFFF || strings.size() > 0xFFFF) throw std::invalid_argument("name table too large");
        U16(nameTable, r.platformId);
        U16(nameTable, r.encodingId);
        U16(nameTable, r.languageId);
        U16(nameTable, r.nameId);
        U16(nameTable, static_cast<unsigned>(r.bytes.size()));
        U16(nameTable, static_cast<unsigned>(strings.size()));
        strings += r.bytes;
    }
    t[Tag("name")] = nameTable + strings;
    return t;
}

std::filesystem::path InstallFont(const TempPrefix& prefix, const std::string& fileName, const std::string& bytes) {
    const std::filesystem::path folder = prefix.root() / "drive_c" / "windows" / "Fonts";
    std::filesystem::create_directories(folder);
    WriteFileBytes(folder / fileName, bytes);
    return folder / fileName;
}

std::string TestFontBuilder::Build() const { return Assemble(Adjusted(Tables()), 0); }

std::string BuildCollection(const std::vector<TestFontBuilder>& fonts) {
    std::string header;
    U32(header, Tag("ttcf"));
    U32(header, 0x00010000);
    U32(header, static_cast<uint32_t>(fonts.size()));
    const size_t headerSize = 12 + 4 * fonts.size();
    std::string body;
    for (const auto& f : fonts) {
        const size_t base = headerSize + body.size();
        U32(header, static_cast<uint32_t>(base));
        // Each face's adjustment is taken as if it stood alone.
        body += Assemble(Adjusted(f.Tables()), base);
    }
    return header + body;
}

}  // namespace testsupport
