// Security identifiers.
#include <cstring>

#include "platform/fileapi.h"
#include "platform/heap.h"
#include "security/sid_bytes.h"

namespace platform::security {

size_t SidBytes(const void* sid) {
    if (!sid) return 0;
    const auto* bytes = static_cast<const BYTE*>(sid);
    if (bytes[0] != SID_REVISION || bytes[1] > SID_MAX_SUB_AUTHORITIES) return 0;
    return SidBytesFor(bytes[1]);
}

bool SameSid(const void* a, const void* b) {
    const size_t n = SidBytes(a);
    return n != 0 && n == SidBytes(b) && std::memcmp(a, b, n) == 0;
}

}  // namespace platform::security

using platform::security::SidBytes;
using platform::security::SidBytesFor;

BOOL AllocateAndInitializeSid(PSID_IDENTIFIER_AUTHORITY authority, BYTE count, DWORD s0, DWORD s1, DWORD s2,
                              DWORD s3, DWORD s4, DWORD s5, DWORD s6, DWORD s7, PSID* sid) {
    if (!authority || !sid) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // Eight is all the call can carry.
    if (count > 8) {
        SetLastError(ERROR_INVALID_SID);
        return FALSE;
    }
    auto* bytes = static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), 0, SidBytesFor(count)));
    if (!bytes) return FALSE;
    bytes[0] = SID_REVISION;
    bytes[1] = count;
    std::memcpy(bytes + 2, authority->Value, 6);
    const DWORD sub[8] = {s0, s1, s2, s3, s4, s5, s6, s7};
    std::memcpy(bytes + 8, sub, 4 * static_cast<size_t>(count));
    *sid = bytes;
    return TRUE;
}

PVOID FreeSid(PSID sid) {
    HeapFree(GetProcessHeap(), 0, sid);
    return nullptr;
}

DWORD GetLengthSid(PSID sid) {
    if (!sid) return 0;
    return static_cast<DWORD>(SidBytesFor(static_cast<const BYTE*>(sid)[1]));
}

BOOL IsValidSid(PSID sid) { return SidBytes(sid) != 0; }

BOOL CopySid(DWORD destinationLength, PSID destination, PSID source) {
    const size_t n = SidBytes(source);
    if (n == 0) {
        SetLastError(ERROR_INVALID_SID);
        return FALSE;
    }
    if (destinationLength < n || !destination) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memmove(destination, source, n);
    return TRUE;
}
