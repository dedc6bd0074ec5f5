// A restore gives the codes the user manages in slots 0 and 1 the glyphs the workstation draws for
// them today in 細明體 and 標楷體, moved onto the TTE em box; every other glyph is the backup's.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <map>
#include <string>
#include <vector>

#include "backup_writer.h"
#include "foundation/mem_file.h"
#include "platform/winreg.h"
#include "support/temp_prefix.h"
#include "support/test_font_builder.h"
#include "support/tt_test_fonts.h"
#include "tool_runner.h"
#include "truetype/tt_font_file.h"
#include "truetype/tt_glyph.h"
#include "tte_sections.h"

using namespace testsupport;

namespace {

const std::string kWinDir = "Windows\xA5\xD8\xBF\xFD";  // "Windows目錄"
const std::string kMing = "\xB2\xD3\xA9\xFA\xC5\xE9";   // "細明體"
const std::string kKai = "\xBC\xD0\xB7\xA2\xC5\xE9";    // "標楷體"

// The base fonts' vertical metrics. The system puts the bottom of the em (1024 + internal leading -
// ascent) below the baseline, which for both is the descent; the TTE em box starts at -204. So a
// point of the Ming font's links moves by 250 - 204, one of the Kai font's by 144 - 204.
constexpr int kMingAscent = 900, kMingDescent = 250;  // internal leading 126
constexpr int kKaiAscent = 880, kKaiDescent = 144;    // no internal leading
constexpr int kMingShift = 46, kKaiShift = -60;

// The codes of the test, all flagged but kUnmanaged, and what the workstation has for them.
constexpr uint16_t kBox = 0xE010;         // clockwise: kept as it is
constexpr uint16_t kCcw = 0xE011;         // counter-clockwise outer contour: reversed
constexpr uint16_t kFrame = 0xE012;       // a box with a hole drawn clockwise: the hole is reversed
constexpr uint16_t kCurve = 0xE013;       // ends on an off-curve point
constexpr uint16_t kNew = 0xE014;         // the backup has no glyph here
constexpr uint16_t kAbove = 0xE015;       // drawn wholly above the em: an empty glyph replaces the backup's
constexpr uint16_t kBlank = 0xE020;       // mapped but empty: nothing drawn, the backup's stays
constexpr uint16_t kUnmanaged = 0xE030;   // not flagged
constexpr uint16_t kLast = 0xF8FF;        // the last code of the bitmap
constexpr uint16_t kKaiOnly = 0xE040;     // flagged, drawn only by the workstation's KAI.TTE
constexpr uint16_t kInverted = 0xE050;    // not flagged; its stored box is inverted in the backup

using Contours = std::vector<FontContour>;
using Glyphs = TteGlyphs;

Contours Box(int x0, int y0, int x1, int y1) { return {{{x0, y0}, {x0, y1}, {x1, y1}, {x1, y0}}}; }

Contours Moved(Contours contours, int dy) {
    for (auto& c : contours)
        for (auto& p : c) p.y += dy;
    return contours;
}

// The glyph the glyph builder makes of these contours: shortest coordinates, an even length, an
// advance of 1024 both ways and side bearings measured from x = 0 and from the em box's top, 820.
TTGlyph GlyphOf(const Contours& contours) {
    std::string data = EncodeSimpleGlyph(contours);
    if (data.size() % 2) data += '\0';
    int xMin = INT_MAX, yMax = INT_MIN;
    for (const auto& c : contours)
        for (const auto& p : c) xMin = std::min(xMin, p.x), yMax = std::max(yMax, p.y);
    TTGlyph glyph;
    glyph.SetData(reinterpret_cast<const uint8_t*>(data.data()), static_cast<uint32_t>(data.size()));
    glyph.SetMetrics(1024, 1024, static_cast<int16_t>(xMin), static_cast<int16_t>(820 - yMax));
    return glyph;
}

// The glyphs U+E000..U+F8FF a font holds, as the editor reads them.
Glyphs GlyphsIn(std::string font) {
    HMemFile file;
    file.Attach(font.data(), static_cast<uint32_t>(font.size()), nullptr);
    TTFontFile tte;
    EXPECT_TRUE(tte.Attach(&file));
    Glyphs glyphs;
    for (uint32_t code = 0xE000; code <= 0xF8FF; ++code) {
        TTGlyph g;
        if (tte.GetGlyph(static_cast<uint16_t>(code), g) && !g.IsEmpty()) glyphs[static_cast<uint16_t>(code)] = g;
    }
    return glyphs;
}

// Swaps xMin and xMax stored in the glyph of code, as a careless writer might leave them.
void InvertStoredBox(std::string& font, uint16_t code) {
    HMemFile file;
    file.Attach(font.data(), static_cast<uint32_t>(font.size()), nullptr);
    TTFontFile tte;
    ASSERT_TRUE(tte.Attach(&file));
    const uint16_t index = tte.CodeToGlyphIndex(code);
    const auto loca = Entry(font, "loca");
    const size_t at = Entry(font, "glyf").offset + (tte.HasLongLoca() ? Get32(font, loca.offset + 4u * index)
                                                                      : 2u * Get16(font, loca.offset + 2u * index));
    const uint16_t xMin = Get16(font, at + 2), xMax = Get16(font, at + 6);
    Put16(font, at + 2, xMax);
    Put16(font, at + 6, xMin);
}

// Every code U+E000..U+F8FF of the font must hold the expected glyph, or nothing when none is.
void ExpectGlyphs(const Glyphs& expected, std::string font, int skip = -1) {
    HMemFile file;
    file.Attach(font.data(), static_cast<uint32_t>(font.size()), nullptr);
    TTFontFile tte;
    ASSERT_TRUE(tte.Attach(&file));
    int differing = 0;
    for (uint32_t code = 0xE000; code <= 0xF8FF; ++code) {
        if (static_cast<int>(code) == skip) continue;
        TTGlyph actual;
        const bool read = tte.GetGlyph(static_cast<uint16_t>(code), actual);
        const auto it = expected.find(static_cast<uint16_t>(code));
        const bool same = it == expected.end() ? read && actual.IsEmpty() : read && it->second.Equals(actual);
        if (!same && ++differing <= 8) ADD_FAILURE() << "U+" << std::hex << code << " holds the wrong glyph";
    }
    EXPECT_EQ(differing, 0);
}

// A workstation whose 細明體 and 標楷體 are Big5 test fonts reached through FontSubstitutes, each
// linked under EUDC\950 to a TTE file with glyphs of its own, and a backup that flags the codes
// above (but kUnmanaged) and carries sections for slots 0, 1, 2, 5 and 15. Restored once per test.
struct Setting {
    const char* version;
    const char* folder;  // where the slots' TTE files live on this version
    bool fontTools;      // the backup's sections as fontTools writes them (short loca, its own order)
};

class RestoreKeepGlyphs : public ::testing::TestWithParam<Setting> {
protected:
    void SetUp() override {
        const auto [version, folder, fontTools] = GetParam();
        prefix_.SetWindowsVersion(version);
        const std::string substitutes = "Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes";
        InstallFont(prefix_, "testming.ttf",
                    TestFontBuilder().Family("Test Ming").CodePages(kCodePageChineseTraditional)
                        .Metrics(kMingAscent, kMingDescent).MapText("\xE7\xB4\xB0\xE6\x98\x8E abc").Build());
        InstallFont(prefix_, "testkai.ttf",
                    TestFontBuilder().Family("Test Kai").CodePages(kCodePageChineseTraditional)
                        .Metrics(kKaiAscent, kKaiDescent).MapText("\xE6\xA8\x99\xE6\xA5\xB7 abc").Build());
        SetRegistryString(HKEY_LOCAL_MACHINE, substitutes, kMing, "Test Ming");
        SetRegistryString(HKEY_LOCAL_MACHINE, substitutes, kKai, "Test Kai");
        SetRegistryString(HKEY_CURRENT_USER, "EUDC\\950", kMing, std::string(folder) + "\\MING.TTE");
        SetRegistryString(HKEY_CURRENT_USER, "EUDC\\950", kKai, std::string(folder) + "\\KAI.TTE");

        ming_ = {{kBox, Box(100, -100, 900, 700)},
                 {kCcw, {{{150, -50}, {850, -50}, {850, 650}, {150, 650}}}},
                 {kFrame, {Box(100, -100, 900, 700)[0], Box(300, 100, 700, 500)[0]}},
                 {kCurve, {{{200, 0}, {200, 600, false}, {500, 700}, {800, 600, false}}}},
                 {kNew, Box(256, -150, 768, 650)},
                 {kAbove, Box(100, 800, 900, 1000)},
                 {kUnmanaged, Box(120, -80, 880, 720)},
                 {kLast, Box(50, -200, 950, 800)}};
        Glyphs mingTte;
        for (const auto& [code, contours] : ming_) mingTte[code] = GlyphOf(contours);
        const std::string mingFile = TemplateTte(mingTte);
        // A TTE file need not come from the template: this one maps a single code.
        const std::string kaiFile =
            TestFontBuilder().Family("Kai EUDC").Glyph(kKaiOnly, Box(200, -50, 800, 750)).Build();
        ASSERT_GT(FreeTypeCharIndex(mingFile, kBlank), 0);  // present, but without contours
        ASSERT_EQ(FreeTypeCharIndex(kaiFile, kBox), 0);
        WriteFileBytes(dir() / "MING.TTE", mingFile);
        WriteFileBytes(dir() / "KAI.TTE", kaiFile);

        contents_.fontTable = backupwriter::ReferenceFontTable();
        contents_.fontTable[0] = backupwriter::MakeFontRecord(kMing, kWinDir + "\\MING.TTE", "");
        contents_.fontTable[2] = backupwriter::MakeFontRecord("Face Two", kWinDir + "\\F2.TTE", "");
        contents_.fontTable[5] = backupwriter::MakeFontRecord("Face Five", kWinDir + "\\F5.TTE", "");
        contents_.fontTable[15] = backupwriter::MakeFontRecord("Face Fifteen", kWinDir + "\\F15.TTE", "");
        // Small enough for short loca offsets when fontTools writes it.
        backup_[0] = DistinctBoxGlyphs(0xE000, 1, 1);
        std::erase_if(backup_[0], [](const auto& entry) { return entry.first >= 0xE800; });
        backup_[0].erase(kNew);
        backup_[1] = DistinctBoxGlyphs(0xE000, 2, 3);
        backup_[2] = DistinctBoxGlyphs(0xE000, 1, 5);  // every flagged code too: slot 2 must not take them
        backup_[5] = DistinctBoxGlyphs(0xE003, 37, 7);
        backup_[15] = DistinctBoxGlyphs(0xE010, 5, 11);
        for (const auto& [slot, glyphs] : backup_) {
            std::string section = TemplateTte(glyphs);
            if (slot == 0) InvertStoredBox(section, kInverted);
            if (fontTools) {
                section = ResavedByFontTools(section, prefix_.scratch());
                backup_[slot] = GlyphsIn(section);  // fontTools encodes glyphs its own way
            }
            contents_.tteSections[static_cast<size_t>(slot)] = section;
        }
        if (fontTools) {
            ASSERT_EQ(Get16(TableOf(*contents_.tteSections[0], "head"), 50), 0u);  // short loca
        }
        // A stored box is written as the points' box; checked on its own.
        backup_[0].erase(kInverted);
        for (uint16_t code : {kBox, kCcw, kFrame, kCurve, kNew, kAbove, kBlank, kLast, kKaiOnly})
            contents_.SetUserManaged(code);

        const auto run = RunRestoreTool(prefix_, backupwriter::BuildBackup(contents_), {"/Silent"});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.err, "");
    }

    // Where the slots' TTE files live on this Windows version.
    std::filesystem::path dir() const {
        std::string relative = GetParam().folder + 3;  // after "C:\"
        std::replace(relative.begin(), relative.end(), '\\', '/');
        return prefix_.root() / "drive_c" / relative;
    }

    TempPrefix prefix_;
    backupwriter::BackupContents contents_;
    std::map<uint16_t, Contours> ming_;
    std::map<int, Glyphs> backup_;
};

}  // namespace

TEST_P(RestoreKeepGlyphs, ManagedCodesOfSlotZeroTakeWhatTheWorkstationDraws) {
    Glyphs expected = backup_[0];
    expected[kBox] = GlyphOf(Box(100, -100 + kMingShift, 900, 700 + kMingShift));
    // Outer contours leave clockwise (y up), holes counter-clockwise: point k swaps with n - 1 - k.
    expected[kCcw] = GlyphOf(Moved({{{150, 650}, {850, 650}, {850, -50}, {150, -50}}}, kMingShift));
    expected[kFrame] = GlyphOf(Moved({Box(100, -100, 900, 700)[0], {{700, 100}, {700, 500}, {300, 500}, {300, 100}}},
                                     kMingShift));
    // The system closes a contour that ends off-curve with a spline back to its start point, which
    // becomes a point of its own.
    expected[kCurve] = GlyphOf(Moved({{{200, 0}, {200, 600, false}, {500, 700}, {800, 600, false}, {200, 0}}},
                                     kMingShift));
    expected[kNew] = GlyphOf(Moved(ming_[kNew], kMingShift));
    expected[kLast] = GlyphOf(Moved(ming_[kLast], kMingShift));
    // Its contour is dropped, but the workstation did draw it: the code is left without a glyph.
    ASSERT_EQ(expected.erase(kAbove), 1u);
    // kBlank draws nothing and kKaiOnly is no glyph of 細明體's links: both keep the backup's glyph,
    // as does kUnmanaged, which the user does not manage.
    ASSERT_TRUE(expected.contains(kBlank) && expected.contains(kKaiOnly) && expected.contains(kUnmanaged));
    const std::string ming = ReadFileBytes(dir() / "MING.TTE");
    Glyphs restored = GlyphsIn(ming);
    ASSERT_TRUE(restored.contains(kInverted));
    int16_t box[4];
    ASSERT_TRUE(restored[kInverted].GetBoundingBox(&box[0], &box[1], &box[2], &box[3]));
    const int16_t x = static_cast<int16_t>((kInverted * 7 + 1) % 300);  // DistinctBoxGlyphs' box for seed 1
    EXPECT_EQ(std::vector<int16_t>(box, box + 4), (std::vector<int16_t>{x, 0, static_cast<int16_t>(x + 100), 500}));
    ExpectGlyphs(expected, ming, kInverted);

    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "EUDC\\950", 0, KEY_READ, &key), ERROR_SUCCESS);
    char link[260] = {};
    DWORD size = sizeof link;
    EXPECT_EQ(RegQueryValueExA(key, kMing.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(link), &size),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(std::string(link), std::string(GetParam().folder) + "\\MING.TTE");
}

TEST_P(RestoreKeepGlyphs, ManagedCodesOfSlotOneTakeWhatItsOwnFaceDraws) {
    // Only kKaiOnly is drawn through 標楷體: its KAI.TTE maps nothing else and its base font no
    // private-use code, so the other flagged codes keep the backup's glyph or stay empty.
    Glyphs expected = backup_[1];
    expected[kKaiOnly] = GlyphOf(Box(200, -50 + kKaiShift, 800, 750 + kKaiShift));
    ExpectGlyphs(expected, ReadFileBytes(dir() / "KAI.TTE"));
}

TEST_P(RestoreKeepGlyphs, OtherSlotsHoldExactlyTheirSections) {
    ExpectGlyphs(backup_[2], ReadFileBytes(dir() / "F2.TTE"));
    ExpectGlyphs(backup_[5], ReadFileBytes(dir() / "F5.TTE"));
    ExpectGlyphs(backup_[15], ReadFileBytes(dir() / "F15.TTE"));
}

TEST_P(RestoreKeepGlyphs, RestoredFilesAreSoundFonts) {
    for (const char* name : {"MING.TTE", "KAI.TTE", "F2.TTE"}) {
        SCOPED_TRACE(name);
        std::string log;
        EXPECT_TRUE(OtsAccepts(dir() / name, &log)) << log;
        EXPECT_EQ(FreeTypeLoadsEveryGlyph(ReadFileBytes(dir() / name)), "");
    }
}

// XP draws the reference glyph by UTF-16 code, Windows 7 by its code page 950 code.
INSTANTIATE_TEST_SUITE_P(Versions, RestoreKeepGlyphs,
                         ::testing::Values(Setting{"winxp", "C:\\windows", false},
                                           Setting{"win7", "C:\\users\\Public\\Documents", false},
                                           Setting{"win7", "C:\\users\\Public\\Documents", true}),
                         [](const auto& info) {
                             return std::string(info.param.version) + (info.param.fontTools ? "_fonttools" : "");
                         });
