#include "common/registry_helpers.h"

#include <cstring>

namespace eudc {
namespace {

// Opens path with the given access, runs fn on the key and closes it again.
template <typename Fn>
bool WithKey(HKEY root, LPCSTR path, REGSAM access, Fn fn) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, access, &key) != ERROR_SUCCESS) return false;
    const bool ok = fn(key);
    RegCloseKey(key);
    return ok;
}

}  // namespace

bool RegReadValue(HKEY root, LPCSTR path, LPCSTR name, BYTE* data, DWORD* size, DWORD* type) {
    return WithKey(root, path, KEY_READ, [&](HKEY key) {
        return RegQueryValueExA(key, name, nullptr, type, data, size) == ERROR_SUCCESS;
    });
}

bool RegReadDword(HKEY root, LPCSTR path, LPCSTR name, DWORD* value) {
    DWORD type = 0, buf = 0, size = sizeof buf;
    if (!RegReadValue(root, path, name, reinterpret_cast<BYTE*>(&buf), &size, &type)) return false;
    if (type != REG_DWORD || size != 4) return false;
    if (value) *value = buf;
    return true;
}

bool RegRemoveValue(HKEY root, LPCSTR path, LPCSTR name) {
    return WithKey(root, path, KEY_ALL_ACCESS,
                   [&](HKEY key) { return RegDeleteValueA(key, name) == ERROR_SUCCESS; });
}

bool RegWriteMultiString(HKEY root, LPCSTR path, LPCSTR name, const char* data, DWORD size) {
    return WithKey(root, path, KEY_WRITE, [&](HKEY key) {
        return RegSetValueExA(key, name, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(data), size) ==
               ERROR_SUCCESS;
    });
}

bool RegWriteString(HKEY root, LPCSTR path, LPCSTR name, LPCSTR value) {
    if (!value) return false;
    return WithKey(root, path, KEY_WRITE, [&](HKEY key) {
        const DWORD size = static_cast<DWORD>(std::strlen(value) + 1);
        return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), size) == ERROR_SUCCESS;
    });
}

bool RegMakeKey(HKEY root, LPCSTR path) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                        &disposition) == ERROR_SUCCESS)
        RegCloseKey(key);
    return true;
}

}  // namespace eudc
