// The 32-bit open-mode word of the file classes and its translation into CreateFile arguments.
#pragma once
#include <cstdint>

#include "platform/fileapi.h"

using FileOpenMode = std::uint32_t;

namespace file_open_mode {

constexpr FileOpenMode kAccessMask = 0x0003;
constexpr FileOpenMode kReadOnly = 0x0000;
constexpr FileOpenMode kWriteOnly = 0x0001;
constexpr FileOpenMode kReadWrite = 0x0002;

constexpr FileOpenMode kShareMask = 0x0070;
constexpr FileOpenMode kShareDefault = 0x0000;    // exclusive
constexpr FileOpenMode kShareExclusive = 0x0010;
constexpr FileOpenMode kShareOthersRead = 0x0020;
constexpr FileOpenMode kShareOthersWrite = 0x0030;
constexpr FileOpenMode kShareOthersReadWrite = 0x0040;

constexpr FileOpenMode kInheritable = 0x0080;
constexpr FileOpenMode kCreate = 0x1000;          // without kKeepExisting: create-always
constexpr FileOpenMode kKeepExisting = 0x2000;    // with kCreate: open-always
constexpr FileOpenMode kCallerMark = 0x8000;      // set by every caller, ignored here

}  // namespace file_open_mode

// What CreateFileA/W receive for one mode word.
struct FileOpenRequest {
    DWORD access = 0;       // GENERIC_READ / GENERIC_WRITE
    DWORD share = 0;        // FILE_SHARE_*
    DWORD disposition = 0;  // OPEN_EXISTING, CREATE_ALWAYS or OPEN_ALWAYS
    bool inheritable = false;
};

// Decodes mode; false for an invalid access value (3) or sharing value (above 0x40).
bool DecodeFileOpenMode(FileOpenMode mode, FileOpenRequest& request);
