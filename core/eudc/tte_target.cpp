#include "eudc/tte_target.h"

#include <cstdint>

#include "foundation/endian.h"
#include "platform/fileapi.h"

namespace eudc {

bool MayReplaceTteFile(const char* path) {
    if (!path || !*path) return false;
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    uint8_t head[4] = {};
    DWORD got = 0;
    const bool read = ReadFile(h, head, sizeof head, &got, nullptr) != 0;
    CloseHandle(h);
    if (!read) return false;
    if (got == 0) return true;
    if (got < sizeof head) return false;
    switch (endian::LoadBE32(head)) {
        case 0x00010000u:  // TrueType
        case 0x74727565u:  // 'true'
        case 0x4F54544Fu:  // 'OTTO'
        case 0x74746366u:  // 'ttcf'
            return true;
        default:
            return false;
    }
}

}  // namespace eudc
