// The tool's command table and its one entry point: parses the command line with CLI11, prints
// help and the version on the output stream it is given, maps every parse error to
// ExitStatus::BadCommandLine and runs the chosen command.

#include "cli/Command.h"
#include "cli/Options.h"
#include "uikit/PinnedFonts.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <exception>
#include <map>
#include <memory>
#include <ostream>

namespace zovo {

ExitStatus ToolContext::fail(ExitStatus status, const std::string& message) const
{
    err() << "zovorudovu " << command << ": " << repairUtf8(message) << '\n' << std::flush;
    return status;
}

void ToolContext::printJson(const Json& value) const { out() << toJsonText(value, jsonStyle) << '\n' << std::flush; }

const char* toolVersion() { return ZOVO_VERSION; }

const std::vector<CommandEntry>& commandTable()
{
    static const std::vector<CommandEntry> table = {
        {"demo", "the main job: film the built-in scenario into a page to open (out/demo)", defineDemo, true, true},
        {"run", "play a scenario; write its trace as JSON lines", defineRun, false, true},
        {"check", "compare each snapshot of scenarios with reference images; report and JUnit", defineCheck, true, true},
        {"preview", "the phone live in a window: the mouse is the finger, keys post and change settings", definePreview, false, false},
        {"prefs", "print the effective settings read from a settings file", definePrefs, true, false},
        {"devices", "print the built-in device profiles", defineDevices, true, false},
        {"notch", "print the notch width the component records for a device", defineNotch, true, false},
        {"banner", "lay out one banner and print its snapshot", defineBanner, true, false},
        {"gallery", "render one banner on every device, with an HTML contact sheet", defineGallery, true, true},
        {"soak", "an endurance run of random notifications and touches, checked after every step", defineSoak, true, true},
    };
    return table;
}

namespace {

constexpr const char* kName = "zovorudovu";

// The subcommand the parser reached, if any.
CLI::App* chosen(CLI::App& app)
{
    auto subs = app.get_subcommands();
    return subs.empty() ? nullptr : subs.front();
}

int badCommandLine(std::ostream& err, const std::string& who, const std::string& message)
{
    err << who << ": " << repairUtf8(message) << "\nRun '" << who << " --help' for usage.\n" << std::flush;
    return code(ExitStatus::BadCommandLine);
}

} // namespace

ParsedToolArguments parseToolArguments(const std::vector<std::string>& args, const ToolStreams& streams)
{
    std::ostream &out = streams.out, &err = streams.err;
    // Every way out before the command is known finishes the job, with this status.
    auto finished = [&](int status) { return ParsedToolArguments{status, {}, {streams}}; };

    CLI::App app{"Zovorudovu: a notch-style notification banner running in a simulated home screen.\n"
                 "Exit status: 0 done, 1 an input could not be used, 2 the command line is wrong.",
                 kName};
    app.set_version_flag("--version", std::string(kName) + " " + toolVersion());
    app.require_subcommand(1);
    app.footer("Run 'zovorudovu help COMMAND' or 'zovorudovu COMMAND --help' for a command's options.");

    struct Defined {
        const CommandEntry* entry;
        CommandRun run;
        std::shared_ptr<std::string> jsonStyle = std::make_shared<std::string>();
        std::shared_ptr<bool> quiet = std::make_shared<bool>(false);
    };
    std::map<CLI::App*, Defined> defined;
    for (const CommandEntry& entry : commandTable()) {
        CLI::App* sub = app.add_subcommand(entry.name, entry.summary);
        CommandLine line(*sub);
        Defined d{&entry, entry.define(line)};
        if (entry.printsJson)
            sub->add_option("--json-style", *d.jsonStyle, "pretty or compact (default: pretty on a terminal, compact otherwise)")
                ->check(CLI::IsMember({"pretty", "compact"}));
        if (entry.showsProgress) sub->add_flag("-q,--quiet", *d.quiet, "no progress lines on standard error");
        // Text that is not UTF-8 cannot be shown or written as JSON: refused here, naming the option.
        for (CLI::Option* option : sub->get_options()) option->check(utf8Text().validator());
        defined.emplace(sub, std::move(d));
    }
    CLI::App* help = app.add_subcommand("help", "print the help of the tool or of one command");
    std::string helpTopic;
    help->add_option("COMMAND", helpTopic, "the command to explain");

    // A first word that is neither an option nor a command is named plainly.
    if (!args.empty() && !args.front().empty() && args.front()[0] != '-' && args.front() != "help" &&
        std::none_of(commandTable().begin(), commandTable().end(), [&](const CommandEntry& e) { return args.front() == e.name; }))
        return finished(badCommandLine(err, kName, "unknown command '" + args.front() + "'"));

    std::vector<std::string> reversed(args.rbegin(), args.rend()); // CLI11 takes the arguments last first
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        CLI::App* sub = chosen(app);
        out << (sub ? sub->help(kName) : app.help());
        return finished(code(ExitStatus::Done));
    } catch (const CLI::CallForVersion& e) {
        out << e.what() << '\n';
        return finished(code(ExitStatus::Done));
    } catch (const CLI::ParseError& e) {
        CLI::App* sub = chosen(app);
        if (!sub && args.empty()) {
            err << app.help();
            return finished(code(ExitStatus::BadCommandLine));
        }
        return finished(badCommandLine(err, sub ? std::string(kName) + " " + sub->get_name() : std::string(kName), e.what()));
    }

    CLI::App* sub = chosen(app);
    if (sub == help) {
        if (helpTopic.empty()) {
            // The tool's help shows the chosen subcommand's once one is parsed: forget it first.
            app.clear();
            out << app.help();
            return finished(code(ExitStatus::Done));
        }
        for (auto& [command, d] : defined)
            if (command->get_name() == helpTopic) {
                out << command->help(kName);
                return finished(code(ExitStatus::Done));
            }
        return finished(badCommandLine(err, std::string(kName) + " help", "unknown command '" + helpTopic + "'"));
    }

    const Defined& d = defined.at(sub);
    ParsedToolArguments parsed{code(ExitStatus::Done), d.run, {streams}};
    parsed.tool.command = d.entry->name;
    const bool pretty = d.jsonStyle->empty() ? streams.outIsTerminal : *d.jsonStyle == "pretty";
    parsed.tool.jsonStyle = pretty ? JsonStyle::Pretty : JsonStyle::Compact;
    parsed.tool.quiet = *d.quiet;
    return parsed;
}

int runTool(const std::vector<std::string>& args, const ToolStreams& streams)
{
    const ParsedToolArguments parsed = parseToolArguments(args, streams);
    if (!parsed.run) return parsed.status;
    // Every command lays out text, or may: a missing font is named before any work starts.
    if (const ErrorOr<void>& fonts = checkPinnedFonts(); !fonts) return code(parsed.tool.fail(ExitStatus::InputUnusable, fonts.error()));
    try {
        return code(parsed.run(parsed.tool));
    } catch (const std::exception& e) {
        // A last resort for a broken program: every known bad input is refused before this.
        parsed.tool.fail(ExitStatus::InputUnusable, std::string("internal error: ") + e.what());
        return code(ExitStatus::InputUnusable);
    }
}

} // namespace zovo
