// Runs the installed-style restore tool (program and library in one folder) as a separate process.
#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/temp_prefix.h"

namespace testsupport {

using ToolRun = ProgramRun;

// Copies eudcrestore, libeudccore and libeudcplatform beside each other into <scratch>/tool, puts the backup there
// when given, and runs the program with the arguments against the test's prefix.
ToolRun RunRestoreTool(const TempPrefix& prefix, const std::optional<std::string>& backup,
                       const std::vector<std::string>& args = {}, const EnvChanges& env = {});

}  // namespace testsupport
