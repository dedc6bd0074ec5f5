// Translation of host errors into the Win32 codes that Windows sets for the same situation.
#pragma once
#include <filesystem>

#include "platform/fileapi.h"

// Codes the shared headers do not carry yet.
#ifndef ERROR_NOT_SAME_DEVICE
#define ERROR_NOT_SAME_DEVICE 17L
#endif
#ifndef ERROR_GEN_FAILURE
#define ERROR_GEN_FAILURE 31L
#endif
#ifndef ERROR_BUFFER_OVERFLOW
#define ERROR_BUFFER_OVERFLOW 111L
#endif
#ifndef ERROR_FILE_TOO_LARGE
#define ERROR_FILE_TOO_LARGE 223L
#endif
#ifndef ERROR_DIRECTORY
#define ERROR_DIRECTORY 267L
#endif

namespace platform::files {

// ERROR_FILE_NOT_FOUND when the folder of hostPath exists, else ERROR_PATH_NOT_FOUND.
DWORD NotFoundError(const std::filesystem::path& hostPath);
// The Win32 code for an errno value from an operation on hostPath.
DWORD ErrnoToWin32(int error, const std::filesystem::path& hostPath);
// Sets the last error and returns FALSE, for the common failure exit.
BOOL Fail(DWORD error);

}  // namespace platform::files
