// Boxed numbers: a boolean, an integer or a real, remembering which.
//
//   NSNumber::numberWithBool(true)->floatValue()      // 1.0f
//   NSNumber::numberWithDouble(250)->boolValue()      // true (non-zero)
//
// The same value selectors (boolValue, floatValue, doubleValue, intValue, integerValue) are
// answered by strings too, so code that reads a settings value need not know which it got.
// As on the platform, a number is also a value: its type code is "c" for a boolean, "q" for an
// integer and "d" for a real, and `getValue:` copies those bytes.
#pragma once

#include "foundation/NSValue.h"

#include <cstdint>

class NSNumber : public NSValue {
public:
    static constexpr const char* kClassName = "NSNumber";

    enum class Kind { Bool, Integer, Real };

    // The integer 0; the runtime's alloc makes one. Numbers are made through the factories.
    NSNumber() : NSNumber(std::int64_t{0}) {}
    explicit NSNumber(bool value);
    explicit NSNumber(std::int64_t value);
    explicit NSNumber(double value);

    static objc::StrongRef<NSNumber> numberWithBool(bool value);
    static objc::StrongRef<NSNumber> numberWithInteger(std::int64_t value);
    static objc::StrongRef<NSNumber> numberWithDouble(double value);

    Kind kind() const { return kind_; }

    // Non-zero is true; a NaN real counts as non-zero.
    bool boolValue() const;
    // The nearest 32-bit float (infinity of the sign past its range).
    float floatValue() const;
    double doubleValue() const;
    // Reals are truncated toward zero and clamped to the type's range; NaN gives 0.
    std::int32_t intValue() const;
    std::int64_t integerValue() const;

    // Same numeric value, whatever the kinds (true equals 1).
    bool isEqualToNumber(const NSNumber* other) const;

private:
    Kind kind_;
    std::int64_t integer_ = 0; // Bool and Integer
    double real_ = 0;          // Real
};
