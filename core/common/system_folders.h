// The Windows and system directories as the library finds them, without a trailing '\'.
#pragma once
#include <string>

namespace eudc {

// The shared Windows directory of a terminal server for version codes 13 to 15 where the system
// has one, else GetWindowsDirectoryA. Empty when the folder does not fit `bufferSize`.
std::string WindowsDirectory(int versionCode, unsigned bufferSize = 260);
// GetSystemDirectoryA; empty when the folder does not fit `bufferSize`.
std::string SystemDirectory(unsigned bufferSize = 250);
// The shell folder of a CSIDL value (SHGetSpecialFolderLocation, SHGetPathFromIDListA); empty when
// the system has none.
std::string ShellFolder(int csidl);

}  // namespace eudc
