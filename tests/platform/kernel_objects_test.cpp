// Named mutexes, events and file mappings: their names and files on the prefix, their lifetime,
// and what they do between threads and processes.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "platform/synchapi.h"
#include "platform/testing.h"
#include "support/run_program.h"
#include "support/temp_prefix.h"

namespace fs = std::filesystem;
using testsupport::ProgramRun;
using testsupport::RunProgram;
using testsupport::TempPrefix;

namespace {

fs::path Objects(const TempPrefix& prefix) { return prefix.root() / ".eudc" / "objects"; }

// The peer program runs its steps in another process while the test goes on.
std::future<ProgramRun> StartPeer(std::vector<std::string> steps) {
    steps.insert(steps.begin(), EUDC_KERNEL_OBJECT_PEER);
    return std::async(std::launch::async, [steps] { return RunProgram(steps); });
}

// What the peer printed, once it has ended well.
std::string Finished(std::future<ProgramRun>& peer) {
    const ProgramRun run = peer.get();
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return run.out;
}

HANDLE NewMapping(const char* name, DWORD size, DWORD protect = PAGE_READWRITE) {
    return CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, protect, 0, size, name);
}

class VirtualWaitClock {
public:
    VirtualWaitClock() { platform::testing::UseVirtualWaitClock(true); }
    ~VirtualWaitClock() { platform::testing::UseVirtualWaitClock(false); }
};

}  // namespace

TEST(KernelObjectsTest, NamesPlaceTheirFilesAndTheLastCloseRemovesThem) {
    TempPrefix prefix;
    struct Case {
        std::string name;
        std::string file;  // under objects/; "" when refused
        DWORD error;
    };
    const Case cases[] = {
        {"Global\\Mutex_TQClient_FileMap", "global/Mutex_TQClient_FileMap", 0},
        {"Plain", "local/Plain", 0},
        {"Local\\Plain", "local/Plain", 0},
        {"Local\\Global\\Up", "global/Up", 0},  // Local\ stays, Global\ leads on
        {"a/b%c", "local/a%2Fb%25c", 0},
        {"..", "local/%2E%2E", 0},
        {std::string(255, 'y'), "local/" + std::string(255, 'y'), 0},
        {std::string(256, 'y'), "", ERROR_FILENAME_EXCED_RANGE},  // beyond a host file name
        {std::string(261, 'y'), "", ERROR_FILENAME_EXCED_RANGE},
        {"Global\\", "", ERROR_INVALID_NAME},
        {"Global\\\\x", "", ERROR_INVALID_NAME},
        {"Global\\a\\b", "", ERROR_PATH_NOT_FOUND},
        {"global\\x", "", ERROR_PATH_NOT_FOUND},  // the namespace's name is case-sensitive too
        {"\\x", "", ERROR_BAD_PATHNAME},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.substr(0, 40));
        SetLastError(77);
        HANDLE mutex = CreateMutexA(nullptr, FALSE, c.name.c_str());
        EXPECT_EQ(GetLastError(), c.error);
        if (c.file.empty()) {
            EXPECT_EQ(mutex, nullptr);
            continue;
        }
        ASSERT_NE(mutex, nullptr);
        EXPECT_TRUE(fs::is_regular_file(Objects(prefix) / c.file));
        EXPECT_TRUE(CloseHandle(mutex));
        EXPECT_FALSE(fs::exists(Objects(prefix) / c.file));
    }
}

TEST(KernelObjectsTest, CreateAndOpenAnswerByNameAndKind) {
    TempPrefix prefix;
    HANDLE mutex = CreateMutexA(nullptr, FALSE, "Global\\M");
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, "E");
    HANDLE mapping = NewMapping("Global\\F", 100);
    ASSERT_TRUE(mutex && event && mapping);
    struct Case {
        const char* what;
        std::function<HANDLE()> call;
        bool opens;
        DWORD error;  // 77: left as it was
    };
    const Case cases[] = {
        {"create existing mutex", [] { return CreateMutexA(nullptr, TRUE, "Global\\M"); }, true, ERROR_ALREADY_EXISTS},
        {"create existing event", [] { return CreateEventA(nullptr, FALSE, TRUE, "Local\\E"); }, true, ERROR_ALREADY_EXISTS},
        {"create existing mapping", [] { return NewMapping("Global\\F", 5000); }, true, ERROR_ALREADY_EXISTS},
        {"create new", [] { return CreateEventA(nullptr, FALSE, FALSE, "Global\\E"); }, true, 0},
        {"open mutex", [] { return OpenMutexA(SYNCHRONIZE, FALSE, "Global\\M"); }, true, 77},
        {"open mapping", [] { return OpenFileMappingA(FILE_MAP_READ, FALSE, "Global\\F"); }, true, 77},
        {"event over mutex", [] { return CreateEventA(nullptr, TRUE, FALSE, "Global\\M"); }, false, ERROR_INVALID_HANDLE},
        {"mapping over event", [] { return NewMapping("E", 10); }, false, ERROR_INVALID_HANDLE},
        {"mutex over mapping", [] { return CreateMutexA(nullptr, FALSE, "Global\\F"); }, false, ERROR_INVALID_HANDLE},
        {"open event as mutex", [] { return OpenMutexA(SYNCHRONIZE, FALSE, "E"); }, false, ERROR_INVALID_HANDLE},
        {"open mutex as mapping", [] { return OpenFileMappingA(FILE_MAP_READ, FALSE, "Global\\M"); }, false,
         ERROR_INVALID_HANDLE},
        {"other case", [] { return OpenMutexA(SYNCHRONIZE, FALSE, "Global\\m"); }, false, ERROR_FILE_NOT_FOUND},
        {"other namespace", [] { return OpenMutexA(SYNCHRONIZE, FALSE, "M"); }, false, ERROR_FILE_NOT_FOUND},
        {"missing", [] { return OpenEventA(SYNCHRONIZE, FALSE, "Global\\Nothing"); }, false, ERROR_FILE_NOT_FOUND},
        {"open without a name", [] { return OpenEventA(SYNCHRONIZE, FALSE, nullptr); }, false, ERROR_INVALID_PARAMETER},
        {"open the empty name", [] { return OpenEventA(SYNCHRONIZE, FALSE, ""); }, false, ERROR_INVALID_HANDLE},
        {"open name too long", [] { return OpenMutexA(SYNCHRONIZE, FALSE, std::string(260, 'y').c_str()); }, false,
         ERROR_FILENAME_EXCED_RANGE},
        {"unnamed", [] { return CreateEventA(nullptr, FALSE, FALSE, ""); }, true, 0},
        {"paging file only", [] { return CreateFileMappingA(nullptr, nullptr, PAGE_READWRITE, 0, 10, "X"); }, false,
         ERROR_NOT_SUPPORTED},
        {"empty mapping", [] { return NewMapping("Z", 0); }, false, ERROR_INVALID_PARAMETER},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetLastError(77);
        HANDLE h = c.call();
        EXPECT_EQ(GetLastError(), c.error);
        EXPECT_EQ(h != nullptr, c.opens);
        if (h) {
            EXPECT_NE(h, mutex);  // a handle of its own to the same object
            CloseHandle(h);
        }
    }
    // Other handles closed, the originals keep the objects.
    HANDLE again = OpenMutexA(SYNCHRONIZE, FALSE, "Global\\M");
    EXPECT_NE(again, nullptr);
    CloseHandle(again);
    CloseHandle(mutex);
    CloseHandle(event);
    CloseHandle(mapping);
}

TEST(KernelObjectsTest, MappingIsOneBlockForEveryHandleAndProcess) {
    TempPrefix prefix;
    const char* name = "Global\\FileMap_TQClient_Data";
    HANDLE mapping = NewMapping(name, 127899);
    ASSERT_NE(mapping, nullptr);
    EXPECT_EQ(fs::file_size(Objects(prefix) / "global" / "FileMap_TQClient_Data"), 127899u);
    auto* view = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 0));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view[127898], 0);
    std::strcpy(view, "parent");
    std::strcpy(view + 127890, "tail");

    HANDLE reader = OpenFileMappingA(FILE_MAP_READ, FALSE, name);
    const auto* seen = static_cast<const char*>(MapViewOfFile(reader, FILE_MAP_READ, 0, 0, 0));
    ASSERT_NE(seen, nullptr);
    EXPECT_STREQ(seen + 127890, "tail");

    auto peer = StartPeer({std::string("write:") + name + ":child"});
    EXPECT_EQ(Finished(peer), "write parent\n");
    EXPECT_STREQ(view, "child");
    EXPECT_STREQ(seen, "child");

    // A view stays valid after its handle is closed.
    EXPECT_TRUE(CloseHandle(reader));
    EXPECT_STREQ(seen, "child");
    EXPECT_TRUE(UnmapViewOfFile(seen + 100));  // an address inside the view unmaps it
    EXPECT_FALSE(UnmapViewOfFile(seen));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_ADDRESS));
    UnmapViewOfFile(view);
    CloseHandle(mapping);

    SetLastError(77);
    mapping = NewMapping(name, 64);
    EXPECT_EQ(GetLastError(), 0u);
    const auto* fresh = static_cast<const char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh[0], 0);
    EXPECT_EQ(fs::file_size(Objects(prefix) / "global" / "FileMap_TQClient_Data"), 64u);
    UnmapViewOfFile(fresh);
    CloseHandle(mapping);
}

TEST(KernelObjectsTest, ObjectLivesWhileAnyProcessHoldsIt) {
    TempPrefix prefix;
    HANDLE ready = CreateEventA(nullptr, FALSE, FALSE, "Ready");
    HANDLE go = CreateEventA(nullptr, TRUE, FALSE, "Go");
    HANDLE mapping = NewMapping("Shared", 4096);
    ASSERT_TRUE(ready && go && mapping);
    auto* view = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
    std::strcpy(view, "first");
    UnmapViewOfFile(view);

    auto peer = StartPeer({"write:Shared:peer", "set:Ready", "wait:Go"});
    ASSERT_EQ(WaitForSingleObject(ready, 10000), WAIT_OBJECT_0);
    CloseHandle(mapping);
    mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, "Shared");
    ASSERT_NE(mapping, nullptr) << "the peer still holds it";
    const auto* seen = static_cast<const char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
    ASSERT_NE(seen, nullptr);
    EXPECT_STREQ(seen, "peer");
    UnmapViewOfFile(seen);
    CloseHandle(mapping);

    SetEvent(go);
    EXPECT_EQ(Finished(peer), "write first\nset ok\nwait 0\n");
    // The peer ended without closing: its file is left, but it is no object any more.
    EXPECT_TRUE(fs::exists(Objects(prefix) / "local" / "Shared"));
    EXPECT_EQ(OpenFileMappingA(FILE_MAP_READ, FALSE, "Shared"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    SetLastError(77);
    mapping = NewMapping("Shared", 4096);
    EXPECT_EQ(GetLastError(), 0u);
    seen = static_cast<const char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
    EXPECT_EQ(seen[0], 0);
    UnmapViewOfFile(seen);
    CloseHandle(mapping);
    CloseHandle(ready);
    CloseHandle(go);
}

TEST(KernelObjectsTest, MutexHeldElsewhereTimesOutAndIsAbandonedWhenItsOwnerEnds) {
    TempPrefix prefix;
    const char* name = "Global\\Mutex_TQClient_FileMap";
    HANDLE mutex = CreateMutexA(nullptr, FALSE, name);
    HANDLE held = CreateEventA(nullptr, FALSE, FALSE, "Held");
    HANDLE go = CreateEventA(nullptr, FALSE, FALSE, "Go");
    ASSERT_TRUE(mutex && held && go);

    auto peer = StartPeer({std::string("take:") + name, "set:Held", "wait:Go"});
    ASSERT_EQ(WaitForSingleObject(held, 10000), WAIT_OBJECT_0);
    {
        VirtualWaitClock clock;
        EXPECT_EQ(WaitForSingleObject(mutex, 300000), WAIT_TIMEOUT);
        EXPECT_EQ(platform::testing::LastWaitTimeout(), 300000u);
    }
    EXPECT_FALSE(ReleaseMutex(mutex));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_OWNER));

    SetEvent(go);
    EXPECT_EQ(Finished(peer), "take 0\nset ok\nwait 0\n");
    EXPECT_EQ(WaitForSingleObject(mutex, 10000), WAIT_ABANDONED);
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_FALSE(ReleaseMutex(mutex));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_OWNER));
    EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);  // released properly this time
    EXPECT_TRUE(ReleaseMutex(mutex));
    CloseHandle(mutex);
    CloseHandle(held);
    CloseHandle(go);
}

TEST(KernelObjectsTest, MutexBelongsToOneThreadAcrossItsHandles) {
    TempPrefix prefix;
    HANDLE mutex = CreateMutexA(nullptr, TRUE, "Owned");
    ASSERT_NE(mutex, nullptr);
    HANDLE second = OpenMutexA(SYNCHRONIZE, FALSE, "Owned");
    EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_OBJECT_0);  // the owner takes it again
    DWORD otherWait = 0;
    BOOL otherRelease = TRUE;
    std::thread([&] {
        otherWait = WaitForSingleObject(mutex, 0);
        otherRelease = ReleaseMutex(second);
    }).join();
    EXPECT_EQ(otherWait, WAIT_TIMEOUT);
    EXPECT_FALSE(otherRelease);
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_TRUE(ReleaseMutex(second));
    EXPECT_FALSE(ReleaseMutex(mutex));
    std::thread([&] {
        otherWait = WaitForSingleObject(second, 0);
        otherRelease = ReleaseMutex(mutex);
    }).join();
    EXPECT_EQ(otherWait, WAIT_OBJECT_0);
    EXPECT_TRUE(otherRelease);
    CloseHandle(second);
    CloseHandle(mutex);
}

TEST(KernelObjectsTest, EventsResetByKindAndWakeAWaiterInAnotherProcess) {
    TempPrefix prefix;
    for (const BOOL manual : {FALSE, TRUE}) {
        SCOPED_TRACE(manual ? "manual" : "auto");
        HANDLE event = CreateEventA(nullptr, manual, TRUE, "Kind");
        ASSERT_NE(event, nullptr);
        EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
        EXPECT_EQ(WaitForSingleObject(event, 0), manual ? WAIT_OBJECT_0 : WAIT_TIMEOUT);
        EXPECT_TRUE(ResetEvent(event));
        EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
        CloseHandle(event);
    }
    const char* name = "Global\\Event_TQClient_Datachanged_S1";
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, name);
    auto peer = StartPeer({std::string("set:") + name});
    EXPECT_EQ(WaitForSingleObject(event, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(Finished(peer), "set ok\n");
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);  // the one wait consumed it

    // Each use needs its right.
    HANDLE setter = OpenEventA(EVENT_MODIFY_STATE, FALSE, name);
    HANDLE waiter = OpenEventA(SYNCHRONIZE, FALSE, name);
    EXPECT_FALSE(SetEvent(waiter));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(WaitForSingleObject(setter, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(SetEvent(setter));
    EXPECT_EQ(WaitForSingleObject(waiter, 0), WAIT_OBJECT_0);
    CloseHandle(setter);
    CloseHandle(waiter);
    CloseHandle(event);
}

TEST(KernelObjectsTest, WaitsAndCallsRefuseWhatTheHandleIsNot) {
    TempPrefix prefix;
    HANDLE mapping = NewMapping("Map", 10);
    HANDLE mutex = CreateMutexA(nullptr, FALSE, "Mutex");
    struct Case {
        const char* what;
        std::function<DWORD()> call;
        DWORD result, error;
    };
    VirtualWaitClock clock;
    const Case cases[] = {
        {"wait on no handle", [] { return WaitForSingleObject(reinterpret_cast<HANDLE>(0x1234), 0); }, WAIT_FAILED,
         ERROR_INVALID_HANDLE},
        {"wait on a mapping", [&] { return WaitForSingleObject(mapping, 0); }, WAIT_FAILED, ERROR_ACCESS_DENIED},
        {"wait on the thread", [] { return WaitForSingleObject(GetCurrentThread(), 5000); }, WAIT_TIMEOUT, 77},
        {"set a mutex", [&] { return static_cast<DWORD>(SetEvent(mutex)); }, FALSE, ERROR_INVALID_HANDLE},
        {"release a mapping", [&] { return static_cast<DWORD>(ReleaseMutex(mapping)); }, FALSE, ERROR_INVALID_HANDLE},
        {"view of a mutex", [&] { return static_cast<DWORD>(MapViewOfFile(mutex, FILE_MAP_READ, 0, 0, 0) != nullptr); },
         0, ERROR_INVALID_HANDLE},
        {"close the thread", [] { return static_cast<DWORD>(CloseHandle(GetCurrentThread())); }, TRUE, 77},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetLastError(77);
        EXPECT_EQ(c.call(), c.result);
        EXPECT_EQ(GetLastError(), c.error);
    }
    CloseHandle(mapping);
    CloseHandle(mutex);
}

TEST(KernelObjectsTest, ViewsFollowTheMappingsAccessOffsetAndSize) {
    TempPrefix prefix;
    HANDLE mapping = NewMapping("V", 1000);
    HANDLE reader = OpenFileMappingA(FILE_MAP_READ, FALSE, "V");
    HANDLE readOnly = NewMapping("R", 1000, PAGE_READONLY);
    ASSERT_TRUE(mapping && reader && readOnly);
    struct Case {
        const char* what;
        HANDLE handle;
        DWORD access, offset;
        SIZE_T bytes;
        DWORD error;  // 0: the view is made
    };
    const Case cases[] = {
        {"whole", mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0},
        {"to the page's end", mapping, FILE_MAP_READ, 0, 4096, 0},
        {"beyond the page", mapping, FILE_MAP_READ, 0, 4097, ERROR_ACCESS_DENIED},
        {"unaligned offset", mapping, FILE_MAP_READ, 100, 0, ERROR_MAPPED_ALIGNMENT},
        {"offset beyond the end", mapping, FILE_MAP_READ, 65536, 0, ERROR_INVALID_PARAMETER},
        {"write through a read handle", reader, FILE_MAP_WRITE, 0, 0, ERROR_ACCESS_DENIED},
        {"write a read-only mapping", readOnly, FILE_MAP_WRITE, 0, 0, ERROR_ACCESS_DENIED},
        {"copy of a read-only mapping", readOnly, FILE_MAP_COPY, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetLastError(0);
        void* view = MapViewOfFile(c.handle, c.access, 0, c.offset, c.bytes);
        EXPECT_EQ(view != nullptr, c.error == 0);
        EXPECT_EQ(GetLastError(), c.error);
        if (view) UnmapViewOfFile(view);
    }
    // A copy view is the caller's own.
    auto* copy = static_cast<char*>(MapViewOfFile(readOnly, FILE_MAP_COPY, 0, 0, 0));
    copy[0] = 'x';
    const auto* shared = static_cast<const char*>(MapViewOfFile(readOnly, FILE_MAP_READ, 0, 0, 0));
    EXPECT_EQ(shared[0], 0);
    UnmapViewOfFile(copy);
    UnmapViewOfFile(shared);
    CloseHandle(mapping);
    CloseHandle(reader);
    CloseHandle(readOnly);
}
