// Declarative option parsing for the tool's commands.
//
//   constexpr OptionDefinition kOptions[] = {{"--model", "ID"}, {"--faceid", "yes|no"}};
//   ParsedOptions parsed = parseOptions(args, kOptions);
//   if (!parsed.error.empty()) return usageError(parsed.error);
//   std::string model = parsed.value("--model");
#pragma once

#include "cli/Command.h"

#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zovo {

struct OptionDefinition {
    const char* name;      // "--model"
    const char* valueName; // "ID"; null for a flag, which takes no value
};

struct ParsedOptions {
    std::map<std::string, std::string> values;
    std::vector<std::string> positional;
    std::string error; // empty when the arguments parsed

    bool has(const std::string& name) const { return values.count(name) != 0; }
    std::string value(const std::string& name) const
    {
        auto it = values.find(name);
        return it == values.end() ? std::string() : it->second;
    }
};

// Unknown options, a missing value and an option given twice are errors, named in `error`.
ParsedOptions parseOptions(const Arguments& args, std::span<const OptionDefinition> definitions);

// "yes"/"no" (also "true"/"false", "1"/"0"); nothing for anything else.
std::optional<bool> parseYesNo(const std::string& text);
// A finite number, the whole text; nothing otherwise.
std::optional<double> parseNumber(const std::string& text);
// Reads option `name`, when given, into `value` as a number above `low` and at most `high`.
// Returns empty, or the message for a value that is not such a number.
std::string numberOption(const ParsedOptions& parsed, const std::string& name, double low, double high, double& value);
// "WxH" with two positive finite numbers.
std::optional<std::pair<double, double>> parseSize(const std::string& text);

} // namespace zovo
