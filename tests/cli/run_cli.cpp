#include "run_cli.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/temp_files.h"

namespace lilan::test {

Outcome RunCli(const std::vector<std::string>& args, const std::string& dir, const std::string& input,
               const std::function<void(pid_t)>& onStarted) {
    WriteFileBytes(dir + "/stdin", input);
    const std::string outPath = dir + "/stdout", errPath = dir + "/stderr";
    const std::string binary = std::string(LILAN_BIN_DIR) + "/lilan-rank-cli";
    std::vector<std::string> argv = {binary};
    argv.insert(argv.end(), args.begin(), args.end());
    const pid_t pid = fork();
    if (pid == 0) {
        const int in = open((dir + "/stdin").c_str(), O_RDONLY);
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        std::vector<char*> raw;
        for (std::string& a : argv)
            raw.push_back(a.data());
        raw.push_back(nullptr);
        execv(binary.c_str(), raw.data());
        _exit(127);
    }
    if (onStarted)
        onStarted(pid);
    int status = 0;
    waitpid(pid, &status, 0);
    Outcome outcome;
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    outcome.out = ReadFileBytes(outPath).value_or("");
    outcome.err = ReadFileBytes(errPath).value_or("");
    return outcome;
}

} // namespace lilan::test
