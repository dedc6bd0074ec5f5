#include "tool_runner.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace fs = std::filesystem;

namespace testsupport {

ToolRun RunRestoreTool(const TempPrefix& prefix, const std::optional<std::string>& backup,
                       const std::vector<std::string>& args) {
    // The build's program folder, unless the environment names another (an installed tree).
    const char* binDir = std::getenv("EUDC_BIN_DIR");
    if (!binDir) binDir = EUDC_BIN_DIR;
    const fs::path tool = prefix.scratch() / "tool";
    fs::create_directories(tool);
    for (const auto& entry : fs::directory_iterator(binDir)) {
        const std::string name = entry.path().filename().string();
        if (name == "eudcrestore" || name.starts_with("libeudccore.so"))
            fs::copy(entry.path(), tool / name, fs::copy_options::copy_symlinks | fs::copy_options::overwrite_existing);
    }
    if (backup) WriteFileBytes(tool / "TQClient.tqb", *backup);

    const fs::path outFile = prefix.scratch() / "stdout.txt";
    const fs::path errFile = prefix.scratch() / "stderr.txt";
    std::vector<std::string> argvStrings{(tool / "eudcrestore").string()};
    argvStrings.insert(argvStrings.end(), args.begin(), args.end());

    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        const int out = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int in = open("/dev/null", O_RDONLY);
        if (out < 0 || err < 0 || in < 0) _exit(126);
        dup2(out, 1);
        dup2(err, 2);
        dup2(in, 0);
        std::vector<char*> argv;
        for (auto& s : argvStrings) argv.push_back(s.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ToolRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.out = ReadFileBytes(outFile);
    run.err = ReadFileBytes(errFile);
    return run;
}

}  // namespace testsupport
