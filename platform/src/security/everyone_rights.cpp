#include "security/everyone_rights.h"

#include "security/acl_walk.h"
#include "security/sid_bytes.h"

namespace platform::security {

namespace {

// S-1-1-0.
constexpr BYTE kEveryone[12] = {SID_REVISION, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0};

bool Refuse(DWORD error) {
    SetLastError(error);
    return false;
}

}  // namespace

ACCESS_MASK MapGeneric(ACCESS_MASK mask, const GenericMapping& generic) {
    ACCESS_MASK out = mask & ~(GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL);
    if (mask & GENERIC_READ) out |= generic.read;
    if (mask & GENERIC_WRITE) out |= generic.write;
    if (mask & GENERIC_EXECUTE) out |= generic.execute;
    if (mask & GENERIC_ALL) out |= generic.all;
    return out;
}

bool EveryoneRights(const SECURITY_ATTRIBUTES* sa, const GenericMapping& generic, ACCESS_MASK* rights) {
    *rights = 0;
    if (!sa || !sa->lpSecurityDescriptor) return true;
    const auto* sd = static_cast<const SECURITY_DESCRIPTOR*>(sa->lpSecurityDescriptor);
    if (sd->Revision != SECURITY_DESCRIPTOR_REVISION) return Refuse(ERROR_UNKNOWN_REVISION);
    if (sd->Control & SE_SELF_RELATIVE) return Refuse(ERROR_INVALID_SECURITY_DESCR);
    if (!(sd->Control & SE_DACL_PRESENT)) return true;
    if (!sd->Dacl) {
        *rights = generic.all;
        return true;
    }
    const std::optional<size_t> end = EntriesEnd(sd->Dacl);
    if (!end) return Refuse(ERROR_INVALID_ACL);
    ACCESS_MASK granted = 0, denied = 0;
    for (size_t at = sizeof(ACL); at < *end;) {
        const std::optional<AceView> ace = EntryAt(sd->Dacl, at);
        if (!ace) return Refuse(ERROR_INVALID_ACL);
        at += ace->size;
        if (!ace->sid || !SameSid(ace->sid, kEveryone)) continue;
        const ACCESS_MASK mask = MapGeneric(ace->mask, generic);
        if (ace->type == ACCESS_ALLOWED_ACE_TYPE)
            granted |= mask & ~denied;
        else
            denied |= mask & ~granted;
    }
    *rights = granted;
    return true;
}

}  // namespace platform::security
