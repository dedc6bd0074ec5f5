// The client data file and its publication, with other processes on the same prefix.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "common/registry_helpers.h"
#include "eudccore/client_data.h"
#include "platform/testing.h"
#include "platform/windows.h"
#include "support/run_program.h"
#include "support/temp_prefix.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ReadFileBytes;
using testsupport::WindowsPath;
using testsupport::WriteFileBytes;

constexpr size_t kBlock = 127612;

testsupport::ProgramRun Peer(const std::vector<std::string>& args) {
    std::vector<std::string> argv{EUDC_CLIENT_DATA_PEER};
    argv.insert(argv.end(), args.begin(), args.end());
    return testsupport::RunProgram(argv);
}

void WaitForFile(const fs::path& path) {
    for (int i = 0; i < 5000 && !fs::exists(path); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ASSERT_TRUE(fs::exists(path)) << path;
}

// The default block: the two named slots and the flag, every other byte zero.
std::string DefaultBlock() {
    std::string block(kBlock, '\0');
    auto put = [&](size_t at, const std::string& text) { block.replace(at, text.size(), text); };
    put(0, "SystemDefaultEUDCFont");
    put(64, "Windows\xA5\xD8\xBF\xFD\\EUDC.TTE");
    put(255, "\xA9\xFA\xC5\xE9");
    put(321, "\xBC\xD0\xB7\xA2\xC5\xE9");
    put(321 + 64, "Windows\xA5\xD8\xBF\xFD\\KAI.TTE");
    put(321 + 255, "\xB7\xA2\xAE\xD1\xC5\xE9");
    block[5947] = 1;
    return block;
}

class ClientDataFile : public ::testing::Test {
protected:
    void SetUp() override {
        prefix.InstallFixtureRegistry();
        folder = prefix.scratch() / "data";
        fs::create_directories(folder);
        dir = WindowsPath(folder);
    }
    void TearDown() override {
        data.UnInit();
        platform::testing::UseVirtualWaitClock(false);
    }
    std::string Block() {
        unsigned long size = 0;
        const char* block = data.GetBuffer(&size);
        return std::string(block, size);
    }
    // What another process reads from the mapping under the mutex.
    std::string Published() {
        const fs::path out = prefix.scratch() / "published.bin";
        const auto run = Peer({"read", out.string()});
        EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
        return fs::exists(out) ? ReadFileBytes(out) : std::string();
    }

    testsupport::TempPrefix prefix;
    fs::path folder;
    std::string dir;
    Client_Data data;
};

TEST_F(ClientDataFile, AMissingFileIsCreatedWithTheDefaults) {
    char name[] = "client.dat";
    ASSERT_EQ(data.Init(name, dir.c_str(), false), 0);
    EXPECT_EQ(ReadFileBytes(folder / "client.dat"), DefaultBlock());
    EXPECT_EQ(Block(), DefaultBlock());
    EXPECT_TRUE(data.m_fileCreated);
    EXPECT_TRUE(data.Is_FillBlankToFile());
    EXPECT_TRUE(data.m_dataCleared);
    EXPECT_EQ(std::string(data.GetDataFileName()), dir + "\\client.dat");
    char value[32] = {};
    DWORD size = sizeof value;
    ASSERT_TRUE(eudc::RegReadValue(HKEY_LOCAL_MACHINE, "Software\\Velmora\\TQFontClient", "CreateTTE",
                                   reinterpret_cast<BYTE*>(value), &size));
    EXPECT_STREQ(value, "0011111111111111");
}

TEST_F(ClientDataFile, ShortFilesAndForcedDefaultsAreRewrittenLongerOnesLoaded) {
    const std::string pattern = [] {
        std::string s(kBlock + 88, '\0');
        for (size_t i = 0; i < s.size(); ++i) s[i] = static_cast<char>(i * 7 + 3);
        return s;
    }();
    struct Case {
        size_t length;
        bool force;
        bool loaded;
    } cases[] = {{kBlock - 1, false, false}, {kBlock, false, true}, {kBlock + 88, false, true}, {kBlock, true, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.length) + (c.force ? " forced" : ""));
        WriteFileBytes(folder / "client.dat", pattern.substr(0, c.length));
        char name[] = "client.dat";
        ASSERT_EQ(data.Init(name, dir.c_str(), c.force), 0);
        EXPECT_FALSE(data.m_fileCreated);
        if (c.loaded) {
            EXPECT_EQ(Block(), pattern.substr(0, kBlock));
            EXPECT_EQ(ReadFileBytes(folder / "client.dat"), pattern.substr(0, c.length)) << "a loaded file keeps its bytes";
        } else {
            EXPECT_EQ(Block(), DefaultBlock());
            EXPECT_EQ(ReadFileBytes(folder / "client.dat"), DefaultBlock());
        }
        EXPECT_EQ(data.Is_FillBlankToFile(), !c.loaded);
        data.UnInit();
        EXPECT_EQ(Block(), std::string(kBlock, '\0'));
        data = Client_Data();
    }
}

TEST_F(ClientDataFile, ABareNameWithoutDirectoryLandsInTheSystemDirectory) {
    char name[] = "bare.dat";
    ASSERT_EQ(data.Init(name, nullptr, false), 0);
    EXPECT_EQ(std::string(data.GetDataFileName()), std::string(data.m_systemDir) + "\\bare.dat");
    EXPECT_TRUE(fs::exists(prefix.root() / "drive_c" / "windows" / "system32" / "bare.dat"));
}

TEST_F(ClientDataFile, SavedRecordsComeBackAfterUnInitAndInit) {
    char name[] = "client.dat";
    ASSERT_EQ(data.Init(name, dir.c_str(), false), 0);
    _WORD_DATA_Code record{1, {'2', {0x21, 0x22}}, {'J', ' ', ' ', ' '}, {'A', 0, 0, 0, 0}, {7, 0, 0, 0}, {0, 0}, 0xE123};
    data.Set_CodeData_Client(&record);
    data.WriteData();
    data.UnInit();
    ASSERT_EQ(data.Init(name, dir.c_str(), false), 0);
    _WORD_DATA_Code back{};
    ASSERT_TRUE(data.Get__CodeData(0xE123, &back));
    EXPECT_EQ(std::memcmp(&back, &record, sizeof back), 0);
    EXPECT_EQ(data.GetUpdateTime(-3), 7);
}

TEST_F(ClientDataFile, AnotherProcessReadsThePublicationAndCannotOpenTheFile) {
    char name[] = "client.dat";
    ASSERT_EQ(data.Init(name, dir.c_str(), false), 0);
    const std::string longDir = "C:\\" + std::string(200, 'w');
    std::strcpy(data.m_windowsDir, longDir.c_str());
    char company[] = "Velmora Typeface Company of Taipei";  // 34 characters
    data.Set_CompanyName(company);
    unsigned char flag[4] = {9, 8, 7, 6};
    data.Set_SpecialFlag(flag);
    data.WriteData();

    const std::string mapping = Published();
    ASSERT_EQ(mapping.size(), 127899u);
    EXPECT_EQ(mapping.substr(0, kBlock), Block());
    EXPECT_EQ(mapping.substr(127612, 129), longDir.substr(0, 128) + '\0');
    EXPECT_EQ(mapping.substr(127741, 129).c_str(), std::string(data.m_systemDir));
    EXPECT_EQ(mapping.substr(127870, 29), std::string("Velmora Typeface Company of ") + '\0');

    const auto second = Peer({"init", dir, "client.dat"});
    EXPECT_EQ(second.out, std::to_string(ERROR_SHARING_VIOLATION) + "\n") << second.err;
}

TEST_F(ClientDataFile, AnOwnerThatDiedLeavesTheMutexFreeForTheNextPublication) {
    char name[] = "client.dat";
    ASSERT_EQ(data.Init(name, dir.c_str(), false), 0);
    const auto dead = Peer({"die-holding"});
    ASSERT_EQ(dead.exitCode, 0) << dead.out << dead.err;
    char company[] = "After";
    data.Set_CompanyName(company);  // takes the abandoned mutex, publishes, releases it
    EXPECT_EQ(Published().substr(127870, 6), std::string("After") + '\0');
}

TEST_F(ClientDataFile, APublicationThatTimesOutLeavesTheMappingUnchanged) {
    char name[] = "client.dat";
    ASSERT_EQ(data.Init(name, dir.c_str(), false), 0);
    const std::string before = Published();

    const fs::path ready = prefix.scratch() / "held", release = prefix.scratch() / "release";
    std::thread holder([&] { Peer({"hold", ready.string(), release.string()}); });
    WaitForFile(ready);
    platform::testing::UseVirtualWaitClock(true);
    char company[] = "Changed";
    data.Set_CompanyName(company);  // the five-minute wait passes at once
    platform::testing::UseVirtualWaitClock(false);
    WriteFileBytes(release, "");
    holder.join();
    EXPECT_EQ(Published(), before);
}

TEST_F(ClientDataFile, OtherSessionsAreToldThroughTheirEvents) {
    EXPECT_TRUE(Client_Data::CallOtherSession("nobody", false, false));
    EXPECT_FALSE(Client_Data::CallOtherSession("nobody", true, false));
    EXPECT_FALSE(Client_Data::CallOtherSession("nobody", false, true));

    const fs::path ready = prefix.scratch() / "waiting";
    testsupport::ProgramRun waiter;
    std::thread thread([&] { waiter = Peer({"wait-event", "Session7", ready.string()}); });
    WaitForFile(ready);
    // The font event does not exist: the data event is still set.
    EXPECT_FALSE(Client_Data::CallOtherSession("Session7", true, true));
    thread.join();
    EXPECT_EQ(waiter.out, "0\n") << waiter.err;
}

}  // namespace

namespace {

TEST(ClientDataNames, BeforeNt5TheObjectsHaveNoGlobalPrefix) {
    struct Case {
        const char* version;
        const char* mapping;
        const char* other;
    } cases[] = {{"win98", "FileMap_TQClient_Data", "Global\\FileMap_TQClient_Data"},
                 {"nt40", "FileMap_TQClient_Data", "Global\\FileMap_TQClient_Data"},
                 {"win2k", "Global\\FileMap_TQClient_Data", "FileMap_TQClient_Data"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        testsupport::TempPrefix prefix;
        prefix.InstallFixtureRegistry();
        prefix.SetWindowsVersion(c.version);
        Client_Data data;
        char name[] = "client.dat";
        ASSERT_EQ(data.Init(name, WindowsPath(prefix.scratch()).c_str(), false), 0);
        HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, c.mapping);
        EXPECT_NE(mapping, nullptr);
        if (mapping) CloseHandle(mapping);
        EXPECT_EQ(OpenFileMappingA(FILE_MAP_READ, FALSE, c.other), nullptr);
        data.UnInit();
    }
}

}  // namespace
