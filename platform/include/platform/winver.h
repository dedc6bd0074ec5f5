// File version information. Over a prefix a file has a version resource when it is an IME
// descriptor with a ProductVersion line (see imm.h); the block that GetFileVersionInfoA fills is
// read with VerQueryValueA only.
#pragma once
#include "platform/wintypes.h"

#ifdef _WIN32
#include <winver.h>
#else

#define VS_FFI_SIGNATURE 0xFEEF04BDu
#define VS_FFI_STRUCVERSION 0x00010000u
#define VS_FFI_FILEFLAGSMASK 0x0000003Fu
#define VOS_NT_WINDOWS32 0x00040004u
#define VFT_DRV 0x00000003u
#define VFT2_DRV_INPUTMETHOD 0x0000000Bu

struct VS_FIXEDFILEINFO {
    DWORD dwSignature;
    DWORD dwStrucVersion;
    DWORD dwFileVersionMS;
    DWORD dwFileVersionLS;
    DWORD dwProductVersionMS;
    DWORD dwProductVersionLS;
    DWORD dwFileFlagsMask;
    DWORD dwFileFlags;
    DWORD dwFileOS;
    DWORD dwFileType;
    DWORD dwFileSubtype;
    DWORD dwFileDateMS;
    DWORD dwFileDateLS;
};
typedef UINT* PUINT;

// The size of the file's version block, 0 when it has none (ERROR_RESOURCE_TYPE_NOT_FOUND) or
// cannot be read (the error of opening it). *handle (when given) is set to 0.
DWORD GetFileVersionInfoSizeA(LPCSTR fileName, LPDWORD handle);
// Fills data with the block. A smaller size gets the block cut to that size, which VerQueryValueA
// then reads only so far; a size below the block's header fails with ERROR_INSUFFICIENT_BUFFER.
BOOL GetFileVersionInfoA(LPCSTR fileName, DWORD handle, DWORD size, LPVOID data);
// "\" gives the VS_FIXEDFILEINFO; "\VarFileInfo\Translation" the language and code page (two
// WORDs, 0x0404 and 950); "\StringFileInfo\040403B6\<name>" a code page 950 string (FileDescription,
// ProductVersion), its length counting the terminator. Names compare without regard to case.
BOOL VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* buffer, PUINT length);

#endif  // _WIN32
