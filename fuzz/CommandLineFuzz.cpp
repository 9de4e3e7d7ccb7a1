// Feeds arbitrary command lines to the tool's parser. The first byte picks a command (or none) and
// the rest is split into arguments at NUL bytes. Whatever the words, the parse must end in an exit
// status of the one table (0, 1 or 2), print only valid UTF-8, explain every refusal on standard
// error and print nothing on standard output unless it finished the job (help, the version). Of the commands only `devices` is run, as it is pure and quick: its output
// must be JSON. The others would write files or start a simulated process (which makes its root
// folder on disk), so they are parsed only.
//
//   cmake --preset fuzz && cmake --build --preset fuzz --target fuzz_command_line
//   build-fuzz/bin/fuzz_command_line -dict=fuzz/command_line.dict corpus/ fuzz/corpus/command_line/
#include "cli/Command.h"
#include "foundation/Json.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

void check(bool condition, const char* what, const std::vector<std::string>& args)
{
    if (condition) return;
    std::fprintf(stderr, "fuzz_command_line: %s; arguments:", what);
    for (const std::string& a : args) std::fprintf(stderr, " [%s]", a.c_str());
    std::fprintf(stderr, "\n");
    std::abort();
}

void parseAndCheck(const std::vector<std::string>& args)
{
    std::ostringstream outStream, errStream;
    zovo::ParsedToolArguments parsed = zovo::parseToolArguments(args, {outStream, errStream});
    const bool printedAtParse = !outStream.str().empty();
    // Running is left to the one command that neither writes files nor starts a process.
    if (parsed.run && parsed.tool.command == "devices") parsed.status = zovo::code(parsed.run(parsed.tool));
    const std::string out = outStream.str(), err = errStream.str();
    if (parsed.run) {
        check(!printedAtParse, "a parse that chose a command printed on standard output", args);
        check(parsed.tool.command == args.front(), "the command chosen is not the one named first", args);
    }
    check(parsed.status >= 0 && parsed.status <= 2, "an exit status outside the table", args);
    check(zovo::isValidUtf8(out), "standard output is not valid UTF-8", args);
    check(zovo::isValidUtf8(err), "standard error is not valid UTF-8", args);
    if (parsed.status != 0) {
        check(out.empty(), "a refusal printed on standard output", args);
        check(!err.empty(), "a refusal without a message", args);
    } else if (parsed.run && parsed.tool.command == "devices") {
        check(nlohmann::json::accept(out), "devices printed something that is not JSON", args);
    } else if (!parsed.run) {
        check(!out.empty(), "help or the version printed nothing", args);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The first byte chooses the command put before the arguments, or none, which leaves the
    // tool's own words (help, --version, a word that is no command) to the input. One parse an
    // input keeps the fuzzer quick; an argument found for one command is soon tried on the others.
    if (size == 0) {
        parseAndCheck({});
        return 0;
    }
    const auto& commands = zovo::commandTable();
    const std::size_t choice = data[0] % (commands.size() + 1);
    std::vector<std::string> args;
    if (choice < commands.size()) args.emplace_back(commands[choice].name);
    std::string word;
    for (std::size_t i = 1; i < size; ++i) {
        if (data[i] == 0) {
            args.push_back(word);
            word.clear();
        } else {
            word.push_back(static_cast<char>(data[i]));
        }
    }
    if (size > 1) args.push_back(word);
    parseAndCheck(args);
    return 0;
}
