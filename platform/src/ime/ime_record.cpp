#include "ime/ime_record.h"

#include <vector>

#include "ime/installed_imes.h"
#include "platform/winreg.h"

namespace platform::ime {

namespace {

LONG OpenRecord(DWORD layout, HKEY& key) {
    const std::string path = "Software\\EudcPlatform\\IME\\" + LayoutName(layout);
    return RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr,
                           &key, nullptr);
}

// The strings of a multi-string value, each with its terminator and without the final empty one.
// A value of another type, or none, is an empty list.
std::string ReadWords(HKEY key) {
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key, "Registered Words", nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_MULTI_SZ || size == 0)
        return {};
    std::vector<char> data(size);
    if (RegQueryValueExA(key, "Registered Words", nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
            ERROR_SUCCESS ||
        type != REG_MULTI_SZ)
        return {};
    data.resize(size);
    std::string list;
    size_t start = 0;
    for (size_t i = 0; i <= data.size(); ++i) {
        if (i < data.size() && data[i] != '\0') continue;
        if (i > start) list.append(data.data() + start, i - start).push_back('\0');
        start = i + 1;
    }
    return list;
}

}  // namespace

DWORD RecordDictionary(DWORD layout, const std::string& path) {
    HKEY key = nullptr;
    if (LONG rc = OpenRecord(layout, key)) return static_cast<DWORD>(rc);
    const LONG rc = RegSetValueExA(key, "EUDC Dictionary", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                                   static_cast<DWORD>(path.size() + 1));
    RegCloseKey(key);
    return static_cast<DWORD>(rc);
}

DWORD RecordWord(DWORD layout, const std::string& reading, const std::string& word) {
    HKEY key = nullptr;
    if (LONG rc = OpenRecord(layout, key)) return static_cast<DWORD>(rc);
    std::string list = ReadWords(key);
    list.append(reading).append(1, '\t').append(word).append(1, '\0');
    list.push_back('\0');
    const LONG rc = RegSetValueExA(key, "Registered Words", 0, REG_MULTI_SZ,
                                   reinterpret_cast<const BYTE*>(list.data()), static_cast<DWORD>(list.size()));
    RegCloseKey(key);
    return static_cast<DWORD>(rc);
}

}  // namespace platform::ime
