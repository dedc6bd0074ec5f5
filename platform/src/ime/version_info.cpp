// File version information of described files.
#include <cstring>

#include "ime/ime_descriptor.h"
#include "ime/version_block.h"
#include "platform/fileapi.h"
#include "platform/winver.h"

using namespace platform::ime;

namespace {

// The block of a file; empty with the last error set when it has none.
std::vector<BYTE> BlockOf(LPCSTR fileName) {
    if (!fileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return {};
    }
    Descriptor d;
    if (DWORD rc = ReadDescriptor(fileName, d)) {
        SetLastError(rc);
        return {};
    }
    if (!d.hasVersion) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return {};
    }
    return BuildVersionBlock(d);
}

}  // namespace

DWORD GetFileVersionInfoSizeA(LPCSTR fileName, LPDWORD handle) {
    if (handle) *handle = 0;
    return static_cast<DWORD>(BlockOf(fileName).size());
}

BOOL GetFileVersionInfoA(LPCSTR fileName, DWORD, DWORD size, LPVOID data) {
    if (!data) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::vector<BYTE> block = BlockOf(fileName);
    if (block.empty()) return FALSE;
    if (size < kVersionBlockHeader) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    CutVersionBlock(block, size);
    std::memcpy(data, block.data(), block.size());
    return TRUE;
}

BOOL VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* buffer, PUINT length) {
    const void* value = nullptr;
    UINT len = 0;
    const bool found = subBlock && QueryVersionBlock(static_cast<const BYTE*>(block), subBlock, value, len);
    if (buffer) *buffer = const_cast<void*>(value);
    if (length) *length = len;
    if (!found) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return FALSE;
    }
    return buffer ? TRUE : FALSE;
}
