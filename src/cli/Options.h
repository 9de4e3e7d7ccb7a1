// How a command declares its options, the checks on their values, and the reading of the files
// they name.
//
//   line.option("--fps", options->fps, "frames a second").check(aboveAtMost(0, 120)).showDefault();
//   line.flag("--frames", options->frames, "also write every frame");
//   ErrorOr<InputFile> settings = readInputFile(options->settings);   // "-" reads standard input
//   if (!settings) return tool.fail(ExitStatus::InputUnusable, settings.error());
//
// The command-line library is compiled in one place (Options.cpp, and Tool.cpp which parses):
// a command file includes only this header, which names none of the library's templates.
#pragma once

#include "foundation/ErrorOr.h"

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace CLI {
class App;
class Option;
class Validator;
} // namespace CLI

namespace zovo {

// A check on an option's value: a message saying what is wrong, or nothing when it will do.
class OptionCheck {
public:
    explicit OptionCheck(std::function<std::string(const std::string& value)> check, std::string description = {});
    const CLI::Validator& validator() const { return *validator_; }

private:
    friend OptionCheck numberRange(double low, double high);
    friend OptionCheck wholeNumberRange(long long low, long long high);
    friend OptionCheck oneOf(std::initializer_list<const char*> values);
    OptionCheck() = default;
    std::shared_ptr<const CLI::Validator> validator_;
};

// Refuses a value that is not well-formed UTF-8.
OptionCheck utf8Text();
// Accepts a finite number above `low` and at most `high`.
OptionCheck aboveAtMost(double low, double high);
// Accepts yes/no (also true/false, 1/0).
OptionCheck yesNoText();
// Accepts "WxH" with two positive finite numbers.
OptionCheck sizeText();
// Accepts a number from `low` to `high`; the whole-number form also refuses fractions.
OptionCheck numberRange(double low, double high);
OptionCheck wholeNumberRange(long long low, long long high);
// Accepts one of the values, exactly.
OptionCheck oneOf(std::initializer_list<const char*> values);

// One declared option, to refine as it is declared.
class CommandOption {
public:
    explicit CommandOption(CLI::Option* option) : option_(option) {}
    CommandOption& required();
    CommandOption& check(const OptionCheck& check);
    // The help shows the value the option starts with.
    CommandOption& showDefault();
    // The option works but the help does not list it.
    CommandOption& hidden();

private:
    CLI::Option* option_;
};

// A command's part of the command line: its options (named "--name", or positional "NAME") and
// the help's closing paragraph.
class CommandLine {
public:
    // The command's help leaves out the options declared hidden().
    explicit CommandLine(CLI::App& app);
    void footer(const std::string& text);
    // The value is written when the option is given. Declared for std::string, double, int,
    // std::size_t, std::vector<std::string> (every value given) and std::optional of std::string or
    // double; another type is one more line in
    // Options.cpp.
    template <class T> CommandOption option(const std::string& name, T& value, const std::string& help);
    CommandOption flag(const std::string& name, bool& value, const std::string& help);

private:
    CLI::App& app_;
};

// "yes"/"no" (also "true"/"false", "1"/"0"); nothing for anything else.
std::optional<bool> parseYesNo(const std::string& text);
// A finite number, the whole text; nothing otherwise.
std::optional<double> parseNumber(const std::string& text);
// "WxH" with two positive finite numbers.
std::optional<std::pair<double, double>> parseSize(const std::string& text);

// A file named on the command line, read whole; "-" stands for standard input. An error names
// the file and the problem.
struct InputFile {
    std::string name; // the path, or "standard input"
    std::string bytes;
};
inline constexpr std::size_t kMaxInputBytes = 16u << 20;
ErrorOr<InputFile> readInputFile(const std::string& path, std::size_t maxBytes = kMaxInputBytes);

// Writes `bytes` to `path`, making its folder; an error names the path.
ErrorOr<void> writeWholeFile(const std::string& path, const std::string& bytes);

} // namespace zovo
