#include "foundation/Json.h"

#include <nlohmann/json.hpp>

namespace zovo {
namespace {

// The length of the valid UTF-8 sequence at the start of `text`, or 0 when its first byte does not
// start one.
std::size_t validSequenceLength(std::string_view text)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return 1;
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
        return 0;
    }
    if (text.size() < length) return 0;
    if (byte(1) < low || byte(1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
    return length;
}

template <typename Json>
std::string dump(const Json& value, JsonStyle style)
{
    return value.dump(style == JsonStyle::Pretty ? 2 : -1, ' ', false, nlohmann::json::error_handler_t::replace);
}

} // namespace

std::string toJsonText(const nlohmann::ordered_json& value, JsonStyle style) { return dump(value, style); }
std::string toJsonText(const nlohmann::json& value, JsonStyle style) { return dump(value, style); }

bool isValidUtf8(std::string_view text)
{
    while (!text.empty()) {
        const std::size_t n = validSequenceLength(text);
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
        const std::size_t n = validSequenceLength(text);
        if (n == 0) {
            out += "\xEF\xBF\xBD";
            text.remove_prefix(1);
        } else {
            out.append(text.substr(0, n));
            text.remove_prefix(n);
        }
    }
    return out;
}

} // namespace zovo
