// IMEs described on a test workstation, and what they were told.
#pragma once
#include <string>

#include "support/temp_prefix.h"

namespace testsupport {

// Makes `layout` (eight hex digits) an IME whose "Ime File" is `file`, a descriptor in the
// prefix's system folder with the given UTF-8 text.
void DescribeIme(const TempPrefix& prefix, const std::string& layout, const std::string& file,
                 const std::string& text);

// A value of the layout's record under HKEY_CURRENT_USER Software\EudcPlatform\IME, as the
// registry stores it (UTF-16, terminators included); "<none>" when it is missing.
std::wstring ImeRecord(const std::string& layout, const std::wstring& value);

}  // namespace testsupport
