// The platform's test interface: lets tests steer what the real system would decide.
// Not part of any installed header set.
#pragma once
#include <functional>
#include <vector>

#include "platform/wintypes.h"

namespace platform::testing {

// While on, Sleep records its argument instead of sleeping.
void RecordSleeps(bool record);
std::vector<DWORD> RecordedSleeps();
// While set, Sleep calls the hook instead of sleeping (and records as above).
void SetSleepHook(std::function<void(DWORD)> hook);

}  // namespace platform::testing

namespace platform::testing {

// The next `count` calls of EnableEUDC(FALSE) fail as if another process held the switch.
void FailEnableEudc(int count);
// Every EnableEUDC call since the last reset, by argument.
std::vector<BOOL> EnableEudcCalls();
void ResetEnableEudcLog();

}  // namespace platform::testing

namespace platform::testing {

// Writes (WriteFile and the registry's saves), syncs (FlushFileBuffers, the registry's) and
// renames (MoveFileExA, the registry's). FailNth(kind, n) makes the nth of that kind from now
// fail as a full disk would (n = 0: none) and restarts the counts.
enum class FaultKind { Write = 0, Sync = 1, Rename = 2 };
void FailNth(FaultKind kind, long n);
long OperationsSeen(FaultKind kind);

}  // namespace platform::testing

namespace platform::testing {

// The clock of WaitForSingleObject. Off (the default), a wait polls its object in real time. On,
// a finite wait whose object is not signalled does not sleep: the clock jumps to the wait's end
// and the object is asked once more, so a 300000 ms wait on a mutex that another process holds
// returns WAIT_TIMEOUT at once. An INFINITE wait cannot end by time and still waits in real time.
// Switching also resets LastWaitTimeout.
void UseVirtualWaitClock(bool on);
// The timeout passed to the latest WaitForSingleObject call of any thread; 0 when none was made
// since the clock was last switched.
DWORD LastWaitTimeout();

}  // namespace platform::testing
