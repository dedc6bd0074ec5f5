// EnumFontFamiliesExA over the prefix's Fonts folder: names, character sets, substitutes, the
// callback's return value, long names, damaged files, and device contexts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "gdi/font_face.h"
#include "platform/windows.h"
#include "support/temp_prefix.h"
#include "support/test_font_builder.h"
#include "text.h"

using testsupport::InstallFont;
using testsupport::TempPrefix;
using testsupport::TestFontBuilder;

namespace {

struct Seen {
    std::string face;
    BYTE charset = 0;
    std::string fullName, style, script;
    DWORD type = 0;
    NEWTEXTMETRICEXA ntm{};
};

struct Recorder {
    std::vector<Seen> seen;
    std::vector<int> answers;  // what to return, call by call; the last repeats
};

int CALLBACK Record(const LOGFONTA* lf, const TEXTMETRICA* tm, DWORD type, LPARAM param) {
    auto* r = reinterpret_cast<Recorder*>(param);
    const auto* elf = reinterpret_cast<const ENUMLOGFONTEXA*>(lf);
    Seen s;
    s.face.assign(lf->lfFaceName, strnlen(lf->lfFaceName, LF_FACESIZE));
    EXPECT_LT(s.face.size(), static_cast<size_t>(LF_FACESIZE)) << "face name without its terminator";
    s.charset = lf->lfCharSet;
    s.fullName = reinterpret_cast<const char*>(elf->elfFullName);
    s.style = reinterpret_cast<const char*>(elf->elfStyle);
    s.script = reinterpret_cast<const char*>(elf->elfScript);
    s.type = type;
    std::memcpy(&s.ntm, tm, sizeof s.ntm);
    const size_t n = r->seen.size();
    r->seen.push_back(s);
    if (r->answers.empty()) return 1;
    return r->answers[std::min(n, r->answers.size() - 1)];
}

// Enumerates on a memory DC compatible with the screen, as the system does.
int Enumerate(const std::string& face, BYTE charset, Recorder& r) {
    LOGFONTA lf{};
    lf.lfCharSet = charset;
    std::memcpy(lf.lfFaceName, face.data(), std::min<size_t>(face.size(), LF_FACESIZE));
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_NE(dc, nullptr);
    const int result = EnumFontFamiliesExA(dc, &lf, Record, reinterpret_cast<LPARAM>(&r), 0);
    DeleteDC(dc);
    return result;
}

std::vector<Seen> Faces(const std::string& face, BYTE charset) {
    Recorder r;
    Enumerate(face, charset, r);
    return r.seen;
}

std::string Ansi(const char* utf8) { return platform::text::Utf8ToAnsi(utf8); }

// A Traditional Chinese font as the system meets it: an English and a Chinese family name.
TestFontBuilder KaiFont() {
    TestFontBuilder b;
    b.Family("DFKai-SB").Family("標楷體", testsupport::kLangChineseTaiwan);
    b.CodePages(testsupport::kCodePageChineseTraditional);
    return b;
}

std::string LatinLetters() {
    std::string s;
    for (char c = 'A'; c <= 'Z'; ++c) s += {c, static_cast<char>(c - 'A' + 'a')};
    return s;
}

// The first n of the sample characters that decide Big5 coverage.
std::vector<uint32_t> Big5Sample(int n) {
    std::vector<uint32_t> codes;
    for (int i = 0; i < n; ++i) codes.push_back(platform::gdi::kBig5Sample[i]);
    return codes;
}

}  // namespace

TEST(FontEnum, FindsAFaceByItsEnglishAndItsChineseName) {
    TempPrefix prefix;
    InstallFont(prefix, "kaiu.ttf", KaiFont().Build());

    auto english = Faces("DFKai-SB", CHINESEBIG5_CHARSET);
    ASSERT_EQ(english.size(), 1u);
    EXPECT_EQ(english[0].face, "DFKai-SB");
    EXPECT_EQ(english[0].charset, CHINESEBIG5_CHARSET);

    const std::string kai = Ansi("標楷體");
    auto chinese = Faces(kai, CHINESEBIG5_CHARSET);
    ASSERT_EQ(chinese.size(), 1u);
    EXPECT_EQ(chinese[0].face, kai);  // reported in the name it was asked for
    EXPECT_EQ(chinese[0].charset, CHINESEBIG5_CHARSET);

    // ASCII letters compare without regard to case; the font's own spelling is reported.
    auto lower = Faces("dfkai-sb", CHINESEBIG5_CHARSET);
    ASSERT_EQ(lower.size(), 1u);
    EXPECT_EQ(lower[0].face, "DFKai-SB");

    EXPECT_TRUE(Faces("DFKai", CHINESEBIG5_CHARSET).empty());
    EXPECT_TRUE(Faces(Ansi("標楷"), CHINESEBIG5_CHARSET).empty());
}

TEST(FontEnum, CaseFoldingLeavesChineseCharactersAlone) {
    TempPrefix prefix;
    // 乙 is A4 41 and 兀 is A4 61 in code page 950: their trail bytes look like 'A' and 'a'.
    // Folding bytes as ASCII letters would make the two faces' names equal.
    InstallFont(prefix, "a.ttf", TestFontBuilder().Family("乙體").CodePages(testsupport::kCodePageChineseTraditional).Build());
    const std::string asked = Ansi("乙體");
    const std::string other = Ansi("兀體");
    ASSERT_EQ(asked.substr(0, 2), "\xA4\x41");
    ASSERT_EQ(other.substr(0, 2), "\xA4\x61");
    EXPECT_EQ(Faces(asked, CHINESEBIG5_CHARSET).size(), 1u);
    EXPECT_TRUE(Faces(other, CHINESEBIG5_CHARSET).empty());
}

TEST(FontEnum, CharsetSelectsFacesThatHaveIt) {
    TempPrefix prefix;
    // Latin letters only: no Traditional Chinese bit and no Big5 coverage.
    InstallFont(prefix, "latin.ttf", TestFontBuilder().Family("Plain Latin").MapText(LatinLetters()).Build());

    Recorder big5;
    EXPECT_EQ(Enumerate("Plain Latin", CHINESEBIG5_CHARSET, big5), 1);
    EXPECT_TRUE(big5.seen.empty());

    auto any = Faces("Plain Latin", DEFAULT_CHARSET);
    ASSERT_EQ(any.size(), 1u);
    EXPECT_EQ(any[0].charset, ANSI_CHARSET);
    EXPECT_EQ(any[0].script, "Western");
    EXPECT_EQ(Faces("Plain Latin", ANSI_CHARSET).size(), 1u);
    EXPECT_TRUE(Faces("Plain Latin", SHIFTJIS_CHARSET).empty());
}

TEST(FontEnum, TraditionalChineseBitAloneMakesABig5Face) {
    TempPrefix prefix;
    InstallFont(prefix, "bit.ttf", TestFontBuilder().Family("Bit Only").CodePages(testsupport::kCodePageChineseTraditional).Build());
    auto big5 = Faces("Bit Only", CHINESEBIG5_CHARSET);
    ASSERT_EQ(big5.size(), 1u);
    EXPECT_EQ(big5[0].script, "CHINESE_BIG5");
    // It maps no Latin letters, so DEFAULT_CHARSET lists the Big5 character set alone.
    auto any = Faces("Bit Only", DEFAULT_CHARSET);
    ASSERT_EQ(any.size(), 1u);
    EXPECT_EQ(any[0].charset, CHINESEBIG5_CHARSET);
    EXPECT_TRUE(Faces("Bit Only", ANSI_CHARSET).empty());
}

TEST(FontEnum, Big5CoverageAloneMakesABig5Face) {
    TempPrefix prefix;
    TestFontBuilder b;
    b.Family("Covered").MapText(LatinLetters()).MapCodes(Big5Sample(platform::gdi::kBig5SampleCount));
    InstallFont(prefix, "cover.ttf", b.Build());
    auto big5 = Faces("Covered", CHINESEBIG5_CHARSET);
    ASSERT_EQ(big5.size(), 1u);
    // The signature shows the character set the cmap earned.
    EXPECT_NE(big5[0].ntm.ntmFontSig.fsCsb[0] & testsupport::kCodePageChineseTraditional, 0u);
    auto any = Faces("Covered", DEFAULT_CHARSET);
    ASSERT_EQ(any.size(), 2u);
    EXPECT_EQ(any[0].charset, ANSI_CHARSET);
    EXPECT_EQ(any[1].charset, CHINESEBIG5_CHARSET);
}

TEST(FontEnum, FontSubstitutesMapANameToAnInstalledFace) {
    TempPrefix prefix;
    InstallFont(prefix, "kaiu.ttf", KaiFont().Build());
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes", 0,
                              nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    auto set = [&](const std::string& name, const std::string& data) {
        ASSERT_EQ(RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                                 static_cast<DWORD>(data.size() + 1)),
                  ERROR_SUCCESS);
    };
    set("Kai", "DFKai-SB");
    set(Ansi("楷書"), Ansi("標楷體"));
    set("Kai Western,0", "DFKai-SB,136");  // only for ANSI_CHARSET requests, which it turns into Big5
    set("Gone", "No Such Face");
    RegCloseKey(key);

    auto kai = Faces("kai", CHINESEBIG5_CHARSET);  // value names compare without regard to case
    ASSERT_EQ(kai.size(), 1u);
    EXPECT_EQ(kai[0].face, "kai");  // the name asked for
    EXPECT_EQ(kai[0].charset, CHINESEBIG5_CHARSET);

    EXPECT_EQ(Faces(Ansi("楷書"), CHINESEBIG5_CHARSET).size(), 1u);

    auto western = Faces("Kai Western", ANSI_CHARSET);
    ASSERT_EQ(western.size(), 1u);
    EXPECT_EQ(western[0].charset, CHINESEBIG5_CHARSET);
    EXPECT_TRUE(Faces("Kai Western", CHINESEBIG5_CHARSET).empty());  // "Kai Western,136" does not exist

    EXPECT_TRUE(Faces("Gone", DEFAULT_CHARSET).empty());
}

TEST(FontEnum, SubstituteThatFindsNothingLeavesTheRealFace) {
    TempPrefix prefix;
    InstallFont(prefix, "kaiu.ttf", KaiFont().Build());
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes", 0,
                              nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const std::string data = "Missing Kai";
    ASSERT_EQ(RegSetValueExA(key, "DFKai-SB", 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                             static_cast<DWORD>(data.size() + 1)),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(Faces("DFKai-SB", CHINESEBIG5_CHARSET).size(), 1u);
}

TEST(FontEnum, ReturnsWhatTheCallbackLastReturned) {
    TempPrefix prefix;
    InstallFont(prefix, "a.ttf", TestFontBuilder().Family("Ming A").CodePages(testsupport::kCodePageChineseTraditional).Build());
    InstallFont(prefix, "b.ttf", TestFontBuilder().Family("Ming B").CodePages(testsupport::kCodePageChineseTraditional).Build());

    Recorder minus5;
    minus5.answers = {-5};
    EXPECT_EQ(Enumerate("Ming A", CHINESEBIG5_CHARSET, minus5), -5);
    EXPECT_EQ(minus5.seen.size(), 1u);

    // A non-zero answer goes on; the last answer is the result.
    Recorder goOn;
    goOn.answers = {7, 3};
    EXPECT_EQ(Enumerate("", CHINESEBIG5_CHARSET, goOn), 3);
    EXPECT_EQ(goOn.seen.size(), 2u);

    // Zero stops at once.
    Recorder stop;
    stop.answers = {0};
    EXPECT_EQ(Enumerate("", CHINESEBIG5_CHARSET, stop), 0);
    EXPECT_EQ(stop.seen.size(), 1u);

    Recorder none;
    none.answers = {-5};
    EXPECT_EQ(Enumerate("Ming C", CHINESEBIG5_CHARSET, none), 1);
    EXPECT_TRUE(none.seen.empty());
}

TEST(FontEnum, WithoutAnyFontTheResultIsOne) {
    TempPrefix prefix;  // no prefix folder at all
    Recorder r;
    r.answers = {-5};
    EXPECT_EQ(Enumerate("", DEFAULT_CHARSET, r), 1);
    EXPECT_EQ(Enumerate("DFKai-SB", CHINESEBIG5_CHARSET, r), 1);
    EXPECT_TRUE(r.seen.empty());
    EXPECT_FALSE(std::filesystem::exists(prefix.root()));  // enumeration writes nothing
}

TEST(FontEnum, EmptyNameListsEachFamilyOnceNamedListsEachStyle) {
    TempPrefix prefix;
    const std::string ming = Ansi("細明體");
    InstallFont(prefix, "mingr.ttf", TestFontBuilder().Family("MingLiU").Family("細明體", testsupport::kLangChineseTaiwan)
                                          .CodePages(testsupport::kCodePageChineseTraditional).Build());
    InstallFont(prefix, "mingb.ttf", TestFontBuilder().Family("MingLiU").Family("細明體", testsupport::kLangChineseTaiwan)
                                          .Bold(true).CodePages(testsupport::kCodePageChineseTraditional).Build());
    InstallFont(prefix, "kaiu.ttf", KaiFont().Build());

    auto all = Faces("", DEFAULT_CHARSET);
    ASSERT_EQ(all.size(), 2u);
    // Listed under the Traditional Chinese name, as a zh-TW system shows them.
    EXPECT_EQ(all[0].face, Ansi("標楷體"));
    EXPECT_EQ(all[1].face, ming);

    auto styles = Faces("MingLiU", CHINESEBIG5_CHARSET);
    ASSERT_EQ(styles.size(), 2u);
    std::vector<std::string> names{styles[0].style, styles[1].style};
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Bold", "Regular"}));
    for (const auto& s : styles) {
        const bool bold = s.style == "Bold";
        EXPECT_EQ(s.ntm.ntmTm.tmWeight, bold ? FW_BOLD : FW_NORMAL);
        EXPECT_EQ((s.ntm.ntmTm.ntmFlags & NTM_BOLD) != 0, bold);
        EXPECT_EQ((s.ntm.ntmTm.ntmFlags & NTM_REGULAR) != 0, !bold);
    }
}

TEST(FontEnum, FillsTheDescriptionAndMetrics) {
    TempPrefix prefix;
    TestFontBuilder b = KaiFont();
    b.UnitsPerEm(1024).Metrics(820, 204).AverageCharWidth(512).Name(3, 1, 0x0404, 4, "標楷體 全名");
    InstallFont(prefix, "kaiu.ttf", b.Build());
    auto seen = Faces(Ansi("標楷體"), CHINESEBIG5_CHARSET);
    ASSERT_EQ(seen.size(), 1u);
    const Seen& s = seen[0];
    EXPECT_EQ(s.type, static_cast<DWORD>(TRUETYPE_FONTTYPE));
    EXPECT_EQ(s.fullName, Ansi("標楷體 全名"));  // in the language of the name that matched
    EXPECT_EQ(s.style, "Regular");
    EXPECT_EQ(s.script, "CHINESE_BIG5");
    const NEWTEXTMETRICA& tm = s.ntm.ntmTm;
    EXPECT_EQ(tm.tmHeight, 1024);
    EXPECT_EQ(tm.tmAscent, 820);
    EXPECT_EQ(tm.tmDescent, 204);
    EXPECT_EQ(tm.tmInternalLeading, 0);
    EXPECT_EQ(tm.tmAveCharWidth, 512);
    EXPECT_EQ(tm.tmCharSet, CHINESEBIG5_CHARSET);
    EXPECT_EQ(tm.ntmSizeEM, 1024u);
    EXPECT_EQ(tm.ntmAvgWidth, 512u);
    EXPECT_NE(tm.tmPitchAndFamily & TMPF_TRUETYPE, 0);
    EXPECT_EQ(s.ntm.ntmFontSig.fsCsb[0], testsupport::kCodePageChineseTraditional);

    auto english = Faces("DFKai-SB", CHINESEBIG5_CHARSET);
    ASSERT_EQ(english.size(), 1u);
    EXPECT_EQ(english[0].fullName, "DFKai-SB");  // the builder's English full name
}

TEST(FontEnum, LongFaceNamesAreCutToTheField) {
    TempPrefix prefix;
    const std::string longName = "An Extraordinarily Long Family Name For GDI";  // 43 bytes
    InstallFont(prefix, "long.ttf", TestFontBuilder().Family(longName).CodePages(testsupport::kCodePageChineseTraditional).Build());
    // 18 Chinese characters: 36 bytes in code page 950.
    InstallFont(prefix, "longzh.ttf", TestFontBuilder().Family("中文字型名稱非常長的一個測試字型家族")
                                            .CodePages(testsupport::kCodePageChineseTraditional).Build());

    // GDI keeps 31 characters of a face name: the first 31 find the face, and are what it reports.
    auto seen = Faces(longName.substr(0, 31), CHINESEBIG5_CHARSET);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].face, longName.substr(0, 31));
    EXPECT_TRUE(Faces(longName.substr(0, 20), CHINESEBIG5_CHARSET).empty());

    // A field filled to its end without a terminator is read no further than its 31st byte.
    Recorder r;
    LOGFONTA lf{};
    lf.lfCharSet = CHINESEBIG5_CHARSET;
    std::memcpy(lf.lfFaceName, longName.data(), LF_FACESIZE);
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(EnumFontFamiliesExA(dc, &lf, Record, reinterpret_cast<LPARAM>(&r), 0), 1);
    DeleteDC(dc);
    EXPECT_EQ(r.seen.size(), 1u);

    // Listed without a name, the Chinese family is cut before the character that would not fit.
    bool foundChinese = false;
    for (const auto& s : Faces("", CHINESEBIG5_CHARSET)) {
        if (s.face.empty() || static_cast<uint8_t>(s.face[0]) < 0x80) continue;
        foundChinese = true;
        EXPECT_EQ(s.face.size(), 30u);
        EXPECT_EQ(s.face, Ansi("中文字型名稱非常長的一個測試字"));
    }
    EXPECT_TRUE(foundChinese);
}

TEST(FontEnum, DamagedFontFilesAreSkipped) {
    TempPrefix prefix;
    const std::string good = KaiFont().Build();
    InstallFont(prefix, "good.ttf", good);
    InstallFont(prefix, "garbage.ttf", std::string(5000, '\x5A'));
    InstallFont(prefix, "empty.ttc", "");
    InstallFont(prefix, "truncated.ttf", good.substr(0, good.size() / 3));
    // A collection header that claims a huge number of faces at offsets past the end.
    std::string ttc = "ttcf";
    ttc += std::string("\x00\x01\x00\x00\x7f\xff\xff\xff", 8);
    ttc += std::string(64, '\xff');
    InstallFont(prefix, "liar.ttc", ttc);
    // A table directory whose tables lie outside the file.
    std::string wild = good.substr(0, 12 + 16 * 10);
    for (size_t rec = 12; rec + 16 <= wild.size(); rec += 16) wild.replace(rec + 8, 4, "\x7f\xff\xff\x00", 4);
    InstallFont(prefix, "wild.ttf", wild);

    Recorder r;
    Enumerate("", DEFAULT_CHARSET, r);
    ASSERT_EQ(r.seen.size(), 1u);
    EXPECT_EQ(r.seen[0].face, Ansi("標楷體"));
    const auto fonts = prefix.root() / "drive_c" / "windows" / "Fonts";
    for (const char* name : {"garbage.ttf", "empty.ttc", "truncated.ttf", "liar.ttc", "wild.ttf"})
        EXPECT_TRUE(platform::gdi::ReadFontFaces(fonts / name).empty()) << name;
}

TEST(FontEnum, SeesFontsAddedChangedAndRemovedAfterwards) {
    TempPrefix prefix;
    EXPECT_TRUE(Faces("DFKai-SB", CHINESEBIG5_CHARSET).empty());
    const auto path = InstallFont(prefix, "kaiu.ttf", KaiFont().Build());
    EXPECT_EQ(Faces("DFKai-SB", CHINESEBIG5_CHARSET).size(), 1u);

    // Rewritten under the same file name with another family.
    testsupport::WriteFileBytes(
        path, TestFontBuilder().Family("Other Kai").CodePages(testsupport::kCodePageChineseTraditional).Build());
    EXPECT_TRUE(Faces("DFKai-SB", CHINESEBIG5_CHARSET).empty());
    EXPECT_EQ(Faces("Other Kai", CHINESEBIG5_CHARSET).size(), 1u);

    std::filesystem::remove(path);
    EXPECT_TRUE(Faces("Other Kai", CHINESEBIG5_CHARSET).empty());
}

TEST(FontEnum, EachPrefixHasItsOwnFonts) {
    {
        TempPrefix prefix;
        InstallFont(prefix, "kaiu.ttf", KaiFont().Build());
        EXPECT_EQ(Faces("DFKai-SB", CHINESEBIG5_CHARSET).size(), 1u);
    }
    TempPrefix other;
    EXPECT_TRUE(Faces("DFKai-SB", CHINESEBIG5_CHARSET).empty());
}

TEST(FontEnum, ReadsCollectionsTteFilesAndUpperCaseNames) {
    TempPrefix prefix;
    TestFontBuilder a, b;
    a.Family("MingLiU").CodePages(testsupport::kCodePageChineseTraditional);
    b.Family("PMingLiU").CodePages(testsupport::kCodePageChineseTraditional);
    InstallFont(prefix, "MINGLIU.TTC", testsupport::BuildCollection({a, b}));
    InstallFont(prefix, "EUDC.TTE", TestFontBuilder().Family("EUDC").CodePages(testsupport::kCodePageChineseTraditional).Build());
    InstallFont(prefix, "notes.txt", KaiFont().Build());  // not a font file name

    EXPECT_EQ(Faces("MingLiU", CHINESEBIG5_CHARSET).size(), 1u);
    EXPECT_EQ(Faces("PMingLiU", CHINESEBIG5_CHARSET).size(), 1u);
    EXPECT_EQ(Faces("EUDC", CHINESEBIG5_CHARSET).size(), 1u);
    EXPECT_TRUE(Faces("DFKai-SB", CHINESEBIG5_CHARSET).empty());
}

TEST(FontEnum, BadDeviceContextOrArgumentsFail) {
    TempPrefix prefix;
    InstallFont(prefix, "kaiu.ttf", KaiFont().Build());
    LOGFONTA lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    Recorder r;
    int bogus = 0;
    EXPECT_EQ(EnumFontFamiliesExA(reinterpret_cast<HDC>(&bogus), &lf, Record, reinterpret_cast<LPARAM>(&r), 0), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(EnumFontFamiliesExA(nullptr, &lf, Record, reinterpret_cast<LPARAM>(&r), 0), 0);

    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(EnumFontFamiliesExA(dc, nullptr, Record, reinterpret_cast<LPARAM>(&r), 0), 0);
    EXPECT_EQ(EnumFontFamiliesExA(dc, &lf, nullptr, 0, 0), 0);
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_EQ(EnumFontFamiliesExA(dc, &lf, Record, reinterpret_cast<LPARAM>(&r), 0), 0);  // deleted
    EXPECT_TRUE(r.seen.empty());
}

TEST(FontEnumDeviceContext, ScreenAndMemoryDCsAreReleasedTheirOwnWay) {
    HDC screen = GetDC(nullptr);
    ASSERT_NE(screen, nullptr);
    HDC mem = CreateCompatibleDC(screen);
    ASSERT_NE(mem, nullptr);
    EXPECT_NE(mem, screen);

    EXPECT_FALSE(DeleteDC(screen));       // given back with ReleaseDC, not deleted
    EXPECT_EQ(ReleaseDC(nullptr, mem), 0);  // a memory DC is deleted, not released
    EXPECT_TRUE(DeleteDC(mem));
    EXPECT_FALSE(DeleteDC(mem));
    EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
    EXPECT_EQ(ReleaseDC(nullptr, screen), 0);

    int bogus = 0;
    EXPECT_EQ(CreateCompatibleDC(reinterpret_cast<HDC>(&bogus)), nullptr);
    EXPECT_FALSE(DeleteDC(reinterpret_cast<HDC>(&bogus)));
    EXPECT_EQ(ReleaseDC(nullptr, reinterpret_cast<HDC>(&bogus)), 0);
    EXPECT_FALSE(DeleteDC(nullptr));

    // There are no windows to draw in.
    EXPECT_EQ(GetDC(reinterpret_cast<HWND>(&bogus)), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}
