// Access lists: the header, then AceCount entries, each AceSize bytes long.
#include <cstring>

#include "platform/fileapi.h"
#include "security/acl_walk.h"
#include "security/sid_bytes.h"

namespace platform::security {

std::optional<size_t> EntriesEnd(const ACL* acl) {
    if (!acl || acl->AclRevision < ACL_REVISION || acl->AclRevision > ACL_REVISION_DS || acl->AclSize < sizeof(ACL))
        return std::nullopt;
    const auto* bytes = reinterpret_cast<const BYTE*>(acl);
    size_t at = sizeof(ACL);
    for (unsigned i = 0; i < acl->AceCount; ++i) {
        ACE_HEADER header;
        if (at + sizeof header > acl->AclSize) return std::nullopt;
        std::memcpy(&header, bytes + at, sizeof header);
        if (header.AceSize < sizeof header || at + header.AceSize > acl->AclSize) return std::nullopt;
        at += header.AceSize;
    }
    return at;
}

std::optional<AceView> EntryAt(const ACL* acl, size_t offset) {
    const auto* bytes = reinterpret_cast<const BYTE*>(acl);
    ACE_HEADER header;
    if (offset + sizeof header > acl->AclSize) return std::nullopt;
    std::memcpy(&header, bytes + offset, sizeof header);
    if (header.AceSize < sizeof header || offset + header.AceSize > acl->AclSize) return std::nullopt;
    AceView view{header.AceType, header.AceSize, 0, nullptr};
    if ((header.AceType == ACCESS_ALLOWED_ACE_TYPE || header.AceType == ACCESS_DENIED_ACE_TYPE) &&
        header.AceSize >= 8 + SidBytesFor(0)) {
        std::memcpy(&view.mask, bytes + offset + 4, 4);
        const BYTE* sid = bytes + offset + 8;
        const size_t sidBytes = SidBytes(sid);
        if (sidBytes != 0 && 8 + sidBytes <= header.AceSize) view.sid = sid;
    }
    return view;
}

}  // namespace platform::security

BOOL InitializeAcl(PACL acl, DWORD length, DWORD revision) {
    if (length < sizeof(ACL)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    if (!acl || length > 0xFFFF || revision < ACL_REVISION || revision > ACL_REVISION_DS) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    acl->AclRevision = static_cast<BYTE>(revision);
    acl->Sbz1 = 0;
    acl->AclSize = static_cast<WORD>(length);
    acl->AceCount = 0;
    acl->Sbz2 = 0;
    return TRUE;
}

BOOL AddAccessAllowedAce(PACL acl, DWORD revision, DWORD mask, PSID sid) {
    const size_t sidBytes = platform::security::SidBytes(sid);
    if (sidBytes == 0) {
        SetLastError(ERROR_INVALID_SID);
        return FALSE;
    }
    if (revision < ACL_REVISION || revision > ACL_REVISION_DS) {
        SetLastError(ERROR_REVISION_MISMATCH);
        return FALSE;
    }
    const std::optional<size_t> end = platform::security::EntriesEnd(acl);
    if (!end) {
        SetLastError(ERROR_INVALID_ACL);
        return FALSE;
    }
    const size_t aceBytes = 8 + sidBytes;
    if (*end + aceBytes > acl->AclSize) {
        SetLastError(ERROR_ALLOTTED_SPACE_EXCEEDED);
        return FALSE;
    }
    BYTE* at = reinterpret_cast<BYTE*>(acl) + *end;
    const ACE_HEADER header{ACCESS_ALLOWED_ACE_TYPE, 0, static_cast<WORD>(aceBytes)};
    std::memcpy(at, &header, sizeof header);
    std::memcpy(at + 4, &mask, 4);
    std::memcpy(at + 8, sid, sidBytes);
    ++acl->AceCount;
    return TRUE;
}
