// Damaged and hostile fonts: every one is refused by Attach (or, where the damage lies inside a
// glyph, by ReadGlyph) without any read outside a table or the file. The suite also runs under
// AddressSanitizer, which turns any such read into a failure.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "common/process_version.h"
#include "eudccore/tte_install.h"
#include "foundation/mem_file.h"
#include "support/temp_prefix.h"
#include "support/test_font_builder.h"
#include "support/tt_test_fonts.h"
#include "truetype/tt_font_file.h"
#include "truetype/tt_glyph.h"

namespace {

using testsupport::Entry;
using testsupport::Get16;
using testsupport::Get32;
using testsupport::Put16;
using testsupport::Put32;

class TemplateEnvironment {
public:
    TemplateEnvironment() {
        prefix_->SetWindowsVersion("winxp");
        eudc::RefreshWindowsVersionCode();
    }
    ~TemplateEnvironment() {
        prefix_.reset();
        eudc::RefreshWindowsVersionCode();
    }
    std::string Template() const {
        std::string bytes(static_cast<size_t>(GetNewTteData(nullptr)), '\0');
        EXPECT_EQ(GetNewTteData(reinterpret_cast<unsigned char*>(bytes.data())), static_cast<int>(bytes.size()));
        return bytes;
    }

private:
    std::unique_ptr<testsupport::TempPrefix> prefix_ = std::make_unique<testsupport::TempPrefix>();
};

// Attaches a font to a copy of bytes; a refused font must leave the editor closed and inert.
bool Attaches(const std::string& bytes) {
    HMemFile file;
    file.Attach(bytes.data(), static_cast<uint32_t>(bytes.size()), nullptr);
    TTFontFile font;
    if (font.Attach(&file)) return true;
    EXPECT_FALSE(font.IsOpen());
    EXPECT_EQ(font.NumGlyphs(), 0);
    EXPECT_EQ(font.CodeToGlyphIndex(0xE000), 0);
    TTGlyph g;
    EXPECT_FALSE(font.ReadGlyph(0, g));
    EXPECT_FALSE(font.WriteGlyph(0, g));
    EXPECT_EQ(font.ListMappedCodes(nullptr, 0), 0);
    EXPECT_TRUE(font.Close());
    return false;
}

// Where the (3,1) subtable of the given format starts in the file.
size_t SubtableAt(const std::string& font, uint16_t format) {
    const auto cmap = Entry(font, "cmap");
    const unsigned records = Get16(font, cmap.offset + 2);
    for (unsigned i = 0; i < records; ++i) {
        const size_t r = cmap.offset + 4 + 8 * i;
        if (Get16(font, r) != 3 || Get16(font, r + 2) != 1) continue;
        const size_t at = cmap.offset + Get32(font, r + 4);
        if (Get16(font, at) == format) return at;
    }
    throw std::out_of_range("no such subtable");
}

struct Damage {
    std::string what;
    std::function<void(std::string&)> apply;
};

void ExpectAllRefused(const std::string& good, const std::vector<Damage>& damages) {
    ASSERT_TRUE(Attaches(good));
    for (const auto& d : damages) {
        std::string bad = good;
        d.apply(bad);
        ASSERT_NE(bad, good) << d.what << ": the damage changed nothing";
        EXPECT_FALSE(Attaches(bad)) << d.what;
    }
}

void SetOffset(std::string& font, const std::string& tag, uint32_t offset) { Put32(font, Entry(font, tag).entryAt + 8, offset); }
void SetLength(std::string& font, const std::string& tag, uint32_t length) { Put32(font, Entry(font, tag).entryAt + 12, length); }
void Rename(std::string& font, const std::string& tag, const std::string& to) {
    const size_t at = Entry(font, tag).entryAt;
    for (int i = 0; i < 4; ++i) font[at + i] = to[i];
}

const std::vector<std::string> kTemplateTags = {"OS/2", "cmap", "cvt ", "fpgm", "glyf", "head", "hhea", "hmtx",
                                                 "loca", "maxp", "name", "post", "prep", "vhea", "vmtx"};

}  // namespace

TEST(TTDamagedFont, TruncatedTemplatesAreRefusedAtEveryLength) {
    TemplateEnvironment env;
    const std::string good = env.Template();
    // glyf ends the file, so every cut reaches into a table.
    const auto glyf = Entry(good, "glyf");
    ASSERT_EQ(glyf.offset + glyf.length, good.size());
    std::set<size_t> cuts = {0, 1, 4, 11, 12, 13, 27, 28, 12 + 16 * 15 - 1, 12 + 16 * 15, good.size() - 1};
    for (const auto& e : testsupport::Directory(good)) {
        cuts.insert(e.offset);
        cuts.insert(e.offset + 1);
        cuts.insert(e.offset + e.length - 1);
    }
    for (size_t n = 0; n < good.size(); n += 61) cuts.insert(n);
    for (size_t n : cuts) {
        ASSERT_LT(n, good.size());
        EXPECT_FALSE(Attaches(good.substr(0, n))) << "cut at " << n;
    }
}

TEST(TTDamagedFont, DirectoriesReachingOutsideTheFileAreRefused) {
    TemplateEnvironment env;
    const std::string good = env.Template();
    const auto size = static_cast<uint32_t>(good.size());
    std::vector<Damage> damages = {
        {"version OTTO", [](std::string& f) { Put32(f, 0, 0x4F54544F); }},
        {"collection header", [](std::string& f) { Put32(f, 0, 0x74746366); }},
        {"no tables", [](std::string& f) { Put16(f, 4, 0); }},
        {"65535 tables", [](std::string& f) { Put16(f, 4, 0xFFFF); }},
        {"one table too many", [](std::string& f) { Put16(f, 4, 16); }},
    };
    for (const auto& tag : kTemplateTags) {
        const auto e = Entry(good, tag);
        damages.push_back({tag + " one byte past the end", [tag, e, size](std::string& f) {
                               SetOffset(f, tag, size - e.length + 1);
                           }});
        damages.push_back({tag + " as long as the file", [tag, size](std::string& f) { SetLength(f, tag, size); }});
        damages.push_back({tag + " offset wrapping 32 bits", [tag](std::string& f) {
                               SetOffset(f, tag, 0xFFFFFFF0u);
                               SetLength(f, tag, 0x20);
                           }});
        damages.push_back({tag + " over the directory", [tag](std::string& f) { SetOffset(f, tag, 0); }});
    }
    ExpectAllRefused(good, damages);
}

TEST(TTDamagedFont, OverlappingDuplicateAndMissingTablesAreRefused) {
    TemplateEnvironment env;
    const std::string good = env.Template();
    std::vector<Damage> damages = {
        {"name on top of cmap", [&](std::string& f) { SetOffset(f, "name", Entry(good, "cmap").offset); }},
        {"hmtx reaching into loca", [&](std::string& f) { SetLength(f, "hmtx", Entry(good, "hmtx").length + 4); }},
        {"loca starting inside hmtx", [&](std::string& f) { SetOffset(f, "loca", Entry(good, "loca").offset - 8); }},
        {"two post tables", [](std::string& f) { Rename(f, "name", "post"); }},
        {"empty table inside glyf", [&](std::string& f) {
             SetOffset(f, "prep", Entry(good, "glyf").offset + 4);
             SetLength(f, "prep", 0);
         }},
    };
    // An empty glyf (loca all zeros) still takes the first glyph written at its offset.
    const auto emptyGlyfAt = [&](uint32_t offset) {
        return [&good, offset](std::string& f) {
            const auto loca = Entry(good, "loca");
            std::fill(f.begin() + loca.offset, f.begin() + loca.offset + loca.length, '\0');
            SetOffset(f, "glyf", offset);
            SetLength(f, "glyf", 0);
        };
    };
    damages.push_back({"empty glyf inside cmap", emptyGlyfAt(Entry(good, "cmap").offset + 4)});
    damages.push_back({"empty glyf at the start of name", emptyGlyfAt(Entry(good, "name").offset)});
    damages.push_back({"empty glyf inside the directory", emptyGlyfAt(20)});
    for (const std::string tag : {"OS/2", "cmap", "glyf", "head", "hhea", "hmtx", "loca", "maxp"})
        damages.push_back({"without " + tag, [tag](std::string& f) { Rename(f, tag, "zzzz"); }});
    damages.push_back({"vmtx without vhea", [](std::string& f) { Rename(f, "vhea", "zzzz"); }});
    ExpectAllRefused(good, damages);
}

TEST(TTDamagedFont, HeaderTablesTooShortOrOutOfRangeAreRefused) {
    TemplateEnvironment env;
    const std::string good = env.Template();
    const auto head = Entry(good, "head");
    std::vector<Damage> damages = {
        {"OS/2 without usWinDescent", [](std::string& f) { SetLength(f, "OS/2", 77); }},
        {"head without glyphDataFormat", [](std::string& f) { SetLength(f, "head", 53); }},
        {"hhea without numberOfHMetrics", [](std::string& f) { SetLength(f, "hhea", 35); }},
        {"vhea without numOfLongVerMetrics", [](std::string& f) { SetLength(f, "vhea", 35); }},
        {"maxp version 0.5", [](std::string& f) { SetLength(f, "maxp", 6); }},
        {"cmap of 3 bytes", [](std::string& f) { SetLength(f, "cmap", 3); }},
        {"unitsPerEm 0", [head](std::string& f) { Put16(f, head.offset + 18, 0); }},
        {"unitsPerEm 20000", [head](std::string& f) { Put16(f, head.offset + 18, 20000); }},
        {"indexToLocFormat 2", [head](std::string& f) { Put16(f, head.offset + 50, 2); }},
    };
    ExpectAllRefused(good, damages);
}

TEST(TTDamagedFont, CountsThatDisagreeWithTheirTablesAreRefused) {
    TemplateEnvironment env;
    const std::string good = env.Template();
    const auto maxp = Entry(good, "maxp");
    const auto hhea = Entry(good, "hhea");
    const auto vhea = Entry(good, "vhea");
    const auto loca = Entry(good, "loca");
    const unsigned glyphs = Get16(good, maxp.offset + 4);
    std::vector<Damage> damages = {
        {"numGlyphs 0", [maxp](std::string& f) { Put16(f, maxp.offset + 4, 0); }},
        {"numGlyphs one more", [maxp, glyphs](std::string& f) { Put16(f, maxp.offset + 4, glyphs + 1); }},
        {"numGlyphs 65535", [maxp](std::string& f) { Put16(f, maxp.offset + 4, 0xFFFF); }},
        {"numberOfHMetrics 0", [hhea](std::string& f) { Put16(f, hhea.offset + 34, 0); }},
        {"numberOfHMetrics above numGlyphs", [hhea, glyphs](std::string& f) { Put16(f, hhea.offset + 34, glyphs + 1); }},
        {"numOfLongVerMetrics 0", [vhea](std::string& f) { Put16(f, vhea.offset + 34, 0); }},
        {"numOfLongVerMetrics above numGlyphs", [vhea, glyphs](std::string& f) { Put16(f, vhea.offset + 34, glyphs + 1); }},
        {"hmtx two bytes short", [&](std::string& f) { SetLength(f, "hmtx", Entry(good, "hmtx").length - 2); }},
        {"vmtx two bytes short", [&](std::string& f) { SetLength(f, "vmtx", Entry(good, "vmtx").length - 2); }},
        {"loca one entry short", [loca](std::string& f) { SetLength(f, "loca", loca.length - 4); }},
        {"loca running backwards", [loca](std::string& f) { Put32(f, loca.offset + 4 * 100, 32); }},
        {"loca starting past its second entry", [loca](std::string& f) { Put32(f, loca.offset, 30); }},
        {"loca past the end of glyf", [loca, glyphs](std::string& f) { Put32(f, loca.offset + 4 * glyphs, 32); }},
        {"loca near 4 GB", [loca, glyphs](std::string& f) { Put32(f, loca.offset + 4 * glyphs, 0xFFFFFFFCu); }},
    };
    ExpectAllRefused(good, damages);
}

TEST(TTDamagedFont, Format4SubtablesReachingOutsideCmapAreRefused) {
    TemplateEnvironment env;
    const std::string good = env.Template();
    const auto cmap = Entry(good, "cmap");
    const size_t sub = SubtableAt(good, 4);
    const unsigned segX2 = Get16(good, sub + 6);
    ASSERT_EQ(segX2, 4u);  // U+E000..U+F8FF and the closing segment
    const size_t ends = sub + 14, starts = ends + segX2 + 2, ranges = starts + 2 * segX2;
    std::vector<Damage> damages = {
        {"encoding records past cmap", [cmap](std::string& f) { Put16(f, cmap.offset + 2, 0x4000); }},
        {"subtable offset past cmap", [cmap](std::string& f) {
             for (unsigned i = 0; i < Get16(f, cmap.offset + 2); ++i) Put32(f, cmap.offset + 4 + 8 * i + 4, cmap.length - 1);
         }},
        {"no (3,1) subtable", [cmap](std::string& f) {
             for (unsigned i = 0; i < Get16(f, cmap.offset + 2); ++i) Put16(f, cmap.offset + 4 + 8 * i, 2);
         }},
        {"segCountX2 0xFFFE", [sub](std::string& f) { Put16(f, sub + 6, 0xFFFE); }},
        {"segCountX2 odd", [sub](std::string& f) { Put16(f, sub + 6, 3); }},
        {"segCountX2 0", [sub](std::string& f) { Put16(f, sub + 6, 0); }},
        {"cmap cut inside the segment arrays", [sub, cmap](std::string& f) {
             SetLength(f, "cmap", static_cast<uint32_t>(sub - cmap.offset + 20));
         }},
        {"start above end", [starts](std::string& f) { Put16(f, starts, 0xF900); }},
        {"segments out of order", [ends, starts](std::string& f) {
             Put16(f, ends, 0xFFFF);
             Put16(f, starts, 0xFFFF);
             Put16(f, ends + 2, 0xF8FF);
             Put16(f, starts + 2, 0xE000);
         }},
        {"idRangeOffset past cmap", [ranges](std::string& f) { Put16(f, ranges, 2); }},
        {"idRangeOffset far past cmap", [ranges](std::string& f) { Put16(f, ranges, 0xFFFE); }},
    };
    ExpectAllRefused(good, damages);
}

TEST(TTDamagedFont, AHostileRangeOffsetOnTheClosingSegmentIsNeverFollowedOutOfCmap) {
    TemplateEnvironment env;
    std::string font = env.Template();
    const size_t sub = SubtableAt(font, 4);
    const unsigned segX2 = Get16(font, sub + 6);
    const size_t ranges = sub + 14 + segX2 + 2 + 2 * segX2;
    Put16(font, ranges + 2, 0xFFFE);  // the 0xFFFF segment
    HMemFile file;
    file.Attach(font.data(), static_cast<uint32_t>(font.size()), nullptr);
    TTFontFile f;
    ASSERT_TRUE(f.Attach(&file));
    EXPECT_EQ(f.CodeToGlyphIndex(0xFFFF), 0);
    EXPECT_EQ(f.CodeToGlyphIndex(0xE000), 2);
    EXPECT_EQ(f.ListMappedCodes(nullptr, 0), 6400);
}

TEST(TTDamagedFont, Format2SubtablesReachingOutsideCmapAreRefused) {
    TemplateEnvironment env;
    testsupport::TestFontBuilder builder;
    builder.Glyph('A', {{{0, 0}, {0, 100}, {100, 100}}}).Glyph('B', {{{0, 0}, {0, 200}, {200, 200}}});
    auto tables = testsupport::TablesOf(builder);
    testsupport::UseFormat2Cmap(tables, {{0xFA40, 1}, {0xFA41, 2}, {0xFB40, 1}});
    const std::string good = testsupport::AssembleFont(tables);
    const auto cmap = Entry(good, "cmap");
    const size_t sub = SubtableAt(good, 2);
    const size_t keys = sub + 6;
    const size_t firstSubHeader = sub + 518 + Get16(good, keys + 2 * 0xFA);
    std::vector<Damage> damages = {
        {"key not a multiple of 8", [keys](std::string& f) { Put16(f, keys + 2 * 0xFA, 12); }},
        {"key past cmap", [keys](std::string& f) { Put16(f, keys + 2 * 0x90, 0xFFF8); }},
        {"entries past byte 255", [firstSubHeader](std::string& f) { Put16(f, firstSubHeader + 2, 0x00C1); }},
        {"idRangeOffset past cmap", [firstSubHeader](std::string& f) { Put16(f, firstSubHeader + 6, 0xF000); }},
        {"keys cut off", [sub, cmap](std::string& f) { SetLength(f, "cmap", static_cast<uint32_t>(sub - cmap.offset + 100)); }},
    };
    ExpectAllRefused(good, damages);
}

TEST(TTDamagedFont, DamagedGlyphDataIsRefusedByReadGlyph) {
    TemplateEnvironment env;
    const std::string good = env.Template();
    const auto glyf = Entry(good, "glyf");
    ASSERT_EQ(glyf.length, 28u);
    const std::vector<Damage> damages = {
        // Nine contours in a 28-byte glyph: fewer than length - 10, but the end points do not fit.
        {"end points past the data", [glyf](std::string& f) { Put16(f, glyf.offset, 9); }},
        {"instructions past the data", [glyf](std::string& f) { Put16(f, glyf.offset + 12, 0x2000); }},
        {"end point beyond the coordinates", [glyf](std::string& f) { Put16(f, glyf.offset + 10, 200); }},
        {"composite", [glyf](std::string& f) { Put16(f, glyf.offset, 0xFFFF); }},
    };
    for (const auto& d : damages) {
        std::string bad = good;
        d.apply(bad);
        HMemFile file;
        file.Attach(bad.data(), static_cast<uint32_t>(bad.size()), nullptr);
        TTFontFile font;
        ASSERT_TRUE(font.Attach(&file)) << d.what;
        TTGlyph g;
        EXPECT_FALSE(font.ReadGlyph(0, g)) << d.what;
        EXPECT_TRUE(g.IsEmpty()) << d.what;
        EXPECT_TRUE(font.ReadGlyph(2, g)) << d.what;  // the other glyphs stay readable
    }
}

// Random damage where it matters most: every font either is refused, or answers consistently,
// accepts an edit and is accepted again afterwards.
TEST(TTDamagedFont, RandomDamageIsRefusedOrHandledConsistently) {
    TemplateEnvironment env;
    const std::string good = env.Template();
    std::vector<std::pair<uint32_t, uint32_t>> regions = {{0, 12 + 16 * 15}};
    for (const std::string tag : {"cmap", "head", "hhea", "vhea", "maxp", "OS/2", "glyf"})
        regions.emplace_back(Entry(good, tag).offset, Entry(good, tag).length);
    const auto loca = Entry(good, "loca");
    regions.emplace_back(loca.offset, 64);
    regions.emplace_back(loca.offset + loca.length - 64, 64);
    std::mt19937 random(20240229);
    const std::string data = testsupport::EncodeSimpleGlyph({{{0, 0}, {0, 300}, {300, 300}, {300, 0}}});
    TTGlyph glyph;
    ASSERT_TRUE(glyph.SetData(reinterpret_cast<const uint8_t*>(data.data()), static_cast<uint32_t>(data.size())));
    int refused = 0, accepted = 0;
    for (int round = 0; round < 300; ++round) {
        std::string font = good;
        const int changes = 1 + static_cast<int>(random() % 4);
        for (int k = 0; k < changes; ++k) {
            const auto& [at, length] = regions[random() % regions.size()];
            font[at + random() % length] = static_cast<char>(random() & 0xFF);
        }
        HMemFile file;
        file.Attach(font.data(), static_cast<uint32_t>(font.size()), nullptr);
        TTFontFile f;
        if (!f.Attach(&file)) {
            ++refused;
            continue;
        }
        ++accepted;
        int mapped = 0;
        for (uint32_t c = 0; c <= 0xFFFF; ++c)
            if (f.CodeToGlyphIndex(static_cast<uint16_t>(c)) != 0) ++mapped;
        ASSERT_EQ(f.ListMappedCodes(nullptr, 0), mapped) << "round " << round;
        TTGlyph read;
        // Checking a glyph in place answers as reading it does.
        for (uint32_t c = 0xE000; c <= 0xF8FF; c += 7) {
            bool empty = false;
            const bool checked = f.CheckGlyph(static_cast<uint16_t>(c), &empty);
            const TTFontFile::Error why = f.LastError();
            ASSERT_EQ(f.GetGlyph(static_cast<uint16_t>(c), read), checked) << "round " << round << ", code " << c;
            if (checked)
                ASSERT_EQ(read.IsEmpty(), empty) << "round " << round;
            else
                ASSERT_EQ(f.LastError(), why) << "round " << round;
        }
        uint16_t code = 0;
        for (uint32_t c = 0; c <= 0xFFFF && code == 0; ++c) {
            const uint16_t index = f.CodeToGlyphIndex(static_cast<uint16_t>(c));
            if (index != 0 && index < f.NumGlyphs()) code = static_cast<uint16_t>(c);
        }
        const bool put = code != 0 && f.PutGlyph(code, glyph);
        f.Close();
        const std::string edited(reinterpret_cast<const char*>(file.GetData()), file.GetLength());
        HMemFile again;
        again.Attach(edited.data(), static_cast<uint32_t>(edited.size()), nullptr);
        TTFontFile g;
        ASSERT_TRUE(g.Attach(&again)) << "round " << round;
        if (put) {
            ASSERT_TRUE(g.GetGlyph(code, read)) << "round " << round;
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(read.Data()), read.Length()), data);
        }
    }
    EXPECT_GT(refused, 0);
    EXPECT_GT(accepted, 0);
}
