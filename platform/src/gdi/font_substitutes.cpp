#include "gdi/font_substitutes.h"

#include <algorithm>
#include <vector>

#include "platform/winreg.h"

namespace platform::gdi {

namespace {

constexpr const char* kKey = "Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes";

std::optional<std::string> QueryString(HKEY key, const std::string& name) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
    std::vector<BYTE> data(size + 1, 0);
    DWORD got = size;
    if (RegQueryValueExA(key, name.c_str(), nullptr, &type, data.data(), &got) != ERROR_SUCCESS) return std::nullopt;
    got = std::min<DWORD>(got, size);
    std::string s(reinterpret_cast<const char*>(data.data()), got);
    // The data need not carry its terminator; what follows the first NUL is not part of the name.
    if (auto nul = s.find('\0'); nul != std::string::npos) s.resize(nul);
    return s;
}

std::optional<uint8_t> ParseCharset(std::string_view digits) {
    if (digits.empty() || digits.size() > 3) return std::nullopt;
    unsigned v = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + static_cast<unsigned>(c - '0');
    }
    if (v > 255) return std::nullopt;
    return static_cast<uint8_t>(v);
}

}  // namespace

std::optional<FontSubstitute> LookupFontSubstitute(std::string_view face, uint8_t charset) {
    if (face.empty()) return std::nullopt;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
    const std::string name(face);
    std::optional<std::string> data = QueryString(key, name + "," + std::to_string(charset));
    if (!data) data = QueryString(key, name);
    RegCloseKey(key);
    if (!data) return std::nullopt;

    FontSubstitute sub;
    const size_t comma = data->rfind(',');
    if (comma != std::string::npos) {
        if (auto cs = ParseCharset(std::string_view(*data).substr(comma + 1))) {
            sub.charset = cs;
            data->resize(comma);
        }
    }
    while (!data->empty() && data->back() == ' ') data->pop_back();
    if (data->empty()) return std::nullopt;
    sub.face = std::move(*data);
    return sub;
}

}  // namespace platform::gdi
