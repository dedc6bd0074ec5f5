#include "clientdata/shared_security.h"

namespace clientdata {
namespace {

// The current user's identifier from the thread's token, or the process's when the thread has
// none; a heap copy, or null.
PSID CurrentUserSid() {
    HANDLE token = nullptr;
    if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token) &&
        !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return nullptr;
    PSID copy = nullptr;
    DWORD needed = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &needed);
    if (needed > 0) {
        auto* user = static_cast<TOKEN_USER*>(HeapAlloc(GetProcessHeap(), 0, needed));
        if (user && GetTokenInformation(token, TokenUser, user, needed, &needed)) {
            const DWORD length = GetLengthSid(user->User.Sid);
            copy = HeapAlloc(GetProcessHeap(), 0, length);
            if (copy && !CopySid(length, copy, user->User.Sid)) {
                HeapFree(GetProcessHeap(), 0, copy);
                copy = nullptr;
            }
        }
        if (user) HeapFree(GetProcessHeap(), 0, user);
    }
    CloseHandle(token);
    return copy;
}

}  // namespace

void BuildSharedSecurity(SECURITY_ATTRIBUTES& attributes, DWORD userMask, DWORD everyoneMask) {
    attributes.nLength = sizeof attributes;
    attributes.lpSecurityDescriptor = nullptr;
    attributes.bInheritHandle = FALSE;

    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone)) return;
    PSID user = CurrentUserSid();
    if (user) {
        const DWORD aclSize = sizeof(ACL) + 2 * sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(everyone) + GetLengthSid(user);
        auto* descriptor = static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), 0, SECURITY_DESCRIPTOR_MIN_LENGTH + aclSize + 32));
        if (descriptor) {
            auto* acl = reinterpret_cast<PACL>(descriptor + SECURITY_DESCRIPTOR_MIN_LENGTH);
            const bool made = InitializeSecurityDescriptor(descriptor, SECURITY_DESCRIPTOR_REVISION) &&
                              InitializeAcl(acl, aclSize + 32, ACL_REVISION) &&
                              AddAccessAllowedAce(acl, ACL_REVISION, everyoneMask, everyone) &&
                              AddAccessAllowedAce(acl, ACL_REVISION, userMask, user) &&
                              SetSecurityDescriptorDacl(descriptor, TRUE, acl, FALSE);
            if (made)
                attributes.lpSecurityDescriptor = descriptor;
            else
                HeapFree(GetProcessHeap(), 0, descriptor);
        }
        HeapFree(GetProcessHeap(), 0, user);
    }
    FreeSid(everyone);
}

SharedSecurity::SharedSecurity(DWORD userMask, DWORD everyoneMask) { BuildSharedSecurity(attributes_, userMask, everyoneMask); }

SharedSecurity::~SharedSecurity() {
    if (attributes_.lpSecurityDescriptor) HeapFree(GetProcessHeap(), 0, attributes_.lpSecurityDescriptor);
}

}  // namespace clientdata
