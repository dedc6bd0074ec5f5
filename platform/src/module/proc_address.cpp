// GetProcAddress for the system modules whose functions the core looks up by name at run time.
#include <cstring>

#include "platform/fileapi.h"
#include "platform/module.h"
#include "platform/sysinfo.h"

namespace {

struct Export {
    const char* name;
    FARPROC proc;
};

const Export kKernel32[] = {
    {"GetSystemWindowsDirectoryA", reinterpret_cast<FARPROC>(&GetSystemWindowsDirectoryA)},
    {"GetWindowsDirectoryA", reinterpret_cast<FARPROC>(&GetWindowsDirectoryA)},
    {"GetSystemDirectoryA", reinterpret_cast<FARPROC>(&GetSystemDirectoryA)},
};

}  // namespace

namespace platform {
// A stand-in handle for kernel32.dll; never dereferenced.
HMODULE Kernel32Handle() {
    static char marker;
    return reinterpret_cast<HMODULE>(&marker);
}
}  // namespace platform

FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
    if (module == platform::Kernel32Handle() && name && !IS_INTRESOURCE(name)) {
        for (const auto& e : kKernel32)
            if (std::strcmp(e.name, name) == 0) return e.proc;
    }
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
}
