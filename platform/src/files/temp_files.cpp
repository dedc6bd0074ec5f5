// GetTempPathA / GetTempFileNameA.
#include <atomic>
#include <cstring>
#include <cwchar>
#include <ctime>
#include <string>
#include <unistd.h>

#include "files/temp_names.h"
#include "files/win_error.h"
#include "platform/fileapi.h"
#include "prefix.h"
#include "text.h"

namespace {

// Copies s with its terminator into a MAX_PATH buffer; false when it does not fit.
bool PutPath(const std::string& s, LPSTR out) {
    if (s.size() + 1 > MAX_PATH) return false;
    std::memcpy(out, s.c_str(), s.size() + 1);
    return true;
}

std::wstring NameFor(const std::wstring& base, UINT number) {
    wchar_t hex[16];
    std::swprintf(hex, sizeof hex / sizeof hex[0], L"%X", number & 0xFFFFu);
    return base + hex + L".TMP";
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

}  // namespace

void platform::files::SetNextTempNumberForTesting(UINT number) { g_forcedStart = (number - 1) % 0xFFFFu + 1; }

DWORD GetTempPathA(DWORD size, LPSTR buffer) {
    // The user's AppData\Local\Temp in the prefix, as Wine sets TEMP. Looking it up creates nothing.
    const std::string path =
        "C:\\users\\" + platform::text::Utf8ToAnsi(platform::prefix::UserName()) + "\\AppData\\Local\\Temp\\";
    const auto length = static_cast<DWORD>(path.size());
    if (!buffer || size <= length) return length + 1;  // the size needed, terminator included
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return length;
}

UINT GetTempFileNameA(LPCSTR path, LPCSTR prefix, UINT unique, LPSTR tempFileName) {
    if (!path || !tempFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::wstring base = platform::text::AnsiToWide(path);
    if (platform::text::WideToAnsi(base).size() > MAX_PATH - 14) {
        SetLastError(ERROR_BUFFER_OVERFLOW);
        return 0;
    }
    if (base.empty() || (base.back() != L'\\' && base.back() != L'/')) base += L'\\';
    if (prefix) base += platform::text::AnsiToWide(prefix).substr(0, 3);

    if (unique != 0) {  // the caller's number: only the name is formed, nothing is created
        if (!PutPath(platform::text::WideToAnsi(NameFor(base, unique)), tempFileName)) {
            SetLastError(ERROR_BUFFER_OVERFLOW);
            return 0;
        }
        return unique;
    }

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
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return 0;  // e.g. no such folder
    }
    SetLastError(ERROR_FILE_EXISTS);
    return 0;
}
