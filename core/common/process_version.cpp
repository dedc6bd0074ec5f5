#include "common/process_version.h"

#include "common/version_code.h"

namespace eudc {
namespace {
int g_versionCode = ComputeWindowsVersionCode();
}

int WindowsVersionCode() { return g_versionCode; }
void RefreshWindowsVersionCode() { g_versionCode = ComputeWindowsVersionCode(); }

}  // namespace eudc
