// The input-method manager over described IMEs.
#include <algorithm>
#include <cstring>

#include "ime/ime_descriptor.h"
#include "ime/ime_record.h"
#include "ime/installed_imes.h"
#include "platform/fileapi.h"
#include "platform/imm.h"

using namespace platform::ime;

namespace {

constexpr size_t kMaxWordText = 255;

// The IME of a layout and its description; false with the last error set when there is none.
bool Describe(HKL layout, InstalledIme& ime, Descriptor& d) {
    DWORD error = 0;
    if (!FindInstalledIme(LayoutOf(layout), ime, error)) {
        SetLastError(error);
        return false;
    }
    if (DWORD rc = ReadDescriptor(ime.path.c_str(), d)) {
        SetLastError(rc);
        return false;
    }
    return true;
}

// Length of a terminated text shorter than limit bytes, or limit when it is not.
size_t BoundedLength(const char* s, size_t limit) {
    const char* end = std::find(s, s + limit, '\0');
    return static_cast<size_t>(end - s);
}

bool IsWordText(LPCSTR s) {
    if (!s) return false;
    const size_t n = BoundedLength(s, kMaxWordText + 1);
    return n > 0 && n <= kMaxWordText && !std::memchr(s, '\t', n);
}

BOOL Record(DWORD rc) {
    if (rc == ERROR_SUCCESS) return TRUE;
    SetLastError(rc);
    return FALSE;
}

}  // namespace

BOOL ImmIsIME(HKL layout) {
    InstalledIme ime;
    DWORD error = 0;
    return FindInstalledIme(LayoutOf(layout), ime, error) ? TRUE : FALSE;
}

DWORD ImmGetProperty(HKL layout, DWORD index) {
    InstalledIme ime;
    Descriptor d;
    if (index != IGP_PROPERTY || !Describe(layout, ime, d)) return 0;
    return d.unicode ? IME_PROP_UNICODE : 0;
}

UINT ImmGetIMEFileNameA(HKL layout, LPSTR buffer, UINT size) {
    InstalledIme ime;
    DWORD error = 0;
    if (!FindInstalledIme(LayoutOf(layout), ime, error)) {
        SetLastError(error);
        return 0;
    }
    const UINT len = static_cast<UINT>(ime.imeFile.size());
    if (size == 0) return len;
    if (!buffer || size <= len) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(buffer, ime.imeFile.c_str(), len + 1);
    return len;
}

LRESULT ImmEscapeA(HKL layout, HIMC, UINT escape, LPVOID data) {
    if (escape != IME_ESC_IME_NAME && escape != IME_ESC_SET_EUDC_DICTIONARY) return 0;
    if (!data) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    InstalledIme ime;
    Descriptor d;
    if (!Describe(layout, ime, d)) return 0;
    if (escape == IME_ESC_IME_NAME) {
        std::memcpy(data, d.name.c_str(), d.name.size() + 1);
        return 1;
    }
    const auto* path = static_cast<const char*>(data);
    const size_t len = BoundedLength(path, MAX_PATH);
    if (len == 0 || len >= MAX_PATH) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (!d.acceptsDictionary) {
        SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    return Record(RecordDictionary(ime.layout, std::string(path, len)));
}

BOOL ImmRegisterWordA(HKL layout, LPCSTR reading, DWORD, LPCSTR word) {
    if (!IsWordText(reading) || !IsWordText(word)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    InstalledIme ime;
    Descriptor d;
    if (!Describe(layout, ime, d)) return FALSE;
    if (!d.acceptsWords) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return Record(RecordWord(ime.layout, reading, word));
}

BOOL ImmConfigureIMEA(HKL layout, HWND, DWORD, LPVOID) { return ImmIsIME(layout); }

HKL ImmInstallIMEA(LPCSTR imeFile, LPCSTR) {
    if (!imeFile) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::string name(imeFile, BoundedLength(imeFile, MAX_PATH));
    const size_t sep = name.find_last_of("\\/");
    if (sep != std::string::npos) name.erase(0, sep + 1);
    for (const InstalledIme& ime : InstalledImes()) {
        // File names compare without regard to ASCII case, as the file system does.
        if (ime.imeFile.size() == name.size() &&
            std::equal(name.begin(), name.end(), ime.imeFile.begin(), [](char a, char b) {
                return (a >= 'a' && a <= 'z' ? a - 32 : a) == (b >= 'a' && b <= 'z' ? b - 32 : b);
            }))
            return HklOf(ime.layout);
    }
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
}
