// SIDs read as the bytes they are (revision, count, six authority bytes, 32-bit sub-authorities
// in host order), so that a SID inside a caller's buffer or an access entry needs no alignment.
#pragma once
#include <cstddef>

#include "platform/securitybase.h"

namespace platform::security {

// The SID's length in bytes, or 0 when it is no valid SID (revision 1, at most 15 sub-authorities).
size_t SidBytes(const void* sid);
// The length a SID needs with `count` sub-authorities (8 + 4 per sub-authority).
inline size_t SidBytesFor(unsigned count) { return 8 + 4 * static_cast<size_t>(count); }
// True when a and b are the same valid SID.
bool SameSid(const void* a, const void* b);

}  // namespace platform::security
