// Which keyboard layouts are IMEs: HKEY_LOCAL_MACHINE
// SYSTEM\CurrentControlSet\Control\Keyboard Layouts\<layout> with an "Ime File" that names a file
// in the system folder.
#pragma once
#include <string>
#include <vector>

#include "platform/imm.h"

namespace platform::ime {

struct InstalledIme {
    DWORD layout = 0;
    std::string imeFile;  // the "Ime File" value, code page 950
    std::string path;     // the file in the system folder
};

// The layout an HKL stands for: its low 32 bits.
DWORD LayoutOf(HKL hkl);
HKL HklOf(DWORD layout);
// Eight upper-case hex digits, as layouts are named in the registry.
std::string LayoutName(DWORD layout);

// False (with the reason as the Win32 error) when the layout is not an installed IME.
bool FindInstalledIme(DWORD layout, InstalledIme& out, DWORD& error);
// Every installed IME, in the registry's order.
std::vector<InstalledIme> InstalledImes();

}  // namespace platform::ime
