#include "foundation/NSString.h"

#include "foundation/NSArray.h"
#include "foundation/Unicode.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

namespace {

enum class Skip { Whitespace, WhitespaceAndNewlines };

std::size_t skipLeadingSpace(std::string_view text, Skip skip)
{
    std::size_t offset = 0;
    while (offset < text.size()) {
        std::size_t next = offset;
        char32_t c = zovo::utf8::decode(text, next);
        bool space = zovo::unicode::isWhitespace(c) || (skip == Skip::WhitespaceAndNewlines && zovo::unicode::isNewline(c));
        if (!space) break;
        offset = next;
    }
    return offset;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The longest prefix of `text` (after leading white space and newlines) in plain decimal
// notation: [+-] digits [. digits] [e [+-] digits], with at least one mantissa digit. An exponent
// marker without digits after it is not part of the number. Empty when there is no number.
std::string_view leadingDecimal(std::string_view text)
{
    text.remove_prefix(skipLeadingSpace(text, Skip::WhitespaceAndNewlines));
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t mantissaDigits = 0;
    while (i < text.size() && isDigit(text[i])) { ++i; ++mantissaDigits; }
    if (i < text.size() && text[i] == '.') {
        std::size_t afterPoint = i + 1;
        std::size_t fraction = 0;
        while (afterPoint + fraction < text.size() && isDigit(text[afterPoint + fraction])) ++fraction;
        if (mantissaDigits + fraction > 0) {
            i = afterPoint + fraction;
            mantissaDigits += fraction;
        }
    }
    if (mantissaDigits == 0) return {};
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
        std::size_t start = j;
        while (j < text.size() && isDigit(text[j])) ++j;
        if (j > start) i = j;
    }
    return text.substr(0, i);
}

// For a decimal that did not fit the type: whether its magnitude was too large (as opposed to
// too small). The decimal exponent of the first significant digit decides.
bool decimalOverflows(std::string_view number)
{
    std::size_t i = (number[0] == '+' || number[0] == '-') ? 1 : 0;
    long long position = 0; // exponent of the first significant digit, before the 'e' part
    bool seenPoint = false;
    bool found = false;
    long long integerDigits = 0;
    long long leadingFractionZeros = 0;
    for (; i < number.size() && number[i] != 'e' && number[i] != 'E'; ++i) {
        char c = number[i];
        if (c == '.') { seenPoint = true; continue; }
        if (!found && c == '0') {
            if (seenPoint) ++leadingFractionZeros;
            continue;
        }
        found = true;
        if (!seenPoint) ++integerDigits;
    }
    position = integerDigits > 0 ? integerDigits - 1 : -(leadingFractionZeros + 1);
    long long exponent = 0;
    if (i < number.size()) {
        ++i;
        bool negative = false;
        if (i < number.size() && (number[i] == '+' || number[i] == '-')) negative = number[i++] == '-';
        for (; i < number.size(); ++i) {
            if (exponent < 1'000'000'000) exponent = exponent * 10 + (number[i] - '0');
        }
        if (negative) exponent = -exponent;
    }
    return position + exponent > 0;
}

template <class T>
T parseLeadingDecimal(std::string_view text)
{
    std::string_view number = leadingDecimal(text);
    if (number.empty()) return T(0);
    bool negative = number[0] == '-';
    std::string_view unsigned_ = (number[0] == '+' || number[0] == '-') ? number.substr(1) : number;
    T value{};
    auto [end, error] = std::from_chars(unsigned_.data(), unsigned_.data() + unsigned_.size(), value, std::chars_format::general);
    (void)end;
    if (error == std::errc::result_out_of_range) value = decimalOverflows(number) ? std::numeric_limits<T>::infinity() : T(0);
    else if (error != std::errc()) value = T(0);
    return negative ? -value : value;
}

template <class T>
T parseLeadingInteger(std::string_view text)
{
    text.remove_prefix(skipLeadingSpace(text, Skip::WhitespaceAndNewlines));
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    // Accumulated as a negative number, whose range is the larger one, then clamped.
    constexpr T lowest = std::numeric_limits<T>::min();
    T value = 0;
    bool overflow = false;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        T digit = text[i] - '0';
        if (value < (lowest + digit) / 10) overflow = true;
        else value = value * 10 - digit;
    }
    if (overflow) return negative ? lowest : std::numeric_limits<T>::max();
    if (negative) return value;
    return value == lowest ? std::numeric_limits<T>::max() : -value;
}

} // namespace

objc::StrongRef<NSString> NSString::from(std::string_view utf8) { return objc::make<NSString>(std::string(utf8)); }

std::uint64_t NSString::length() const { return zovo::utf8::utf16Length(text_); }

bool NSString::isEqualToString(const NSString* other) const { return other && other->text_ == text_; }

bool NSString::containsString(const NSString* other) const
{
    return other && !other->text_.empty() && text_.find(other->text_) != std::string::npos;
}

objc::StrongRef<NSArray> NSString::componentsSeparatedByString(const NSString* separator) const
{
    std::vector<objc::StrongId> pieces;
    if (!separator || separator->text_.empty()) {
        pieces.emplace_back(from(text_));
        return NSArray::from(std::move(pieces));
    }
    const std::string& sep = separator->text_;
    std::size_t start = 0;
    while (true) {
        std::size_t found = text_.find(sep, start);
        if (found == std::string::npos) break;
        pieces.emplace_back(from(std::string_view(text_).substr(start, found - start)));
        start = found + sep.size();
    }
    pieces.emplace_back(from(std::string_view(text_).substr(start)));
    return NSArray::from(std::move(pieces));
}

bool NSString::boolValue() const
{
    std::string_view text = text_;
    std::size_t i = skipLeadingSpace(text, Skip::Whitespace);
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    while (i < text.size() && text[i] == '0') ++i;
    if (i >= text.size()) return false;
    char c = text[i];
    return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
}

float NSString::floatValue() const { return parseLeadingDecimal<float>(text_); }
double NSString::doubleValue() const { return parseLeadingDecimal<double>(text_); }
std::int32_t NSString::intValue() const { return parseLeadingInteger<std::int32_t>(text_); }
std::int64_t NSString::integerValue() const { return parseLeadingInteger<std::int64_t>(text_); }

std::string textOf(objc::id maybeString)
{
    if (auto* string = objc::cast<NSString>(maybeString)) return string->utf8();
    return {};
}
