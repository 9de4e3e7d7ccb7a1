// Checks and conversions shared by the commands' options, and the reading of the files they name.
//
//   app.add_option("--fps", options->fps, "frames a second")->check(aboveAtMost(0, 120));
//   ErrorOr<InputFile> settings = readInputFile(options->settings);   // "-" reads standard input
//   if (!settings) return tool.fail(ExitStatus::InputUnusable, settings.error());
#pragma once

#include "foundation/ErrorOr.h"

#include <CLI/CLI.hpp>

#include <cstddef>
#include <optional>
#include <string>
#include <utility>

namespace zovo {

// Refuses a value that is not well-formed UTF-8.
CLI::Validator utf8Text();
// Accepts a finite number above `low` and at most `high`.
CLI::Validator aboveAtMost(double low, double high);
// Accepts yes/no (also true/false, 1/0).
CLI::Validator yesNoText();
// Accepts "WxH" with two positive finite numbers.
CLI::Validator sizeText();

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
