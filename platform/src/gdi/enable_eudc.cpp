// The prefix's EUDC switch. Switching EUDC off takes an exclusive lock on a file under the prefix's
// state folder; while one process holds it, no other can switch EUDC off. Switching it on again
// releases the lock.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <vector>

#include "gdi/change_watch.h"
#include "platform/fileapi.h"
#include "platform/testing.h"
#include "platform/wingdi.h"
#include "prefix.h"
#include "registry/hive_store.h"

namespace {

int g_lockFd = -1;
pid_t g_lockPid = 0;  // a child made by fork does not hold its parent's switch
int g_forcedFailures = 0;
std::vector<BOOL> g_calls;

void ForgetInheritedSwitch() {
    if (g_lockFd >= 0 && g_lockPid != getpid()) {
        close(g_lockFd);
        g_lockFd = -1;
    }
}

bool TakeSwitch() {
    ForgetInheritedSwitch();
    if (g_lockFd >= 0) return true;  // this process already holds it
    if (platform::prefix::PrepareWrite() != ERROR_SUCCESS) return false;
    const auto dir = platform::prefix::StateDir();
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    const int fd = open((dir / "eudc-switch.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return false;
    }
    g_lockFd = fd;
    g_lockPid = getpid();
    return true;
}

}  // namespace

BOOL EnableEUDC(BOOL enable) {
    g_calls.push_back(enable);
    if (enable) {
        ForgetInheritedSwitch();
        // What changed in the registry while EUDC was off is saved now, before another process
        // can take the switch and read it.
        const LONG saved = g_lockFd >= 0 ? platform::registry::SaveDeferred() : ERROR_SUCCESS;
        if (g_lockFd >= 0) {
            flock(g_lockFd, LOCK_UN);
            close(g_lockFd);
            g_lockFd = -1;
        }
        // EUDC fonts and their links are read again, as Windows reloads them when EUDC comes back.
        platform::gdi::NoteChange();
        if (saved != ERROR_SUCCESS) {
            SetLastError(static_cast<DWORD>(saved));
            return FALSE;
        }
        return TRUE;
    }
    if (g_forcedFailures > 0) {
        --g_forcedFailures;
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (!TakeSwitch()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    // The changes made while the switch is held are saved together when it is given back.
    platform::registry::DeferSaves();
    return TRUE;
}

namespace platform::testing {
void FailEnableEudc(int count) { g_forcedFailures = count; }
std::vector<BOOL> EnableEudcCalls() { return g_calls; }
void ResetEnableEudcLog() {
    g_calls.clear();
    g_forcedFailures = 0;
}
}  // namespace platform::testing
