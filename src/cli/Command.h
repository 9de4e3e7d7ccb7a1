// The commands of the zovorudovu tool. Each command file defines its options on a CLI11
// subcommand and returns what runs the command once the command line is parsed, so that one
// source gives both the parser and the help text:
//
//   CommandRun defineNotch(CLI::App& app)
//   {
//       auto options = std::make_shared<NotchOptions>();
//       app.add_option("--model", options->model, "a model identifier, such as iPhone14,2")->required();
//       return [options](const ToolContext& tool) { return notch(*options, tool); };
//   }
//
// A command writes JSON for machines on standard output and messages for people on standard
// error, prefixed "zovorudovu CMD:", and returns a status from ExitStatus.h.
#pragma once

#include "cli/ExitStatus.h"
#include "foundation/Json.h"

#include <functional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace zovo {

// What every command shares, settled by the command line before the command runs.
struct ToolContext {
    std::string command;                      // "demo"
    JsonStyle jsonStyle = JsonStyle::Pretty;  // from --json-style, else by whether stdout is a terminal
    bool quiet = false;                       // --quiet: no progress lines

    // Writes "zovorudovu CMD: message" to standard error and returns `status`.
    ExitStatus fail(ExitStatus status, const std::string& message) const;
    // Prints `value` on standard output in the chosen style, followed by a newline.
    void printJson(const nlohmann::ordered_json& value) const;
};

using CommandRun = std::function<ExitStatus(const ToolContext&)>;
using CommandDefine = CommandRun (*)(CLI::App& app);

CommandRun defineDemo(CLI::App& app);
CommandRun defineRun(CLI::App& app);
CommandRun defineCheck(CLI::App& app);
CommandRun definePrefs(CLI::App& app);
CommandRun defineDevices(CLI::App& app);
CommandRun defineNotch(CLI::App& app);
CommandRun defineBanner(CLI::App& app);
CommandRun defineGallery(CLI::App& app);
CommandRun defineSoak(CLI::App& app);
CommandRun definePreview(CLI::App& app);

// One entry of the tool's command table.
struct CommandEntry {
    const char* name;
    const char* summary;
    CommandDefine define;
    bool printsJson;   // takes --json-style
    bool showsProgress; // takes --quiet
};

// Every command, in the order the help lists them.
const std::vector<CommandEntry>& commandTable();

// A command line parsed, with nothing run yet. Help, the version and a refused command line finish
// the job at the parse: their text is already printed, `status` is the exit status and `run` is
// empty. Otherwise `status` is 0 and `run` is the chosen command, to be called with `tool`.
struct ParsedToolArguments {
    int status = 0;
    CommandRun run;
    ToolContext tool;
};

// Parses `args` (without the program name) as runTool does, without running the command: it
// reads and writes no files, whatever the arguments name.
ParsedToolArguments parseToolArguments(const std::vector<std::string>& args);

// Runs the tool on `args` (without the program name) and returns the exit status.
int runTool(const std::vector<std::string>& args);

// The project's version, as CMake knows it.
const char* toolVersion();

} // namespace zovo
