#include "common/system_folders.h"

#include <vector>

#include "platform/module.h"
#include "platform/shell.h"
#include "platform/sysinfo.h"

namespace eudc {
namespace {

std::string WithoutTrailingSlash(std::string s) {
    if (!s.empty() && s.back() == '\\') s.pop_back();
    return s;
}

}  // namespace

std::string WindowsDirectory(int versionCode, unsigned bufferSize) {
    std::vector<char> dir(bufferSize + 1, '\0');
    UINT n = 0;
    if (versionCode >= 13 && versionCode <= 15) {
        using Fn = UINT (*)(LPSTR, UINT);
        if (auto fn = reinterpret_cast<Fn>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetSystemWindowsDirectoryA")))
            n = fn(dir.data(), bufferSize);
        if (n >= bufferSize) n = 0;
    }
    if (n == 0) {
        n = GetWindowsDirectoryA(dir.data(), bufferSize);
        if (n >= bufferSize) n = 0;
    }
    return WithoutTrailingSlash(std::string(dir.data(), n));
}

std::string SystemDirectory(unsigned bufferSize) {
    std::vector<char> dir(bufferSize + 1, '\0');
    UINT n = GetSystemDirectoryA(dir.data(), bufferSize);
    if (n >= bufferSize) n = 0;
    return WithoutTrailingSlash(std::string(dir.data(), n));
}

std::string ShellFolder(int csidl) {
    LPITEMIDLIST pidl = nullptr;
    char path[MAX_PATH] = {};
    if (SHGetSpecialFolderLocation(nullptr, csidl, &pidl) == S_OK && pidl) {
        SHGetPathFromIDListA(pidl, path);
        CoTaskMemFree(pidl);
    }
    return path;
}

}  // namespace eudc
