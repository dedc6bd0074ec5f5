#include <cstring>
#include <string>

#include "platform/fileapi.h"
#include "platform/sysinfo.h"
#include "platform/winreg.h"
#include "text.h"

namespace {

struct VersionName {
    const wchar_t* name;
    DWORD platform, major, minor, build;
    const char* csd;
};

// What each of Wine's version names reports.
constexpr VersionName kVersions[] = {
    {L"win95", VER_PLATFORM_WIN32_WINDOWS, 4, 0, 950, ""},
    {L"win98", VER_PLATFORM_WIN32_WINDOWS, 4, 10, 2222, " A "},
    {L"winme", VER_PLATFORM_WIN32_WINDOWS, 4, 90, 3000, " "},
    {L"nt351", VER_PLATFORM_WIN32_NT, 3, 51, 1057, "Service Pack 5"},
    {L"nt40", VER_PLATFORM_WIN32_NT, 4, 0, 1381, "Service Pack 6a"},
    {L"win2k", VER_PLATFORM_WIN32_NT, 5, 0, 2195, "Service Pack 4"},
    {L"winxp", VER_PLATFORM_WIN32_NT, 5, 1, 2600, "Service Pack 3"},
    {L"winxp64", VER_PLATFORM_WIN32_NT, 5, 2, 3790, "Service Pack 2"},
    {L"win2003", VER_PLATFORM_WIN32_NT, 5, 2, 3790, "Service Pack 2"},
    {L"vista", VER_PLATFORM_WIN32_NT, 6, 0, 6002, "Service Pack 2"},
    {L"win2008", VER_PLATFORM_WIN32_NT, 6, 0, 6002, "Service Pack 2"},
    {L"win7", VER_PLATFORM_WIN32_NT, 6, 1, 7601, "Service Pack 1"},
    {L"win2008r2", VER_PLATFORM_WIN32_NT, 6, 1, 7601, "Service Pack 1"},
    {L"win8", VER_PLATFORM_WIN32_NT, 6, 2, 9200, ""},
    {L"win81", VER_PLATFORM_WIN32_NT, 6, 3, 9600, ""},
    {L"win10", VER_PLATFORM_WIN32_NT, 10, 0, 19043, ""},
    {L"win11", VER_PLATFORM_WIN32_NT, 10, 0, 22000, ""},
};
constexpr const VersionName& kDefault = kVersions[11];  // win7

bool ReadString(HKEY root, const wchar_t* path, const wchar_t* name, std::wstring& out) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    DWORD type = 0, size = 0;
    bool ok = RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
              (type == REG_SZ || type == REG_EXPAND_SZ);
    if (ok) {
        std::wstring value(size / sizeof(WCHAR) + 1, L'\0');
        DWORD got = static_cast<DWORD>(value.size() * sizeof(WCHAR));
        ok = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &got) ==
             ERROR_SUCCESS;
        if (ok) out.assign(value.c_str());
    }
    RegCloseKey(key);
    return ok;
}

VersionName Resolve() {
    std::wstring name;
    if (ReadString(HKEY_CURRENT_USER, L"Software\\Wine", L"Version", name)) {
        for (const auto& v : kVersions)
            if (platform::text::EqualNoCase(name, v.name)) return v;
    }
    std::wstring current;
    if (ReadString(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows NT\\CurrentVersion", L"CurrentVersion",
                   current)) {
        // "major.minor" of an NT system.
        unsigned major = 0, minor = 0;
        if (std::swscanf(current.c_str(), L"%u.%u", &major, &minor) == 2) {
            for (const auto& v : kVersions)
                if (v.platform == VER_PLATFORM_WIN32_NT && v.major == major && v.minor == minor) return v;
            return VersionName{L"", VER_PLATFORM_WIN32_NT, major, minor, 0, ""};
        }
    }
    return kDefault;
}

}  // namespace

BOOL GetVersionExA(LPOSVERSIONINFOA info) {
    if (!info || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    const VersionName v = Resolve();
    info->dwMajorVersion = v.major;
    info->dwMinorVersion = v.minor;
    info->dwPlatformId = v.platform;
    // The 9x family keeps the version in the high word of the build number.
    info->dwBuildNumber =
        v.platform == VER_PLATFORM_WIN32_WINDOWS ? ((v.major << 24) | (v.minor << 16) | v.build) : v.build;
    std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
    std::strncpy(info->szCSDVersion, v.csd, sizeof info->szCSDVersion - 1);
    return TRUE;
}
