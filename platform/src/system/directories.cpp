#include <cstring>

#include "platform/fileapi.h"
#include "platform/sysinfo.h"

namespace {

// Win32's rule: the length without the terminator when it fits, else the size needed with it.
UINT CopyDirectory(const char* dir, LPSTR buffer, UINT size) {
    const UINT len = static_cast<UINT>(std::strlen(dir));
    if (!buffer || size <= len) return len + 1;
    std::memcpy(buffer, dir, len + 1);
    return len;
}

}  // namespace

UINT GetWindowsDirectoryA(LPSTR buffer, UINT size) { return CopyDirectory("C:\\windows", buffer, size); }
UINT GetSystemDirectoryA(LPSTR buffer, UINT size) { return CopyDirectory("C:\\windows\\system32", buffer, size); }
UINT GetSystemWindowsDirectoryA(LPSTR buffer, UINT size) { return CopyDirectory("C:\\windows", buffer, size); }
