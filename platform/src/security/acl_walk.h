// Reading access lists with every length checked against the list's own size.
#pragma once
#include <cstddef>
#include <optional>

#include "platform/securitybase.h"

namespace platform::security {

// The offset just past the last entry, or nullopt for a list that is not well formed.
std::optional<size_t> EntriesEnd(const ACL* acl);

struct AceView {
    BYTE type;
    WORD size;
    ACCESS_MASK mask;  // allowed and denied entries
    const void* sid;   // null unless an allowed or denied entry holds a valid SID
};
// The entry at offset (as EntriesEnd walks them), or nullopt when it does not fit the list.
std::optional<AceView> EntryAt(const ACL* acl, size_t offset);

}  // namespace platform::security
