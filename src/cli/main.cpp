#include "cli/Command.h"

#include <iostream>
#include <unistd.h>

// The one place that knows the process's own streams.
int main(int argc, char** argv)
{
    const zovo::ToolStreams streams{std::cout, std::cerr, ::isatty(STDOUT_FILENO) != 0, ::isatty(STDERR_FILENO) != 0};
    return zovo::runTool(std::vector<std::string>(argv + 1, argv + argc), streams);
}
