// Windows file names to host paths, with the rule that the prefix is created only when something
// is about to be written inside it.
#pragma once
#include <filesystem>
#include <optional>
#include <string_view>

#include "platform/wintypes.h"

namespace platform::files {

enum class Intent {
    Read,    // look only: never creates anything
    Modify,  // change an existing entry: the prefix is completed only when the entry exists
    Create,  // make a new entry: the prefix is created first when the path lies inside it
};

// The host path for a Windows name (cp950 for the A form), or nullopt with the last error set
// (ERROR_PATH_NOT_FOUND for an empty or unmappable name, ERROR_INVALID_NAME for wildcards).
std::optional<std::filesystem::path> ResolveW(LPCWSTR name, Intent intent);
std::optional<std::filesystem::path> ResolveA(LPCSTR name, Intent intent);
// canonical (when given) tells whether the path is already the host's canonical path, as
// prefix::ToHost says.
std::optional<std::filesystem::path> Resolve(std::wstring_view name, Intent intent, bool* canonical = nullptr);

// True when hostPath lies in the prefix root (or is the root). A canonical path (as ToHost tells)
// is compared as it stands.
bool InsidePrefix(const std::filesystem::path& hostPath, bool canonical = false);
// True when an entry (of any type, a dangling link included) exists at hostPath.
bool EntryExists(const std::filesystem::path& hostPath);

}  // namespace platform::files
