// The one JSON writer of the trace and the tool. Text that came from outside (settings keys, file
// names, notification titles) may hold invalid UTF-8; it is repaired on the way out, each byte that
// cannot start or continue a valid sequence becoming U+FFFD (a cut-short sequence as a whole), so
// everything written is valid JSON.
//
//   std::cout << zovo::toJsonText(summary, zovo::JsonStyle::Pretty) << '\n';
//   std::string field = zovo::jsonString(userTitle);
//
//   zovo::ErrorOr<zovo::Json> root = zovo::parseJsonText(text);
//   if (!root) report(root.error());
//
// Only the light forward declarations of the JSON library are included here.
#pragma once

#include "foundation/ErrorOr.h"

#include <nlohmann/json_fwd.hpp>

#include <cstddef>
#include <string>
#include <string_view>

namespace zovo {

// The JSON value of the project: objects keep their keys in the order they were written.
using Json = nlohmann::ordered_json;

enum class JsonStyle { Pretty, Compact };

// The value as JSON text: two-space indentation when pretty, no spaces when compact.
std::string toJsonText(const Json& value, JsonStyle style);
std::string toJsonText(const nlohmann::json& value, JsonStyle style);
// One value as compact JSON text, for callers that build records piece by piece (the trace): a
// string literal with invalid UTF-8 repaired, and a number (whole numbers without a fraction, null
// for one that is not finite).
std::string jsonString(std::string_view text);
std::string jsonNumber(double number);

// Whether `text` is well-formed UTF-8 (no overlong forms, surrogates or code points past U+10FFFF).
bool isValidUtf8(std::string_view text);
// `text` with every invalid byte replaced by U+FFFD, a well-begun sequence cut short counting as one;
// valid text comes back unchanged, and the result is what the writer makes of the same text.
std::string repairUtf8(std::string_view text);

// Limits on JSON read from outside. The depth is checked as the text is read, before any value is
// built, because building and copying a value is recursive and a hostile file nested a hundred
// thousand deep would otherwise overflow the stack.
struct JsonLimits {
    std::size_t maxBytes = std::size_t{4} << 20;
    std::size_t maxDepth = 64;
};

// Parses `text`. An error says where and why it failed: "line 3, column 14: nested deeper than
// 64 levels". Lines and columns count from 1; a column counts characters, not bytes. The reason
// is valid UTF-8 whatever the text held.
ErrorOr<Json> parseJsonText(std::string_view text, const JsonLimits& limits = {});

} // namespace zovo
