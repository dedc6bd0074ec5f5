#include "ime/installed_imes.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/fileapi.h"
#include "platform/sysinfo.h"
#include "platform/winreg.h"

namespace platform::ime {

namespace {

constexpr const char* kLayoutsKey = "SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts";

// A plain file name: no folder, no drive, not "." or "..".
bool IsPlainFileName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    return name.find_first_of("\\/:") == std::string::npos;
}

bool ParseLayoutName(const char* name, DWORD& layout) {
    if (std::strlen(name) != 8) return false;
    DWORD value = 0;
    for (int i = 0; i < 8; ++i) {
        const char c = name[i];
        DWORD digit;
        if (c >= '0' && c <= '9') digit = static_cast<DWORD>(c - '0');
        else if (c >= 'A' && c <= 'F') digit = static_cast<DWORD>(c - 'A' + 10);
        else if (c >= 'a' && c <= 'f') digit = static_cast<DWORD>(c - 'a' + 10);
        else return false;
        value = (value << 4) | digit;
    }
    layout = value;
    return true;
}

}  // namespace

DWORD LayoutOf(HKL hkl) { return static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(hkl) & 0xFFFFFFFFu); }
HKL HklOf(DWORD layout) { return reinterpret_cast<HKL>(static_cast<ULONG_PTR>(layout)); }

std::string LayoutName(DWORD layout) {
    char name[9];
    std::snprintf(name, sizeof name, "%08X", static_cast<unsigned>(layout));
    return name;
}

bool FindInstalledIme(DWORD layout, InstalledIme& out, DWORD& error) {
    error = ERROR_INVALID_PARAMETER;
    // Only layouts of the form Exxxxxxx are IMEs, as on Windows.
    if ((layout & 0xF0000000u) != 0xE0000000u) return false;
    const std::string key = std::string(kLayoutsKey) + "\\" + LayoutName(layout);
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS) return false;
    char value[MAX_PATH] = {};
    DWORD size = sizeof value - 1, type = 0;
    const LONG rc = RegQueryValueExA(handle, "Ime File", nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(handle);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
    const std::string file(value, std::find(value, value + size, '\0'));
    if (!IsPlainFileName(file)) return false;
    char system[MAX_PATH];
    const UINT len = GetSystemDirectoryA(system, sizeof system);
    if (len == 0 || len >= sizeof system) return false;
    std::string path = std::string(system, len) + "\\" + file;
    if (path.size() >= MAX_PATH) return false;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        error = ERROR_FILE_NOT_FOUND;
        return false;
    }
    out.layout = layout;
    out.imeFile = file;
    out.path = std::move(path);
    return true;
}

std::vector<InstalledIme> InstalledImes() {
    std::vector<InstalledIme> imes;
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kLayoutsKey, 0, KEY_ENUMERATE_SUB_KEYS, &handle) != ERROR_SUCCESS)
        return imes;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD nameSize = sizeof name;
        if (RegEnumKeyExA(handle, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        DWORD layout = 0, error = 0;
        InstalledIme ime;
        if (ParseLayoutName(name, layout) && FindInstalledIme(layout, ime, error)) imes.push_back(std::move(ime));
    }
    RegCloseKey(handle);
    return imes;
}

}  // namespace platform::ime
