#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/shell.h"
#include "platform/winreg.h"
#include "prefix.h"
#include "text.h"

struct ITEMIDLIST {
    char path[MAX_PATH];
};

namespace {

constexpr const wchar_t* kShellFolders = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

bool ReadFolderValue(HKEY root, const wchar_t* name, std::wstring& out) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, kShellFolders, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    WCHAR buf[1024] = {};
    DWORD size = sizeof buf - sizeof(WCHAR), type = 0;
    const bool ok = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) ==
                        ERROR_SUCCESS &&
                    (type == REG_SZ || type == REG_EXPAND_SZ) && buf[0] != 0;
    RegCloseKey(key);
    if (ok) out = buf;
    return ok;
}

// The folder in code page 950, from the values Wine writes, else Wine's defaults.
bool FolderPath(int csidl, std::string& out) {
    std::wstring path;
    switch (csidl & ~CSIDL_FLAG_CREATE) {
        case CSIDL_APPDATA:
            if (!ReadFolderValue(HKEY_CURRENT_USER, L"AppData", path))
                path = platform::prefix::ProfileFolder() + L"\\AppData\\Roaming";
            break;
        case CSIDL_COMMON_APPDATA:
            if (!ReadFolderValue(HKEY_LOCAL_MACHINE, L"Common AppData", path)) path = L"C:\\ProgramData";
            break;
        case CSIDL_COMMON_DOCUMENTS:
            if (!ReadFolderValue(HKEY_LOCAL_MACHINE, L"Common Documents", path))
                path = L"C:\\users\\Public\\Documents";
            break;
        default:
            return false;
    }
    out = platform::text::WideToAnsi(path);
    return out.size() < MAX_PATH;
}

}  // namespace

HRESULT SHGetSpecialFolderLocation(HWND, int csidl, LPITEMIDLIST* pidl) {
    if (!pidl) return E_INVALIDARG;
    *pidl = nullptr;
    std::string path;
    if (!FolderPath(csidl, path)) return E_INVALIDARG;
    auto* item = static_cast<ITEMIDLIST*>(std::calloc(1, sizeof(ITEMIDLIST)));
    if (!item) return E_OUTOFMEMORY;
    std::memcpy(item->path, path.c_str(), path.size() + 1);
    *pidl = item;
    return S_OK;
}

BOOL SHGetPathFromIDListA(LPCITEMIDLIST pidl, LPSTR path) {
    if (!pidl || !path) return FALSE;
    std::memcpy(path, pidl->path, std::strlen(pidl->path) + 1);
    return TRUE;
}

HRESULT SHGetFolderPathA(HWND, int csidl, HANDLE, DWORD, LPSTR path) {
    std::string folder;
    if (!path || !FolderPath(csidl, folder)) return E_INVALIDARG;
    std::memcpy(path, folder.c_str(), folder.size() + 1);
    return S_OK;
}

void CoTaskMemFree(LPVOID p) { std::free(p); }
void ILFree(LPITEMIDLIST pidl) { std::free(pidl); }
