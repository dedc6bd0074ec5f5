// The font manager: its life cycle, its slots, and how a new table reaches EUDC\950.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <optional>
#include <map>
#include <string>

#include "common/process_version.h"
#include "eudccore/eudc_registry.h"
#include "eudccore/lock_eudc.h"
#include "eudccore/tte_update.h"
#include "platform/testing.h"
#include "platform/winreg.h"
#include "support/temp_prefix.h"

namespace pt = platform::testing;

namespace {

const std::string kKai = "\xBC\xD0\xB7\xA2\xC5\xE9";   // "標楷體", no Big5 font of it in the test prefix
const std::string kWinDir = "Windows\xA5\xD8\xBF\xFD";  // "Windows目錄"

_TQFontData_Struc1 Record(const std::string& face, const std::string& tte) {
    _TQFontData_Struc1 r{};
    std::memcpy(r.FaceName, face.c_str(), face.size());
    std::memcpy(r.TteFileName, tte.c_str(), tte.size());
    return r;
}

std::map<std::string, std::string> EudcValues() {
    std::map<std::string, std::string> values;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "EUDC\\950", 0, KEY_READ, &key) != ERROR_SUCCESS) return values;
    for (DWORD i = 0;; ++i) {
        char name[260], data[260];
        DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
        if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize) !=
            ERROR_SUCCESS)
            break;
        values[name] = data;
    }
    RegCloseKey(key);
    return values;
}

void SetEudcValue(const std::string& name, const std::string& data) {
    testsupport::SetRegistryString(HKEY_CURRENT_USER, "EUDC\\950", name, data);
}

struct FontManager : ::testing::Test {
    testsupport::TempPrefix prefix;
    _TQFontData_Struc1 table[kFontSlotCount]{};

    FontManager() {
        prefix.InstallFixtureRegistry();
        prefix.SetWindowsVersion("winxp");
        eudc::RefreshWindowsVersionCode();
        pt::ResetEnableEudcLog();
        table[0] = Record("SystemDefaultEUDCFont", kWinDir + "\\EUDC.TTE");
        table[1] = Record(kKai, kWinDir + "\\KAI.TTE");
    }
    ~FontManager() override {
        TteUpdate_Uninit();
        pt::SetSleepHook(nullptr);
        pt::RecordSleeps(false);
        pt::ResetEnableEudcLog();
    }
};

}  // namespace

TEST_F(FontManager, LifeCycle) {
    EXPECT_EQ(Get_TteUpdate(), nullptr);
    ASSERT_TRUE(TteUpdate_Init(TSM_UserAppData));
    TteUpdate* first = Get_TteUpdate();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->m_mode, TSM_UserAppData);
    EXPECT_FALSE(first->m_clientDeleted);
    first->m_created[3] = true;
    ASSERT_TRUE(TteUpdate_Init(TSM_SystemFolders));  // replaces the instance
    EXPECT_EQ(Get_TteUpdate()->m_mode, TSM_SystemFolders);
    EXPECT_FALSE(Get_TteUpdate()->m_created[3]);
    TteUpdate_Uninit();
    EXPECT_EQ(Get_TteUpdate(), nullptr);
    TteUpdate_Uninit();
    EXPECT_EQ(Get_TteUpdate(), nullptr);
}

TEST_F(FontManager, SlotsOutsideTheTableAreNull) {
    TteUpdate fonts(TSM_SystemFolders);
    EXPECT_EQ(fonts.Get_FontTTE(-1), nullptr);
    EXPECT_EQ(fonts.Get_FontTTE(16), nullptr);
    EXPECT_EQ(fonts.Get_FontTTE(15), &fonts.m_table[15]);
    EXPECT_EQ(fonts.Get_FontTTE(0), &fonts.m_table[0]);
}

TEST_F(FontManager, NullTableChangesNothing) {
    TteUpdate fonts(TSM_SystemFolders);
    fonts.Write_FontTTE(table);
    const auto before = testsupport::SnapshotTree(prefix.root());
    fonts.Write_FontTTE(nullptr);
    EXPECT_EQ(std::string(fonts.m_table[0].FaceName), "SystemDefaultEUDCFont");
    EXPECT_EQ(testsupport::SnapshotTree(prefix.root()), before);
}

TEST_F(FontManager, ModeZeroLinksEverySlotWithAFace) {
    TteUpdate fonts(TSM_SystemFolders);
    const long saves = pt::OperationsSeen(pt::FaultKind::Rename);
    fonts.Write_FontTTE(table);
    // The new EUDC\950 key and both links reach user.reg in one save.
    EXPECT_EQ(pt::OperationsSeen(pt::FaultKind::Rename) - saves, 1);
    const auto values = EudcValues();
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values.at("SystemDefaultEUDCFont"), "C:\\windows\\EUDC.TTE");
    EXPECT_EQ(values.at(kKai), "C:\\windows\\KAI.TTE");
    EXPECT_EQ(pt::EnableEudcCalls(), (std::vector<BOOL>{FALSE, TRUE}));
}

TEST_F(FontManager, ModesOneAndThreeTakeTheTableButLeaveTheRegistry) {
    for (auto mode : {TSM_CommonAppData, TSM_CommonAppData2}) {
        TteUpdate fonts(mode);
        fonts.Write_FontTTE(table);
        EXPECT_EQ(std::string(fonts.m_table[1].FaceName), kKai);
        EXPECT_TRUE(EudcValues().empty());
        EXPECT_TRUE(pt::EnableEudcCalls().empty());
    }
}

TEST_F(FontManager, ModeTwoLinksToTheUserFolder) {
    TteUpdate fonts(TSM_UserAppData);
    fonts.Write_FontTTE(table);
    const auto values = EudcValues();
    EXPECT_EQ(values.at("SystemDefaultEUDCFont"), "C:\\users\\root\\AppData\\Roaming\\EUDC.TTE");
}

TEST_F(FontManager, NoValueIsDeletedWithoutDeleteClient) {
    SetEudcValue("systemdefaulteudcfont", "C:\\old\\EUDC.TTE");
    SetEudcValue("Stale", "C:\\stale.tte");
    TteUpdate fonts(TSM_SystemFolders);
    table[1] = _TQFontData_Struc1{};
    fonts.Write_FontTTE(table);
    const auto values = EudcValues();
    EXPECT_EQ(values.count("Stale"), 1u);
    // The existing value, matched without regard to case, is updated in place.
    EXPECT_EQ(values.size(), 2u);
    EXPECT_EQ(values.at("systemdefaulteudcfont"), "C:\\windows\\EUDC.TTE");
}

TEST_F(FontManager, DeleteClientRemovesUnnamedLinksButKeepsFacesWithoutBig5Fonts) {
    SetEudcValue("SYSTEMDEFAULTEUDCFONT", "C:\\windows\\EUDC.TTE");
    SetEudcValue("NoSuchFace", "C:\\x.tte");  // never read as an entry: no Big5 font of that face
    TteUpdate fonts(TSM_SystemFolders);
    table[0] = _TQFontData_Struc1{};
    fonts.Write_FontTTE(table);
    fonts.Write_FontTTE_DeleteClient();
    EXPECT_TRUE(fonts.m_clientDeleted);
    auto values = EudcValues();
    EXPECT_EQ(values.count("SYSTEMDEFAULTEUDCFONT"), 0u);  // no slot names it, byte for byte
    EXPECT_EQ(values.count("NoSuchFace"), 1u);
    EXPECT_EQ(values.count(kKai), 1u);
}

TEST_F(FontManager, LockThatCannotBeTakenLeavesTheRegistryButTakesTheTable) {
    pt::RecordSleeps(true);
    pt::FailEnableEudc(5);
    TteUpdate fonts(TSM_SystemFolders);
    const auto before = testsupport::SnapshotTree(prefix.root());
    fonts.Write_FontTTE(table);
    EXPECT_EQ(std::string(fonts.m_table[0].FaceName), "SystemDefaultEUDCFont");
    EXPECT_EQ(testsupport::SnapshotTree(prefix.root()), before);  // not even the key is made
    pt::FailEnableEudc(5);
    fonts.Write_FontTTE_DeleteClient();
    EXPECT_TRUE(fonts.m_clientDeleted);
    EXPECT_EQ(pt::RecordedSleeps().size(), 10u);
}

TEST_F(FontManager, SecondProcessWaitsForTheLockAndNeitherWriteIsLost) {
    int toChild[2], toParent[2];
    ASSERT_EQ(pipe(toChild), 0);
    ASSERT_EQ(pipe(toParent), 0);
    _TQFontData_Struc1 mine[kFontSlotCount]{};
    _TQFontData_Struc1 theirs[kFontSlotCount]{};
    mine[0] = Record("FaceOfParent", "D:\\p.tte");
    theirs[0] = Record("FaceOfChild", "D:\\c.tte");

    std::optional<LockEUDC_Class> held;  // this process holds the switch while the child starts
    held.emplace();
    ASSERT_TRUE(held->Lock(true));
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        // The child's first failed attempt tells the parent, then waits for it to finish.
        pt::SetSleepHook([&](DWORD) {
            char c = 'w';
            (void)!write(toParent[1], &c, 1);
            (void)!read(toChild[0], &c, 1);
        });
        TteUpdate fonts(TSM_SystemFolders);
        fonts.Write_FontTTE(theirs);
        _exit(EudcValues().count("FaceOfChild") == 1 && pt::RecordedSleeps().size() == 1 ? 0 : 1);
    }
    char c = 0;
    ASSERT_EQ(read(toParent[0], &c, 1), 1);  // the child is waiting for the lock
    {
        EudcRegistry registry(TSM_SystemFolders);
        registry.InitEudcName("EUDC\\950");
        registry.Add(mine);
    }
    held.reset();
    (void)!write(toChild[1], "g", 1);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    const auto values = EudcValues();
    EXPECT_EQ(values.count("FaceOfParent"), 1u);
    EXPECT_EQ(values.count("FaceOfChild"), 1u);
}
