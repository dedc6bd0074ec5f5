// Files deleted while handles are open. Win32 keeps such a file's name until its last handle
// closes (a CREATE_NEW of the name meanwhile fails with ERROR_FILE_EXISTS); the deletion is
// recorded in the prefix's state folder so that the last handle to close, in whichever process,
// removes the file.
#pragma once
#include <filesystem>

#include "platform/wintypes.h"

namespace platform::files {

// Records that the file at hostPath goes when its last handle closes. ERROR_SUCCESS or the error.
DWORD MarkDeletePending(const std::filesystem::path& hostPath);
// Called with a handle's descriptor just before it closes: removes the file when a deletion is
// pending and no other handle remains.
void CloseWithPendingDelete(int fd);

}  // namespace platform::files
