// Registry helpers: each opens and closes its key itself and reports success as bool.
#pragma once
#include "platform/winreg.h"

namespace eudc {

// Reads a value with read access. *size is the buffer size in, the value's size out.
bool RegReadValue(HKEY root, LPCSTR path, LPCSTR name, BYTE* data, DWORD* size, DWORD* type = nullptr);
// True only for a REG_DWORD value of 4 bytes.
bool RegReadDword(HKEY root, LPCSTR path, LPCSTR name, DWORD* value);
bool RegRemoveValue(HKEY root, LPCSTR path, LPCSTR name);
// The key must exist; it is not created. data holds the strings, each terminated, and a final terminator.
bool RegWriteMultiString(HKEY root, LPCSTR path, LPCSTR name, const char* data, DWORD size);
// The key must exist; it is not created. The stored length includes the terminator.
bool RegWriteString(HKEY root, LPCSTR path, LPCSTR name, LPCSTR value);
// Creates the key (or opens it) with full access; always true.
bool RegMakeKey(HKEY root, LPCSTR path);

}  // namespace eudc
