#include "cli/Command.h"

#include <cstdio>
#include <exception>
#include <string>

namespace {

struct CommandEntry {
    const char* name;
    int (*run)(const zovo::Arguments&);
    const char* usage;
};

const CommandEntry kCommands[] = {
    {"demo", zovo::demoCommand, "demo [--out DIR] [--scenario FILE] [--fps N] [--scale S]   the main job: film the built-in scenario into out/demo"},
    {"run", zovo::runCommand, "run SCENARIO.json [--trace FILE] [--frames DIR [--fps N] [--scale S]] [--snapshot-png]   play a scenario; write its trace as JSON lines"},
    {"prefs", zovo::prefsCommand, "prefs FILE [--defaults FILE]   print the effective settings read from FILE"},
    {"devices", zovo::devicesCommand, "devices                        print the built-in device profiles"},
    {"notch", zovo::notchCommand, "notch --model ID [--faceid yes|no] [--ipad yes|no] [--screen WxH]   print the notch width for a device"},
    {"banner", zovo::bannerCommand,
     "banner [--device ID] [--settings FILE] [--safe-y Y] --title T --message M [--date D] [--icon PNG]   lay out one banner and print it"},
    {"gallery", zovo::galleryCommand,
     "gallery --out DIR [--settings FILE] [--title T] [--message M]   render one banner on every device, with an HTML contact sheet"},
};

int usage()
{
    std::fprintf(stderr, "usage: zovorudovu COMMAND [ARGS]\ncommands:\n");
    for (const auto& c : kCommands) std::fprintf(stderr, "  %s\n", c.usage);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) return usage();
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        usage();
        return 0;
    }
    for (const auto& c : kCommands) {
        if (name != c.name) continue;
        try {
            return c.run(zovo::Arguments(argv + 2, argv + argc));
        } catch (const std::exception& e) {
            std::fprintf(stderr, "zovorudovu %s: internal error: %s\n", c.name, e.what());
            return 3;
        }
    }
    std::fprintf(stderr, "zovorudovu: unknown command '%s'\n", name.c_str());
    return usage();
}
