#include "cli/ToolRun.h"
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
    EXPECT_NE(runCommand({"banner", "--help"}).out.find("--png"), npos);
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
    const std::string off = (folder / "off.plist").string();
    std::ofstream(file) << "not a folder";
    std::ofstream(off) << "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>isEnabled</key><false/></dict></plist>";
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
        {{"gallery", "--out", unused, "extra"}, 2, "extra"},
        {{"gallery", "--out", unused, "--out", unused}, 2, "--out"},
        {{"gallery", "--out", unused, "--scale", "0"}, 2, "--scale: must be a number above 0"}, // a hidden option is named too
        {{"gallery", "--out", unused, "--scale", "100"}, 2, "at most 4"},
        {{"prefs"}, 2, "prefs"},
        {{"prefs", "a", "b"}, 2, "b"},
        {{"soak", "--notifications", "0"}, 2, "--notifications"},
        {{"run", missing}, 1, missing},
        {{"prefs", missing}, 1, missing},
        {{"prefs", "a", "--defaults", missing}, 1, missing}, // a missing file is an input, not the command line's fault
        {{"demo", "--scenario", missing}, 1, missing},
        {{"demo", "--out", "/proc/zovo-cannot-write"}, 1, "/proc/zovo-cannot-write"},
        {{"gallery", "--out", unused + "-1", "--settings", missing}, 1, missing},
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
    EXPECT_NE(runCommand({"notch"}).err.find("Run 'zovorudovu notch --help'"), npos) << "a command line CLI11 refuses points to the help";
}

// The parse alone settles what a command line means and runs nothing: the folder the chosen
// command would write stays unmade, and help and the version are printed at the parse.
TEST(Tool, ParsingChoosesTheCommandAndItsContextWithoutRunningIt)
{
    const zovo::TestFolder folder;
    const fs::path out = folder / "demo";
    std::ostringstream printedStream, errStream;
    const zovo::ToolStreams streams{printedStream, errStream, true, true};
    const zovo::ParsedToolArguments demo = zovo::parseToolArguments({"demo", "--out", out.string(), "--json-style", "compact", "-q"}, streams);
    const zovo::ParsedToolArguments refused = zovo::parseToolArguments({"demo", "--fps", "0"}, streams);
    const zovo::ParsedToolArguments version = zovo::parseToolArguments({"--version"}, streams);
    const zovo::ParsedToolArguments onTerminal = zovo::parseToolArguments({"devices"}, streams);
    const std::string printed = printedStream.str(), err = errStream.str();

    EXPECT_EQ(demo.status, 0);
    ASSERT_TRUE(demo.run);
    EXPECT_EQ(demo.tool.command, "demo");
    EXPECT_EQ(demo.tool.jsonStyle, zovo::JsonStyle::Compact);
    EXPECT_TRUE(demo.tool.quiet);
    EXPECT_FALSE(fs::exists(out)) << "nothing is written before the command runs";
    EXPECT_EQ(refused.status, 2);
    EXPECT_FALSE(refused.run);
    EXPECT_NE(err.find("--fps"), npos) << err;
    EXPECT_EQ(version.status, 0);
    EXPECT_FALSE(version.run) << "the version is the whole job";
    EXPECT_EQ(printed, "zovorudovu " ZOVO_VERSION "\n");
    EXPECT_EQ(onTerminal.tool.jsonStyle, zovo::JsonStyle::Pretty) << "pretty by default on a terminal";
}

// The endurance run as a script sees it: one JSON summary, no invariant broken, same seed same run.
// The endurance run as a script sees it (that a seed repeats its run is the soak's own test).
TEST(Tool, SoakPrintsItsSummary)
{
    const ToolRun soak = runCommand({"soak", "--notifications", "40", "--seed", "9", "--quiet"});
    ASSERT_EQ(soak.status, 0) << soak.err;
    EXPECT_TRUE(soak.err.empty()) << "quiet: " << soak.err;
    EXPECT_EQ(soak.json()["notifications"], 40);
    EXPECT_EQ(soak.json()["invariantFailures"], 0) << soak.out;
}

TEST(Tool, JsonStyleIsChosenOnEveryJsonCommand)
{
    const ToolRun compact = runCommand({"devices", "--json-style=compact"});
    const ToolRun pretty = runCommand({"devices", "--json-style", "pretty"});
    ASSERT_EQ(compact.status, 0);
    EXPECT_EQ(std::count(compact.out.begin(), compact.out.end(), '\n'), 1);
    EXPECT_GT(std::count(pretty.out.begin(), pretty.out.end(), '\n'), 20);
    EXPECT_EQ(nlohmann::json::parse(compact.out), nlohmann::json::parse(pretty.out));
    EXPECT_EQ(runCommand({"notch", "--model", "iPhone14,2"}).out.find('\n'), runCommand({"notch", "--model", "iPhone14,2"}).out.size() - 1)
        << "not a terminal: compact by default";
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
