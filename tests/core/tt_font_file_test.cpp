// TTFontFile on the built-in templates and on foreign fonts: code mapping, glyph reads and
// in-place writes, the write-back at Close, and acceptance of every written font by ots-sanitize
// and FreeType.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "common/process_version.h"
#include "eudccore/tte_install.h"
#include "foundation/mem_file.h"
#include "foundation/os_file.h"
#include "support/temp_prefix.h"
#include "support/test_font_builder.h"
#include "support/tt_test_fonts.h"
#include "template_environment.h"
#include "truetype/tt_font_file.h"
#include "truetype/tt_glyph.h"

namespace {

using testsupport::FontContour;
using testsupport::Get16;
using testsupport::Get32;

using testsupport::ExpectSoundFont;
using testsupport::TemplateEnvironment;

// A font held in a memory file with the editor on it.
struct MemFont {
    HMemFile file;
    TTFontFile font;
    bool Open(const std::string& bytes) {
        file.Attach(bytes.data(), static_cast<uint32_t>(bytes.size()), nullptr);
        return font.Attach(&file);
    }
    std::string Bytes() const {
        return std::string(reinterpret_cast<const char*>(file.GetData()), file.GetLength());
    }
    // Closes the editor (writing back), checks the written font and returns the file's bytes.
    std::string CloseAndTake() {
        const bool edited = font.IsDirty();
        EXPECT_TRUE(font.Close());
        if (edited) ExpectSoundFont(Bytes());
        return Bytes();
    }
};

FontContour Box(int x0, int y0, int x1, int y1) { return {{x0, y0}, {x0, y1}, {x1, y1}, {x1, y0}}; }

// A polygon of n points on a rough circle around (cx, cy), every other point off-curve.
FontContour Ring(int n, int cx, int cy, int r) {
    FontContour c;
    for (int i = 0; i < n; ++i) {
        const int dx = (i % 4 == 0) ? r : (i % 4 == 2) ? -r : 0;
        const int dy = (i % 4 == 1) ? r : (i % 4 == 3) ? -r : 0;
        c.push_back({cx + dx + i, cy + dy, i % 2 == 0});
    }
    return c;
}

TTGlyph MakeGlyph(const std::vector<FontContour>& contours, uint16_t aw = 1000, uint16_t ah = 1024, int16_t lsb = 50,
                  int16_t tsb = 100) {
    const std::string data = testsupport::EncodeSimpleGlyph(contours);
    TTGlyph g;
    EXPECT_TRUE(g.SetData(reinterpret_cast<const uint8_t*>(data.data()), static_cast<uint32_t>(data.size())));
    g.SetMetrics(aw, ah, lsb, tsb);
    return g;
}

std::string DataOf(const TTGlyph& g) { return std::string(reinterpret_cast<const char*>(g.Data()), g.Length()); }

void ExpectSameGlyph(const TTGlyph& actual, const TTGlyph& expected) {
    EXPECT_EQ(DataOf(actual), DataOf(expected));
    EXPECT_EQ(actual.AdvanceWidth(), expected.AdvanceWidth());
    EXPECT_EQ(actual.AdvanceHeight(), expected.AdvanceHeight());
    EXPECT_EQ(actual.LeftSideBearing(), expected.LeftSideBearing());
    EXPECT_EQ(actual.TopSideBearing(), expected.TopSideBearing());
}

// FreeType must load the glyph with exactly these contours and advance.
void ExpectFreeTypeGlyph(const std::string& font, unsigned index, const std::vector<FontContour>& contours,
                         long advance) {
    const testsupport::FreeTypeGlyph ft = testsupport::FreeTypeLoad(font, index);
    ASSERT_TRUE(ft.loaded) << ft.error;
    std::vector<int> ends;
    int end = -1;
    for (const auto& c : contours) ends.push_back(end += static_cast<int>(c.size()));
    EXPECT_EQ(ft.contourEnds, ends);
    const auto points = testsupport::FlattenContours(contours);
    ASSERT_EQ(ft.points.size(), points.size());
    for (size_t i = 0; i < points.size(); ++i) {
        EXPECT_EQ(ft.points[i].x, points[i].x) << "point " << i;
        EXPECT_EQ(ft.points[i].y, points[i].y) << "point " << i;
        EXPECT_EQ(ft.points[i].onCurve, points[i].onCurve) << "point " << i;
    }
    EXPECT_EQ(ft.advance, advance);
}

// For the input fonts the tests build: a foreign font must itself be sound.
void ExpectOtsAccepts(const TemplateEnvironment& env, const std::string& font, const std::string& name) {
    std::string log;
    EXPECT_TRUE(testsupport::OtsAcceptsBytes(env.Scratch(name), font, &log)) << log;
}

// The loca entries of a long-offset font.
std::vector<uint32_t> LongLoca(const std::string& font) {
    const std::string loca = testsupport::TableOf(font, "loca");
    std::vector<uint32_t> out;
    for (size_t i = 0; i + 4 <= loca.size(); i += 4) out.push_back(Get32(loca, i));
    return out;
}

// A small foreign font: glyph 0 a box, glyphs for 'A' (one box) and 'B' (two boxes).
testsupport::TestFontBuilder ForeignBuilder() {
    testsupport::TestFontBuilder b;
    b.Notdef({Box(100, 0, 400, 700)}, 500);
    b.Glyph('A', {Box(50, 0, 550, 700)}, 600);
    b.Glyph('B', {Box(60, 0, 300, 700), Box(320, 0, 560, 700)}, 620);
    return b;
}

constexpr uint16_t kFirstCode = 0xE000;

// Every table lies on a 4-byte boundary and the bytes between glyf's end and the next table are 0.
void ExpectAlignedBehindGlyf(const std::string& font) {
    const auto glyf = testsupport::Entry(font, "glyf");
    uint32_t next = UINT32_MAX;
    for (const auto& e : testsupport::Directory(font)) {
        EXPECT_EQ(e.offset % 4, 0u) << e.tag;
        if (e.offset > glyf.offset) next = std::min(next, e.offset);
    }
    ASSERT_NE(next, UINT32_MAX);
    ASSERT_GE(next, glyf.offset + glyf.length);
    EXPECT_LT(next - (glyf.offset + glyf.length), 4u);
    EXPECT_EQ(font.substr(glyf.offset + glyf.length, next - (glyf.offset + glyf.length)),
              std::string(next - (glyf.offset + glyf.length), '\0'));
}

}  // namespace

// ---- templates -----------------------------------------------------------------------------------

TEST(TTFontFile, AttachLoadsTheTemplate) {
    TemplateEnvironment env;
    const std::string bytes = env.Template();
    MemFont f;
    ASSERT_TRUE(f.Open(bytes));
    EXPECT_TRUE(f.font.IsOpen());
    EXPECT_FALSE(f.font.IsDirty());
    EXPECT_EQ(f.font.NumGlyphs(), 6402);
    EXPECT_TRUE(f.font.HasLongLoca());
    EXPECT_TRUE(f.font.HasVerticalMetrics());
    EXPECT_EQ(f.font.UnitsPerEm(), 1024);
    EXPECT_EQ(f.font.WinAscent(), 820);
    EXPECT_EQ(f.font.WinDescent(), 204);
    const std::string os2 = testsupport::TableOf(bytes, "OS/2");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(f.font.VendorId()), 4), os2.substr(58, 4));
    const TTDesignBox& box = f.font.DesignBox();
    EXPECT_EQ(box.unitsPerEm, 1024);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.right, 1023);
    EXPECT_EQ(box.bottom, -203);
    EXPECT_EQ(box.top, 820);
    const auto glyf = testsupport::Entry(bytes, "glyf");
    EXPECT_EQ(f.font.GlyfOffset(), glyf.offset);
    EXPECT_EQ(f.font.GlyfLength(), glyf.length);
}

TEST(TTFontFile, CodesMapThroughTheFormat4Subtable) {
    TemplateEnvironment env;
    const std::string bytes = env.Template();
    MemFont f;
    ASSERT_TRUE(f.Open(bytes));
    for (uint32_t c = 0xE000; c <= 0xF8FF; ++c)
        ASSERT_EQ(f.font.CodeToGlyphIndex(static_cast<uint16_t>(c)), (c + 8194) % 65536) << std::hex << c;
    EXPECT_EQ(f.font.CodeToGlyphIndex(0x0041), 0);
    EXPECT_EQ(f.font.CodeToGlyphIndex(0xDFFF), 0);
    EXPECT_EQ(f.font.CodeToGlyphIndex(0xF900), 0);
    EXPECT_EQ(f.font.CodeToGlyphIndex(0xFFFF), 0);
    // FreeType reads the same map.
    EXPECT_EQ(testsupport::FreeTypeCharIndex(bytes, 0xE000), 2);
    EXPECT_EQ(testsupport::FreeTypeCharIndex(bytes, 0xF8FF), 6401);
}

TEST(TTFontFile, CodesPastTheShortTemplateAreUnmappedAndCannotBeReadOrWritten) {
    TemplateEnvironment env("win98");
    const std::string bytes = env.Template();
    MemFont f;
    ASSERT_TRUE(f.Open(bytes));
    EXPECT_EQ(f.font.NumGlyphs(), 6219);
    EXPECT_EQ(f.font.CodeToGlyphIndex(0xF848), 6218);
    EXPECT_EQ(f.font.CodeToGlyphIndex(0xF849), 0);
    TTGlyph g;
    EXPECT_FALSE(f.font.GetGlyph(0xF849, g));
    EXPECT_FALSE(f.font.PutGlyph(0xF849, MakeGlyph({Box(0, 0, 100, 100)})));
    EXPECT_FALSE(f.font.IsDirty());
    EXPECT_EQ(f.CloseAndTake(), bytes);
    EXPECT_EQ(f.font.ListMappedCodes(nullptr, 0), 0);  // closed
}

TEST(TTFontFile, ListMappedCodesCountsAndListsInOrder) {
    TemplateEnvironment env;
    MemFont f;
    ASSERT_TRUE(f.Open(env.Template()));
    EXPECT_EQ(f.font.ListMappedCodes(nullptr, 0), 6400);
    std::vector<uint16_t> codes(10, 0);
    ASSERT_EQ(f.font.ListMappedCodes(codes.data(), 10), 10);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(codes[i], kFirstCode + i);
    std::vector<uint16_t> all(7000, 0);
    ASSERT_EQ(f.font.ListMappedCodes(all.data(), 7000), 6400);
    EXPECT_EQ(all[6399], 0xF8FF);

    TemplateEnvironment shortEnv("win95");
    MemFont s;
    ASSERT_TRUE(s.Open(shortEnv.Template()));
    EXPECT_EQ(s.font.ListMappedCodes(nullptr, 0), 6217);
}

TEST(TTFontFile, FreshTemplateGlyphsAreEmptyWithTheirStoredMetrics) {
    TemplateEnvironment env;
    MemFont f;
    ASSERT_TRUE(f.Open(env.Template()));
    TTGlyph g;
    ASSERT_TRUE(f.font.GetGlyph(kFirstCode, g));
    EXPECT_TRUE(g.IsEmpty());
    EXPECT_EQ(g.AdvanceWidth(), 1024);
    EXPECT_EQ(g.AdvanceHeight(), 1024);
    TTGlyph notdef;
    ASSERT_TRUE(f.font.ReadGlyph(0, notdef));
    EXPECT_EQ(notdef.Length(), 28u);
    int16_t contours = 0;
    uint32_t points = 0;
    ASSERT_TRUE(notdef.GetContourInfo(&contours, &points));
    EXPECT_EQ(contours, 1);
    EXPECT_EQ(points, 4u);
    EXPECT_FALSE(f.font.ReadGlyph(6402, g));
}

TEST(TTFontFile, PutGlyphIsReadBackAndAcceptedByOtsAndFreeType) {
    TemplateEnvironment env;
    const std::vector<FontContour> outline = {Box(100, -100, 900, 700), Ring(9, 500, 300, 150)};
    const TTGlyph put = MakeGlyph(outline, 980, 1000, 100, 120);
    MemFont f;
    ASSERT_TRUE(f.Open(env.Template()));
    ASSERT_TRUE(f.font.PutGlyph(0xE001, put));
    EXPECT_TRUE(f.font.IsDirty());
    TTGlyph back;
    ASSERT_TRUE(f.font.GetGlyph(0xE001, back));
    ExpectSameGlyph(back, put);
    const std::string written = f.CloseAndTake();

    MemFont again;
    ASSERT_TRUE(again.Open(written));
    ASSERT_TRUE(again.font.GetGlyph(0xE001, back));
    ExpectSameGlyph(back, put);
    ASSERT_TRUE(again.font.GetGlyph(0xE002, back));
    EXPECT_TRUE(back.IsEmpty());
    ExpectFreeTypeGlyph(written, 3, outline, 980);
}

TEST(TTFontFile, RemovingAndRestoringAGlyphGivesAByteIdenticalGlyf) {
    TemplateEnvironment env;
    const TTGlyph a = MakeGlyph({Box(0, 0, 500, 500)});
    const TTGlyph b = MakeGlyph({Box(10, 10, 600, 600), Ring(7, 300, 300, 100)}, 900, 1024, 10, 210);
    const TTGlyph c = MakeGlyph({Ring(5, 400, 400, 200)});
    MemFont f;
    ASSERT_TRUE(f.Open(env.Template()));
    ASSERT_TRUE(f.font.PutGlyph(0xE000, a));
    ASSERT_TRUE(f.font.PutGlyph(0xE001, b));
    ASSERT_TRUE(f.font.PutGlyph(0xE002, c));
    const std::string before = f.CloseAndTake();
    const std::vector<uint32_t> locaBefore = LongLoca(before);

    MemFont g;
    ASSERT_TRUE(g.Open(before));
    TTGlyph empty;
    ASSERT_TRUE(g.font.PutGlyph(0xE001, empty));
    const std::string removed = g.CloseAndTake();
    // glyf lost exactly b's bytes; the later glyphs' loca entries are pulled back by as many.
    EXPECT_EQ(testsupport::Entry(removed, "glyf").length, testsupport::Entry(before, "glyf").length - b.Length());
    EXPECT_EQ(removed.size(), before.size() - b.Length());
    const std::vector<uint32_t> locaRemoved = LongLoca(removed);
    for (size_t i = 0; i < locaBefore.size(); ++i)
        ASSERT_EQ(locaRemoved[i], i <= 3 ? locaBefore[i] : locaBefore[i] - b.Length()) << i;
    MemFont check;
    ASSERT_TRUE(check.Open(removed));
    TTGlyph read;
    ASSERT_TRUE(check.font.GetGlyph(0xE002, read));
    ExpectSameGlyph(read, c);

    MemFont h;
    ASSERT_TRUE(h.Open(removed));
    ASSERT_TRUE(h.font.PutGlyph(0xE001, b));
    const std::string restored = h.CloseAndTake();
    EXPECT_EQ(testsupport::TableOf(restored, "glyf"), testsupport::TableOf(before, "glyf"));
    EXPECT_EQ(LongLoca(restored), locaBefore);
    EXPECT_EQ(restored, before);
}

TEST(TTFontFile, AGrowingGlyphMovesEveryLaterGlyph) {
    TemplateEnvironment env;
    const TTGlyph small = MakeGlyph({Box(0, 0, 100, 100)});
    const TTGlyph later = MakeGlyph({Ring(11, 500, 500, 300)});
    const TTGlyph big = MakeGlyph({Box(0, 0, 100, 100), Ring(13, 500, 500, 300), Box(600, 600, 900, 900)});
    MemFont f;
    ASSERT_TRUE(f.Open(env.Template()));
    ASSERT_TRUE(f.font.PutGlyph(0xE000, small));
    ASSERT_TRUE(f.font.PutGlyph(0xE005, later));
    const std::string before = f.CloseAndTake();

    MemFont g;
    ASSERT_TRUE(g.Open(before));
    ASSERT_TRUE(g.font.PutGlyph(0xE000, big));
    TTGlyph read;
    ASSERT_TRUE(g.font.GetGlyph(0xE005, read));  // before Close, through the pending loca delta
    ExpectSameGlyph(read, later);
    const std::string after = g.CloseAndTake();
    const uint32_t delta = big.Length() - small.Length();
    const std::vector<uint32_t> locaBefore = LongLoca(before), locaAfter = LongLoca(after);
    for (size_t i = 0; i < locaBefore.size(); ++i)
        ASSERT_EQ(locaAfter[i], i <= 2 ? locaBefore[i] : locaBefore[i] + delta) << i;
    MemFont check;
    ASSERT_TRUE(check.Open(after));
    ASSERT_TRUE(check.font.GetGlyph(0xE005, read));
    ExpectSameGlyph(read, later);
    ASSERT_TRUE(check.font.GetGlyph(0xE000, read));
    ExpectSameGlyph(read, big);
}

TEST(TTFontFile, MaxpPointsAndContoursOnlyGrow) {
    TemplateEnvironment env;
    const std::string bytes = env.Template();
    const std::string maxp0 = testsupport::TableOf(bytes, "maxp");
    const TTGlyph big = MakeGlyph({Box(0, 0, 100, 100), Ring(30, 500, 500, 300), Box(600, 600, 900, 900)});
    MemFont f;
    ASSERT_TRUE(f.Open(bytes));
    ASSERT_TRUE(f.font.PutGlyph(0xE010, big));
    ASSERT_TRUE(f.font.PutGlyph(0xE011, MakeGlyph({Box(0, 0, 10, 10)})));
    ASSERT_TRUE(f.font.PutGlyph(0xE010, TTGlyph()));
    EXPECT_EQ(f.font.MaxPoints(), 38);
    EXPECT_EQ(f.font.MaxContours(), 3);
    const std::string written = f.CloseAndTake();
    const std::string maxp = testsupport::TableOf(written, "maxp");
    EXPECT_EQ(Get16(maxp, 6), 38);
    EXPECT_EQ(Get16(maxp, 8), 3);
    EXPECT_GE(Get16(maxp, 6), Get16(maxp0, 6));
    // Nothing else in maxp changes.
    EXPECT_EQ(maxp.substr(0, 6), maxp0.substr(0, 6));
    EXPECT_EQ(maxp.substr(10), maxp0.substr(10));
}

TEST(TTFontFile, PuttingAResetGlyphStoresTheResetMetrics) {
    TemplateEnvironment env;
    MemFont f;
    ASSERT_TRUE(f.Open(env.Template()));
    ASSERT_TRUE(f.font.PutGlyph(0xE020, MakeGlyph({Box(0, 0, 300, 300)}, 500, 600, 10, 20)));
    const std::string first = f.CloseAndTake();
    MemFont g;
    ASSERT_TRUE(g.Open(first));
    TTGlyph cleared;
    cleared.SetMetrics(1, 2, 3, 4);
    cleared.Reset();
    ASSERT_TRUE(g.font.PutGlyph(0xE020, cleared));
    const std::string written = g.CloseAndTake();
    const unsigned index = 0xE020 + 8194 - 65536;
    const std::string hmtx = testsupport::TableOf(written, "hmtx");
    const std::string vmtx = testsupport::TableOf(written, "vmtx");
    EXPECT_EQ(Get16(hmtx, 4 * index), 1024);
    EXPECT_EQ(Get16(hmtx, 4 * index + 2), 357);
    EXPECT_EQ(Get16(vmtx, 4 * index), 1024);
    EXPECT_EQ(Get16(vmtx, 4 * index + 2), 359);
    MemFont check;
    ASSERT_TRUE(check.Open(written));
    TTGlyph read;
    ASSERT_TRUE(check.font.GetGlyph(0xE020, read));
    EXPECT_TRUE(read.IsEmpty());
    ExpectSameGlyph(read, TTGlyph());
}

TEST(TTFontFile, CloseWritesFreshChecksumsAndTheFontChecksum) {
    TemplateEnvironment env;
    MemFont f;
    ASSERT_TRUE(f.Open(env.Template()));
    ASSERT_TRUE(f.font.PutGlyph(0xE000, MakeGlyph({Ring(9, 400, 400, 100)})));  // odd length
    ASSERT_TRUE(f.font.PutGlyph(0xF8FF, MakeGlyph({Box(1, 2, 3, 4)})));
    const std::string written = f.CloseAndTake();
    for (const auto& e : testsupport::Directory(written)) {
        std::string table = testsupport::TableOf(written, e.tag);
        if (e.tag == "head") testsupport::Put32(table, 8, 0);
        EXPECT_EQ(e.checksum, testsupport::TableChecksum(table)) << e.tag;
    }
    EXPECT_EQ(testsupport::TableChecksum(written), 0xB1B0AFBAu);
}

TEST(TTFontFile, CloseWithoutEditsWritesNothing) {
    TemplateEnvironment env;
    const std::string bytes = env.Template();
    const auto path = env.Scratch("readonly.tte");
    testsupport::WriteFileBytes(path, bytes);
    OS_File file;
    ASSERT_TRUE(file.Open(testsupport::WindowsPath(path).c_str(), 0x8000));
    TTFontFile font;
    ASSERT_TRUE(font.Attach(&file));
    TTGlyph g;
    EXPECT_TRUE(font.GetGlyph(0xE000, g));
    // A read-only file: any write-back would fail and make Close report false.
    EXPECT_TRUE(font.Close());
    EXPECT_FALSE(font.IsOpen());
    file.Close();
    EXPECT_EQ(testsupport::ReadFileBytes(path), bytes);
}

TEST(TTFontFile, AFailedPutLeavesTheFontUnchanged) {
    TemplateEnvironment env;
    const std::string bytes = env.Template();
    MemFont f;
    ASSERT_TRUE(f.Open(bytes));
    std::string bad = testsupport::EncodeSimpleGlyph({Box(0, 0, 100, 100)});
    testsupport::Put16(bad, 10, 40);  // end point past the coordinates
    TTGlyph glyph;
    ASSERT_TRUE(glyph.SetData(reinterpret_cast<const uint8_t*>(bad.data()), static_cast<uint32_t>(bad.size())));
    EXPECT_FALSE(f.font.PutGlyph(0xE000, glyph));
    EXPECT_FALSE(f.font.WriteGlyph(6402, MakeGlyph({Box(0, 0, 1, 1)})));
    EXPECT_FALSE(f.font.IsDirty());
    EXPECT_EQ(f.CloseAndTake(), bytes);
}

TEST(TTFontFile, ReadTableGivesZeroPaddedBytesAndWriteTableUpdatesTheDirectory) {
    TemplateEnvironment env;
    const std::string bytes = env.Template();
    MemFont f;
    ASSERT_TRUE(f.Open(bytes));
    std::vector<uint8_t> buffer;
    uint32_t length = 0;
    ASSERT_TRUE(f.font.ReadTable(TTFontFile::MakeTag("name"), buffer, &length));
    const std::string name = testsupport::TableOf(bytes, "name");
    EXPECT_EQ(length, name.size());
    EXPECT_EQ(buffer.size() % 4, 0u);
    EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + length), name);
    for (size_t i = length; i < buffer.size(); ++i) EXPECT_EQ(buffer[i], 0);
    EXPECT_FALSE(f.font.ReadTable(TTFontFile::MakeTag("GSUB"), buffer));

    // Rewrite the name table in place with one byte changed.
    std::string changed = name;
    changed.back() ^= 0x01;
    const auto entry = testsupport::Entry(bytes, "name");
    ASSERT_TRUE(f.font.WriteTable(TTFontFile::MakeTag("name"), reinterpret_cast<const uint8_t*>(changed.data()),
                                  static_cast<uint32_t>(changed.size()), entry.offset));
    EXPECT_FALSE(f.font.WriteTable(TTFontFile::MakeTag("GSUB"), reinterpret_cast<const uint8_t*>(changed.data()), 4,
                                   entry.offset));
    const std::string written = f.CloseAndTake();
    EXPECT_EQ(testsupport::TableOf(written, "name"), changed);
    EXPECT_EQ(testsupport::Entry(written, "name").checksum, testsupport::TableChecksum(changed));
}

TEST(TTFontFile, AttachAgainClosesTheFirstFont) {
    TemplateEnvironment env;
    MemFont f;
    ASSERT_TRUE(f.Open(env.Template()));
    const TTGlyph g = MakeGlyph({Box(0, 0, 200, 200)});
    ASSERT_TRUE(f.font.PutGlyph(0xE000, g));
    const std::string first = f.Bytes();  // directory and tables not yet written back
    ASSERT_TRUE(f.font.Attach(&f.file));  // writes back, then loads the edited file
    EXPECT_NE(f.Bytes(), first);
    TTGlyph read;
    ASSERT_TRUE(f.font.GetGlyph(0xE000, read));
    ExpectSameGlyph(read, g);
}

// ---- foreign fonts -------------------------------------------------------------------------------

TEST(TTFontFile, WithoutVmtxTheVerticalMetricsComeFromTheFont) {
    TemplateEnvironment env;
    const std::string font = ForeignBuilder().Build();
    MemFont f;
    ASSERT_TRUE(f.Open(font));
    EXPECT_FALSE(f.font.HasVerticalMetrics());
    TTGlyph g;
    ASSERT_TRUE(f.font.GetGlyph('A', g));
    EXPECT_EQ(g.AdvanceWidth(), 600);
    EXPECT_EQ(g.LeftSideBearing(), 50);
    EXPECT_EQ(g.AdvanceHeight(), 1024);          // unitsPerEm
    EXPECT_EQ(g.TopSideBearing(), 820 - 700);   // usWinAscent - yMax
    // Writing stores the horizontal metrics only.
    const std::vector<FontContour> outline = {Box(30, -50, 530, 650)};
    ASSERT_TRUE(f.font.PutGlyph('B', MakeGlyph(outline, 640, 999, 30, 1)));
    const std::string written = f.CloseAndTake();
    MemFont check;
    ASSERT_TRUE(check.Open(written));
    ASSERT_TRUE(check.font.GetGlyph('B', g));
    EXPECT_EQ(g.AdvanceWidth(), 640);
    EXPECT_EQ(g.AdvanceHeight(), 1024);
    EXPECT_EQ(g.TopSideBearing(), 820 - 650);
    ExpectFreeTypeGlyph(written, static_cast<unsigned>(testsupport::FreeTypeCharIndex(written, 'B')), outline, 640);
}

TEST(TTFontFile, CompositeGlyphsAreReportedUnreadable) {
    TemplateEnvironment env;
    auto tables = testsupport::TablesOf(ForeignBuilder());
    auto glyphs = testsupport::GlyphsOf(tables);
    MemFont probe;
    ASSERT_TRUE(probe.Open(ForeignBuilder().Build()));
    const uint16_t indexA = probe.font.CodeToGlyphIndex('A');
    const uint16_t indexB = probe.font.CodeToGlyphIndex('B');
    glyphs[indexB] = testsupport::EncodeCompositeGlyph(indexA, 10, 0);
    testsupport::SetGlyphs(tables, glyphs, true);
    testsupport::Put16(tables["maxp"], 28, 1);  // maxComponentElements
    testsupport::Put16(tables["maxp"], 30, 1);  // maxComponentDepth
    const std::string font = testsupport::AssembleFont(tables);
    ExpectOtsAccepts(env, font, "composite-in.ttf");

    MemFont f;
    ASSERT_TRUE(f.Open(font));
    TTGlyph g;
    EXPECT_FALSE(f.font.GetGlyph('B', g));
    EXPECT_FALSE(f.font.ReadGlyph(indexB, g));
    EXPECT_TRUE(g.IsEmpty());
    EXPECT_TRUE(f.font.GetGlyph('A', g));
    // A composite glyph is not written either.
    TTGlyph composite;
    const std::string data = testsupport::EncodeCompositeGlyph(indexA, 0, 0);
    ASSERT_TRUE(composite.SetData(reinterpret_cast<const uint8_t*>(data.data()), static_cast<uint32_t>(data.size())));
    EXPECT_FALSE(f.font.PutGlyph('A', composite));
    // Replacing the composite glyph with a simple one works.
    ASSERT_TRUE(f.font.PutGlyph('B', MakeGlyph({Box(0, 0, 400, 400)}, 620, 1024, 0, 0)));
    const std::string written = f.CloseAndTake();
    ExpectFreeTypeGlyph(written, indexB, {Box(0, 0, 400, 400)}, 620);
}

TEST(TTFontFile, Format2CodesMapThroughSubHeaders) {
    TemplateEnvironment env;
    auto tables = testsupport::TablesOf(ForeignBuilder());
    testsupport::UseFormat2Cmap(tables, {{0xFA40, 1}, {0xFA42, 2}, {0xFB50, 2}});
    const std::string font = testsupport::AssembleFont(tables);
    MemFont f;
    ASSERT_TRUE(f.Open(font));
    EXPECT_EQ(f.font.CodeToGlyphIndex(0xFA40), 1);
    EXPECT_EQ(f.font.CodeToGlyphIndex(0xFA41), 0);  // a hole in the run
    EXPECT_EQ(f.font.CodeToGlyphIndex(0xFA42), 2);
    EXPECT_EQ(f.font.CodeToGlyphIndex(0xFA43), 0);  // past the run
    EXPECT_EQ(f.font.CodeToGlyphIndex(0xFA3F), 0);  // before it
    EXPECT_EQ(f.font.CodeToGlyphIndex(0xFB50), 2);
    EXPECT_EQ(f.font.CodeToGlyphIndex(0xFC50), 0);  // lead byte with key 0
    EXPECT_EQ(f.font.CodeToGlyphIndex(0x0041), 0);
    std::vector<uint16_t> codes(8, 0);
    ASSERT_EQ(f.font.ListMappedCodes(codes.data(), 8), 3);
    EXPECT_EQ(codes[0], 0xFA40);
    EXPECT_EQ(codes[1], 0xFA42);
    EXPECT_EQ(codes[2], 0xFB50);

    const std::vector<FontContour> outline = {Box(10, 10, 500, 600)};
    ASSERT_TRUE(f.font.PutGlyph(0xFB50, MakeGlyph(outline, 700, 1024, 10, 0)));
    const std::string written = f.CloseAndTake();
    ExpectFreeTypeGlyph(written, 2, outline, 700);
}

TEST(TTFontFile, Format4IsPreferredOverFormat2) {
    auto tables = testsupport::TablesOf(ForeignBuilder());
    const std::string format4Cmap = tables["cmap"];  // header, one record, format 4 at 12
    testsupport::UseFormat2Cmap(tables, {{0xFA41, 2}});
    std::string cmap = tables["cmap"];
    // A second (3,1) record, for a format 4 subtable appended at the end, after the format 2 one.
    const uint32_t at = static_cast<uint32_t>(cmap.size() + 8);
    std::string withRecord = cmap.substr(0, 4 + 8);
    std::string record(8, '\0');
    testsupport::Put16(record, 0, 3);
    testsupport::Put16(record, 2, 1);
    testsupport::Put32(record, 4, at);
    withRecord += record + cmap.substr(4 + 8);
    testsupport::Put16(withRecord, 2, 3);
    for (int r : {0, 2})  // the old records' subtables moved back by the new record
        testsupport::Put32(withRecord, 4 + 8 * r + 4, testsupport::Get32(withRecord, 4 + 8 * r + 4) + 8);
    withRecord += format4Cmap.substr(12);
    tables["cmap"] = withRecord;
    MemFont f;
    ASSERT_TRUE(f.Open(testsupport::AssembleFont(tables)));
    EXPECT_NE(f.font.CodeToGlyphIndex('A'), 0);
    EXPECT_EQ(f.font.CodeToGlyphIndex(0xFA41), 0);
    EXPECT_EQ(f.font.ListMappedCodes(nullptr, 0), 2);  // 'A' and 'B'
}

// fontTools and other writers use short loca offsets and their own table orders; a write that
// changes a glyph's length widens the offsets, whichever table follows loca.
TEST(TTFontFile, ShortLocaIsWidenedWhenAWriteNeedsIt) {
    TemplateEnvironment env;
    const std::vector<std::vector<std::string>> orders = {
        {},  // the builder's order
        {"OS/2", "cmap", "head", "hhea", "hmtx", "maxp", "name", "post", "glyf", "loca"},  // loca last
        {"loca", "glyf", "OS/2", "cmap", "head", "hhea", "hmtx", "maxp", "name", "post"},  // loca first
    };
    for (const auto& order : orders) {
        auto tables = testsupport::TablesOf(ForeignBuilder());
        testsupport::SetGlyphs(tables, testsupport::GlyphsOf(tables), false);
        const std::string font = testsupport::AssembleFont(tables, order);
        MemFont f;
        ASSERT_TRUE(f.Open(font));
        EXPECT_FALSE(f.font.HasLongLoca());
        TTGlyph b;
        ASSERT_TRUE(f.font.GetGlyph('B', b));
        // Same length: short offsets still hold it.
        TTGlyph same = b;
        ASSERT_TRUE(f.font.PutGlyph('B', same));
        EXPECT_FALSE(f.font.HasLongLoca());
        const TTGlyph odd = MakeGlyph({Box(10, 0, 311, 701), Box(400, 0, 500, 100), {{1, 1}, {2, 2}, {3, 1}}});
        ASSERT_TRUE(f.font.PutGlyph('A', odd));
        EXPECT_TRUE(f.font.HasLongLoca());
        const std::string written = f.CloseAndTake();
        EXPECT_EQ(Get16(testsupport::TableOf(written, "head"), 50), 1u);

        MemFont check;
        ASSERT_TRUE(check.Open(written));
        EXPECT_EQ(testsupport::Entry(written, "loca").length, 4u * (check.font.NumGlyphs() + 1u));
        TTGlyph read;
        ASSERT_TRUE(check.font.GetGlyph('A', read));
        EXPECT_EQ(DataOf(read), DataOf(odd));
        EXPECT_EQ(read.AdvanceWidth(), odd.AdvanceWidth());
        ASSERT_TRUE(check.font.GetGlyph('B', read));
        ExpectSameGlyph(read, b);
        EXPECT_EQ(testsupport::TableOf(written, "name"), testsupport::TableOf(font, "name"));
    }
}

// A glyph whose stored box disagrees with its points (here: inverted) is written with the box of
// its points, so that sanitizers accept the font.
TEST(TTFontFile, WrittenGlyphsCarryTheBoxOfTheirPoints) {
    TemplateEnvironment env;
    auto tables = testsupport::TablesOf(ForeignBuilder());
    const std::string font = testsupport::AssembleFont(tables);
    MemFont f;
    ASSERT_TRUE(f.Open(font));
    std::string data = testsupport::EncodeSimpleGlyph({Box(-20, -30, 640, 710)});
    for (int i = 0; i < 4; ++i) testsupport::Put16(data, 2 + 2 * i, static_cast<uint16_t>(i % 2 ? 900 : -900));
    TTGlyph inverted;
    ASSERT_TRUE(inverted.SetData(reinterpret_cast<const uint8_t*>(data.data()), static_cast<uint32_t>(data.size())));
    EXPECT_FALSE(inverted.HasTrueBoundingBox());
    ASSERT_TRUE(f.font.PutGlyph('A', inverted));
    const std::string written = f.CloseAndTake();  // ots-sanitize and FreeType check it
    MemFont check;
    ASSERT_TRUE(check.Open(written));
    TTGlyph read;
    ASSERT_TRUE(check.font.GetGlyph('A', read));
    int16_t box[4];
    ASSERT_TRUE(read.GetBoundingBox(&box[0], &box[1], &box[2], &box[3]));
    EXPECT_EQ(std::vector<int16_t>(box, box + 4), (std::vector<int16_t>{-20, -30, 640, 710}));
    EXPECT_EQ(DataOf(read).substr(10), data.substr(10));  // the points themselves are untouched
}

TEST(TTFontFile, TablesBehindGlyfMoveWithItAndStayAligned) {
    TemplateEnvironment env;
    auto tables = testsupport::TablesOf(ForeignBuilder());
    const std::string font = testsupport::AssembleFont(tables, {"OS/2", "cmap", "head", "hhea", "hmtx", "loca", "maxp",
                                                                "glyf", "name", "post"});
    ASSERT_GT(testsupport::Entry(font, "name").offset, testsupport::Entry(font, "glyf").offset);
    MemFont f;
    ASSERT_TRUE(f.Open(font));
    TTGlyph old, other;
    ASSERT_TRUE(f.font.GetGlyph('A', old));
    ASSERT_TRUE(f.font.GetGlyph('B', other));
    // 5 bytes longer than the old entry (instructions make up the length).
    const std::string plain = testsupport::EncodeSimpleGlyph({Box(50, 0, 550, 700)});
    const std::string data =
        testsupport::EncodeSimpleGlyph({Box(50, 0, 550, 700)}, std::string(old.Length() + 5 - plain.size(), '\0'));
    ASSERT_EQ(data.size(), old.Length() + 5);
    TTGlyph bigger;
    ASSERT_TRUE(bigger.SetData(reinterpret_cast<const uint8_t*>(data.data()), static_cast<uint32_t>(data.size())));
    bigger.SetMetrics(600, 1024, 50, 0);
    ASSERT_TRUE(f.font.PutGlyph('A', bigger));
    const std::string grown = f.CloseAndTake();
    EXPECT_EQ(testsupport::Entry(grown, "glyf").length, testsupport::Entry(font, "glyf").length + 5);
    EXPECT_EQ(testsupport::Entry(grown, "name").offset, testsupport::Entry(font, "name").offset + 8);
    EXPECT_EQ(testsupport::Entry(grown, "post").offset, testsupport::Entry(font, "post").offset + 8);
    EXPECT_EQ(testsupport::TableOf(grown, "name"), testsupport::TableOf(font, "name"));
    EXPECT_EQ(testsupport::TableOf(grown, "post"), testsupport::TableOf(font, "post"));
    ExpectAlignedBehindGlyf(grown);

    MemFont g;
    ASSERT_TRUE(g.Open(grown));
    TTGlyph read;
    ASSERT_TRUE(g.font.GetGlyph('A', read));
    EXPECT_EQ(DataOf(read), data);
    ASSERT_TRUE(g.font.GetGlyph('B', read));
    ExpectSameGlyph(read, other);
    ASSERT_TRUE(g.font.PutGlyph('A', TTGlyph()));
    const std::string shrunk = g.CloseAndTake();
    EXPECT_EQ(testsupport::Entry(shrunk, "glyf").length, testsupport::Entry(font, "glyf").length - old.Length());
    EXPECT_EQ(testsupport::TableOf(shrunk, "name"), testsupport::TableOf(font, "name"));
    EXPECT_EQ(testsupport::TableOf(shrunk, "post"), testsupport::TableOf(font, "post"));
    ExpectAlignedBehindGlyf(shrunk);
    MemFont check;
    ASSERT_TRUE(check.Open(shrunk));
    ASSERT_TRUE(check.font.GetGlyph('B', read));
    ExpectSameGlyph(read, other);
    ExpectFreeTypeGlyph(shrunk, check.font.CodeToGlyphIndex('B'), {Box(60, 0, 300, 700), Box(320, 0, 560, 700)}, 620);
}

TEST(TTFontFile, GlyphsPastTheLongMetricsShareTheLastAdvance) {
    TemplateEnvironment env;
    auto tables = testsupport::TablesOf(ForeignBuilder());
    testsupport::UseShortHmtx(tables, 1);
    const std::string font = testsupport::AssembleFont(tables);
    MemFont f;
    ASSERT_TRUE(f.Open(font));
    TTGlyph g;
    ASSERT_TRUE(f.font.GetGlyph('B', g));
    EXPECT_EQ(g.AdvanceWidth(), 500);  // glyph 0's
    EXPECT_EQ(g.LeftSideBearing(), 60);
    ASSERT_TRUE(f.font.PutGlyph('B', MakeGlyph({Box(70, 0, 300, 700)}, 999, 1024, 70, 0)));
    const std::string written = f.CloseAndTake();
    EXPECT_EQ(testsupport::TableOf(written, "hmtx").size(), testsupport::TableOf(font, "hmtx").size());
    MemFont check;
    ASSERT_TRUE(check.Open(written));
    ASSERT_TRUE(check.font.GetGlyph('B', g));
    EXPECT_EQ(g.AdvanceWidth(), 500);  // only the bearing has a place of its own
    EXPECT_EQ(g.LeftSideBearing(), 70);
}

TEST(TTFontFile, VerticalMetricsOfAForeignFontAreReadAndWritten) {
    TemplateEnvironment env;
    auto tables = testsupport::TablesOf(ForeignBuilder());
    testsupport::AddVerticalMetrics(tables, 1100, 77);
    const std::string font = testsupport::AssembleFont(tables);
    MemFont f;
    ASSERT_TRUE(f.Open(font));
    ASSERT_TRUE(f.font.HasVerticalMetrics());
    TTGlyph g;
    ASSERT_TRUE(f.font.GetGlyph('A', g));
    EXPECT_EQ(g.AdvanceHeight(), 1100);
    EXPECT_EQ(g.TopSideBearing(), 77);
    ASSERT_TRUE(f.font.PutGlyph('A', MakeGlyph({Box(0, 0, 10, 10)}, 600, 1200, 0, 810)));
    const std::string written = f.CloseAndTake();
    MemFont check;
    ASSERT_TRUE(check.Open(written));
    ASSERT_TRUE(check.font.GetGlyph('A', g));
    EXPECT_EQ(g.AdvanceHeight(), 1200);
    EXPECT_EQ(g.TopSideBearing(), 810);
}

// PutGlyphs against PutGlyph one edit after the other, on the shapes of font the editor meets: the
// same bytes, and the same edits stored. The edits keep many codes of a full font, grow, shrink
// and empty glyphs, come twice for one code (once undoing the first's change of length), carry a
// stored box that disagrees with the points, and include unmapped codes and a malformed glyph.
TEST(TTFontFile, PutGlyphsGivesTheBytesOfPutGlyphOneByOne) {
    TemplateEnvironment env;
    const auto full = [&] {  // the template with a glyph for every code
        MemFont f;
        EXPECT_TRUE(f.Open(env.Template()));
        for (uint32_t code = kFirstCode; code <= 0xF8FF; ++code)
            f.font.PutGlyph(static_cast<uint16_t>(code), MakeGlyph({Box(0, 0, 10 + code % 90, 700)}));
        return f.CloseAndTake();
    };
    const auto foreign = [](std::vector<std::string> order, bool longLoca, bool vertical) {
        auto tables = testsupport::TablesOf(ForeignBuilder());
        testsupport::SetGlyphs(tables, testsupport::GlyphsOf(tables), longLoca);
        if (vertical) testsupport::AddVerticalMetrics(tables, 1000, 80);
        return testsupport::AssembleFont(tables, order);
    };
    const std::vector<std::string> behind = {"OS/2", "cmap", "head", "hhea", "hmtx", "loca", "maxp", "glyf", "name", "post"};

    std::string boxless = testsupport::EncodeSimpleGlyph({Box(-20, -30, 640, 710)});
    for (int i = 0; i < 4; ++i) testsupport::Put16(boxless, 2 + 2 * i, static_cast<uint16_t>(i % 2 ? 900 : -900));
    // Eight bytes more between glyf and the table behind it than alignment needs.
    const auto widenGap = [](std::string font) {
        const auto glyf = testsupport::Entry(font, "glyf");
        const uint32_t end = (glyf.offset + glyf.length + 3) & ~3u;
        font.insert(end, 8, '\0');
        for (const auto& e : testsupport::Directory(font))
            if (e.offset >= end) testsupport::Put32(font, e.entryAt + 8, e.offset + 8);
        return font;
    };
    TTGlyph wrongBox, malformed;
    ASSERT_TRUE(wrongBox.SetData(reinterpret_cast<const uint8_t*>(boxless.data()), static_cast<uint32_t>(boxless.size())));
    const uint8_t cut[12] = {0, 1, 0, 0, 0, 0, 0, 9, 0, 9, 0, 40};  // one contour of 41 points, no room for them
    ASSERT_TRUE(malformed.SetData(cut, sizeof cut));
    std::vector<TTGlyph> glyphs = {
        MakeGlyph({Box(0, 0, 300, 300), Ring(9, 400, 400, 150)}, 900, 1024, 0, 120),        // 0: grows
        TTGlyph(),                                                                          // 1: empties
        MakeGlyph({Box(5, 5, 200, 200)}, 1024, 1000, 5, 600),                               // 2
        wrongBox,                                                                           // 3
        malformed,                                                                          // 4
        MakeGlyph({Ring(13, 500, 500, 300), Box(100, 100, 900, 900)}, 1000, 1024, 100, 0),  // 5
        TTGlyph(),                                                                          // 6: the font's own B
    };
    using Edits = std::vector<std::pair<uint16_t, size_t>>;  // code, glyph
    Edits many;
    for (uint32_t code = kFirstCode + 3; code <= 0xF8FF; code += 3)
        many.emplace_back(static_cast<uint16_t>(code), code % 7 == 4 ? 4 : code % 6);
    const Edits few = {{'A', 0}, {'B', 1}, {'A', 2}, {'C', 3}, {'B', 4}, {'A', 3}};
    const Edits undone = {{'B', 0}, {'B', 6}};  // glyf changes, then back
    const std::vector<std::tuple<std::string, std::string, Edits>> cases = {
        {"a full TTE font, glyf last", full(), many},
        {"tables behind glyf", widenGap(foreign(behind, true, false)), few},
        {"a change undone, tables behind glyf", widenGap(foreign(behind, true, false)), undone},
        {"short loca", foreign({}, false, false), few},
        {"a change undone, short loca", foreign({}, false, false), undone},
        {"short loca, tables behind glyf", foreign(behind, false, false), few},
        {"vertical metrics", foreign({}, true, true), few},
    };
    for (const auto& [what, font, list] : cases) {
        SCOPED_TRACE(what);
        MemFont one;
        ASSERT_TRUE(one.Open(font));
        if (one.font.CodeToGlyphIndex('B') != 0) {
            ASSERT_TRUE(one.font.GetGlyph('B', glyphs[6]));
        }
        std::vector<TTGlyphEdit> edits;
        for (const auto& [code, glyph] : list) edits.push_back({code, &glyphs[glyph]});
        edits.push_back({0xFFF0, &glyphs[0]});  // unmapped
        std::vector<bool> put;
        for (const TTGlyphEdit& e : edits) put.push_back(one.font.PutGlyph(e.code, *e.glyph));
        MemFont batch;
        ASSERT_TRUE(batch.Open(font));
        ASSERT_TRUE(batch.font.PutGlyphs(edits));
        for (size_t i = 0; i < edits.size(); ++i) EXPECT_EQ(edits[i].stored, put[i]) << "edit " << i;
        const std::string expected = one.CloseAndTake();
        EXPECT_TRUE(batch.CloseAndTake() == expected);
    }
}
