// GetCurrentDirectoryA/W and SetCurrentDirectoryA/W over the layer's own current directory.
#include <cstring>
#include <cwchar>
#include <string>
#include <sys/stat.h>

#include "files/host_path.h"
#include "files/win_error.h"
#include "platform/fileapi.h"
#include "prefix.h"
#include "text.h"
#include "windows_path.h"

using namespace platform::files;

namespace {

// Win32's rule: the length without the terminator when it fits, else the size needed with it.
template <typename Char>
DWORD CopyOut(const std::basic_string<Char>& s, DWORD size, Char* buffer) {
    const auto length = static_cast<DWORD>(s.size());
    if (!buffer || size <= length) return length + 1;
    std::memcpy(buffer, s.c_str(), (s.size() + 1) * sizeof(Char));
    return length;
}

BOOL SetTo(std::wstring_view name) {
    const auto full = platform::path::MakeFull(name, platform::prefix::CurrentDirectory);
    if (name.empty() || !full) return Fail(ERROR_PATH_NOT_FOUND);
    const auto host = Resolve(full->ToString(), Intent::Read);
    if (!host) return FALSE;
    struct stat st = {};
    if (stat(host->c_str(), &st) != 0) return Fail(NotFoundError(*host));
    if (!S_ISDIR(st.st_mode)) return Fail(ERROR_DIRECTORY);
    platform::prefix::SetCurrentDirectoryPath(full->ToString());
    return TRUE;
}

}  // namespace

DWORD GetCurrentDirectoryW(DWORD size, LPWSTR buffer) { return CopyOut(platform::prefix::CurrentDirectory(), size, buffer); }

DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer) {
    return CopyOut(platform::text::WideToAnsi(platform::prefix::CurrentDirectory()), size, buffer);
}

BOOL SetCurrentDirectoryW(LPCWSTR name) { return SetTo(name ? std::wstring_view(name) : std::wstring_view()); }

BOOL SetCurrentDirectoryA(LPCSTR name) {
    if (!name) return Fail(ERROR_PATH_NOT_FOUND);
    return SetTo(platform::text::AnsiToWide(name));
}
