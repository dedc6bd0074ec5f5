// What the IMEs have been told, under HKEY_CURRENT_USER Software\EudcPlatform\IME\<layout>: the
// string "EUDC Dictionary" (the last dictionary accepted) and the multi-string "Registered Words"
// ("<reading>\t<word>" per word accepted).
#pragma once
#include <string>

#include "platform/wintypes.h"

namespace platform::ime {

// ERROR_SUCCESS, or the registry's error.
DWORD RecordDictionary(DWORD layout, const std::string& path);
DWORD RecordWord(DWORD layout, const std::string& reading, const std::string& word);

}  // namespace platform::ime
