#include "cli/Progress.h"
#include "cli/ToolRun.h"
#include "ScopedEnv.h"
#include "TestFolder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
constexpr auto npos = std::string::npos;

using zovo::runCommand;
using zovo::slurp;
using zovo::ToolRun;

// A shell command line, run with the built tool as "$Z"; its standard output and exit status.
ToolRun shell(const std::string& command)
{
    const std::string line = "Z='" ZOVO_TOOL "'; " + command + " 2>/dev/null";
    ToolRun r;
    std::FILE* pipe = ::popen(line.c_str(), "r");
    if (!pipe) return r;
    std::array<char, 4096> buffer;
    while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) r.out.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

TEST(Tool, HelpAndVersionGoToStandardOutputWithStatusZero)
{
    const ToolRun version = runCommand({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "zovorudovu " ZOVO_VERSION "\n");

    const ToolRun global = runCommand({"--help"});
    EXPECT_EQ(global.status, 0);
    EXPECT_TRUE(global.err.empty());
    EXPECT_EQ(runCommand({"help"}).out, global.out);
    for (const zovo::CommandEntry& command : zovo::commandTable()) {
        EXPECT_NE(global.out.find(command.name), npos) << command.name;
        const ToolRun help = runCommand({command.name, "--help"});
        EXPECT_EQ(help.status, 0) << command.name;
        EXPECT_TRUE(help.err.empty()) << command.name << ": " << help.err;
        EXPECT_NE(help.out.find(std::string("Usage: zovorudovu ") + command.name), npos) << help.out;
        EXPECT_EQ(runCommand({"help", command.name}).out, help.out) << "one usage source: " << command.name;
        EXPECT_EQ(help.out.find("--json-style") != npos, command.printsJson) << command.name;
    }
    EXPECT_EQ(runCommand({"gallery", "--help"}).out.find("--scale"), npos) << "a hidden option stays out of the help";
    EXPECT_EQ(runCommand({"help", "frobnicate"}).status, 2);
}

// Every command's refusals in one table: a wrong command line is status 2, an input that cannot be
// used is status 1, and either message names what was wrong. Nothing is printed for machines and
// nothing is made before the arguments are known to be good.
TEST(Tool, ExitStatusesFollowTheOneTable)
{
    const zovo::TestFolder folder;
    const std::string missing = (folder / "no-such-file").string(), unused = (folder / "unused").string(), file = (folder / "a-file").string();
    const std::string off = (folder / "off.plist").string(), dir = folder.path().string(), bad = (folder / "bad.plist").string();
    std::ofstream(file) << "not a folder";
    std::ofstream(bad) << "<plist";
    const std::string kept = (folder / "kept.jsonl").string();
    std::ofstream(kept) << "an earlier trace\n";
    zovo::writePlist(off, "<key>isEnabled</key><false/>");
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string named; // what the message must name
    };
    const Case cases[] = {
        {{}, 2, "Usage"},
        {{"frobnicate"}, 2, "frobnicate"},
        {{"devices", "--frobnicate"}, 2, "--frobnicate"},
        {{"notch"}, 2, "--model"},
        {{"notch", "--model"}, 2, "--model"},
        {{"notch", "--model", "a", "--model", "b"}, 2, "--model"},
        {{"notch", "--model", "iPhone14,2", "--screen", "wide"}, 2, "--screen"},
        {{"notch", "--model", "x", "--screen", "0x5"}, 2, "--screen"},
        {{"notch", "--model", "x", "--faceid", "maybe"}, 2, "--faceid"},
        {{"banner", "--title", "T"}, 2, "--message"},
        {{"banner", "--title", "\xff", "--message", "M"}, 2, "--title"},
        {{"run", "--fps", "1", "x.json"}, 2, "--fps"},
        {{"demo", "--json-style", "loud"}, 2, "--json-style"},
        {{"demo", "--fps", "0"}, 2, "--fps"},
        {{"demo", "--fps", "60"}, 2, "--fps"}, // above what viewers show
        {{"gallery"}, 2, "--out"},
        {{"gallery", "--out", unused, "--scale", "0"}, 2, "--scale: must be a number above 0"}, // a hidden option is named too
        {{"gallery", "--out", unused, "--scale", "100"}, 2, "at most 4"},
        {{"prefs"}, 2, "prefs"},
        {{"prefs", "a", "b"}, 2, "b"},
        {{"soak", "--notifications", "0"}, 2, "--notifications"},
        // preview checks every input before a window could open, and calls each a command-line fault
        {{"preview", "--device", "Nokia3310"}, 2, "--device: unknown device \"Nokia3310\""},
        {{"preview", "--screenshot-dir", unused, "--settings", missing}, 2, "--settings " + missing + ": no such file"},
        {{"preview", "--settings", bad, "--trace", kept}, 2, bad + ": not a valid XML property list"},
        {{"preview", "--settings", dir}, 2, "not a regular file"},
        {{"preview", "--record", missing + "/rec.json"}, 2, "--record " + missing + "/rec.json: its folder"},
        {{"preview", "--record", dir}, 2, "is a folder"},
        {{"preview", "--trace", missing + "/t.jsonl"}, 2, "--trace"},
        {{"preview", "--screenshot-dir", file}, 2, "--screenshot-dir " + file + ": not a folder"},
        {{"preview", "--orientation", "sideways"}, 2, "--orientation"},
        {{"preview", "--scale", "0"}, 2, "--scale"},
        {{"preview", "--wallpaper", file}, 2, "--wallpaper " + file + ": not dark, light, dusk or a PNG"},
        {{"run", missing}, 1, missing},
        {{"prefs", missing}, 1, missing},
        {{"prefs", "a", "--defaults", missing}, 1, missing}, // a missing file is an input, not the command line's fault
        {{"demo", "--scenario", missing}, 1, missing},
        {{"demo", "--out", "/proc/zovo-cannot-write"}, 1, "/proc/zovo-cannot-write"},
        {{"gallery", "--out", unused, "--settings", missing}, 1, missing},
        {{"gallery", "--out", file, "--scale", "1"}, 1, file},
        {{"gallery", "--out", unused, "--settings", off, "--scale", "1"}, 1, "isEnabled"},
        {{"banner", "--title", "T", "--message", "M", "--settings", missing}, 1, missing},
        {{"banner", "--title", "T", "--message", "M", "--settings", off}, 1, "isEnabled"},
        {{"banner", "--title", "T", "--message", "M", "--icon", missing}, 1, missing},
        {{"banner", "--title", "T", "--message", "M", "--device", "iPhone99,9"}, 1, "iPhone99,9"},
        {{"notch", "--model", "iPhone99,9"}, 1, "iPhone99,9"},
        {{"notch", "--model", "iPhone99,9", "--faceid", "no"}, 1, "iPhone99,9"}, // as banner --device: an unusable input
        {{"soak", "--notifications", "5", "--device", "iPhone99,9"}, 1, "iPhone99,9"},
    };
    for (const Case& c : cases) {
        const ToolRun r = runCommand(c.args);
        std::string line;
        for (const auto& a : c.args) line += a + " ";
        EXPECT_EQ(r.status, c.status) << line << "\n" << r.err;
        EXPECT_NE(r.err.find(c.named), npos) << line << "\n" << r.err;
        if (c.args.empty()) continue;
        const std::string who = c.args.front() == "frobnicate" ? "zovorudovu: " : "zovorudovu " + c.args.front() + ": ";
        EXPECT_EQ(r.err.rfind(who, 0), 0u) << r.err;
        // prefs prints the settings it fell back to, for a script to read, as it refuses the file.
        EXPECT_TRUE(r.out.empty() || c.args.front() == "prefs") << line << "\n" << r.out;
    }
    EXPECT_FALSE(fs::exists(unused)) << "nothing is made before the arguments are known to be good";
    EXPECT_EQ(zovo::slurp(kept), "an earlier trace\n") << "a refused preview leaves an earlier trace as it was";
    EXPECT_NE(runCommand({"notch"}).err.find("Run 'zovorudovu notch --help'"), npos) << "a command line CLI11 refuses points to the help";
}

TEST(PreviewCommand, NoDisplayIsStatusOneWithAMessage)
{
    // The X11 driver with no display named: what a machine without a screen answers.
    const zovo::ScopedEnv driver("SDL_VIDEODRIVER", "x11");
    const zovo::ScopedEnv display("DISPLAY", nullptr);
    const zovo::ToolRun run = runCommand({"preview"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("zovorudovu preview: no display"), std::string::npos) << run.err;
}

// The parse alone settles what a command line means and runs nothing: the folder the chosen
// command would write stays unmade, and help and the version are printed at the parse. (A refused
// command line runs nothing either: the exit-status table checks that nothing is made or printed.)
// The JSON style it chooses is the one printed.
TEST(Tool, ParsingChoosesTheCommandAndItsContextWithoutRunningIt)
{
    const zovo::TestFolder folder;
    const fs::path out = folder / "demo";
    std::ostringstream printedStream, errStream;
    const zovo::ToolStreams streams{printedStream, errStream, true, true};
    const zovo::ParsedToolArguments demo = zovo::parseToolArguments({"demo", "--out", out.string(), "--json-style", "compact", "-q"}, streams);
    const zovo::ParsedToolArguments version = zovo::parseToolArguments({"--version"}, streams);
    const zovo::ParsedToolArguments onTerminal = zovo::parseToolArguments({"devices"}, streams);
    const std::string printed = printedStream.str();

    EXPECT_EQ(demo.status, 0);
    ASSERT_TRUE(demo.run);
    EXPECT_EQ(demo.tool.command, "demo");
    EXPECT_EQ(demo.tool.jsonStyle, zovo::JsonStyle::Compact);
    EXPECT_TRUE(demo.tool.quiet);
    EXPECT_FALSE(fs::exists(out)) << "nothing is written before the command runs";
    EXPECT_EQ(version.status, 0);
    EXPECT_FALSE(version.run) << "the version is the whole job";
    EXPECT_EQ(printed, "zovorudovu " ZOVO_VERSION "\n");
    EXPECT_EQ(onTerminal.tool.jsonStyle, zovo::JsonStyle::Pretty) << "pretty by default on a terminal";

    // What is chosen is what is printed.
    const ToolRun compact = runCommand({"devices", "--json-style=compact"}), pretty = runCommand({"devices", "--json-style", "pretty"});
    ASSERT_EQ(compact.status, 0);
    EXPECT_EQ(std::count(compact.out.begin(), compact.out.end(), '\n'), 1);
    EXPECT_GT(std::count(pretty.out.begin(), pretty.out.end(), '\n'), 20);
    EXPECT_EQ(nlohmann::json::parse(compact.out), nlohmann::json::parse(pretty.out));
    const std::string byDefault = runCommand({"notch", "--model", "iPhone14,2"}).out;
    EXPECT_EQ(byDefault.find('\n'), byDefault.size() - 1) << "not a terminal: compact by default";
}

// The endurance run as a script sees it (that a seed repeats its run is the soak's own test).
TEST(Tool, SoakPrintsItsSummary)
{
    const ToolRun soak = runCommand({"soak", "--notifications", "40", "--seed", "9", "--quiet"});
    ASSERT_EQ(soak.status, 0) << soak.err;
    EXPECT_TRUE(soak.err.empty()) << "quiet: " << soak.err;
    EXPECT_EQ(soak.json()["notifications"], 40);
    EXPECT_EQ(soak.json()["invariantFailures"], 0) << soak.out;
}

// The README's own line, in a folder that holds nothing but the scenario (its icons are the tool's
// own), and the same scenario given on standard input.
TEST(Tool, TheReadmeExampleRunsFromAnotherFolderAndStandardInputStandsForAFile)
{
    const zovo::TestFolder folder;
    fs::create_directories(folder / "data");
    fs::copy_file(ZOVO_SOURCE_DIR "/data/demo.json", folder / "data/demo.json");
    for (const char* command : {"\"$Z\" run data/demo.json", "\"$Z\" run - < data/demo.json"}) {
        const ToolRun run = shell("cd '" + folder.path().string() + "' && " + command);
        EXPECT_EQ(run.status, 0) << command;
        std::istringstream lines(run.out);
        for (std::string line; std::getline(lines, line);) EXPECT_TRUE(nlohmann::json::accept(line)) << line;
        EXPECT_NE(run.out.find("\"label\":\"5-pushed-up\""), npos) << command;
        EXPECT_NE(run.out.find("\"event\":\"longLookPresented\""), npos) << command;
    }
    const ToolRun prefs = shell("printf '<plist version=\"1.0\"><dict><key>customWidth</key><true/></dict></plist>' | \"$Z\" prefs - --json-style compact");
    EXPECT_EQ(prefs.status, 0);
    EXPECT_EQ(nlohmann::json::parse(prefs.out)["customWidth"], true);
    EXPECT_EQ(shell("printf 'not a plist' | \"$Z\" prefs -").status, 1);
    EXPECT_EQ(shell("printf '{\"events\": 3}' | \"$Z\" run -").status, 1);
}

// What a ProgressLine writes, run through `use`.
template <typename Use>
std::string written(bool quiet, bool terminal, Use use)
{
    std::ostringstream out;
    {
        zovo::ProgressLine progress("zovorudovu demo", quiet, out, terminal);
        use(progress);
    }
    return out.str();
}

TEST(ProgressLine, OneLineInPlaceOnATerminalPlainLinesElsewhereNothingWhenQuiet)
{
    auto twoSteps = [](zovo::ProgressLine& p) {
        p.update("frame 30/60");
        *p.stream() << "frame 60/60\n";
    };
    EXPECT_EQ(written(false, true, twoSteps), "\r\033[Kzovorudovu demo: frame 30/60\r\033[Kzovorudovu demo: frame 60/60\n")
        << "rewritten in place, and ended with a newline when the work ends";
    EXPECT_EQ(written(false, false, twoSteps), "zovorudovu demo: frame 30/60\nzovorudovu demo: frame 60/60\n");
    EXPECT_EQ(written(true, true, [](zovo::ProgressLine& p) {
                  p.update("frame 1");
                  EXPECT_EQ(p.stream(), nullptr) << "writers given no stream stay silent";
              }),
              "");
}

TEST(Tool, InstallsIntoAPrefixWhereItsFilesBelong)
{
    const zovo::TestFolder folder;
    const fs::path& prefix = folder.path();
    const ToolRun install = shell("'" ZOVO_CMAKE "' --install '" ZOVO_BINARY_DIR "' --prefix '" + prefix.string() + "' >/dev/null");
    ASSERT_EQ(install.status, 0);
    for (const char* file : {"bin/zovorudovu", "share/man/man1/zovorudovu.1", "share/bash-completion/completions/zovorudovu",
                             "share/zsh/site-functions/_zovorudovu", "share/fish/vendor_completions.d/zovorudovu.fish",
                             "share/zovorudovu/demo.json", "share/zovorudovu/defaults.plist", "share/zovorudovu/fonts/fonts.conf"})
        EXPECT_TRUE(fs::is_regular_file(prefix / file)) << file;
    const ToolRun version = shell("'" + (prefix / "bin/zovorudovu").string() + "' --version");
    EXPECT_EQ(version.out, "zovorudovu " ZOVO_VERSION "\n");
    const ToolRun run = shell("cd / && '" + (prefix / "bin/zovorudovu").string() + "' run '" + (prefix / "share/zovorudovu/demo.json").string() + "'");
    EXPECT_EQ(run.status, 0) << "the installed scenario plays as installed";
}

TEST(Tool, ManualAndCompletionsKnowEveryCommand)
{
    const std::string manual = slurp(ZOVO_SOURCE_DIR "/docs/zovorudovu.1");
    const std::string completions[] = {slurp(ZOVO_SOURCE_DIR "/completions/zovorudovu.bash"), slurp(ZOVO_SOURCE_DIR "/completions/_zovorudovu"),
                                       slurp(ZOVO_SOURCE_DIR "/completions/zovorudovu.fish")};
    for (const zovo::CommandEntry& command : zovo::commandTable()) {
        EXPECT_NE(manual.find(std::string("\\fB") + command.name), npos) << command.name << " in the manual";
        for (const std::string& completion : completions) EXPECT_NE(completion.find(command.name), npos) << command.name;
    }
    for (const char* section : {".SH EXIT STATUS", ".SH SCENARIOS", ".SH TRACE RECORDS"}) EXPECT_NE(manual.find(section), npos) << section;
}

} // namespace
