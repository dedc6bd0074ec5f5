// An IME as the prefix describes it: the UTF-8 text file of key=value lines that a keyboard
// layout's "Ime File" names in the system folder.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/wintypes.h"

namespace platform::ime {

constexpr size_t kMaxDescriptorBytes = 64 * 1024;
constexpr size_t kMaxNameBytes = 63;  // IME_ESC_IME_NAME fills 64 bytes
constexpr size_t kMaxDescriptionBytes = 255;

struct Descriptor {
    std::string name;  // code page 950
    bool unicode = false;
    bool hasVersion = false;  // a version resource, given by ProductVersion
    WORD productVersion[4] = {};
    bool hasDescription = false;
    std::string description;  // code page 950
    bool acceptsDictionary = true;
    bool acceptsWords = true;
};

// Any text gives a descriptor: a line that does not parse is ignored, a later line for the same
// key wins, and texts are cut at a character to their bounds.
Descriptor ParseDescriptor(std::string_view utf8);

// Reads and parses the file at a Windows path. On failure returns the Win32 error: that of
// opening or reading it, or ERROR_FILE_TOO_LARGE for a file above kMaxDescriptorBytes.
DWORD ReadDescriptor(LPCSTR windowsPath, Descriptor& out);

}  // namespace platform::ime
