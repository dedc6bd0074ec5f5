// The process's access token. Nothing in the layer impersonates, so threads have no token of
// their own; the process token's user is the one Wine gives every prefix user.
#include <cstring>

#include "files/handles.h"
#include "objects/pseudo_handles.h"
#include "platform/fileapi.h"
#include "platform/securitybase.h"

namespace {

class TokenObject : public platform::handles::Object {
public:
    explicit TokenObject(DWORD access) : access_(access) {}
    DWORD access() const { return access_; }

private:
    DWORD access_;
};

// S-1-5-21-0-0-0-1000, as Wine 8.0 reports it.
constexpr BYTE kUserSid[28] = {SID_REVISION, 5, 0, 0, 0, 0, 0, 5,    //
                               21, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  //
                               0, 0, 0, 0, 0xE8, 0x03, 0, 0};

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

}  // namespace

BOOL OpenThreadToken(HANDLE thread, DWORD, BOOL, PHANDLE token) {
    if (!platform::objects::IsCurrentThread(thread)) return Fail(ERROR_INVALID_HANDLE);
    if (token) *token = nullptr;
    return Fail(ERROR_NO_TOKEN);
}

BOOL OpenProcessToken(HANDLE process, DWORD access, PHANDLE token) {
    if (!platform::objects::IsCurrentProcess(process)) return Fail(ERROR_INVALID_HANDLE);
    if (!token) return Fail(ERROR_NOACCESS);
    *token = platform::handles::Register(std::make_shared<TokenObject>(access));
    return TRUE;
}

BOOL GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS infoClass, LPVOID info, DWORD infoLength,
                         PDWORD returnLength) {
    const auto object = platform::handles::LookupAs<TokenObject>(token);
    if (!object) return Fail(ERROR_INVALID_HANDLE);
    if (!(object->access() & TOKEN_QUERY)) return Fail(ERROR_ACCESS_DENIED);
    if (infoClass != TokenUser) return Fail(ERROR_INVALID_PARAMETER);
    const DWORD needed = sizeof(TOKEN_USER) + sizeof kUserSid;
    if (returnLength) *returnLength = needed;
    if (!info || infoLength < needed) return Fail(ERROR_INSUFFICIENT_BUFFER);
    // The SID follows the structure that points at it, in the caller's buffer.
    BYTE* out = static_cast<BYTE*>(info);
    TOKEN_USER user = {};
    user.User.Sid = out + sizeof(TOKEN_USER);
    user.User.Attributes = 0;
    std::memcpy(out, &user, sizeof user);
    std::memcpy(out + sizeof(TOKEN_USER), kUserSid, sizeof kUserSid);
    return TRUE;
}
