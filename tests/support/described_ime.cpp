#include "support/described_ime.h"

#include <filesystem>

#include "platform/winreg.h"

namespace testsupport {

void DescribeIme(const TempPrefix& prefix, const std::string& layout, const std::string& file,
                 const std::string& text) {
    SetRegistryString(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts\\" + layout,
                      "Ime File", file);
    const std::filesystem::path system = prefix.root() / "drive_c" / "windows" / "system32";
    std::filesystem::create_directories(system);
    WriteFileBytes(system / file, text);
}

std::wstring ImeRecord(const std::string& layout, const std::wstring& value) {
    HKEY key = nullptr;
    const std::string path = "Software\\EudcPlatform\\IME\\" + layout;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return L"<none>";
    WCHAR data[1024] = {};
    DWORD size = sizeof data - sizeof(WCHAR);
    const LONG rc = RegQueryValueExW(key, value.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) return L"<none>";
    return std::wstring(data, size / sizeof(WCHAR));
}

}  // namespace testsupport
