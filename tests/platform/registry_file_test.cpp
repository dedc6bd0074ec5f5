// The hive files on disk: minimal rewrites, Wine's layout for new entries, creation only on
// write, refusal of malformed files, and several processes sharing the files.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <functional>
#include <string>

#include "platform/fileapi.h"
#include "platform/testing.h"
#include "platform/wingdi.h"
#include "platform/winreg.h"
#include "support/temp_prefix.h"

namespace fs = std::filesystem;

namespace {

struct Key {
    HKEY h = nullptr;
    ~Key() {
        if (h) RegCloseKey(h);
    }
};

LONG SetString(HKEY key, const char* name, const std::string& s) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(s.c_str()), static_cast<DWORD>(s.size() + 1));
}

std::string UserReg(const testsupport::TempPrefix& p) { return testsupport::ReadFileBytes(p.root() / "user.reg"); }

// Replaces the one "[Control Panel\\Colors] ..." header and its #time line of original with those
// found in changed, after checking that they describe the same, recent time.
std::string WithNewColorsHeader(const std::string& original, const std::string& changed) {
    const std::string head = "[Control Panel\\\\Colors] ";
    const size_t o = original.find(head), c = changed.find(head);
    EXPECT_NE(o, std::string::npos);
    EXPECT_NE(c, std::string::npos);
    if (o == std::string::npos || c == std::string::npos) return {};
    const size_t oEnd = original.find('\n', original.find("#time=", o)) + 1;
    const size_t cEnd = changed.find('\n', changed.find("#time=", c)) + 1;
    const std::string lines = changed.substr(c, cEnd - c);
    unsigned long long seconds = 0, ticks = 0;
    EXPECT_EQ(std::sscanf(lines.c_str(), "[Control Panel\\\\Colors] %llu\n#time=%llx\n", &seconds, &ticks), 2) << lines;
    EXPECT_EQ((ticks - 116444736000000000ull) / 10000000ull, seconds);
    EXPECT_LE(static_cast<long long>(std::time(nullptr)) - static_cast<long long>(seconds), 60);
    return original.substr(0, o) + lines + original.substr(oEnd);
}

void RunChild(const std::function<bool()>& body) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) _exit(body() ? 0 : 1);
}

bool WaitChildren(int n) {
    bool ok = true;
    for (int i = 0; i < n; ++i) {
        int status = 0;
        if (wait(&status) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) ok = false;
    }
    return ok;
}

}  // namespace

TEST(RegistryFile, ChangingAValueRewritesOnlyThatKey) {
    testsupport::TempPrefix prefix;
    prefix.InstallFixtureRegistry();
    const std::string original = UserReg(prefix);
    const std::string system = testsupport::ReadFileBytes(prefix.root() / "system.reg");
    Key k;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "control panel\\colors", 0, KEY_SET_VALUE, &k.h), ERROR_SUCCESS);
    ASSERT_EQ(SetString(k.h, "MENU", "1 2 3"), ERROR_SUCCESS);
    const std::string changed = UserReg(prefix);
    std::string expected = WithNewColorsHeader(original, changed);
    const size_t at = expected.find("\"Menu\"=\"255 255 255\"\n");
    ASSERT_NE(at, std::string::npos);
    expected.replace(at, 21, "\"Menu\"=\"1 2 3\"\n");  // the stored name keeps its case
    EXPECT_TRUE(changed == expected);
    EXPECT_TRUE(testsupport::ReadFileBytes(prefix.root() / "system.reg") == system);

    // Setting the same data again changes nothing, not even the file.
    struct stat before, after;
    ASSERT_EQ(stat((prefix.root() / "user.reg").c_str(), &before), 0);
    ASSERT_EQ(SetString(k.h, "Menu", "1 2 3"), ERROR_SUCCESS);
    ASSERT_EQ(stat((prefix.root() / "user.reg").c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);
    EXPECT_TRUE(UserReg(prefix) == changed);
}

TEST(RegistryFile, NewValuesAndKeysGoWhereWinePutsThem) {
    testsupport::TempPrefix prefix;
    prefix.InstallFixtureRegistry();
    const std::string original = UserReg(prefix);
    Key colors, added;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Colors", 0, KEY_ALL_ACCESS, &colors.h), ERROR_SUCCESS);
    ASSERT_EQ(SetString(colors.h, "Button_X", "1"), ERROR_SUCCESS);
    std::string expected = WithNewColorsHeader(original, UserReg(prefix));
    const std::string after = "\"Background\"=\"37 111 149\"\n";
    expected.insert(expected.find(after) + after.size(), "\"Button_X\"=\"1\"\n");
    EXPECT_TRUE(UserReg(prefix) == expected);

    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Colors2", 0, nullptr, 0, KEY_READ, nullptr, &added.h,
                              nullptr),
              ERROR_SUCCESS);
    const std::string withKey = UserReg(prefix);
    const size_t next = expected.find("\n[Control Panel\\\\Desktop] ");
    ASSERT_NE(next, std::string::npos);
    ASSERT_EQ(withKey.compare(0, next, expected, 0, next), 0);
    const std::string section = withKey.substr(next, withKey.size() - expected.size());
    unsigned long long seconds = 0, ticks = 0;
    EXPECT_EQ(std::sscanf(section.c_str(), "\n[Control Panel\\\\Colors2] %llu\n#time=%llx\n", &seconds, &ticks), 2)
        << section;
    EXPECT_EQ(section.back(), '\n');
    EXPECT_EQ(withKey.substr(next + section.size()), expected.substr(next));
}

TEST(RegistryFile, CodePage950NameIsWrittenInWinesEscapes) {
    testsupport::TempPrefix prefix;
    prefix.InstallFixtureRegistry();
    Key k;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "EUDC\\950", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k.h, nullptr),
              ERROR_SUCCESS);
    const char* kai = "\xBC\xD0\xB7\xA2\xC5\xE9";  // 標楷體
    ASSERT_EQ(SetString(k.h, kai, "C:\\Windows\\Fonts\\EUDC.TTE"), ERROR_SUCCESS);
    const std::string file = UserReg(prefix);
    EXPECT_NE(file.find("\n\"\\x6a19\\x6977\\x9ad4\"=\"C:\\\\Windows\\\\Fonts\\\\EUDC.TTE\"\n"), std::string::npos);

    // Another process reads the file afresh and finds the same name.
    RunChild([&] {
        Key r;
        char buf[64] = {};
        DWORD size = sizeof buf;
        return RegOpenKeyExA(HKEY_CURRENT_USER, "eudc\\950", 0, KEY_READ, &r.h) == ERROR_SUCCESS &&
               RegQueryValueExA(r.h, kai, nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &size) == ERROR_SUCCESS &&
               std::string(buf) == "C:\\Windows\\Fonts\\EUDC.TTE";
    });
    EXPECT_TRUE(WaitChildren(1));
}

TEST(RegistryFile, ReadsCreateNothingAndFirstWriteMakesTheHive) {
    testsupport::TempPrefix prefix;
    Key k;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &k.h), ERROR_FILE_NOT_FOUND);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(HKEY_LOCAL_MACHINE, "x", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteValueA(HKEY_CURRENT_USER, "x"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software"), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(fs::exists(prefix.root()));

    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k.h, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(SetString(k.h, "Version", "win7"), ERROR_SUCCESS);
    EXPECT_FALSE(fs::exists(prefix.root() / "system.reg"));
    const std::string file = UserReg(prefix);
    const std::string header =
        "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n\n#arch=win64\n"
        "\n[Software\\\\Wine] ";
    EXPECT_EQ(file.substr(0, header.size()), header);
    EXPECT_EQ(file.substr(file.size() - 17), "\"Version\"=\"win7\"\n");
    EXPECT_EQ(file.find("[Software]"), std::string::npos);  // implied by its subkey

    Key m;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m.h, nullptr),
              ERROR_SUCCESS);
    const std::string machine = testsupport::ReadFileBytes(prefix.root() / "system.reg");
    const std::string machineHeader =
        "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n\n[Software] ";
    EXPECT_EQ(machine.substr(0, machineHeader.size()), machineHeader);
}

TEST(RegistryFile, MalformedHiveIsRefusedAndLeftAlone) {
    testsupport::TempPrefix prefix;
    prefix.InstallFixtureRegistry();
    std::string text = testsupport::ReadFileBytes(prefix.root() / "system.reg");
    const std::string good = text;
    text.insert(text.size() / 2, "\nthis is not a registry line\n");
    testsupport::WriteFileBytes(prefix.root() / "system.reg", text);
    Key k;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &k.h), ERROR_BADDB);
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\New", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k.h, nullptr),
              ERROR_BADDB);
    EXPECT_TRUE(testsupport::ReadFileBytes(prefix.root() / "system.reg") == text);
    // The other hive is unaffected, and a mended file is read again.
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel", 0, KEY_READ, &k.h), ERROR_SUCCESS);
    RegCloseKey(k.h);
    k.h = nullptr;
    testsupport::WriteFileBytes(prefix.root() / "system.reg", good);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft", 0, KEY_READ, &k.h), ERROR_SUCCESS);
}

TEST(RegistryFile, ProcessSeesAnotherProcessesSave) {
    testsupport::TempPrefix prefix;
    prefix.InstallFixtureRegistry();
    Key k;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Colors", 0, KEY_ALL_ACCESS, &k.h), ERROR_SUCCESS);
    DWORD size = 0;
    ASSERT_EQ(RegQueryValueExA(k.h, "FromChild", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    RunChild([] {
        Key c;
        return RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Colors", 0, KEY_SET_VALUE, &c.h) == ERROR_SUCCESS &&
               SetString(c.h, "FromChild", "yes") == ERROR_SUCCESS;
    });
    ASSERT_TRUE(WaitChildren(1));
    char buf[8] = {};
    size = sizeof buf;
    ASSERT_EQ(RegQueryValueExA(k.h, "FromChild", nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &size), ERROR_SUCCESS);
    EXPECT_STREQ(buf, "yes");
    // And a change made here keeps the child's value.
    ASSERT_EQ(SetString(k.h, "FromParent", "too"), ERROR_SUCCESS);
    EXPECT_NE(UserReg(prefix).find("\"FromChild\"=\"yes\"\n\"FromParent\"=\"too\"\n"), std::string::npos);
}

TEST(RegistryFile, ConcurrentWritersLoseNothing) {
    testsupport::TempPrefix prefix;
    prefix.InstallFixtureRegistry();
    constexpr int kPerProcess = 10;
    for (int p = 0; p < 2; ++p) {
        RunChild([p] {
            for (int i = 0; i < kPerProcess; ++i) {
                Key k;
                const std::string name = "P" + std::to_string(p) + "_" + std::to_string(i);
                if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Velmora\\Shared", 0, nullptr, 0, KEY_ALL_ACCESS,
                                    nullptr, &k.h, nullptr) != ERROR_SUCCESS ||
                    SetString(k.h, name.c_str(), name) != ERROR_SUCCESS)
                    return false;
            }
            return true;
        });
    }
    ASSERT_TRUE(WaitChildren(2));
    Key k;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Velmora\\Shared", 0, KEY_READ, &k.h), ERROR_SUCCESS);
    DWORD values = 0;
    ASSERT_EQ(RegQueryInfoKeyA(k.h, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                               nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(values, 2u * kPerProcess);
    for (int p = 0; p < 2; ++p)
        for (int i = 0; i < kPerProcess; ++i) {
            const std::string name = "P" + std::to_string(p) + "_" + std::to_string(i);
            DWORD size = 0;
            EXPECT_EQ(RegQueryValueExA(k.h, name.c_str(), nullptr, nullptr, nullptr, &size), ERROR_SUCCESS) << name;
        }
    // No sibling files are left behind.
    for (const auto& entry : fs::directory_iterator(prefix.root()))
        EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << entry.path();
}

// Wine saves a hive that is a symbolic link or has other hard links without replacing it; so do
// we: the link stays a link, the other names see the change.
TEST(RegistryFile, LinkedHiveFilesStayLinked) {
    testsupport::TempPrefix prefix;
    prefix.InstallFixtureRegistry();
    const fs::path shared = prefix.scratch() / "shared-user.reg";
    fs::rename(prefix.root() / "user.reg", shared);
    fs::create_symlink(shared, prefix.root() / "user.reg");
    fs::create_hard_link(prefix.root() / "system.reg", prefix.scratch() / "system-copy.reg");

    Key k;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "EUDC\\950", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k.h, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(SetString(k.h, "Face", "C:\\x.tte"), ERROR_SUCCESS);
    Key m;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\EudcTest", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m.h,
                              nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(SetString(m.h, "Kept", "yes"), ERROR_SUCCESS);

    EXPECT_TRUE(fs::is_symlink(prefix.root() / "user.reg"));
    EXPECT_NE(testsupport::ReadFileBytes(shared).find("\"Face\"=\"C:\\\\x.tte\""), std::string::npos);
    EXPECT_EQ(fs::hard_link_count(prefix.root() / "system.reg"), 2u);
    EXPECT_NE(testsupport::ReadFileBytes(prefix.scratch() / "system-copy.reg").find("\"Kept\"=\"yes\""),
              std::string::npos);
    for (const auto& entry : fs::directory_iterator(prefix.root()))
        EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos) << entry.path();
}

// While this process holds EUDC off, its registry changes stay in memory and reach the file in
// one save when EUDC is given back; a change another process saved meanwhile is kept, and a save
// that fails takes the changes out of memory too.
TEST(RegistryFile, ChangesWhileEudcIsOffAreSavedOnceWhenItIsGivenBack) {
    testsupport::TempPrefix prefix;
    prefix.InstallFixtureRegistry();
    const std::string before = UserReg(prefix);
    ASSERT_TRUE(EnableEUDC(FALSE));
    Key k;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "EUDC\\950", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k.h, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(SetString(k.h, "A", "1"), ERROR_SUCCESS);
    ASSERT_EQ(SetString(k.h, "B", "2"), ERROR_SUCCESS);
    char buf[8] = {};
    DWORD size = sizeof buf;
    ASSERT_EQ(RegQueryValueExA(k.h, "B", nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &size), ERROR_SUCCESS);
    EXPECT_STREQ(buf, "2");
    EXPECT_EQ(UserReg(prefix), before);
    RunChild([] {
        Key c;
        return RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Colors", 0, KEY_SET_VALUE, &c.h) == ERROR_SUCCESS &&
               SetString(c.h, "FromChild", "yes") == ERROR_SUCCESS;
    });
    ASSERT_TRUE(WaitChildren(1));
    platform::testing::FailNth(platform::testing::FaultKind::Write, 0);
    EXPECT_TRUE(EnableEUDC(TRUE));
    EXPECT_EQ(platform::testing::OperationsSeen(platform::testing::FaultKind::Write), 1);
    const std::string after = UserReg(prefix);
    EXPECT_NE(after.find("\"A\"=\"1\"\n\"B\"=\"2\"\n"), std::string::npos);
    EXPECT_NE(after.find("\"FromChild\"=\"yes\""), std::string::npos);

    ASSERT_TRUE(EnableEUDC(FALSE));
    ASSERT_EQ(SetString(k.h, "C", "3"), ERROR_SUCCESS);
    platform::testing::FailNth(platform::testing::FaultKind::Sync, 1);
    EXPECT_FALSE(EnableEUDC(TRUE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANTWRITE));
    EXPECT_EQ(UserReg(prefix), after);
    size = sizeof buf;
    EXPECT_EQ(RegQueryValueExA(k.h, "C", nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &size), ERROR_FILE_NOT_FOUND);
    platform::testing::FailNth(platform::testing::FaultKind::Sync, 0);
}
