// The commands of the zovorudovu tool. Each takes its arguments (without the command name),
// writes JSON for machines on standard output and messages for people on standard error, and
// returns the exit status.
#pragma once

#include <string>
#include <vector>

namespace zovo {

using Arguments = std::vector<std::string>;

int prefsCommand(const Arguments& args);
int devicesCommand(const Arguments& args);
int notchCommand(const Arguments& args);
int bannerCommand(const Arguments& args);
int galleryCommand(const Arguments& args);
int runCommand(const Arguments& args);
int demoCommand(const Arguments& args);

} // namespace zovo
