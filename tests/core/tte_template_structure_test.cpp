// The built-in EUDC templates, read back byte by byte with a reader of the test's own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/own_resource.h"
#include "resources/tte_templates.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes LoadTemplate(UINT id) {
    eudc::EnsureTemplateResources();
    const DWORD size = eudc::LoadOwnResource(id, nullptr, 0, "TTE");
    Bytes bytes(size);
    if (size != 0 && eudc::LoadOwnResource(id, bytes.data(), 0, "TTE") != size) bytes.clear();
    return bytes;
}

struct Entry {
    std::string tag;
    uint32_t checksum, offset, length;
};

// A bounds-checked view of a TrueType file: every read outside the file throws.
class Font {
public:
    explicit Font(Bytes bytes) : bytes_(std::move(bytes)) {
        const uint16_t n = U16(4);
        for (uint16_t i = 0; i < n; ++i) {
            const size_t e = 12 + 16 * size_t{i};
            Need(e, 16);
            Entry entry{std::string(bytes_.begin() + e, bytes_.begin() + e + 4), U32(e + 4), U32(e + 8),
                        U32(e + 12)};
            Need(entry.offset, entry.length);
            directory_.push_back(entry);
        }
    }

    const Bytes& bytes() const { return bytes_; }
    const std::vector<Entry>& directory() const { return directory_; }

    const Entry& Table(const std::string& tag) const {
        for (const auto& e : directory_)
            if (e.tag == tag) return e;
        throw std::runtime_error("no table " + tag);
    }
    uint8_t U8(size_t off) const {
        Need(off, 1);
        return bytes_[off];
    }
    uint16_t U16(size_t off) const {
        Need(off, 2);
        return static_cast<uint16_t>(bytes_[off] << 8 | bytes_[off + 1]);
    }
    int16_t S16(size_t off) const { return static_cast<int16_t>(U16(off)); }
    uint32_t U32(size_t off) const { return uint32_t{U16(off)} << 16 | U16(off + 2); }
    // Reads inside one table: off is relative to the table and must lie within its length.
    uint16_t U16(const std::string& tag, size_t off) const { return U16(At(tag, off, 2)); }
    int16_t S16(const std::string& tag, size_t off) const { return S16(At(tag, off, 2)); }
    uint32_t U32(const std::string& tag, size_t off) const { return U32(At(tag, off, 4)); }
    size_t At(const std::string& tag, size_t off, size_t n) const {
        const Entry& e = Table(tag);
        if (off + n > e.length) throw std::runtime_error("read past the end of " + tag);
        return e.offset + off;
    }

private:
    void Need(size_t off, size_t n) const {
        if (off > bytes_.size() || n > bytes_.size() - off) throw std::runtime_error("read past the end of the file");
    }
    Bytes bytes_;
    std::vector<Entry> directory_;
};

uint32_t Checksum(const Bytes& b, size_t offset, size_t length) {
    uint32_t sum = 0;
    for (size_t i = 0; i < length; i += 4) {
        uint32_t word = 0;
        for (size_t k = 0; k < 4; ++k) word = word << 8 | (i + k < length ? b[offset + i + k] : 0);
        sum += word;
    }
    return sum;
}

struct Expected {
    UINT id;
    size_t size;
    uint16_t glyphs;
    uint16_t lastCode;
};
const Expected kTemplates[] = {{2038, 77600, 6402, 0xF8FF}, {2039, 75404, 6219, 0xF848}, {2040, 75404, 6219, 0xF848}};

// Glyph index of a code through the (3,1) format 4 subtable, read the way any TrueType reader does.
uint16_t MapCode(const Font& f, uint16_t code) {
    const size_t cmap = f.Table("cmap").offset;
    const uint16_t numTables = f.U16("cmap", 2);
    for (uint16_t i = 0; i < numTables; ++i) {
        if (f.U16("cmap", 4 + 8 * i) != 3 || f.U16("cmap", 6 + 8 * i) != 1) continue;
        const size_t sub = cmap + f.U32("cmap", 8 + 8 * i);
        if (f.U16(sub) != 4) continue;
        const uint16_t segX2 = f.U16(sub + 6);
        for (uint16_t s = 0; s < segX2; s += 2) {
            const uint16_t end = f.U16(sub + 14 + s);
            if (end < code) continue;
            const uint16_t start = f.U16(sub + 16 + segX2 + s);
            const uint16_t delta = f.U16(sub + 16 + 2 * segX2 + s);
            const size_t rangeAt = sub + 16 + 3 * segX2 + s;
            if (code < start) return 0;
            if (f.U16(rangeAt) == 0) return static_cast<uint16_t>(code + delta);
            const uint16_t g = f.U16(rangeAt + f.U16(rangeAt) + 2 * (code - start));
            return g == 0 ? 0 : static_cast<uint16_t>(g + delta);
        }
    }
    return 0;
}

struct GlyphPoint {
    int x, y;
    bool onCurve;
};

struct SimpleGlyph {
    std::vector<GlyphPoint> points;
    size_t length;  // bytes the glyph's data took
};

// Decodes a simple glyph's points, honouring repeat, short and same flags.
SimpleGlyph DecodeSimpleGlyph(const Font& f, size_t at) {
    const int contours = f.S16(at);
    if (contours <= 0) throw std::runtime_error("not a simple glyph with contours");
    const size_t count = f.U16(at + 10 + 2 * (contours - 1)) + size_t{1};
    size_t p = at + 10 + 2 * contours;
    p += 2 + f.U16(p);  // instructions
    std::vector<uint8_t> flags;
    while (flags.size() < count) {
        const uint8_t fl = f.U8(p++);
        flags.push_back(fl);
        if (fl & 0x08)
            for (int r = f.U8(p++); r > 0; --r) flags.push_back(fl);
    }
    std::vector<GlyphPoint> pts(count);
    for (int axis = 0; axis < 2; ++axis) {
        const uint8_t shortBit = axis == 0 ? 0x02 : 0x04, sameBit = axis == 0 ? 0x10 : 0x20;
        int v = 0;
        for (size_t i = 0; i < count; ++i) {
            if (flags[i] & shortBit) {
                const int d = f.U8(p++);
                v += (flags[i] & sameBit) ? d : -d;
            } else if (!(flags[i] & sameBit)) {
                v += f.S16(p);
                p += 2;
            }
            (axis == 0 ? pts[i].x : pts[i].y) = v;
            pts[i].onCurve = flags[i] & 0x01;
        }
    }
    return {pts, p - at};
}

const char* const kDirectoryOrder[] = {"OS/2", "cmap", "cvt ", "fpgm", "glyf", "head", "hhea", "hmtx",
                                       "loca", "maxp", "name", "post", "prep", "vhea", "vmtx"};
const char* const kBodyOrder[] = {"cvt ", "fpgm", "prep", "name", "cmap", "OS/2", "post", "hhea",
                                  "vhea", "vmtx", "head", "hmtx", "loca", "maxp", "glyf"};

}  // namespace

TEST(TteTemplate, SizesAndGlyphCounts) {
    for (const auto& t : kTemplates) {
        SCOPED_TRACE(t.id);
        const Font f(LoadTemplate(t.id));
        EXPECT_EQ(f.bytes().size(), t.size);
        EXPECT_EQ(f.U16("maxp", 4), t.glyphs);
        EXPECT_EQ(f.U16("hhea", 34), t.glyphs);  // numberOfHMetrics
        EXPECT_EQ(f.U16("vhea", 34), t.glyphs);  // numOfLongVerMetrics
        EXPECT_EQ(f.Table("hmtx").length, 4u * t.glyphs);
        EXPECT_EQ(f.Table("vmtx").length, 4u * t.glyphs);
        EXPECT_EQ(f.Table("loca").length, 4u * (t.glyphs + 1));
    }
}

TEST(TteTemplate, DirectoryInTagOrderBodyInFixedOrder) {
    for (const auto& t : kTemplates) {
        SCOPED_TRACE(t.id);
        const Font f(LoadTemplate(t.id));
        EXPECT_EQ(f.U32(0), 0x00010000u);
        EXPECT_EQ(f.U16(4), 15);
        EXPECT_EQ(f.U16(6), 128);
        EXPECT_EQ(f.U16(8), 3);
        EXPECT_EQ(f.U16(10), 112);
        ASSERT_EQ(f.directory().size(), std::size(kDirectoryOrder));
        for (size_t i = 0; i < f.directory().size(); ++i) EXPECT_EQ(f.directory()[i].tag, kDirectoryOrder[i]);

        std::vector<Entry> body = f.directory();
        std::sort(body.begin(), body.end(), [](const Entry& a, const Entry& b) { return a.offset < b.offset; });
        size_t expectedOffset = 12 + 16 * 15;
        for (size_t i = 0; i < body.size(); ++i) {
            EXPECT_EQ(body[i].tag, kBodyOrder[i]);
            EXPECT_EQ(body[i].offset, expectedOffset) << body[i].tag;
            const size_t end = body[i].offset + body[i].length;
            expectedOffset = (end + 3) & ~size_t{3};
            for (size_t p = end; p < expectedOffset && p < f.bytes().size(); ++p)
                EXPECT_EQ(f.bytes()[p], 0) << "padding after " << body[i].tag;
        }
        // glyf ends the file, so a glyph that changes size only moves the end of the file.
        EXPECT_EQ(body.back().tag, "glyf");
        EXPECT_EQ(body.back().offset + body.back().length, f.bytes().size());
    }
}

TEST(TteTemplate, ChecksumsMatchContents) {
    for (const auto& t : kTemplates) {
        SCOPED_TRACE(t.id);
        const Font f(LoadTemplate(t.id));
        Bytes zeroed = f.bytes();
        const size_t adjustAt = f.At("head", 8, 4);
        std::fill(zeroed.begin() + adjustAt, zeroed.begin() + adjustAt + 4, 0);
        for (const auto& e : f.directory())
            EXPECT_EQ(e.checksum, Checksum(zeroed, e.offset, e.length)) << e.tag;
        EXPECT_EQ(Checksum(f.bytes(), 0, f.bytes().size()), 0xB1B0AFBAu);
        EXPECT_EQ(f.U32("head", 8), 0xB1B0AFBAu - Checksum(zeroed, 0, zeroed.size()));
    }
}

TEST(TteTemplate, HeaderTablesCarryTheFontMetrics) {
    for (const auto& t : kTemplates) {
        SCOPED_TRACE(t.id);
        const Font f(LoadTemplate(t.id));
        EXPECT_EQ(f.Table("head").length, 54u);
        EXPECT_EQ(f.U32("head", 12), 0x5F0F3CF5u);
        EXPECT_EQ(f.U16("head", 18), 1024);  // unitsPerEm
        EXPECT_EQ(f.S16("head", 50), 1);     // indexToLocFormat: long offsets
        EXPECT_EQ(f.S16("head", 52), 0);     // glyphDataFormat
        for (const char* tag : {"hhea", "vhea"}) {
            SCOPED_TRACE(tag);
            EXPECT_EQ(f.Table(tag).length, 36u);
            EXPECT_EQ(f.S16(tag, 4), 820);
            EXPECT_EQ(f.S16(tag, 6), -204);
            EXPECT_EQ(f.S16(tag, 8), 204);
            EXPECT_EQ(f.U16(tag, 10), 1024);
            EXPECT_EQ(f.S16(tag, 32), 0);  // metricDataFormat
        }
        EXPECT_EQ(f.Table("OS/2").length, 86u);
        EXPECT_EQ(f.U16("OS/2", 0), 1);
        EXPECT_EQ(f.U16("OS/2", 74), 820);  // usWinAscent
        EXPECT_EQ(f.U16("OS/2", 76), 204);  // usWinDescent
        EXPECT_EQ(f.U16("OS/2", 66), t.lastCode);  // usLastCharIndex
        EXPECT_EQ(f.Table("maxp").length, 32u);
        EXPECT_EQ(f.U32("maxp", 0), 0x00010000u);
        EXPECT_GE(f.U16("maxp", 6), 4);  // maxPoints covers glyph 0's box
        EXPECT_GE(f.U16("maxp", 8), 1);  // maxContours
        EXPECT_EQ(f.Table("post").length, 32u);
        EXPECT_EQ(f.U32("post", 0), 0x00030000u);
    }
}

TEST(TteTemplate, NameRecordsAreTraditionalChineseEudcRegular) {
    for (const auto& t : kTemplates) {
        SCOPED_TRACE(t.id);
        const Font f(LoadTemplate(t.id));
        const uint16_t count = f.U16("name", 2);
        const uint16_t storage = f.U16("name", 4);
        ASSERT_GT(count, 0);
        std::map<uint16_t, std::string> names;
        for (uint16_t i = 0; i < count; ++i) {
            const size_t r = 6 + 12 * size_t{i};
            EXPECT_EQ(f.U16("name", r), 3);
            EXPECT_EQ(f.U16("name", r + 2), 1);
            EXPECT_EQ(f.U16("name", r + 4), 0x0404);
            const uint16_t length = f.U16("name", r + 8);
            ASSERT_EQ(length % 2, 0);
            std::string text;
            for (uint16_t k = 0; k < length; k += 2) {
                const uint16_t unit = f.U16("name", storage + f.U16("name", r + 10) + size_t{k});
                text += unit < 0x80 ? static_cast<char>(unit) : '?';
            }
            names[f.U16("name", r + 6)] = text;
        }
        EXPECT_EQ(names[1], "EUDC");
        EXPECT_EQ(names[2], "Regular");
    }
}

TEST(TteTemplate, CmapMapsThePrivateUseAreaFromGlyphTwo) {
    for (const auto& t : kTemplates) {
        SCOPED_TRACE(t.id);
        const Font f(LoadTemplate(t.id));
        // One format 4 subtable with two segments: the area, then the closing 0xFFFF segment.
        const size_t sub = f.Table("cmap").offset + f.U32("cmap", 8);
        ASSERT_EQ(f.U16(sub), 4);
        ASSERT_EQ(f.U16(sub + 6), 4);
        EXPECT_EQ(f.U16(sub + 14), t.lastCode);
        EXPECT_EQ(f.U16(sub + 16), 0xFFFF);
        EXPECT_EQ(f.U16(sub + 20), 0xE000);
        EXPECT_EQ(f.U16(sub + 22), 0xFFFF);
        EXPECT_EQ(f.U16(sub + 24), 8194);
        EXPECT_EQ(f.U16(sub + 28), 0);
        EXPECT_EQ(f.U16(sub + 30), 0);

        EXPECT_EQ(MapCode(f, 0xE000), 2);
        EXPECT_EQ(MapCode(f, t.lastCode), t.glyphs - 1);
        EXPECT_EQ(MapCode(f, 0xDFFF), 0);
        EXPECT_EQ(MapCode(f, 0xFFFF), 0);
        if (t.lastCode < 0xF8FF) {
            EXPECT_EQ(MapCode(f, t.lastCode + 1), 0);
        }
        for (uint32_t c = 0xE000; c <= t.lastCode; ++c)
            if (MapCode(f, static_cast<uint16_t>(c)) != c + 8194 - 0x10000) ADD_FAILURE() << std::hex << c;
    }
}

TEST(TteTemplate, OnlyGlyphZeroHasAnOutline) {
    for (const auto& t : kTemplates) {
        SCOPED_TRACE(t.id);
        const Font f(LoadTemplate(t.id));
        EXPECT_EQ(f.Table("glyf").length, 28u);
        EXPECT_EQ(f.U32("loca", 0), 0u);
        for (uint32_t g = 1; g <= t.glyphs; ++g)
            if (f.U32("loca", 4 * g) != 28u) ADD_FAILURE() << "loca " << g;

        const size_t at = f.Table("glyf").offset;
        EXPECT_EQ(f.S16(at), 1);  // one contour
        const int xMin = f.S16(at + 2), yMin = f.S16(at + 4), xMax = f.S16(at + 6), yMax = f.S16(at + 8);
        EXPECT_LT(xMin, xMax);
        EXPECT_LT(yMin, yMax);
        const SimpleGlyph glyph = DecodeSimpleGlyph(f, at);
        EXPECT_EQ(glyph.length, 28u);
        const auto& pts = glyph.points;
        ASSERT_EQ(pts.size(), 4u);
        // A box: every point on-curve and a corner of the bounding box, each corner once.
        std::vector<std::pair<int, int>> corners;
        for (const auto& p : pts) {
            EXPECT_TRUE(p.onCurve);
            EXPECT_TRUE(p.x == xMin || p.x == xMax) << p.x;
            EXPECT_TRUE(p.y == yMin || p.y == yMax) << p.y;
            corners.emplace_back(p.x, p.y);
        }
        std::sort(corners.begin(), corners.end());
        EXPECT_TRUE(std::adjacent_find(corners.begin(), corners.end()) == corners.end());
        // Clockwise, as outer contours run: the signed area is negative.
        long twiceArea = 0;
        for (size_t i = 0; i < pts.size(); ++i) {
            const auto& a = pts[i];
            const auto& b = pts[(i + 1) % pts.size()];
            twiceArea += long{a.x} * b.y - long{b.x} * a.y;
        }
        EXPECT_LT(twiceArea, 0);
        // The font's bounding box is glyph 0's.
        EXPECT_EQ(f.S16("head", 36), xMin);
        EXPECT_EQ(f.S16("head", 38), yMin);
        EXPECT_EQ(f.S16("head", 40), xMax);
        EXPECT_EQ(f.S16("head", 42), yMax);
    }
}

TEST(TteTemplate, EveryGlyphCarriesTheResetMetrics) {
    for (const auto& t : kTemplates) {
        SCOPED_TRACE(t.id);
        const Font f(LoadTemplate(t.id));
        for (uint32_t g = 0; g < t.glyphs; ++g) {
            if (f.U16("hmtx", 4 * g) != 1024 || f.S16("hmtx", 4 * g + 2) != 357) ADD_FAILURE() << "hmtx " << g;
            if (f.U16("vmtx", 4 * g) != 1024 || f.S16("vmtx", 4 * g + 2) != 359) ADD_FAILURE() << "vmtx " << g;
        }
    }
}

TEST(TteTemplate, Win98VariantDiffersOnlyInClassification) {
    const Font base(LoadTemplate(2039));
    const Font win98(LoadTemplate(2040));
    ASSERT_EQ(base.bytes().size(), win98.bytes().size());

    std::vector<std::pair<size_t, size_t>> allowed;  // [begin, end) in the file
    auto allow = [&](const std::string& tag, size_t off, size_t n) {
        const size_t begin = base.At(tag, off, n);
        allowed.emplace_back(begin, begin + n);
    };
    allow("OS/2", 30, 2);   // sFamilyClass
    allow("OS/2", 32, 10);  // PANOSE
    allow("OS/2", 42, 16);  // ulUnicodeRange1-4
    allow("OS/2", 64, 2);   // usFirstCharIndex
    allow("OS/2", 78, 8);   // ulCodePageRange1-2
    allow("head", 8, 4);    // checkSumAdjustment
    for (size_t i = 0; i < base.directory().size(); ++i)
        if (base.directory()[i].tag == "OS/2" || base.directory()[i].tag == "maxp")
            allowed.emplace_back(12 + 16 * i + 4, 12 + 16 * i + 8);  // their checksums
    // Exactly one maxp field may differ.
    std::vector<size_t> maxpFieldsChanged;
    for (size_t off = 4; off < 32; off += 2)
        if (base.U16("maxp", off) != win98.U16("maxp", off)) maxpFieldsChanged.push_back(off);
    EXPECT_LE(maxpFieldsChanged.size(), 1u);
    for (size_t off : maxpFieldsChanged) allow("maxp", off, 2);

    size_t differing = 0;
    for (size_t i = 0; i < base.bytes().size(); ++i) {
        if (base.bytes()[i] == win98.bytes()[i]) continue;
        ++differing;
        const bool ok = std::any_of(allowed.begin(), allowed.end(),
                                    [i](const auto& r) { return i >= r.first && i < r.second; });
        if (!ok) ADD_FAILURE() << "byte " << i << " differs outside the classification fields";
    }
    // The Windows 98/Me template must really classify itself differently.
    EXPECT_NE(base.U16("OS/2", 30), win98.U16("OS/2", 30));
    EXPECT_NE(base.U16("OS/2", 64), win98.U16("OS/2", 64));
    EXPECT_EQ(maxpFieldsChanged.size(), 1u);
    EXPECT_GT(differing, 0u);
}
