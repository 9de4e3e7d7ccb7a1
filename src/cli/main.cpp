#include "cli/Command.h"

int main(int argc, char** argv) { return zovo::runTool(std::vector<std::string>(argv + 1, argv + argc)); }
