// The pseudo handles of the current process (-1) and thread (-2), as Windows spells them.
#pragma once
#include "platform/wintypes.h"

namespace platform::objects {

inline bool IsCurrentProcess(HANDLE h) { return h == reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1)); }
inline bool IsCurrentThread(HANDLE h) { return h == reinterpret_cast<HANDLE>(static_cast<intptr_t>(-2)); }

}  // namespace platform::objects
