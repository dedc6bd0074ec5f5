// Modules, their file names and their resources.
#pragma once
#include "platform/wintypes.h"

#ifndef _WIN32

#define RT_STRING MAKEINTRESOURCEA(6)
#define RT_RCDATA MAKEINTRESOURCEA(10)

// NULL names the program; otherwise a handle from GetModuleHandleA or GetOwnModuleHandle.
DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);
// NULL gives the program; "kernel32.dll" (any case) the system module that GetProcAddress serves.
HMODULE GetModuleHandleA(LPCSTR moduleName);
typedef void (*FARPROC)();
FARPROC GetProcAddress(HMODULE module, LPCSTR name);

// A module's resources: type by name ("TTE", "DLL") or number, resource by number or name.
HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
LPVOID LockResource(HGLOBAL data);
DWORD SizeofResource(HMODULE module, HRSRC resource);
BOOL FreeResource(HGLOBAL data);
int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int bufferSize);

#endif  // _WIN32
