#include "cli/Options.h"

#include <cmath>
#include <cstdlib>
#include <sstream>

namespace zovo {

ParsedOptions parseOptions(const Arguments& args, std::span<const OptionDefinition> definitions)
{
    ParsedOptions parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 2 || arg[0] != '-') {
            parsed.positional.push_back(arg);
            continue;
        }
        const OptionDefinition* option = nullptr;
        for (const auto& s : definitions)
            if (arg == s.name) option = &s;
        if (!option) {
            parsed.error = "unknown option " + arg;
            return parsed;
        }
        if (!option->valueName) {
            if (!parsed.values.emplace(arg, "yes").second) {
                parsed.error = arg + " is given more than once";
                return parsed;
            }
            continue;
        }
        if (i + 1 >= args.size()) {
            parsed.error = arg + " needs a value (" + option->valueName + ")";
            return parsed;
        }
        if (!parsed.values.emplace(arg, args[++i]).second) {
            parsed.error = arg + " is given more than once";
            return parsed;
        }
    }
    return parsed;
}

std::optional<bool> parseYesNo(const std::string& text)
{
    if (text == "yes" || text == "true" || text == "1") return true;
    if (text == "no" || text == "false" || text == "0") return false;
    return std::nullopt;
}

std::optional<double> parseNumber(const std::string& text)
{
    if (text.empty()) return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::string numberOption(const ParsedOptions& parsed, const std::string& name, double low, double high, double& value)
{
    if (!parsed.has(name)) return {};
    auto v = parseNumber(parsed.value(name));
    if (!v || *v <= low || *v > high) {
        std::ostringstream message;
        message << name << " must be a number above " << low << " and at most " << high << ", not " << parsed.value(name);
        return message.str();
    }
    value = *v;
    return {};
}

std::optional<std::pair<double, double>> parseSize(const std::string& text)
{
    const auto x = text.find('x');
    if (x == std::string::npos) return std::nullopt;
    auto w = parseNumber(text.substr(0, x));
    auto h = parseNumber(text.substr(x + 1));
    if (!w || !h || *w <= 0 || *h <= 0 || *w > 100000 || *h > 100000) return std::nullopt;
    return std::make_pair(*w, *h);
}

} // namespace zovo
