#include "foundation/Unicode.h"

namespace zovo::utf8 {

char32_t decode(std::string_view text, std::size_t& offset)
{
    constexpr char32_t kReplacement = 0xFFFD;
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(offset);
    if (lead < 0x80) {
        ++offset;
        return lead;
    }
    std::size_t extra = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) { extra = 1; value = lead & 0x1F; minimum = 0x80; }
    else if ((lead & 0xF0) == 0xE0) { extra = 2; value = lead & 0x0F; minimum = 0x800; }
    else if ((lead & 0xF8) == 0xF0) { extra = 3; value = lead & 0x07; minimum = 0x10000; }
    else { ++offset; return kReplacement; }
    if (text.size() - offset <= extra) { ++offset; return kReplacement; }
    for (std::size_t i = 1; i <= extra; ++i) {
        unsigned char next = byte(offset + i);
        if ((next & 0xC0) != 0x80) { ++offset; return kReplacement; }
        value = (value << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and values past the last plane are not characters.
    if (value < minimum || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF) { ++offset; return kReplacement; }
    offset += extra + 1;
    return value;
}

std::uint64_t utf16Length(std::string_view text)
{
    std::uint64_t units = 0;
    for (std::size_t offset = 0; offset < text.size();) units += utf16Units(decode(text, offset));
    return units;
}

} // namespace zovo::utf8

namespace zovo::unicode {

bool isWhitespace(char32_t c)
{
    return c == U'\t' || c == U' ' || c == 0x00A0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x202F || c == 0x205F || c == 0x3000;
}

bool isNewline(char32_t c) { return (c >= 0x000A && c <= 0x000D) || c == 0x0085 || c == 0x2028 || c == 0x2029; }

} // namespace zovo::unicode
