// Security descriptors in their absolute form.
#include <cstring>

#include "platform/fileapi.h"
#include "platform/securitybase.h"

BOOL InitializeSecurityDescriptor(PSECURITY_DESCRIPTOR descriptor, DWORD revision) {
    if (revision != SECURITY_DESCRIPTOR_REVISION) {
        SetLastError(ERROR_UNKNOWN_REVISION);
        return FALSE;
    }
    if (!descriptor) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    SECURITY_DESCRIPTOR fresh = {};
    fresh.Revision = SECURITY_DESCRIPTOR_REVISION;
    std::memcpy(descriptor, &fresh, sizeof fresh);
    return TRUE;
}

BOOL SetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR descriptor, BOOL daclPresent, PACL dacl, BOOL daclDefaulted) {
    auto* sd = static_cast<SECURITY_DESCRIPTOR*>(descriptor);
    if (!sd || sd->Revision != SECURITY_DESCRIPTOR_REVISION) {
        SetLastError(ERROR_UNKNOWN_REVISION);
        return FALSE;
    }
    if (sd->Control & SE_SELF_RELATIVE) {
        SetLastError(ERROR_INVALID_SECURITY_DESCR);
        return FALSE;
    }
    if (!daclPresent) {
        sd->Control &= static_cast<WORD>(~SE_DACL_PRESENT);
        return TRUE;
    }
    sd->Control |= SE_DACL_PRESENT;
    sd->Dacl = dacl;
    if (daclDefaulted)
        sd->Control |= SE_DACL_DEFAULTED;
    else
        sd->Control &= static_cast<WORD>(~SE_DACL_DEFAULTED);
    return TRUE;
}
