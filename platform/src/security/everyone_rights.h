// What a named object's security attributes let everyone do; the object's file is opened to
// other users accordingly.
#pragma once
#include "platform/fileapi.h"
#include "platform/securitybase.h"

namespace platform::security {

// How an object kind spells the generic rights.
struct GenericMapping {
    ACCESS_MASK read, write, execute, all;
};

// The specific rights of mask, with its generic bits mapped.
ACCESS_MASK MapGeneric(ACCESS_MASK mask, const GenericMapping& generic);

// The rights the discretionary list grants Everyone (S-1-1-0), taking the entries for that
// identifier in order, allowed and denied, as Windows checks them. No attributes, no descriptor
// or no list present: none (the default security admits only the owner). A present null list:
// every right. false with the last error set (ERROR_UNKNOWN_REVISION, ERROR_INVALID_ACL,
// ERROR_INVALID_SECURITY_DESCR) for a descriptor that is not valid.
bool EveryoneRights(const SECURITY_ATTRIBUTES* sa, const GenericMapping& generic, ACCESS_MASK* rights);

}  // namespace platform::security
