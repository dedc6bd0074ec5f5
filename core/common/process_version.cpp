#include "common/process_version.h"

#include "common/version_code.h"

namespace eudc {
namespace {
// Asked on first use, so that other objects built at load may use it whatever the order in which
// the library's objects are built.
int& Code() {
    static int code = ComputeWindowsVersionCode();
    return code;
}
// Still computed at load, as the library documents.
[[maybe_unused]] const int g_atLoad = Code();
}  // namespace

int WindowsVersionCode() { return Code(); }
void RefreshWindowsVersionCode() { Code() = ComputeWindowsVersionCode(); }

}  // namespace eudc
