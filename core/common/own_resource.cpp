#include "common/own_resource.h"

#include <cstring>

#include "platform/module.h"
#include "platform/resources.h"

namespace eudc {

DWORD LoadOwnResource(UINT id, void* buffer, DWORD maxBytes, LPCSTR type) {
    const HMODULE self = platform::GetOwnModuleHandle();
    HRSRC res = FindResourceA(self, MAKEINTRESOURCEA(id), type);
    if (!res) return 0;
    const DWORD size = SizeofResource(self, res);
    HGLOBAL loaded = LoadResource(self, res);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (size == 0 || !data) return 0;
    if (!buffer) return size;
    const DWORD n = (maxBytes == 0 || maxBytes > size) ? size : maxBytes;
    std::memcpy(buffer, data, n);
    return n;
}

}  // namespace eudc
