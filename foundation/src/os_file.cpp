#include "foundation/os_file.h"

OS_File::OS_File() : handle_(INVALID_HANDLE_VALUE) {}

OS_File::~OS_File() { Close(); }

bool OS_File::IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

HANDLE OS_File::OpenHandle(const void* name, bool wide, FileOpenMode mode) {
    if (IsOpen()) Close();
    handle_ = INVALID_HANDLE_VALUE;
    FileOpenRequest request;
    if (!DecodeFileOpenMode(mode, request)) {
        SetLastError(ERROR_INVALID_PARAMETER);  // refused before any system call
        return INVALID_HANDLE_VALUE;
    }
    SECURITY_ATTRIBUTES sa = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    LPSECURITY_ATTRIBUTES inherit = request.inheritable ? &sa : nullptr;
    if (wide)
        return CreateFileW(static_cast<const wchar_t*>(name), request.access, request.share, inherit,
                           request.disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    return CreateFileA(static_cast<const char*>(name), request.access, request.share, inherit, request.disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool OS_File::Open(const char* name, FileOpenMode mode) {
    HANDLE h = OpenHandle(name, false, mode);
    if (h == INVALID_HANDLE_VALUE) return false;
    narrowName_ = name;
    wideName_.clear();
    wideNameFlag_ = false;
    handle_ = h;
    return true;
}

bool OS_File::Open(const wchar_t* name, FileOpenMode mode) {
    HANDLE h = OpenHandle(name, true, mode);
    if (h == INVALID_HANDLE_VALUE) return false;
    wideName_ = name;
    narrowName_.clear();
    wideNameFlag_ = true;
    handle_ = h;
    return true;
}

std::uint32_t OS_File::GetPosition() const {
    if (!IsOpen()) return 0;
    return SetFilePointer(handle_, 0, nullptr, FILE_CURRENT);
}

std::uint32_t OS_File::GetLength() const {
    if (!IsOpen()) return 0;
    const DWORD position = SetFilePointer(handle_, 0, nullptr, FILE_CURRENT);
    const DWORD length = SetFilePointer(handle_, 0, nullptr, FILE_END);
    // With the high half given, positions of 2 GB and more return exactly.
    LONG high = 0;
    SetFilePointer(handle_, static_cast<LONG>(position), &high, FILE_BEGIN);
    return length;
}

std::uint32_t OS_File::Read(void* buffer, std::uint32_t count) {
    if (!IsOpen() || !buffer || count == 0) return 0;
    DWORD done = 0;
    if (!ReadFile(handle_, buffer, count, &done, nullptr)) return 0;
    return done;
}

std::uint32_t OS_File::Seek(std::int32_t offset, int origin) {
    return SetFilePointer(handle_, offset, nullptr, static_cast<DWORD>(origin));
}

bool OS_File::SetLength(std::uint32_t length) {
    if (!IsOpen()) return false;
    LONG high = 0;
    if (SetFilePointer(handle_, static_cast<LONG>(length), &high, FILE_BEGIN) == INVALID_SET_FILE_POINTER &&
        GetLastError() != ERROR_SUCCESS)
        return false;
    return SetEndOfFile(handle_) != FALSE;
}

std::uint32_t OS_File::Write(const void* buffer, std::uint32_t count) {
    if (!IsOpen() || count == 0) return 0;
    DWORD done = 0;
    if (!WriteFile(handle_, buffer, count, &done, nullptr)) return 0;
    return done;
}

void OS_File::Flush() {
    if (IsOpen()) FlushFileBuffers(handle_);
}

bool OS_File::Close() {
    const bool wasOpen = IsOpen();
    if (wasOpen) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    narrowName_.clear();
    narrowName_.shrink_to_fit();
    wideName_.clear();
    wideName_.shrink_to_fit();
    wideNameFlag_ = false;
    return wasOpen;
}

const wchar_t* OS_File::GetFileNameW() const { return IsOpen() && wideNameFlag_ ? wideName_.c_str() : nullptr; }

const char* OS_File::GetFileName() const { return IsOpen() && !wideNameFlag_ ? narrowName_.c_str() : nullptr; }

bool OS_File::IsTemporary() const { return false; }
