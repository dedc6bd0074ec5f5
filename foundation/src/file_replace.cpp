#include "foundation/file_replace.h"

#include <string>

#include "platform/fileapi.h"

DWORD ReplaceFileContent(const char* path, const void* data, std::uint32_t length) {
    if (!path || !*path || (!data && length > 0)) return ERROR_INVALID_PARAMETER;
    const std::string sibling = std::string(path) + ".eudc-new";
    HANDLE h = CreateFileA(sibling.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
    if (h == INVALID_HANDLE_VALUE) return GetLastError();
    DWORD error = ERROR_SUCCESS;
    DWORD written = 0;
    if (length > 0 && (!WriteFile(h, data, length, &written, nullptr) || written != length))
        error = GetLastError() != ERROR_SUCCESS ? GetLastError() : ERROR_WRITE_FAULT;
    // The data went to the disk as it was written; the sync makes the file itself (its length and
    // blocks) durable before it takes the name.
    if (error == ERROR_SUCCESS && !FlushFileBuffers(h)) error = GetLastError();
    if (!CloseHandle(h) && error == ERROR_SUCCESS) error = GetLastError();
    if (error == ERROR_SUCCESS &&
        !MoveFileExA(sibling.c_str(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = GetLastError();
    if (error != ERROR_SUCCESS) DeleteFileA(sibling.c_str());
    return error;
}
