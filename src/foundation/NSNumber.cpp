#include "foundation/NSNumber.h"

#include <cmath>
#include <limits>

namespace {

// Truncates toward zero into T's range without the undefined behaviour of an out-of-range cast.
template <class T>
T clampToInteger(double value)
{
    if (std::isnan(value)) return 0;
    // Both bounds are powers of two (or one less), so the comparisons are exact in a double.
    constexpr double upper = static_cast<double>(std::numeric_limits<T>::max()) + 1.0;
    constexpr double lower = static_cast<double>(std::numeric_limits<T>::min());
    if (value >= upper) return std::numeric_limits<T>::max();
    if (value <= lower) return std::numeric_limits<T>::min();
    return static_cast<T>(value);
}

template <class T>
T clampToInteger(std::int64_t value)
{
    if (value > std::numeric_limits<T>::max()) return std::numeric_limits<T>::max();
    if (value < std::numeric_limits<T>::min()) return std::numeric_limits<T>::min();
    return static_cast<T>(value);
}

// The nearest float, infinity of the sign past float's range. The language leaves a conversion of
// a double beyond the largest float undefined, so that case is answered here rather than by the cast.
float nearestFloat(double value)
{
    constexpr double largest = std::numeric_limits<float>::max();
    // Doubles short of half a float step (2^104 there) past the largest float round down to it;
    // from the midpoint on they round to infinity, as the tie goes to the even neighbour.
    constexpr double midpoint = largest + 0x1p103;
    if (value >= midpoint) return std::numeric_limits<float>::infinity();
    if (value <= -midpoint) return -std::numeric_limits<float>::infinity();
    if (value > largest) return std::numeric_limits<float>::max();
    if (value < -largest) return -std::numeric_limits<float>::max();
    return static_cast<float>(value);
}

const char boolFalse = 0;
const char boolTrue = 1;

} // namespace

NSNumber::NSNumber(bool value) : NSValue(value ? &boolTrue : &boolFalse, "c"), kind_(Kind::Bool), integer_(value ? 1 : 0) {}
NSNumber::NSNumber(std::int64_t value) : NSValue(&value, "q"), kind_(Kind::Integer), integer_(value) {}
NSNumber::NSNumber(double value) : NSValue(&value, "d"), kind_(Kind::Real), real_(value) {}

objc::StrongRef<NSNumber> NSNumber::numberWithBool(bool value) { return objc::make<NSNumber>(value); }
objc::StrongRef<NSNumber> NSNumber::numberWithInteger(std::int64_t value) { return objc::make<NSNumber>(value); }
objc::StrongRef<NSNumber> NSNumber::numberWithDouble(double value) { return objc::make<NSNumber>(value); }

bool NSNumber::boolValue() const { return kind_ == Kind::Real ? real_ != 0.0 : integer_ != 0; }
float NSNumber::floatValue() const { return kind_ == Kind::Real ? nearestFloat(real_) : static_cast<float>(integer_); }
double NSNumber::doubleValue() const { return kind_ == Kind::Real ? real_ : static_cast<double>(integer_); }
std::int32_t NSNumber::intValue() const { return kind_ == Kind::Real ? clampToInteger<std::int32_t>(real_) : clampToInteger<std::int32_t>(integer_); }
std::int64_t NSNumber::integerValue() const { return kind_ == Kind::Real ? clampToInteger<std::int64_t>(real_) : integer_; }

bool NSNumber::isEqualToNumber(const NSNumber* other) const
{
    if (!other) return false;
    if (kind_ != Kind::Real && other->kind_ != Kind::Real) return integer_ == other->integer_;
    // Comparing as doubles would call 2^53 + 1 equal to 2^53; an integer only equals a real that
    // converts back to exactly that integer.
    if (kind_ == Kind::Real && other->kind_ == Kind::Real) return real_ == other->real_;
    double real = kind_ == Kind::Real ? real_ : other->real_;
    std::int64_t integer = kind_ == Kind::Real ? other->integer_ : integer_;
    constexpr double limit = 9223372036854775808.0; // 2^63
    return real >= -limit && real < limit && std::trunc(real) == real && static_cast<std::int64_t>(real) == integer;
}
