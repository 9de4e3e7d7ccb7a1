// Ordered, immutable lists of objects.
//
//   objc::StrongRef<NSArray> parts = NSString::from("FF8800:0.5")->componentsSeparatedByString(NSString::from(":"));
//   parts->count()                 // 2
//   textOf(parts->objectAtIndex(1))   // "0.5"
//
// Elements are never nil: the list holds a strong reference to each.
#pragma once

#include "objc/Object.h"

#include <cstdint>
#include <vector>

class NSArray : public objc::Object {
public:
    static constexpr const char* kClassName = "NSArray";

    // An empty list; the runtime's alloc makes one. Lists are made through `from`.
    NSArray() = default;
    explicit NSArray(std::vector<objc::StrongId> elements);

    // Fails loudly (std::invalid_argument) when an element is nil.
    static objc::StrongRef<NSArray> from(std::vector<objc::StrongId> elements);

    std::uint64_t count() const { return elements_.size(); }
    // Fails loudly (std::out_of_range, naming the index and the count) past the end.
    objc::StrongId objectAtIndex(std::uint64_t index) const;
    // Nil when the list is empty.
    objc::StrongId firstObject() const;
    objc::StrongId lastObject() const;

    const std::vector<objc::StrongId>& elements() const { return elements_; }

private:
    std::vector<objc::StrongId> elements_;
};
