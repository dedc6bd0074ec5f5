// Windows path names made full, as Win32 makes them before it opens anything: relative names are
// taken against the current directory, "\" and "/" both separate, "." and empty components go,
// and ".." never climbs above a drive root (C:\..\x is C:\x).
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::path {

struct FullPath {
    wchar_t drive = L'C';                  // upper case
    std::vector<std::wstring> components;  // below the drive root, none of them "." or ".."

    std::wstring ToString() const;  // "C:\a\b", "C:\" for the root
};

// currentDirectory gives a full path such as "C:\users" (or "C:\"); it is asked only for names
// that depend on it. nullopt for names that no drive letter can hold: UNC names, device names, a
// current directory that is not full.
using CurrentDirectoryFn = std::function<std::wstring()>;
std::optional<FullPath> MakeFull(std::wstring_view name, const CurrentDirectoryFn& currentDirectory);

}  // namespace platform::path
