#include "ime/ime_descriptor.h"

#include <vector>

#include "codepage/cp950.h"
#include "files/win_error.h"
#include "platform/fileapi.h"
#include "text.h"

namespace platform::ime {

namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}


// Code page 950 text of at most maxBytes, never ending inside a two-byte character.
std::string ToAnsiCut(std::string_view utf8, size_t maxBytes) {
    const std::string ansi = text::Utf8ToAnsi(utf8);
    size_t end = 0;
    while (end < ansi.size()) {
        const size_t len = cp950::IsLeadByte(static_cast<uint8_t>(ansi[end])) ? 2 : 1;
        if (end + len > ansi.size() || end + len > maxBytes) break;
        end += len;
    }
    return ansi.substr(0, end);
}

// "a.b.c.d", four decimal parts of at most 65535 each.
bool ParseVersion(std::string_view s, WORD out[4]) {
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (s.empty() || s.front() != '.') return false;
            s.remove_prefix(1);
        }
        unsigned long value = 0;
        size_t digits = 0;
        while (!s.empty() && s.front() >= '0' && s.front() <= '9' && digits < 6) {
            value = value * 10 + static_cast<unsigned long>(s.front() - '0');
            s.remove_prefix(1);
            ++digits;
        }
        if (digits == 0 || value > 0xFFFF) return false;
        out[part] = static_cast<WORD>(value);
    }
    return s.empty();
}

bool ParseSwitch(std::string_view value, const char* on, const char* off, bool& out) {
    if (platform::text::EqualNoCaseAscii(value, on)) out = true;
    else if (platform::text::EqualNoCaseAscii(value, off)) out = false;
    else return false;
    return true;
}

void ApplyLine(std::string_view line, Descriptor& d) {
    line = Trim(line);
    if (line.empty() || line.front() == '#') return;
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) return;
    const std::string_view key = Trim(line.substr(0, eq));
    const std::string_view value = Trim(line.substr(eq + 1));
    if (platform::text::EqualNoCaseAscii(key, "Name")) {
        d.name = ToAnsiCut(value, kMaxNameBytes);
    } else if (platform::text::EqualNoCaseAscii(key, "Unicode")) {
        ParseSwitch(value, "1", "0", d.unicode);
    } else if (platform::text::EqualNoCaseAscii(key, "ProductVersion")) {
        WORD v[4];
        if (!ParseVersion(value, v)) return;
        d.hasVersion = true;
        for (int i = 0; i < 4; ++i) d.productVersion[i] = v[i];
    } else if (platform::text::EqualNoCaseAscii(key, "FileDescription")) {
        d.hasDescription = true;
        d.description = ToAnsiCut(value, kMaxDescriptionBytes);
    } else if (platform::text::EqualNoCaseAscii(key, "Dictionary")) {
        ParseSwitch(value, "accept", "refuse", d.acceptsDictionary);
    } else if (platform::text::EqualNoCaseAscii(key, "Words")) {
        ParseSwitch(value, "accept", "refuse", d.acceptsWords);
    }
}

}  // namespace

Descriptor ParseDescriptor(std::string_view utf8) {
    if (utf8.substr(0, 3) == "\xEF\xBB\xBF") utf8.remove_prefix(3);
    Descriptor d;
    while (!utf8.empty()) {
        const size_t nl = utf8.find('\n');
        ApplyLine(utf8.substr(0, nl), d);
        if (nl == std::string_view::npos) break;
        utf8.remove_prefix(nl + 1);
    }
    return d;
}

DWORD ReadDescriptor(LPCSTR windowsPath, Descriptor& out) {
    HANDLE file = CreateFileA(windowsPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return GetLastError();
    // One byte more than allowed tells a file that is too large.
    std::vector<char> bytes(kMaxDescriptorBytes + 1);
    DWORD got = 0;
    const BOOL ok = ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    const DWORD error = ok ? ERROR_SUCCESS : GetLastError();
    CloseHandle(file);
    if (!ok) return error;
    if (got > kMaxDescriptorBytes) return ERROR_FILE_TOO_LARGE;
    out = ParseDescriptor(std::string_view(bytes.data(), got));
    return ERROR_SUCCESS;
}

}  // namespace platform::ime
