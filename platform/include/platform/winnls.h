// Code page conversion. The ANSI code page is 950.
#pragma once
#include "platform/wintypes.h"

#ifndef _WIN32

#define CP_ACP 0u
#define CP_OEMCP 1u
#define CP_UTF8 65001u

#define MB_PRECOMPOSED 0x00000001u
#define MB_ERR_INVALID_CHARS 0x00000008u
#define WC_NO_BEST_FIT_CHARS 0x00000400u

UINT GetACP();
UINT GetOEMCP();
BOOL IsDBCSLeadByte(BYTE testChar);
BOOL IsDBCSLeadByteEx(UINT codePage, BYTE testChar);
// Code pages 0 (ACP), 1 (OEMCP), 950 and 65001 are supported; the others fail with ERROR_INVALID_PARAMETER.
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR mbStr, int mbLen, LPWSTR wideStr, int wideLen);
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wideStr, int wideLen, LPSTR mbStr, int mbLen,
                        LPCSTR defaultChar, LPBOOL usedDefaultChar);

#endif  // _WIN32
