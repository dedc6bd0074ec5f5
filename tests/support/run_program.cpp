#include "support/run_program.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace testsupport {

namespace {

std::string ReadAll(int fd) {
    std::string out;
    char buf[65536];
    lseek(fd, 0, SEEK_SET);
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) > 0) out.append(buf, static_cast<size_t>(n));
    close(fd);
    return out;
}

}  // namespace

ProgramRun RunProgram(const std::vector<std::string>& argvStrings, const EnvChanges& env) {
    if (argvStrings.empty()) throw std::invalid_argument("RunProgram: no program");
    // Anonymous files keep a talkative child from filling a pipe nobody reads yet.
    FILE* outFile = std::tmpfile();
    FILE* errFile = std::tmpfile();
    if (!outFile || !errFile) throw std::runtime_error("RunProgram: no temporary files");
    const int out = dup(fileno(outFile)), err = dup(fileno(errFile));
    std::fclose(outFile);
    std::fclose(errFile);

    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        const int in = open("/dev/null", O_RDONLY);
        if (in < 0) _exit(126);
        dup2(out, 1);
        dup2(err, 2);
        dup2(in, 0);
        for (const auto& [name, value] : env) {
            if (value) setenv(name.c_str(), value->c_str(), 1);
            else unsetenv(name.c_str());
        }
        std::vector<char*> argv;
        for (const auto& s : argvStrings) argv.push_back(const_cast<char*>(s.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
    }
    ProgramRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.out = ReadAll(out);
    run.err = ReadAll(err);
    return run;
}

}  // namespace testsupport
