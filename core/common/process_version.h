// The library's process-wide version code, computed once when the library is loaded.
#pragma once

namespace eudc {

int WindowsVersionCode();
// Computes the code again (tests that switch prefixes); the library itself never calls it.
void RefreshWindowsVersionCode();

}  // namespace eudc
