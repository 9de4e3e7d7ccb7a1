// Immutable text objects, with the platform's parsing rules for the values read from settings.
//
//   objc::StrongRef<NSString> s = NSString::from("FF8800:0.5");
//   s->containsString(NSString::from(":"))     // true
//   NSString::from(" 12.5abc")->floatValue()    // 12.5f
//
// Text is held as UTF-8. Lengths and scan positions are counted the platform's way, in UTF-16 code
// units; a byte that is not part of valid UTF-8 counts as one unit (it stands for U+FFFD).
#pragma once

#include "objc/Object.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class NSArray;

class NSString : public objc::Object {
public:
    static constexpr const char* kClassName = "NSString";

    // Strings are made through `from` (or the runtime's alloc); the constructor is public only so
    // that the object factories can reach it.
    explicit NSString(std::string text = {}) : text_(std::move(text)) {}

    static objc::StrongRef<NSString> from(std::string_view utf8);

    const std::string& utf8() const { return text_; }
    // Length in UTF-16 code units, as the platform counts.
    std::uint64_t length() const;
    // Code-unit equality; nil is never equal.
    bool isEqualToString(const NSString* other) const;
    // False for nil and for the empty string, as the platform answers.
    bool containsString(const NSString* other) const;
    // Splits at every occurrence of the separator: "a::b" gives "a", "", "b" and "a:" gives "a",
    // "". An empty or nil separator gives the whole string as the only piece.
    objc::StrongRef<NSArray> componentsSeparatedByString(const NSString* separator) const;
    // Skips leading white space (not newlines), an optional sign and leading zeros; true on Y, y,
    // T, t or a digit 1-9. Anything after that character is ignored.
    bool boolValue() const;
    // The decimal number at the start (leading white space and newlines skipped), as the nearest
    // 32-bit float; 0 when the text does not start with a number. Only plain decimal notation is
    // read: "inf", "nan" and hexadecimal floats give 0. A number too large for the type gives
    // infinity of its sign, one too small gives 0.
    float floatValue() const;
    // As floatValue, in double precision.
    double doubleValue() const;
    // The decimal integer at the start, leading white space and newlines skipped; clamped to the
    // type's range on overflow, 0 when there is none.
    std::int32_t intValue() const;
    std::int64_t integerValue() const;

private:
    std::string text_;
};

// Convenience for the many places that only want the text of a possibly-null string object.
// Anything that is not a string gives the empty text.
std::string textOf(objc::id maybeString);
