// Test hook for GetTempFileNameA: where its next search for a free number starts.
#pragma once
#include "platform/wintypes.h"

namespace platform::files {

// The next GetTempFileNameA with number 0 tries `number` first (1..0xFFFF), then counts up.
void SetNextTempNumberForTesting(UINT number);

}  // namespace platform::files
