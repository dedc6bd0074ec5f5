#include "tool_runner.h"

#include <cstdlib>

namespace fs = std::filesystem;

namespace testsupport {

ToolRun RunRestoreTool(const TempPrefix& prefix, const std::optional<std::string>& backup,
                       const std::vector<std::string>& args, const EnvChanges& env) {
    // The build's program folder, unless the environment names another (an installed tree).
    const char* binDir = std::getenv("EUDC_BIN_DIR");
    if (!binDir) binDir = EUDC_BIN_DIR;
    const fs::path tool = prefix.scratch() / "tool";
    fs::create_directories(tool);
    for (const auto& entry : fs::directory_iterator(binDir)) {
        const std::string name = entry.path().filename().string();
        if (name == "eudcrestore" || name.starts_with("libeudccore.so") || name.starts_with("libeudcplatform.so")) {
            fs::remove(tool / name);  // a second run in one test copies again
            fs::copy(entry.path(), tool / name, fs::copy_options::copy_symlinks);
        }
    }
    if (backup) WriteFileBytes(tool / "TQClient.tqb", *backup);
    std::vector<std::string> argv{(tool / "eudcrestore").string()};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProgram(argv, env);
}

}  // namespace testsupport
