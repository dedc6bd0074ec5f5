// Shell folders.
#pragma once
#include "platform/wintypes.h"

#ifndef _WIN32

#define CSIDL_APPDATA 0x001a
#define CSIDL_COMMON_APPDATA 0x0023
#define CSIDL_COMMON_DOCUMENTS 0x002e
#define CSIDL_FLAG_CREATE 0x8000

typedef LONG HRESULT;
#define S_OK 0
#define E_FAIL (static_cast<HRESULT>(0x80004005u))
#define E_INVALIDARG (static_cast<HRESULT>(0x80070057u))
#define E_OUTOFMEMORY (static_cast<HRESULT>(0x8007000Eu))
#define SUCCEEDED(hr) ((hr) >= 0)
#define FAILED(hr) ((hr) < 0)

struct ITEMIDLIST;
typedef ITEMIDLIST* LPITEMIDLIST;
typedef const ITEMIDLIST* LPCITEMIDLIST;

// CSIDL_APPDATA, CSIDL_COMMON_APPDATA and CSIDL_COMMON_DOCUMENTS are known; others fail with E_INVALIDARG.
HRESULT SHGetSpecialFolderLocation(HWND owner, int csidl, LPITEMIDLIST* pidl);
BOOL SHGetPathFromIDListA(LPCITEMIDLIST pidl, LPSTR path);
HRESULT SHGetFolderPathA(HWND owner, int csidl, HANDLE token, DWORD flags, LPSTR path);
void CoTaskMemFree(LPVOID p);
void ILFree(LPITEMIDLIST pidl);

#endif  // _WIN32
