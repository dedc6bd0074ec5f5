// The Windows version code: a small integer that classifies the running system
// (1-3 the 9x family, 11-15 NT 3.x to Server 2003, 16 every 6.x release, 21 anything newer, 0 other).
#pragma once
#include "platform/wintypes.h"

namespace eudc {

int ClassifyWindowsVersion(DWORD platformId, DWORD major, DWORD minor);
// Asks GetVersionExA now; 0 when it fails.
int ComputeWindowsVersionCode();

}  // namespace eudc
