// Runs another program as a separate process and collects what it printed.
#pragma once
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// Environment changes for the child: a value sets the variable, nullopt removes it.
using EnvChanges = std::vector<std::pair<std::string, std::optional<std::string>>>;

struct ProgramRun {
    int exitCode = -1;  // 128 + the signal when it was killed
    std::string out;
    std::string err;
};

// argv[0] is a path, or a name looked up in PATH. Standard input is /dev/null.
ProgramRun RunProgram(const std::vector<std::string>& argv, const EnvChanges& env = {});

}  // namespace testsupport
