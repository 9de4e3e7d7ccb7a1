// The text primitives the string classes share: decoding UTF-8 one code point at a time, and the
// platform's white space and newline classes. A leaf: it knows nothing of objects.
//
//   for (std::size_t at = 0; at < text.size();)
//       if (zovo::unicode::isWhitespace(zovo::utf8::decode(text, at))) ++spaces;
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zovo::utf8 {

// The code point starting at `offset`, advancing `offset` past it. A malformed or truncated
// sequence yields U+FFFD and advances by one byte, so every byte is consumed exactly once.
// Precondition: offset < text.size().
char32_t decode(std::string_view text, std::size_t& offset);

// UTF-16 code units taken by a decoded code point.
inline std::uint64_t utf16Units(char32_t c) { return c >= 0x10000 ? 2 : 1; }

// UTF-16 code units taken by `text`.
std::uint64_t utf16Length(std::string_view text);

} // namespace zovo::utf8

namespace zovo::unicode {

// Tab and the space separators (general category Zs), as the platform's white space set.
bool isWhitespace(char32_t c);
// U+000A to U+000D, U+0085, U+2028 and U+2029, as the platform's newline set.
bool isNewline(char32_t c);

} // namespace zovo::unicode
