// GetTempPathA / GetTempPathW / GetTempFileNameA, as Wine 8.0 answers them.
#include <atomic>
#include <cstring>
#include <cwchar>
#include <ctime>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "files/host_path.h"
#include "files/temp_names.h"
#include "files/win_error.h"
#include "platform/fileapi.h"
#include "platform/sysinfo.h"
#include "prefix.h"
#include "system/environment.h"
#include "text.h"
#include "windows_path.h"

namespace {

// Copies s with its terminator into a MAX_PATH buffer; false when it does not fit.
bool PutPath(const std::string& s, LPSTR out) {
    if (s.size() + 1 > MAX_PATH) return false;
    std::memcpy(out, s.c_str(), s.size() + 1);
    return true;
}

// Wine's form: at most three characters of the prefix, the number in small hex digits, ".tmp".
std::wstring NameFor(const std::wstring& base, UINT number) {
    wchar_t hex[16];
    std::swprintf(hex, sizeof hex / sizeof hex[0], L"%x", number & 0xFFFFu);
    return base + hex + L".tmp";
}

std::atomic<UINT> g_forcedStart{0};

// Where the search for a free number starts, different per process and call.
UINT StartNumber() {
    if (const UINT forced = g_forcedStart.exchange(0)) return forced;
    static std::atomic<uint32_t> counter{0};
    struct timespec ts = {};
    clock_gettime(CLOCK_REALTIME, &ts);
    const uint32_t mix = static_cast<uint32_t>(getpid()) * 2654435761u ^ static_cast<uint32_t>(ts.tv_nsec) ^
                         counter.fetch_add(7919u);
    return mix % 0xFFFFu + 1;  // 1..0xFFFF
}

// The temporary folder as a full path with its trailing backslash.
std::wstring TempFolder() {
    std::wstring path = platform::environment::FirstVariable({L"TMP", L"TEMP", L"USERPROFILE"}).value_or(L"C:\\windows");
    if (auto full = platform::path::MakeFull(path, platform::prefix::CurrentDirectory)) path = full->ToString();
    if (path.empty() || path.back() != L'\\') path += L'\\';
    return path;
}

bool IsDirectory(const std::filesystem::path& p) {
    struct stat st = {};
    return stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The folder a temporary file is to be made in: the temporary folder is created on first use.
bool FolderReady(const std::wstring& folder) {
    const auto host = platform::files::Resolve(folder, platform::files::Intent::Read);
    if (host && IsDirectory(*host)) return true;
    const auto asked = platform::path::MakeFull(folder, platform::prefix::CurrentDirectory);
    const auto temp = platform::path::MakeFull(TempFolder(), platform::prefix::CurrentDirectory);
    if (!asked || !temp || !platform::text::EqualNoCase(asked->ToString(), temp->ToString())) {
        SetLastError(ERROR_DIRECTORY);
        return false;
    }
    const auto created = platform::files::Resolve(folder, platform::files::Intent::Create);
    if (!created) return false;
    std::error_code ec;
    std::filesystem::create_directories(*created, ec);
    if (!IsDirectory(*created)) {
        SetLastError(ERROR_DIRECTORY);
        return false;
    }
    return true;
}

}  // namespace

void platform::files::SetNextTempNumberForTesting(UINT number) { g_forcedStart = (number - 1) % 0xFFFFu + 1; }

DWORD GetTempPathW(DWORD size, LPWSTR buffer) {
    const std::wstring path = TempFolder();
    const auto length = static_cast<DWORD>(path.size());
    if (!buffer || size <= length) return length + 1;  // the size needed, terminator included
    std::wmemcpy(buffer, path.c_str(), path.size() + 1);
    return length;
}

DWORD GetTempPathA(DWORD size, LPSTR buffer) {
    const std::string path = platform::text::WideToAnsi(TempFolder());
    const auto length = static_cast<DWORD>(path.size());
    if (!buffer || size <= length) return length + 1;
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return length;
}

UINT GetTempFileNameA(LPCSTR path, LPCSTR prefix, UINT unique, LPSTR tempFileName) {
    if (!path || !tempFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::wstring folder = platform::text::AnsiToWide(path);
    if (platform::text::WideToAnsi(folder).size() > MAX_PATH - 14) {
        SetLastError(ERROR_BUFFER_OVERFLOW);
        return 0;
    }
    std::wstring base = folder;
    if (base.empty() || (base.back() != L'\\' && base.back() != L'/')) base += L'\\';
    if (prefix) base += platform::text::AnsiToWide(prefix).substr(0, 3);

    // Only the low 16 bits count; 0 there means "make one up".
    unique &= 0xFFFFu;
    if (unique != 0) {  // the caller's number: only the name is formed, nothing is created
        if (!PutPath(platform::text::WideToAnsi(NameFor(base, unique)), tempFileName)) {
            SetLastError(ERROR_BUFFER_OVERFLOW);
            return 0;
        }
        return unique;
    }
    if (!FolderReady(folder)) return 0;

    const UINT start = StartNumber();
    for (UINT i = 0; i < 0xFFFFu; ++i) {
        const UINT number = (start - 1 + i) % 0xFFFFu + 1;
        const std::wstring name = NameFor(base, number);
        const std::string ansi = platform::text::WideToAnsi(name);
        if (ansi.size() + 1 > MAX_PATH) {
            SetLastError(ERROR_BUFFER_OVERFLOW);
            return 0;
        }
        HANDLE h = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            CloseHandle(h);
            PutPath(ansi, tempFileName);
            SetLastError(ERROR_SUCCESS);
            return number;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS && error != ERROR_SHARING_VIOLATION)
            return 0;
    }
    SetLastError(ERROR_FILE_EXISTS);
    return 0;
}
