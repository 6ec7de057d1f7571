#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

namespace lilan::test {

struct Outcome {
    int exitCode = -1;
    std::string out, err;
};

// Runs build/bin/lilan-rank-cli with args and stdin holding input; scratch
// files go to dir. onStarted may signal the child while it runs.
Outcome RunCli(const std::vector<std::string>& args, const std::string& dir, const std::string& input = {},
               const std::function<void(pid_t)>& onStarted = {});

} // namespace lilan::test
