// Message boxes.
#pragma once
#include "platform/wintypes.h"

#ifndef _WIN32

#define MB_OK 0x00000000u
#define MB_OKCANCEL 0x00000001u
#define MB_YESNO 0x00000004u
#define MB_ICONHAND 0x00000010u
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONSTOP MB_ICONHAND
#define MB_ICONQUESTION 0x00000020u
#define MB_ICONEXCLAMATION 0x00000030u
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONASTERISK 0x00000040u
#define MB_ICONINFORMATION MB_ICONASTERISK
#define MB_ICONMASK 0x000000F0u
#define MB_SYSTEMMODAL 0x00001000u
#define MB_TASKMODAL 0x00002000u

#define IDOK 1
#define IDCANCEL 2
#define IDYES 6
#define IDNO 7

// No window is shown: the title, ": " and the text go to standard error for the error icon and to
// standard output otherwise, in UTF-8. Returns the default button.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

#endif  // _WIN32
