// The built-in empty EUDC TrueType templates, "TTE" resources of the library's own module.
#pragma once
#include "platform/wintypes.h"

namespace eudc {

inline constexpr UINT kTteTemplateFullArea = 2038;   // U+E000..U+F8FF: Windows 2000 and later
inline constexpr UINT kTteTemplateBig5Area = 2039;   // U+E000..U+F848: Windows 95, NT 3.x, NT 4
inline constexpr UINT kTteTemplateWin98 = 2040;      // as 2039, classified for Windows 98 and Me

// Registers the templates with this module's resources; call before looking one up. Done on
// first use rather than by a static initialiser, so it never depends on which object files the
// linker pulled in or in what order they were initialised. Safe to call any number of times.
void EnsureTemplateResources();

}  // namespace eudc
