// Why an operation on a slot's TTE file failed. The exported operations keep their documented
// bool results and leave the reason as the thread's last error: a TteError as an
// application-defined Win32 code (customer bit set), or the system's own code when the system
// refused a read or write.
#pragma once
#include <cstdint>

#include "platform/wintypes.h"

namespace eudc {

enum class TteError : uint32_t {
    None = 0,
    LockUnavailable = 1,     // EUDC could not be switched off (another program holds it)
    NoPath = 2,              // the slot resolves to no path
    NotOurFile = 3,          // the target holds something that is not a TrueType file: left alone
    SourceUnreadable = 4,    // the source is no font the editor opens
    SourceGlyphDamaged = 5,  // a glyph of the source could not be read
    TemplateUnavailable = 6, // the built-in template could not be had
    GlyphNotStored = 7,      // a glyph did not fit the new file
};

inline constexpr DWORD kTteErrorBase = 0x20000000u | (0xEDCu << 16);

inline DWORD ToLastError(TteError error) { return kTteErrorBase | static_cast<DWORD>(error); }
inline bool IsTteError(DWORD code) { return (code & 0xFFFF0000u) == kTteErrorBase; }
inline TteError TteErrorOf(DWORD code) { return static_cast<TteError>(code & 0xFFFFu); }

}  // namespace eudc
