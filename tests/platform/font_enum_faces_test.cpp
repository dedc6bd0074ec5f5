// What the font catalogue reads from a face: family names in every platform, encoding and
// language, the Big5 coverage rule, and the host's fonts through fontconfig.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "gdi/font_catalogue.h"
#include "gdi/font_face.h"
#include "gdi/font_names.h"
#include "platform/windows.h"
#include "support/temp_prefix.h"
#include "support/test_font_builder.h"
#include "text.h"

using testsupport::InstallFont;
using testsupport::TempPrefix;
using testsupport::TestFontBuilder;

namespace {

int CALLBACK Count(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM param) {
    ++*reinterpret_cast<int*>(param);
    return 1;
}

int CountFaces(const std::string& face, BYTE charset) {
    LOGFONTA lf{};
    lf.lfCharSet = charset;
    std::memcpy(lf.lfFaceName, face.data(), std::min<size_t>(face.size(), LF_FACESIZE - 1));
    HDC dc = CreateCompatibleDC(nullptr);
    int n = 0;
    EnumFontFamiliesExA(dc, &lf, Count, reinterpret_cast<LPARAM>(&n), 0);
    DeleteDC(dc);
    return n;
}

std::string Ansi(const char* utf8) { return platform::text::Utf8ToAnsi(utf8); }

std::vector<platform::gdi::FontFace> ReadBuilt(const TempPrefix& prefix, const std::string& bytes) {
    const auto path = prefix.scratch() / "face.ttf";
    testsupport::WriteFileBytes(path, bytes);
    return platform::gdi::ReadFontFaces(path);
}

std::vector<uint32_t> Sample(int from, int to) {
    std::vector<uint32_t> codes;
    for (int i = from; i < to; ++i) codes.push_back(platform::gdi::kBig5Sample[i]);
    return codes;
}

bool HasCharset(const platform::gdi::FontFace& f, uint8_t cs) {
    return std::find(f.charsets.begin(), f.charsets.end(), cs) != f.charsets.end();
}

}  // namespace

TEST(FontEnumNames, DecodesEachPlatformsEncoding) {
    using platform::gdi::DecodeName;
    EXPECT_EQ(DecodeName(3, 1, std::string("\x00K\x00\x61\x00i", 6)), L"Kai");
    EXPECT_EQ(DecodeName(0, 3, std::string("\x6a\x19\x69\x77\x9a\xd4", 6)), L"\x6a19\x6977\x9ad4");  // 標楷體
    EXPECT_EQ(DecodeName(1, 0, "Caf\x8E \xA5"), L"Caf\x00E9 \x2022");  // Mac Roman é and bullet
    // Big5 kept in 16-bit units (Windows) or as bytes (Mac), single bytes with a zero high byte.
    EXPECT_EQ(DecodeName(3, 4, std::string("\xBC\xD0\xB7\xA2\xC5\xE9\x00" "A", 8)), L"\x6a19\x6977\x9ad4" L"A");
    EXPECT_EQ(DecodeName(1, 2, "\xBC\xD0\xB7\xA2\xC5\xE9"), L"\x6a19\x6977\x9ad4");
    // Trailing NUL padding is not part of the name; an odd last byte cannot form a unit.
    EXPECT_EQ(DecodeName(3, 1, std::string("\x00X\x00\x00\x00\x00", 6)), L"X");
    EXPECT_EQ(DecodeName(3, 1, std::string("\x00X\x00", 3)), L"X");
    // Encodings there is no table for are refused, not guessed.
    EXPECT_FALSE(DecodeName(3, 3, "abc").has_value());
    EXPECT_FALSE(DecodeName(1, 1, "abc").has_value());
    EXPECT_FALSE(DecodeName(2, 0, "abc").has_value());
    EXPECT_FALSE(DecodeName(1, 2, "\xBC").has_value());  // a lead byte without its trail
}

TEST(FontEnumNames, FindsFamilyNamesOfEveryKind) {
    TempPrefix prefix;
    TestFontBuilder b;
    b.Family("Base Name");
    b.Name(testsupport::kNamePlatformMac, 0, 0, 1, "Mac Name");
    b.Name(testsupport::kNamePlatformUnicode, 3, 0, 1, "Unicode Name");
    b.Name(3, 1, 0x0409, 16, "Typographic Name");
    b.Name(3, 1, 0x0804, 1, "Simplified Language Name");
    b.RawName(3, 4, 0x0404, 1, std::string("\xBC\xD0\xB7\xA2\xC5\xE9", 6));  // 標楷體 as Big5
    b.Name(3, 1, 0x0409, 4, "Full Name Only");  // name ID 4 is no family name
    b.RawName(3, 3, 0x0804, 1, "\xC1\xA5");  // an encoding without a table is ignored
    b.CodePages(testsupport::kCodePageChineseTraditional);
    InstallFont(prefix, "many.ttf", b.Build());

    for (const std::string& name : {std::string("Base Name"), std::string("Mac Name"), std::string("Unicode Name"),
                                    std::string("typographic name"), std::string("Simplified Language Name"),
                                    Ansi("標楷體")})
        EXPECT_EQ(CountFaces(name, CHINESEBIG5_CHARSET), 1) << name;
    EXPECT_EQ(CountFaces("Full Name Only", CHINESEBIG5_CHARSET), 0);
    // The names belong to one face: all of them together list it once.
    EXPECT_EQ(CountFaces("", DEFAULT_CHARSET), 1);
}

TEST(FontEnumNames, ReadsEveryFaceOfACollection) {
    TempPrefix prefix;
    TestFontBuilder a, b, c;
    a.Family("Face Zero");
    b.Family("Face One").Bold(true);
    c.Family("Face Two").CodePages(testsupport::kCodePageChineseTraditional);
    auto faces = ReadBuilt(prefix, testsupport::BuildCollection({a, b, c}));
    ASSERT_EQ(faces.size(), 3u);
    EXPECT_EQ(faces[0].families.front().text, L"Face Zero");
    EXPECT_EQ(faces[1].families.front().text, L"Face One");
    EXPECT_TRUE(faces[1].bold);
    EXPECT_EQ(faces[2].index, 2);
    EXPECT_TRUE(HasCharset(faces[2], CHINESEBIG5_CHARSET));
    EXPECT_FALSE(HasCharset(faces[0], CHINESEBIG5_CHARSET));
    for (const auto& f : faces) EXPECT_TRUE(f.trueTypeOutlines);
}

TEST(FontEnumNames, FamilyOwnNamePrefersTraditionalChineseThenEnglish) {
    TempPrefix prefix;
    TestFontBuilder b;
    b.Name(3, 1, 0x0411, 1, "Japanese Name").Family("English Name").Family("中文名", testsupport::kLangChineseTaiwan);
    auto faces = ReadBuilt(prefix, b.Build());
    ASSERT_EQ(faces.size(), 1u);
    ASSERT_EQ(faces[0].families.size(), 3u);
    EXPECT_EQ(faces[0].families[0].text, L"\x4e2d\x6587\x540d");
    EXPECT_EQ(faces[0].families[1].text, L"English Name");

    TestFontBuilder e;
    e.Name(3, 1, 0x0411, 1, "Japanese Name").Family("English Name");
    faces = ReadBuilt(prefix, e.Build());
    ASSERT_EQ(faces.size(), 1u);
    EXPECT_EQ(faces[0].families[0].text, L"English Name");
}

TEST(FontEnumBig5, CoverageNeedsTheThresholdOfTheSample) {
    TempPrefix prefix;
    using platform::gdi::kBig5CoverageThreshold;
    using platform::gdi::kBig5SampleCount;
    static_assert(kBig5CoverageThreshold > kBig5SampleCount / 2 && kBig5CoverageThreshold <= kBig5SampleCount);

    // Exactly the threshold, taken from the end so that the Traditional forms are all among them.
    auto enough = ReadBuilt(prefix, TestFontBuilder().Family("Enough").MapCodes(
                                        Sample(kBig5SampleCount - kBig5CoverageThreshold, kBig5SampleCount)).Build());
    ASSERT_EQ(enough.size(), 1u);
    EXPECT_EQ(enough[0].codePages[0], 0u);
    EXPECT_TRUE(HasCharset(enough[0], CHINESEBIG5_CHARSET));

    auto short1 = ReadBuilt(prefix, TestFontBuilder().Family("Short").MapCodes(
                                        Sample(kBig5SampleCount - kBig5CoverageThreshold + 1, kBig5SampleCount)).Build());
    ASSERT_EQ(short1.size(), 1u);
    EXPECT_FALSE(HasCharset(short1[0], CHINESEBIG5_CHARSET));
}

TEST(FontEnumBig5, SimplifiedChineseTextIsNotBig5Text) {
    TempPrefix prefix;
    // Everything a GB2312 font would have of the sample (the shared half) and the common
    // Simplified forms of the rest: the Traditional forms are missing.
    TestFontBuilder b;
    b.Family("Simplified").MapCodes(Sample(0, 32)).MapText("这个们来为国说时会对过发里种经么学现当没动还进开从实样长问与点业");
    b.CodePages(testsupport::kCodePageChineseSimplified);
    auto faces = ReadBuilt(prefix, b.Build());
    ASSERT_EQ(faces.size(), 1u);
    EXPECT_FALSE(HasCharset(faces[0], CHINESEBIG5_CHARSET));
    EXPECT_TRUE(HasCharset(faces[0], GB2312_CHARSET));

    // Traditional text written in the same font's other half makes it Big5.
    b.MapText("這個們來為國說時會對過發裡種經麼學現當沒動還進開從實樣長問與點業");
    faces = ReadBuilt(prefix, b.Build());
    ASSERT_EQ(faces.size(), 1u);
    EXPECT_TRUE(HasCharset(faces[0], CHINESEBIG5_CHARSET));
}

TEST(FontEnumBig5, LatinNeedsEveryLetter) {
    TempPrefix prefix;
    std::string letters;
    for (char c = 'A'; c <= 'Z'; ++c) letters += {c, static_cast<char>(c + 32)};
    auto all = ReadBuilt(prefix, TestFontBuilder().Family("Latin").MapText(letters).Build());
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].charsets, std::vector<uint8_t>{ANSI_CHARSET});

    letters.pop_back();  // no 'z'
    auto most = ReadBuilt(prefix, TestFontBuilder().Family("Latin").MapText(letters).Build());
    ASSERT_EQ(most.size(), 1u);
    // Nothing tells its character set: it is listed only when any character set is asked for.
    EXPECT_EQ(most[0].charsets, std::vector<uint8_t>{DEFAULT_CHARSET});
    InstallFont(prefix, "most.ttf", TestFontBuilder().Family("Latin").MapText(letters).Build());
    EXPECT_EQ(CountFaces("Latin", DEFAULT_CHARSET), 1);
    EXPECT_EQ(CountFaces("Latin", ANSI_CHARSET), 0);
}

TEST(FontEnumBig5, CodePageBitsGiveTheirCharacterSetsInOrder) {
    TempPrefix prefix;
    auto faces = ReadBuilt(prefix, TestFontBuilder().Family("Multi")
                                       .CodePages((1u << 0) | (1u << 2) | (1u << 17) | (1u << 20)).Build());
    ASSERT_EQ(faces.size(), 1u);
    EXPECT_EQ(faces[0].charsets,
              (std::vector<uint8_t>{ANSI_CHARSET, RUSSIAN_CHARSET, SHIFTJIS_CHARSET, CHINESEBIG5_CHARSET}));
}

TEST(FontEnumCatalogue, OnlyFontFileNamesCount) {
    using platform::gdi::IsFontFileName;
    for (const char* name : {"a.ttf", "B.TTC", "c.Otf", "EUDC.TTE", "x.y.ttf"}) EXPECT_TRUE(IsFontFileName(name)) << name;
    for (const char* name : {"a.fon", "ttf", "a.ttf.bak", "a.woff", "a.pfb", "a"}) EXPECT_FALSE(IsFontFileName(name)) << name;
}

TEST(FontEnumCatalogue, FollowsTheFontsFolderOfAFullWinePrefix) {
    TempPrefix prefix;
    // A Wine prefix whose C: drive lives elsewhere, reached through dosdevices, with the folder in
    // capitals: the path is matched as Windows would.
    const auto elsewhere = prefix.scratch() / "real-c";
    std::filesystem::create_directories(elsewhere / "WINDOWS" / "FONTS");
    std::filesystem::create_directories(prefix.root() / "dosdevices");
    std::filesystem::create_directory_symlink(elsewhere, prefix.root() / "dosdevices" / "c:");
    testsupport::WriteFileBytes(elsewhere / "WINDOWS" / "FONTS" / "kai.ttf",
                                TestFontBuilder().Family("Linked Kai").CodePages(testsupport::kCodePageChineseTraditional).Build());
    EXPECT_EQ(CountFaces("Linked Kai", CHINESEBIG5_CHARSET), 1);
}

TEST(FontEnumCatalogue, HostFontsComeFromFontconfigUnlessSwitchedOff) {
    TempPrefix prefix;
    // A fontconfig configuration of our own that knows one folder, so the test does not depend on
    // what the machine has installed.
    const auto hostFonts = prefix.scratch() / "host-fonts";
    std::filesystem::create_directories(hostFonts);
    testsupport::WriteFileBytes(hostFonts / "hostkai.ttf",
                                TestFontBuilder().Family("Host Kai").CodePages(testsupport::kCodePageChineseTraditional).Build());
    const auto conf = prefix.scratch() / "fonts.conf";
    testsupport::WriteFileBytes(conf, "<?xml version=\"1.0\"?>\n<fontconfig>\n<dir>" + hostFonts.string() +
                                          "</dir>\n<cachedir>" + (prefix.scratch() / "fc-cache").string() +
                                          "</cachedir>\n</fontconfig>\n");
    const char* oldConf = std::getenv("FONTCONFIG_FILE");
    const std::string saved = oldConf ? oldConf : "";
    setenv("FONTCONFIG_FILE", conf.c_str(), 1);

    EXPECT_EQ(CountFaces("Host Kai", CHINESEBIG5_CHARSET), 0);  // TempPrefix switched host fonts off
    setenv("EUDC_HOST_FONTS", "1", 1);
    EXPECT_EQ(CountFaces("Host Kai", CHINESEBIG5_CHARSET), 1);
    // Prefix fonts and host fonts together.
    InstallFont(prefix, "kai.ttf", TestFontBuilder().Family("Prefix Kai").CodePages(testsupport::kCodePageChineseTraditional).Build());
    EXPECT_EQ(CountFaces("Prefix Kai", CHINESEBIG5_CHARSET), 1);
    EXPECT_EQ(CountFaces("Host Kai", CHINESEBIG5_CHARSET), 1);
    setenv("EUDC_HOST_FONTS", "0", 1);
    EXPECT_EQ(CountFaces("Host Kai", CHINESEBIG5_CHARSET), 0);

    if (oldConf)
        setenv("FONTCONFIG_FILE", saved.c_str(), 1);
    else
        unsetenv("FONTCONFIG_FILE");
}
