// The commands of the zovorudovu tool. Each command file declares its options on its part of the
// command line (cli/Options.h) and returns what runs the command once the command line is parsed, so that one
// source gives both the parser and the help text:
//
//   CommandRun defineNotch(CommandLine& line)
//   {
//       auto options = std::make_shared<NotchOptions>();
//       line.option("--model", options->model, "a model identifier, such as iPhone14,2").required();
//       return [options](const ToolContext& tool) { return notch(*options, tool); };
//   }
//
// A command writes JSON for machines on tool.out() and messages for people on tool.err(), prefixed
// "zovorudovu CMD:", and returns a status from ExitStatus.h. It never writes to the process's own
// streams: main() hands them over, and tests hand over string streams.
#pragma once

#include "cli/ExitStatus.h"
#include "foundation/Json.h"

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace zovo {

class CommandLine;

// Where one run of the tool writes: JSON for machines on `out`, messages and progress for people
// on `err`. main() passes the process's standard output and error; tests pass string streams.
struct ToolStreams {
    std::ostream& out;
    std::ostream& err;
    bool outIsTerminal = false; // chooses the JSON style when --json-style is not given
    bool errIsTerminal = false; // progress is one line rewritten in place on a terminal
};

// What every command shares, settled by the command line before the command runs.
struct ToolContext {
    ToolStreams streams;
    std::string command;                      // "demo"
    JsonStyle jsonStyle = JsonStyle::Pretty;  // from --json-style, else by whether `out` is a terminal
    bool quiet = false;                       // --quiet: no progress lines

    std::ostream& out() const { return streams.out; }
    std::ostream& err() const { return streams.err; }
    // Writes "zovorudovu CMD: message" to the error stream and returns `status`.
    ExitStatus fail(ExitStatus status, const std::string& message) const;
    // Prints `value` on the output stream in the chosen style, followed by a newline.
    void printJson(const Json& value) const;
};

using CommandRun = std::function<ExitStatus(const ToolContext&)>;
using CommandDefine = CommandRun (*)(CommandLine& line);

CommandRun defineDemo(CommandLine& line);
CommandRun defineRun(CommandLine& line);
CommandRun defineCheck(CommandLine& line);
CommandRun definePrefs(CommandLine& line);
CommandRun defineDevices(CommandLine& line);
CommandRun defineNotch(CommandLine& line);
CommandRun defineBanner(CommandLine& line);
CommandRun defineGallery(CommandLine& line);
CommandRun defineSoak(CommandLine& line);
CommandRun definePreview(CommandLine& line);

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
// reads and writes no files, whatever the arguments name. Help, the version and refusals are
// written to `streams`.
ParsedToolArguments parseToolArguments(const std::vector<std::string>& args, const ToolStreams& streams);

// Runs the tool on `args` (without the program name), writing to `streams`, and returns the exit
// status.
int runTool(const std::vector<std::string>& args, const ToolStreams& streams);

// The project's version, as CMake knows it.
const char* toolVersion();

} // namespace zovo
