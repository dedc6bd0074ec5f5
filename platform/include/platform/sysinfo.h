// Version information and the Windows directories.
#pragma once
#include "platform/wintypes.h"

#ifndef _WIN32

#define VER_PLATFORM_WIN32s 0u
#define VER_PLATFORM_WIN32_WINDOWS 1u
#define VER_PLATFORM_WIN32_NT 2u

struct OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    CHAR szCSDVersion[128];
};
typedef OSVERSIONINFOA* LPOSVERSIONINFOA;

// Reports the version that the prefix's Wine setting stands for. dwOSVersionInfoSize must be
// sizeof(OSVERSIONINFOA), else ERROR_INSUFFICIENT_BUFFER.
BOOL GetVersionExA(LPOSVERSIONINFOA info);

UINT GetWindowsDirectoryA(LPSTR buffer, UINT size);
UINT GetSystemDirectoryA(LPSTR buffer, UINT size);
UINT GetSystemWindowsDirectoryA(LPSTR buffer, UINT size);

void Sleep(DWORD milliseconds);
DWORD GetTickCount();

#endif  // _WIN32
