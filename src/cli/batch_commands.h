#pragma once

#include <string>
#include <vector>

namespace lilan {

// The batch command: "check" and "nav" over list files. Returns the exit
// code: 0 done, 1 a file could not be read or written, 2 bad usage, 130
// stopped by Ctrl-C.
int RunBatch(const std::vector<std::string>& args);

} // namespace lilan
