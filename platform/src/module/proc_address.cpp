// GetProcAddress for the system modules whose functions the core looks up by name at run time.
#include <cstring>

#include "platform/fileapi.h"
#include "platform/module.h"
#include "platform/heap.h"
#include "platform/sysinfo.h"
#include "prefix.h"

#include <string>

// Wine's own kernel32 export that tells a program it runs under Wine: the Unix path of a DOS
// path, in a block of the process heap (HeapFree), or null.
char* wine_get_unix_file_name(LPCWSTR dosPath) {
    if (!dosPath) return nullptr;
    const auto host = platform::prefix::ToHost(dosPath);
    if (!host) return nullptr;
    const std::string path = host->string();
    auto* out = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, path.size() + 1));
    if (out) std::memcpy(out, path.c_str(), path.size() + 1);
    return out;
}

namespace {

struct Export {
    const char* name;
    FARPROC proc;
};

const Export kKernel32[] = {
    {"GetSystemWindowsDirectoryA", reinterpret_cast<FARPROC>(&GetSystemWindowsDirectoryA)},
    {"GetWindowsDirectoryA", reinterpret_cast<FARPROC>(&GetWindowsDirectoryA)},
    {"GetSystemDirectoryA", reinterpret_cast<FARPROC>(&GetSystemDirectoryA)},
    {"wine_get_unix_file_name", reinterpret_cast<FARPROC>(&wine_get_unix_file_name)},
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
