#include <chrono>
#include <thread>

#include "platform/sysinfo.h"
#include "platform/testing.h"

namespace {
bool g_recordSleeps = false;
std::vector<DWORD> g_sleeps;
std::function<void(DWORD)> g_hook;
}  // namespace

void Sleep(DWORD milliseconds) {
    if (g_hook) {
        g_sleeps.push_back(milliseconds);
        g_hook(milliseconds);
        return;
    }
    if (g_recordSleeps) {
        g_sleeps.push_back(milliseconds);
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

DWORD GetTickCount() {
    using namespace std::chrono;
    return static_cast<DWORD>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

namespace platform::testing {
void RecordSleeps(bool record) {
    g_recordSleeps = record;
    g_sleeps.clear();
}
std::vector<DWORD> RecordedSleeps() { return g_sleeps; }
void SetSleepHook(std::function<void(DWORD)> hook) { g_hook = std::move(hook); }
}  // namespace platform::testing
