// The hives of the current prefix as this process sees them: loaded on first use, reloaded when
// their file changed on disk, and saved under a lock shared by all our processes.
//
// Wine's own wineserver keeps the registry in memory and writes it back when it exits, so it
// must not be running on the prefix while we change the files: it would overwrite our changes.
#pragma once
#include <filesystem>
#include <functional>
#include <mutex>

#include "platform/wintypes.h"
#include "hive.h"

namespace platform::registry {

// Guards every hive and handle of this process; held by each registry call from start to end.
std::mutex& RegistryMutex();

std::filesystem::path HiveFile(HiveId id);

// Calls read with the hive, reloaded first when its file changed. A missing file is an empty
// hive (nothing is created); a malformed one gives ERROR_BADDB and read is not called.
LONG ReadHive(HiveId id, const std::function<LONG(const Hive&)>& read);

// A change is made in two passes over the hive: with apply false the function only checks (no
// change to the hive) and sets changed when the hive would change; with apply true it makes the
// change. When something is to change, the prefix is created if needed, the cross-process lock
// taken, the hive reloaded if another process saved it meanwhile, the change applied again on
// that state and the hive saved: written to a sibling file, flushed, and renamed over the
// original. Returns the function's result, or ERROR_CANTWRITE when the save failed (the change
// is then dropped from memory too).
// While saves are deferred (see DeferSaves), a change is applied in memory only and kept, so it
// must own what it refers to: it may run again on a newer file before it is saved.
using HiveChange = std::function<LONG(Hive& hive, bool apply, bool& changed)>;
LONG ChangeHive(HiveId id, const HiveChange& change);

// From now on changes stay in this process's memory (its own calls see them) until SaveDeferred
// writes each changed hive once. The EUDC switch brackets one such operation: the links of all
// slots reach user.reg in one save, or not at all.
void DeferSaves();
// Saves what was deferred and ends the deferral. ERROR_SUCCESS, or the error of a save that
// failed; the changes it held are then gone from memory too.
LONG SaveDeferred();

}  // namespace platform::registry
