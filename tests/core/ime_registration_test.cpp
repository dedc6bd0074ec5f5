// The IMEs' layouts, their dictionary files and single words, over IMEs described on a workstation.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "eudccore/ime_helpers.h"
#include "platform/imm.h"
#include "platform/resources.h"
#include "platform/testing.h"
#include "platform/winreg.h"
#include "support/described_ime.h"

using namespace testsupport;

namespace {

const char kZhuyin[] = "\xAA\x60\xAD\xB5";
const char kChangjie[] = "\xAD\xDC\xBE\x65";
const char kNewZhuyin[] = "\xB7\x73\xAA\x60\xAD\xB5";
const char kNewChangjie[] = "\xB7\x73\xAD\xDC\xBE\x65";

HKL Layout(ULONG_PTR value) { return reinterpret_cast<HKL>(value); }

// A multi-string as the registry stores it: each string terminated, then one more terminator.
std::wstring MultiString(std::initializer_list<std::wstring> strings) {
    std::wstring out;
    for (const std::wstring& s : strings) out += s + L'\0';
    return out + L'\0';
}

struct DescribedImes : ::testing::Test {
    TempPrefix prefix;
    DescribedImes() {
        prefix.InstallFixtureRegistry();
        RegisterWord_FindHKL(nullptr);  // the table is process-wide: start from this workstation
    }
    ~DescribedImes() override {
        platform::testing::SetSleepHook(nullptr);
        platform::testing::RecordSleeps(false);
    }
    void DescribeAll() const {
        DescribeIme(prefix, "E0010404", "phon.ime", "Name=注音\n");
        DescribeIme(prefix, "E0020404", "chajei.ime", "Name=倉頡\n");
        DescribeIme(prefix, "E0080404", "mstciph.ime", "Name=新注音\nUnicode=1\n");
        DescribeIme(prefix, "E0090404", "newcj.ime", "Name=新倉頡\n");
    }
};

}  // namespace

TEST_F(DescribedImes, LayoutsOfTheFourNames) {
    struct Case {
        const char* what;
        const char* newZhuyinName;    // UTF-8; null: not described
        const char* newChangjieName;
        bool zhuyin, changjie, newZhuyin, newChangjie;
    } cases[] = {
        {"none described", nullptr, nullptr, false, false, false, false},
        {"all four", "新注音", "新倉頡", true, true, true, true},
        {"another IME at the New Phonetic layout", "注音", "新倉頡", true, true, false, true},
        {"a name that only begins alike", "新注音 2010", "新倉", true, true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempPrefix fresh;
        fresh.InstallFixtureRegistry();
        if (c.newZhuyinName) {
            DescribeIme(fresh, "E0010404", "phon.ime", "Name=x\n");
            DescribeIme(fresh, "E0020404", "chajei.ime", "Name=y\n");
            DescribeIme(fresh, "E0080404", "nph.ime", std::string("Name=") + c.newZhuyinName);
            DescribeIme(fresh, "E0090404", "ncj.ime", std::string("Name=") + c.newChangjieName);
        }
        EXPECT_EQ(RegisterWord_FindHKL(nullptr), nullptr);  // a null name detects again
        EXPECT_EQ(RegisterWord_FindHKL(kZhuyin), c.zhuyin ? Layout(0xE0010404) : nullptr);
        EXPECT_EQ(RegisterWord_FindHKL(kChangjie), c.changjie ? Layout(0xE0020404) : nullptr);
        EXPECT_EQ(RegisterWord_FindHKL(kNewZhuyin), c.newZhuyin ? Layout(0xE0080404) : nullptr);
        EXPECT_EQ(RegisterWord_FindHKL(kNewChangjie), c.newChangjie ? Layout(0xE0090404) : nullptr);
        EXPECT_EQ(ConfigEudcFile(kNewChangjie), c.newChangjie ? 1 : 0);
        EXPECT_EQ(RegisterWord_FindHKL("\xAA\x60"), nullptr);  // not one of the four
    }
    // A stored layout holds until the next detection.
    DescribeAll();
    RegisterWord_FindHKL(nullptr);
    RegisterWord_SetHKL(kNewZhuyin, nullptr);
    RegisterWord_SetHKL("other", Layout(0xE0010404));
    EXPECT_EQ(RegisterWord_FindHKL(kNewZhuyin), nullptr);
    EXPECT_EQ(ConfigEudcFile(kNewZhuyin), 0);
    EXPECT_EQ(RegisterWord_FindHKL(kZhuyin), Layout(0xE0010404));
    RegisterWord_FindHKL(nullptr);
    EXPECT_EQ(RegisterWord_FindHKL(kNewZhuyin), Layout(0xE0080404));
}

TEST_F(DescribedImes, DictionaryFileIsTriedFiveTimesHalfASecondApart) {
    DescribeIme(prefix, "E0020404", "chajei.ime", "Dictionary=refuse\n");
    const char path[] = "C:\\users\\a\\TQ_Chanj.Tbl";
    platform::testing::RecordSleeps(true);
    EXPECT_FALSE(SetImeDicFile(Layout(0xE0020404), path));
    EXPECT_EQ(platform::testing::RecordedSleeps(), std::vector<DWORD>(5, 500));
    EXPECT_EQ(ImeRecord("E0020404", L"EUDC Dictionary"), L"<none>");

    // An IME that accepts on the third try: two pauses, and the file is recorded.
    int refusals = 0;
    platform::testing::SetSleepHook([&](DWORD) {
        if (++refusals == 2) DescribeIme(prefix, "E0020404", "chajei.ime", "Dictionary=accept\n");
    });
    platform::testing::RecordSleeps(true);
    EXPECT_TRUE(SetImeDicFile(Layout(0xE0020404), path));
    EXPECT_EQ(platform::testing::RecordedSleeps(), std::vector<DWORD>(2, 500));
    EXPECT_EQ(ImeRecord("E0020404", L"EUDC Dictionary"), std::wstring(L"C:\\users\\a\\TQ_Chanj.Tbl") + L'\0');
}

TEST_F(DescribedImes, SingleWordsAreRegisteredAsSymbols) {
    const char word[] = "\xFA\x40\xFA\x41";  // U+E000 U+E001: only the first is registered
    // Nothing installed: done, nothing told.
    EXPECT_EQ(RegisterWord_Zuin(word, "1", 1, true), 0);
    EXPECT_EQ(RegisterWord_NewZuin(word, "1", 1, true), 0);
    EXPECT_EQ(RegisterWord_Chanjei(word, "A", 1), 0);
    EXPECT_EQ(RegisterWord_NewChanjei(word, "A", 1), 0);

    DescribeAll();
    RegisterWord_FindHKL(nullptr);
    struct Case {
        const char* what;
        int (*call)(const char*);
        int result;
    } cases[] = {
        {"system order", [](const char* w) { return RegisterWord_Zuin(w, "1", 4, true); }, 0},
        {"Microsoft order", [](const char* w) { return RegisterWord_NewZuin(w, "1 8=", 4, false); }, 0},
        {"Changjie", [](const char* w) { return RegisterWord_Chanjei(w, "AB", 2); }, 0},
        {"more keys than places", [](const char* w) { return RegisterWord_Zuin(w, "1   ", 5, true); }, 2},
        {"lower case", [](const char* w) { return RegisterWord_NewChanjei(w, "ab", 2); }, 2},
        {"no keys", [](const char* w) { return RegisterWord_NewChanjei(w, "", 0); }, 2},
    };
    for (const Case& c : cases) EXPECT_EQ(c.call(word), c.result) << c.what;
    EXPECT_EQ(ImeRecord("E0010404", L"Registered Words"), MultiString({L"\u3105\u3000\u3000\u02C9\t\uE000"}));
    EXPECT_EQ(ImeRecord("E0080404", L"Registered Words"), MultiString({L"\u3105\u3000\u311A\u02C9\t\uE000"}));
    EXPECT_EQ(ImeRecord("E0020404", L"Registered Words"), MultiString({L"\u65E5\u6708\t\uE000"}));
    EXPECT_EQ(ImeRecord("E0090404", L"Registered Words"), L"<none>");

    // An IME that refuses words; and the handle a function found stays its own.
    DescribeIme(prefix, "E0090404", "newcj.ime", "Name=新倉頡\nWords=refuse\n");
    EXPECT_EQ(RegisterWord_NewChanjei(word, "A", 1), -1);
    RegisterWord_SetHKL(kZhuyin, nullptr);
    EXPECT_EQ(RegisterWord_Zuin("\xA4\x40", "1", 1, true), 0);
    EXPECT_EQ(ImeRecord("E0010404", L"Registered Words"),
              MultiString({L"\u3105\u3000\u3000\u02C9\t\uE000", L"\u3105\t\u4E00"}));
}

namespace {
std::vector<BYTE> PhoneticImeFile() {
    const std::string text = "Name=\xE6\xB3\xA8\xE9\x9F\xB3\n";  // 注音
    return std::vector<BYTE>(text.begin(), text.end());
}
std::vector<BYTE> ChangjieImeFile() { return {'N', 'a', 'm', 'e', '=', 'c', 'j', '\n'}; }
const platform::BinaryResource kImeResources[] = {{"DLL", 2030, &PhoneticImeFile}, {"DLL", 2031, &ChangjieImeFile}};
}  // namespace

TEST_F(DescribedImes, OriginalImesAreInstalledOnlyFromFilesTheLibraryCarries) {
    const std::filesystem::path system = prefix.root() / "drive_c" / "windows" / "system32";
    const std::string before = SnapshotTree(prefix.root());
    EXPECT_TRUE(Register_OriginalIme());
    EXPECT_EQ(SnapshotTree(prefix.root()), before);

    // With the IMEs' files among the resources (this test program's own) a missing IME is
    // installed and one already there is left alone.
    platform::RegisterBinaryResources(kImeResources, 2);
    DescribeIme(prefix, "E0020404", "mine.ime", "Name=x\n");
    RegisterWord_FindHKL(nullptr);
    EXPECT_TRUE(Register_OriginalIme());
    EXPECT_EQ(ReadFileBytes(system / "phon.ime"), "Name=\xE6\xB3\xA8\xE9\x9F\xB3\n");
    EXPECT_TRUE(ImmIsIME(Layout(0xE0010404)));
    char name[64] = {};
    ImmEscapeA(Layout(0xE0010404), nullptr, IME_ESC_IME_NAME, name);
    EXPECT_STREQ(name, kZhuyin);
    char file[32] = {};
    EXPECT_EQ(ImmGetIMEFileNameA(Layout(0xE0020404), file, sizeof file), 8u);
    EXPECT_STREQ(file, "mine.ime");
    EXPECT_FALSE(std::filesystem::exists(system / "chajei.ime"));
}
