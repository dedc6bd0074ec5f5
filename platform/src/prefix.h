// The Wine-style prefix that stands for the workstation: its root, its minimal layout, the
// mapping between Windows paths and host paths, and whether Wine itself is using it.
#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/wintypes.h"

namespace platform::prefix {

// $WINEPREFIX, else ~/.wine. Read on every call so that tests can switch prefixes.
std::filesystem::path Root();
bool Exists();

// The checks before anything is written into the prefix: Wine's server must not be running on
// it (ERROR_BUSY), and a missing prefix is created with the minimal layout (ERROR_PATH_NOT_FOUND
// when that fails). A prefix that exists is used as it is. ERROR_SUCCESS when writing may go on.
// created, when given, tells whether the layout was made just now.
DWORD PrepareWrite(bool* created = nullptr);
// True while a wineserver serves this prefix: it holds the registry in memory and writes it back
// when it exits, so it would undo whatever we wrote meanwhile.
bool WineServerRunning();

// The user name as Wine takes it: $USER, else the login name of the effective user.
std::string UserName();
// The user's profile folder, C:\users\<user name>.
std::wstring ProfileFolder();

// Maps a Windows path to a host path. Relative names are taken against the current directory,
// ".." stops at the drive root; drive letters follow dosdevices links (C: falls back to
// drive_c, Z: to the host's root); each component is matched without regard to case, and a
// component that does not exist keeps the case it was given. nullopt for a path that names no
// drive we know. canonical, when given, tells whether the result is already the host's canonical
// path as far as it exists (the drive's link resolved, no component a link), so that it need
// not be resolved again.
std::optional<std::filesystem::path> ToHost(std::wstring_view windowsPath, bool* canonical = nullptr);
// The Windows form of a host path: C:\... inside drive_c, Z:\... for everything else.
std::wstring ToWindows(const std::filesystem::path& hostPath);

// The process's current directory as a full Windows path. Until it is set, the host's current
// directory in Windows form, as Wine starts a program.
std::wstring CurrentDirectory();
void SetCurrentDirectoryPath(const std::wstring& fullPath);

// Where the system keeps its named kernel objects and private state (<root>/.eudc).
std::filesystem::path StateDir();

}  // namespace platform::prefix
