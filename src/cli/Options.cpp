#include "cli/Options.h"

#include "foundation/Json.h"

#include <CLI/CLI.hpp>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <vector>

namespace zovo {

namespace {

// Options the help leaves out sit in this group. CLI11's own way to hide one, the empty group,
// also drops its name from every message about it ("zovorudovu gallery: : must be ..."); a
// named group that only the help skips keeps the name where it belongs.
constexpr const char* kHiddenGroup = "hidden";

class HelpWithoutHidden : public CLI::Formatter {
public:
    std::string make_group(std::string group, bool isPositional, std::vector<const CLI::Option*> options) const override
    {
        std::erase_if(options, [](const CLI::Option* option) { return option->get_group() == kHiddenGroup; });
        return options.empty() ? std::string() : CLI::Formatter::make_group(std::move(group), isPositional, std::move(options));
    }
};

} // namespace

OptionCheck::OptionCheck(std::function<std::string(const std::string& value)> check, std::string description)
    : validator_(std::make_shared<CLI::Validator>([check = std::move(check)](std::string& value) { return check(value); }, std::move(description)))
{
}

OptionCheck utf8Text()
{
    return OptionCheck([](const std::string& value) { return isValidUtf8(value) ? std::string() : std::string("the value is not valid UTF-8"); });
}

OptionCheck aboveAtMost(double low, double high)
{
    std::ostringstream description;
    description << "a number above " << low << " and at most " << high;
    const std::string wanted = description.str();
    return OptionCheck([=](const std::string& value) {
        auto n = parseNumber(value);
        return n && *n > low && *n <= high ? std::string() : "must be " + wanted + ", not " + value;
    });
}

OptionCheck yesNoText()
{
    return OptionCheck([](const std::string& value) { return parseYesNo(value) ? std::string() : "must be yes or no, not " + value; }, "yes|no");
}

OptionCheck sizeText()
{
    return OptionCheck(
        [](const std::string& value) { return parseSize(value) ? std::string() : "must be WIDTHxHEIGHT in points, such as 375x812, not " + value; },
        "WxH");
}

OptionCheck numberRange(double low, double high)
{
    OptionCheck check;
    check.validator_ = std::make_shared<CLI::Validator>(CLI::Range(low, high));
    return check;
}

OptionCheck wholeNumberRange(long long low, long long high)
{
    OptionCheck check;
    check.validator_ = std::make_shared<CLI::Validator>(CLI::Range(low, high));
    return check;
}

OptionCheck oneOf(std::initializer_list<const char*> values)
{
    OptionCheck check;
    check.validator_ = std::make_shared<CLI::Validator>(CLI::IsMember(std::vector<std::string>(values.begin(), values.end())));
    return check;
}

CommandOption& CommandOption::required()
{
    option_->required();
    return *this;
}

CommandOption& CommandOption::check(const OptionCheck& check)
{
    option_->check(check.validator());
    return *this;
}

CommandOption& CommandOption::showDefault()
{
    option_->capture_default_str();
    return *this;
}

CommandOption& CommandOption::hidden()
{
    option_->group(kHiddenGroup);
    return *this;
}

CommandLine::CommandLine(CLI::App& app) : app_(app) { app_.formatter(std::make_shared<HelpWithoutHidden>()); }

void CommandLine::footer(const std::string& text) { app_.footer(text); }

template <class T> CommandOption CommandLine::option(const std::string& name, T& value, const std::string& help)
{
    return CommandOption(app_.add_option(name, value, help));
}

template CommandOption CommandLine::option(const std::string&, std::string&, const std::string&);
template CommandOption CommandLine::option(const std::string&, std::optional<std::string>&, const std::string&);
template CommandOption CommandLine::option(const std::string&, double&, const std::string&);
template CommandOption CommandLine::option(const std::string&, std::optional<double>&, const std::string&);
template CommandOption CommandLine::option(const std::string&, int&, const std::string&);
template CommandOption CommandLine::option(const std::string&, std::size_t&, const std::string&);
template CommandOption CommandLine::option(const std::string&, std::vector<std::string>&, const std::string&);

CommandOption CommandLine::flag(const std::string& name, bool& value, const std::string& help) { return CommandOption(app_.add_flag(name, value, help)); }

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

std::optional<std::pair<double, double>> parseSize(const std::string& text)
{
    const auto x = text.find('x');
    if (x == std::string::npos) return std::nullopt;
    auto w = parseNumber(text.substr(0, x));
    auto h = parseNumber(text.substr(x + 1));
    if (!w || !h || *w <= 0 || *h <= 0 || *w > 100000 || *h > 100000) return std::nullopt;
    return std::make_pair(*w, *h);
}

ErrorOr<InputFile> readInputFile(const std::string& path, std::size_t maxBytes)
{
    InputFile file;
    file.name = path == "-" ? "standard input" : path;
    std::ifstream disk;
    std::istream* in = &std::cin;
    if (path != "-") {
        std::error_code ec;
        if (!std::filesystem::exists(path, ec)) return Error{path + ": no such file"};
        if (std::filesystem::is_directory(path, ec)) return Error{path + ": is a folder, not a file"};
        disk.open(path, std::ios::binary);
        if (!disk) return Error{path + ": cannot be read (" + std::strerror(errno) + ")"};
        in = &disk;
    }
    char buffer[65536];
    while (*in) {
        in->read(buffer, sizeof buffer);
        file.bytes.append(buffer, static_cast<std::size_t>(in->gcount()));
        if (file.bytes.size() > maxBytes) return Error{file.name + ": larger than " + std::to_string(maxBytes >> 20) + " MiB"};
    }
    if (in->bad()) return Error{file.name + ": cannot be read"};
    return file;
}

ErrorOr<void> writeWholeFile(const std::string& path, const std::string& bytes)
{
    std::error_code ec;
    const std::filesystem::path p(path);
    if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path(), ec);
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << bytes;
    out.close();
    if (!out) return Error{"cannot write " + path};
    return {};
}

} // namespace zovo
