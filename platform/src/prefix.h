// The Wine-style prefix that stands for the workstation: its root, its minimal layout and the
// mapping between Windows paths and host paths.
#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace platform::prefix {

// $WINEPREFIX, else ~/.wine. Read on every call so that tests can switch prefixes.
std::filesystem::path Root();
bool Exists();
// Creates the minimal layout when the prefix does not exist yet; a prefix that exists is used as it
// is. Every operation that writes into the prefix calls this first.
bool EnsureExists();

// The user name of the prefix's profile folder ($USER, else "user").
std::string UserName();

// Maps a Windows path to a host path. Drive letters follow dosdevices links (C: falls back to
// drive_c, Z: to the host's root); each component is matched without regard to case, and a
// component that does not exist keeps the case it was given. Relative paths are taken against
// the host's current directory. nullopt for a path that names no drive we know.
std::optional<std::filesystem::path> ToHost(std::wstring_view windowsPath);
// The Windows form of a host path: C:\... inside drive_c, Z:\... for everything else.
std::wstring ToWindows(const std::filesystem::path& hostPath);

// Where the system keeps its named kernel objects and private state (<root>/.eudc).
std::filesystem::path StateDir();

}  // namespace platform::prefix
