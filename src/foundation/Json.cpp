#include "foundation/Json.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace zovo {
namespace {

// How the UTF-8 sequence at the start of `text` reads: `valid` is its length when it is whole and
// well-formed, else 0; `prefix` is how many of its bytes could begin a well-formed sequence (at
// least 1). A repair replaces that maximal prefix with one U+FFFD, which is the practice Unicode
// recommends and the one the JSON library's writer follows, so that both repair alike.
struct SequenceRead {
    std::size_t valid = 0;
    std::size_t prefix = 1;
};

SequenceRead readSequence(std::string_view text)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return {1, 1};
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF; // the allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;  // overlong
        if (lead == 0xED) high = 0x9F; // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;  // overlong
        if (lead == 0xF4) high = 0x8F; // past U+10FFFF
    } else {
        return {0, 1};
    }
    std::size_t read = 1;
    while (read < length && read < text.size()) {
        const unsigned char next = byte(read);
        const bool fits = read == 1 ? next >= low && next <= high : next >= 0x80 && next <= 0xBF;
        if (!fits) break;
        ++read;
    }
    return {read == length ? length : 0, read};
}

// "line 3, column 14" for the byte at `index`; the column counts characters (UTF-8 lead bytes).
std::string lineAndColumn(std::string_view text, std::size_t index)
{
    index = std::min(index, text.size());
    std::size_t line = 1, column = 1;
    for (std::size_t i = 0; i < index; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\n') {
            ++line;
            column = 1;
        } else if ((c & 0xC0) != 0x80) {
            ++column;
        }
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

// The index of the first bracket that opens a level past `maxDepth`, or npos. A lexical pass that
// only tracks strings and brackets: it builds nothing, so it cannot recurse, and a text it passes
// cannot drive the parser deeper than the limit. Unbalanced brackets are left to the parser.
std::size_t firstTooDeep(std::string_view text, std::size_t maxDepth)
{
    std::size_t depth = 0;
    bool inString = false, escaped = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (escaped) escaped = false;
            else if (c == '\\') escaped = true;
            else if (c == '"') inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            if (++depth > maxDepth) return i;
        } else if ((c == '}' || c == ']') && depth > 0) {
            --depth;
        }
    }
    return std::string_view::npos;
}

// The reason in one of the JSON library's messages, without its prefix and position, which this
// reader states itself: "[json.exception.parse_error.101] parse error at line 1, column 2: syntax
// error while parsing value - invalid literal" becomes "syntax error while parsing value - invalid
// literal". The library quotes the bytes it read last, so the reason is repaired to valid UTF-8.
std::string reasonOf(std::string_view message)
{
    if (auto bracket = message.find("] "); bracket != std::string_view::npos) message.remove_prefix(bracket + 2);
    if (message.starts_with("parse error at line "))
        if (auto colon = message.find(": "); colon != std::string_view::npos) message.remove_prefix(colon + 2);
    return repairUtf8(message);
}

// Builds the value as the library's own reader does, and keeps where and why a parse stopped
// instead of throwing, since a bad input file is an ordinary outcome here.
class CapturingSax : public nlohmann::json_sax<Json> {
public:
    explicit CapturingSax(Json& out) : dom_(out, false) {}

    bool null() override { return dom_.null(); }
    bool boolean(bool v) override { return dom_.boolean(v); }
    bool number_integer(number_integer_t v) override { return dom_.number_integer(v); }
    bool number_unsigned(number_unsigned_t v) override { return dom_.number_unsigned(v); }
    bool number_float(number_float_t v, const string_t& s) override { return dom_.number_float(v, s); }
    bool string(string_t& v) override { return dom_.string(v); }
    bool binary(binary_t& v) override { return dom_.binary(v); }
    bool start_object(std::size_t n) override { return dom_.start_object(n); }
    bool key(string_t& v) override { return dom_.key(v); }
    bool end_object() override { return dom_.end_object(); }
    bool start_array(std::size_t n) override { return dom_.start_array(n); }
    bool end_array() override { return dom_.end_array(); }
    bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception& error) override
    {
        failedAt = position;
        reason = reasonOf(error.what());
        return false;
    }

    std::size_t failedAt = 0; // bytes read when the parse stopped
    std::string reason;       // empty while the parse goes well

private:
    nlohmann::detail::json_sax_dom_parser<Json> dom_;
};

template <typename Json>
std::string dump(const Json& value, JsonStyle style)
{
    return value.dump(style == JsonStyle::Pretty ? 2 : -1, ' ', false, nlohmann::json::error_handler_t::replace);
}

} // namespace

std::string toJsonText(const Json& value, JsonStyle style) { return dump(value, style); }
std::string toJsonText(const nlohmann::json& value, JsonStyle style) { return dump(value, style); }

bool isValidUtf8(std::string_view text)
{
    while (!text.empty()) {
        const std::size_t n = readSequence(text).valid;
        if (n == 0) return false;
        text.remove_prefix(n);
    }
    return true;
}

std::string repairUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const SequenceRead read = readSequence(text);
        if (read.valid == 0) {
            out += "\xEF\xBF\xBD";
            text.remove_prefix(read.prefix);
        } else {
            out.append(text.substr(0, read.valid));
            text.remove_prefix(read.valid);
        }
    }
    return out;
}

ErrorOr<Json> parseJsonText(std::string_view text, const JsonLimits& limits)
{
    if (text.size() > limits.maxBytes)
        return Error{lineAndColumn(text, limits.maxBytes) + ": the text goes on past the limit of " + std::to_string(limits.maxBytes) + " bytes"};
    if (std::size_t deep = firstTooDeep(text, limits.maxDepth); deep != std::string_view::npos)
        return Error{lineAndColumn(text, deep) + ": nested deeper than the limit of " + std::to_string(limits.maxDepth) + " levels"};
    // The library's reader takes a NUL byte for the end of the input and would accept whatever
    // came before it; JSON text holds no NUL anywhere (inside a string it must be escaped).
    if (std::size_t nul = text.find('\0'); nul != std::string_view::npos)
        return Error{lineAndColumn(text, nul) + ": a NUL byte, which JSON text cannot hold"};
    Json parsed;
    CapturingSax sax(parsed);
    const bool ok = Json::sax_parse(text.begin(), text.end(), &sax);
    if (!ok || !sax.reason.empty()) {
        // The library counts the byte it stopped on as read; point at that byte.
        const std::size_t at = sax.failedAt > 0 ? sax.failedAt - 1 : 0;
        return Error{lineAndColumn(text, at) + ": " + (sax.reason.empty() ? std::string("not valid JSON") : sax.reason)};
    }
    return parsed;
}

std::string jsonString(std::string_view text) { return toJsonText(nlohmann::json(std::string(text)), JsonStyle::Compact); }

std::string jsonNumber(double number)
{
    if (!std::isfinite(number)) return "null";
    // Whole numbers read as integers ("3", not "3.0"), which is how a person writes them; the
    // writer gives the shortest text that reads back the same double for the rest.
    if (number == std::floor(number) && std::fabs(number) < 1e15)
        return toJsonText(nlohmann::json(static_cast<std::int64_t>(number)), JsonStyle::Compact);
    return toJsonText(nlohmann::json(number), JsonStyle::Compact);
}

} // namespace zovo
