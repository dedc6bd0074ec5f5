// GetVersionExA from Wine's version setting, else from the version the prefix's registry records.
#include <cstring>
#include <cwchar>
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
    WORD servicePack, suite;
    BYTE product;
};

constexpr WORD kTs = VER_SUITE_SINGLEUSERTS;
constexpr BYTE kWks = VER_NT_WORKSTATION;
constexpr BYTE kSrv = VER_NT_SERVER;

// What Wine 8.0 reports for each setting to a program without a compatibility manifest, measured
// field by field (win7 does come back as a server and win2008r2 as a workstation). Wine 8.0 does
// not know "win11"; like Windows 11 it is taken to report what win10 reports.
constexpr VersionName kVersions[] = {
    {L"win95", VER_PLATFORM_WIN32_WINDOWS, 4, 0, 950, "", 0, 0, 0},
    {L"win98", VER_PLATFORM_WIN32_WINDOWS, 4, 10, 2222, " A ", 0, 0, 0},
    {L"winme", VER_PLATFORM_WIN32_WINDOWS, 4, 90, 3000, " ", 0, 0, 0},
    {L"nt351", VER_PLATFORM_WIN32_NT, 3, 51, 1057, "Service Pack 5", 5, 0, kWks},
    {L"nt40", VER_PLATFORM_WIN32_NT, 4, 0, 1381, "Service Pack 6a", 6, 0, kWks},
    {L"win2k", VER_PLATFORM_WIN32_NT, 5, 0, 2195, "Service Pack 4", 4, 0, kWks},
    {L"winxp", VER_PLATFORM_WIN32_NT, 5, 1, 2600, "Service Pack 3", 3, kTs, kWks},
    {L"winxp64", VER_PLATFORM_WIN32_NT, 5, 2, 3790, "Service Pack 2", 2, kTs, kWks},
    {L"win2003", VER_PLATFORM_WIN32_NT, 5, 2, 3790, "Service Pack 2", 2, kTs, kSrv},
    {L"vista", VER_PLATFORM_WIN32_NT, 6, 0, 6002, "Service Pack 2", 2, kTs, kWks},
    {L"win2008", VER_PLATFORM_WIN32_NT, 6, 0, 6002, "Service Pack 2", 2, kTs, kSrv},
    {L"win7", VER_PLATFORM_WIN32_NT, 6, 1, 7601, "Service Pack 1", 1, kTs, kSrv},
    {L"win2008r2", VER_PLATFORM_WIN32_NT, 6, 1, 7601, "Service Pack 1", 1, kTs, kWks},
    {L"win8", VER_PLATFORM_WIN32_NT, 6, 2, 9200, "", 0, kTs, kWks},
    {L"win81", VER_PLATFORM_WIN32_NT, 6, 2, 9200, "", 0, kTs, kWks},
    {L"win10", VER_PLATFORM_WIN32_NT, 6, 2, 9200, "", 0, kTs, kWks},
    {L"win11", VER_PLATFORM_WIN32_NT, 6, 2, 9200, "", 0, kTs, kWks},
};
constexpr const VersionName& kWin7 = kVersions[11];

struct Reported {
    DWORD platform, major, minor, build;
    std::string csd;
    WORD servicePackMajor, servicePackMinor, suite;
    BYTE product;
};

HKEY OpenForQuery(HKEY root, const wchar_t* path) {
    HKEY key = nullptr;
    return RegOpenKeyExW(root, path, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS ? key : nullptr;
}

bool ReadString(HKEY root, const wchar_t* path, const wchar_t* name, std::wstring& out) {
    HKEY key = OpenForQuery(root, path);
    if (!key) return false;
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

bool ReadDword(HKEY root, const wchar_t* path, const wchar_t* name, DWORD& out) {
    HKEY key = OpenForQuery(root, path);
    if (!key) return false;
    DWORD type = 0, size = sizeof out;
    const bool ok = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&out), &size) ==
                        ERROR_SUCCESS &&
                    type == REG_DWORD && size == sizeof out;
    RegCloseKey(key);
    return ok;
}

Reported From(const VersionName& v) {
    return {v.platform, v.major, v.minor, v.build, v.csd, v.servicePack, 0, v.suite, v.product};
}

// Without Wine's setting, Wine reports what the registry of the prefix records.
bool FromRegistry(Reported& r) {
    constexpr const wchar_t* kCurrent = L"Software\\Microsoft\\Windows NT\\CurrentVersion";
    std::wstring current;
    if (!ReadString(HKEY_LOCAL_MACHINE, kCurrent, L"CurrentVersion", current)) return false;
    unsigned major = 0, minor = 0;
    if (std::swscanf(current.c_str(), L"%u.%u", &major, &minor) != 2) return false;
    r = {VER_PLATFORM_WIN32_NT, major, minor, 0, "", 0, 0, 0, kWks};
    std::wstring text;
    if (ReadString(HKEY_LOCAL_MACHINE, kCurrent, L"CurrentBuildNumber", text)) r.build = std::wcstoul(text.c_str(), nullptr, 10);
    if (ReadString(HKEY_LOCAL_MACHINE, kCurrent, L"CSDVersion", text)) r.csd = platform::text::WideToAnsi(text);
    DWORD servicePack = 0;
    if (ReadDword(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Windows", L"CSDVersion", servicePack)) {
        r.servicePackMajor = static_cast<WORD>((servicePack >> 8) & 0xFF);
        r.servicePackMinor = static_cast<WORD>(servicePack & 0xFF);
    }
    if (ReadString(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\ProductOptions", L"ProductType", text)) {
        if (platform::text::EqualNoCase(text, L"ServerNT")) r.product = kSrv;
        else if (platform::text::EqualNoCase(text, L"LanmanNT")) r.product = VER_NT_DOMAIN_CONTROLLER;
    }
    return true;
}

Reported Resolve() {
    std::wstring name;
    // Wine matches its setting exactly: "WIN10" is no name it knows.
    if (ReadString(HKEY_CURRENT_USER, L"Software\\Wine", L"Version", name)) {
        for (const auto& v : kVersions)
            if (name == v.name) return From(v);
    }
    Reported r;
    if (FromRegistry(r)) return r;
    return From(kWin7);
}

}  // namespace

BOOL GetVersionExA(LPOSVERSIONINFOA info) {
    if (!info || (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA) &&
                  info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOEXA))) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    const Reported v = Resolve();
    info->dwMajorVersion = v.major;
    info->dwMinorVersion = v.minor;
    info->dwPlatformId = v.platform;
    // The 9x family keeps the version in the high word of the build number.
    info->dwBuildNumber =
        v.platform == VER_PLATFORM_WIN32_WINDOWS ? ((v.major << 24) | (v.minor << 16) | v.build) : v.build;
    std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
    std::strncpy(info->szCSDVersion, v.csd.c_str(), sizeof info->szCSDVersion - 1);
    if (info->dwOSVersionInfoSize == sizeof(OSVERSIONINFOEXA)) {
        auto* ex = reinterpret_cast<LPOSVERSIONINFOEXA>(info);
        ex->wServicePackMajor = v.servicePackMajor;
        ex->wServicePackMinor = v.servicePackMinor;
        ex->wSuiteMask = v.suite;
        ex->wProductType = v.product;
        ex->wReserved = 0;
    }
    return TRUE;
}
