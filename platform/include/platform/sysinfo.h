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

#define VER_NT_WORKSTATION 0x0000001u
#define VER_NT_DOMAIN_CONTROLLER 0x0000002u
#define VER_NT_SERVER 0x0000003u
#define VER_SUITE_SINGLEUSERTS 0x00000100u

struct OSVERSIONINFOEXA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    CHAR szCSDVersion[128];
    WORD wServicePackMajor;
    WORD wServicePackMinor;
    WORD wSuiteMask;
    BYTE wProductType;
    BYTE wReserved;
};
typedef OSVERSIONINFOEXA* LPOSVERSIONINFOEXA;

// Reports the version that the prefix's Wine setting stands for, as Wine 8.0 reports it to a
// program without a compatibility manifest. dwOSVersionInfoSize must be sizeof(OSVERSIONINFOA)
// or sizeof(OSVERSIONINFOEXA) (then the extra fields are filled too), else
// ERROR_INSUFFICIENT_BUFFER.
BOOL GetVersionExA(LPOSVERSIONINFOA info);

UINT GetWindowsDirectoryA(LPSTR buffer, UINT size);
UINT GetSystemDirectoryA(LPSTR buffer, UINT size);
UINT GetSystemWindowsDirectoryA(LPSTR buffer, UINT size);

void Sleep(DWORD milliseconds);
DWORD GetTickCount();

#endif  // _WIN32
