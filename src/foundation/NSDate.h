// A point in time, as property lists carry dates: seconds since 2001-01-01 00:00 UTC.
//
//   objc::StrongRef<NSDate> date = NSDate::dateWithTimeIntervalSinceReferenceDate(800'000'000);
//   date->timeIntervalSinceReferenceDate();   // 8e8
//
// A date is not a number: it answers none of the value selectors (boolValue, floatValue ...), so
// code that reads a setting by those selectors finds that a date cannot answer.
#pragma once

#include "objc/Object.h"

class NSDate : public objc::Object {
public:
    static constexpr const char* kClassName = "NSDate";

    // The reference date itself; the runtime's alloc makes one.
    NSDate() = default;
    explicit NSDate(double seconds) : seconds_(seconds) {}

    static objc::StrongRef<NSDate> dateWithTimeIntervalSinceReferenceDate(double seconds);
    double timeIntervalSinceReferenceDate() const { return seconds_; }

private:
    double seconds_ = 0;
};
