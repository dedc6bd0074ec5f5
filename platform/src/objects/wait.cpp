// Waiting on kernel objects. The objects live in files that other processes change, so a wait
// polls: at once, then at intervals that grow from 1 ms to 10 ms, until the object is signalled
// or the time is up. Tests may replace the clock (testing.h).
#include <atomic>
#include <chrono>
#include <thread>

#include "files/file_object.h"
#include "objects/kernel_object.h"
#include "objects/pseudo_handles.h"
#include "platform/synchapi.h"
#include "platform/testing.h"

namespace {

std::atomic<bool> g_virtualClock{false};
std::atomic<DWORD> g_lastTimeout{0};

DWORD Failed(DWORD error) {
    SetLastError(error);
    return WAIT_FAILED;
}

template <class Poll>
DWORD PollUntil(const Poll& poll, DWORD milliseconds) {
    if (const std::optional<DWORD> r = poll()) return *r;
    if (milliseconds == 0) return WAIT_TIMEOUT;
    // The virtual clock jumps to the end of a finite wait and the object is asked once more. An
    // INFINITE wait cannot end by time, so it still waits for the object.
    if (g_virtualClock && milliseconds != INFINITE) return poll().value_or(WAIT_TIMEOUT);
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    std::chrono::milliseconds interval(1);
    for (;;) {
        std::chrono::milliseconds step = interval;
        if (milliseconds != INFINITE) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left < step) step = std::max(left, std::chrono::milliseconds(0));
        }
        std::this_thread::sleep_for(step);
        interval = std::min(interval * 2, std::chrono::milliseconds(10));
        if (const std::optional<DWORD> r = poll()) return *r;
        if (milliseconds != INFINITE && Clock::now() >= deadline) return WAIT_TIMEOUT;
    }
}

}  // namespace

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    using namespace platform;
    g_lastTimeout = milliseconds;
    // The process and the thread are signalled when they end, which the caller never sees.
    if (objects::IsCurrentProcess(handle) || objects::IsCurrentThread(handle))
        return PollUntil([] { return std::optional<DWORD>(); }, milliseconds);
    const std::shared_ptr<handles::Object> any = handles::Lookup(handle);
    if (!any) return Failed(ERROR_INVALID_HANDLE);
    // A file is signalled while no I/O on it is pending, and ours never is.
    if (std::dynamic_pointer_cast<files::FileObject>(any)) return WAIT_OBJECT_0;
    const auto object = std::dynamic_pointer_cast<objects::ObjectHandle>(any);
    if (!object || !(object->access() & SYNCHRONIZE)) return Failed(ERROR_ACCESS_DENIED);
    return PollUntil([&] { return object->object()->TryWait(); }, milliseconds);
}

namespace platform::testing {
void UseVirtualWaitClock(bool on) {
    g_virtualClock = on;
    g_lastTimeout = 0;
}
DWORD LastWaitTimeout() { return g_lastTimeout; }
}  // namespace platform::testing
