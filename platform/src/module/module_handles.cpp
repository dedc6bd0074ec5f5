#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <strings.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "platform/fileapi.h"
#include "platform/module.h"
#include "platform/resources.h"
#include "prefix.h"
#include "text.h"

namespace {

struct ModuleInfo {
    uintptr_t base = 0;
    std::string path;
};

// The address of the module's ELF header, which is what dladdr reports as its base.
uintptr_t HeaderAddress(const dl_phdr_info* info) {
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const auto& ph = info->dlpi_phdr[i];
        if (ph.p_type == PT_LOAD && ph.p_offset == 0) return info->dlpi_addr + ph.p_vaddr;
    }
    return info->dlpi_addr;
}

std::string ExecutablePath() {
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return {};
    return std::string(buf, static_cast<size_t>(n));
}

// Finds a loaded module by base address; base 0 means the program itself.
bool FindModule(uintptr_t base, ModuleInfo& out) {
    struct Search {
        uintptr_t base;
        ModuleInfo found;
        bool first = true;
        bool ok = false;
    } search{base, {}};
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) -> int {
            auto* s = static_cast<Search*>(data);
            const bool isProgram = s->first;
            s->first = false;
            const uintptr_t header = HeaderAddress(info);
            if ((s->base == 0 && isProgram) || header == s->base) {
                s->found.base = header;
                s->found.path = isProgram ? ExecutablePath() : std::string(info->dlpi_name ? info->dlpi_name : "");
                s->ok = true;
                return 1;
            }
            return 0;
        },
        &search);
    out = search.found;
    return search.ok;
}

}  // namespace

namespace platform {

HMODULE Kernel32Handle();

HMODULE ModuleOfAddress(const void* address) {
    Dl_info info{};
    if (dladdr(address, &info) == 0) return nullptr;
    return static_cast<HMODULE>(info.dli_fbase);
}

}  // namespace platform

HMODULE GetModuleHandleA(LPCSTR moduleName) {
    if (moduleName != nullptr) {
        if (strcasecmp(moduleName, "kernel32.dll") == 0 || strcasecmp(moduleName, "kernel32") == 0)
            return platform::Kernel32Handle();
        // Other modules are not looked up by name; the library finds itself with GetOwnModuleHandle.
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    ModuleInfo info;
    if (!FindModule(0, info)) return nullptr;
    return reinterpret_cast<HMODULE>(info.base);
}

DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
    ModuleInfo info;
    if (!FindModule(reinterpret_cast<uintptr_t>(module), info) || info.path.empty()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    std::error_code ec;
    const std::filesystem::path host = std::filesystem::absolute(info.path, ec);
    const std::string name = platform::text::WideToAnsi(platform::prefix::ToWindows(host));
    if (!fileName || size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (name.size() >= size) {
        // Truncated and terminated, as Windows since Vista does.
        std::memcpy(fileName, name.data(), size - 1);
        fileName[size - 1] = '\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    std::memcpy(fileName, name.c_str(), name.size() + 1);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(name.size());
}
