#include "common/version_code.h"

#include "platform/sysinfo.h"

namespace eudc {

int ClassifyWindowsVersion(DWORD platformId, DWORD major, DWORD minor) {
    if (platformId == VER_PLATFORM_WIN32_WINDOWS) {
        if (major == 4 && minor >= 90) return 3;
        if (major > 4) return 3;
        if (major == 4 && minor >= 1) return 2;
        return 1;
    }
    if (platformId == VER_PLATFORM_WIN32_NT) {
        if (major == 3) return 11;
        if (major == 4) return 12;
        if (major == 5) {
            if (minor == 0) return 13;
            if (minor == 1) return 14;
            if (minor == 2) return 15;
            return 0;
        }
        if (major == 6) return 16;
        if (major > 6) return 21;
        return 0;
    }
    return 0;
}

int ComputeWindowsVersionCode() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info)) return 0;
    return ClassifyWindowsVersion(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
}

}  // namespace eudc
