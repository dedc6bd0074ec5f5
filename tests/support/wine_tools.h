// Real Wine in the tests: the prefix that wineboot made for this run, and Wine's own tools run on
// a test's copy of it.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/temp_prefix.h"

namespace testsupport {

// The prefix made by scripts/make-wine-prefix.sh for this test run (ctest makes it in the build
// folder first; $EUDC_WINE_TEMPLATE names another). Throws when there is none: a test that needs
// Wine fails without it, it never skips.
std::filesystem::path WineTemplate();

// Copies the Wine prefix of this run to the folder `to` (see TempPrefix::InstallWinePrefix).
void CopyWinePrefix(const std::filesystem::path& to);

// What Wine's tools need to run on the prefix at root, quietly and without a display.
EnvChanges WineEnvironment(const std::filesystem::path& root);

// Runs `wine <args>` on the test's prefix and then waits until Wine's server has ended, so that
// the registry is back in its files and the prefix is ours again.
ProgramRun RunWine(const TempPrefix& prefix, const std::vector<std::string>& args);

// `wine reg export <key>`: the key as Wine itself reads it, converted to UTF-8 ("" when Wine
// finds no such key). Throws when Wine cannot be run.
std::string WineRegExport(const TempPrefix& prefix, const std::string& key);

}  // namespace testsupport
