// Whether anything the font caches were read from may have changed, told without a system call
// per file: the folders they read from (the Fonts folder, the prefix root with its hive files, the
// folders of linked EUDC fonts) are watched with inotify, and every change there moves one
// process-wide generation number. A cache stamped with the current generation is still good; one
// stamped with an older generation checks its files' stamps again (see file_stamp.h).
#pragma once
#include <cstdint>
#include <filesystem>

namespace platform::gdi {

// The current generation. It moves when something changed in a watched folder since the last
// call, when one of the variables that choose the prefix and the fonts changed (WINEPREFIX, HOME,
// EUDC_HOST_FONTS, FONTCONFIG_FILE), when NoteChange was called, and on every call while a folder some cache needs could not
// be watched (it does not exist, or the process cannot watch at all): caches then check their
// files every time, as if there were no watch.
uint64_t ChangeGeneration();

// Watches folder from now on. Call it before reading what the folder holds, so that a change
// made after the read is seen.
void WatchFolder(const std::filesystem::path& folder);
// Watches the folder that holds file and, when file is a symbolic link, the folder of its target.
void WatchFileFolder(const std::filesystem::path& file);

// Moves the generation, so that every cache checks its files again.
void NoteChange();

}  // namespace platform::gdi
