#include <string>
#include <vector>

#include "cli/batch_commands.h"

int main(int argc, char** argv) {
    return lilan::RunBatch(std::vector<std::string>(argv + 1, argv + argc));
}
