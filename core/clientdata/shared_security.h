// Security attributes that let every user of the machine reach an object the current user owns.
#pragma once
#include "platform/windows.h"

namespace clientdata {

// Attributes whose access list allows `everyoneMask` to Everyone and `userMask` to the current
// user (default security when that list cannot be made). The descriptor lives until destruction.
class SharedSecurity {
public:
    SharedSecurity(DWORD userMask, DWORD everyoneMask);
    ~SharedSecurity();
    SharedSecurity(const SharedSecurity&) = delete;
    SharedSecurity& operator=(const SharedSecurity&) = delete;

    SECURITY_ATTRIBUTES* Attributes() { return &attributes_; }

private:
    SECURITY_ATTRIBUTES attributes_;
};

// Fills `attributes` (not inheritable); its descriptor, when one was made, comes from the process
// heap and is the caller's to free.
void BuildSharedSecurity(SECURITY_ATTRIBUTES& attributes, DWORD userMask, DWORD everyoneMask);

}  // namespace clientdata
