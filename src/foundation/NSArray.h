// Ordered, immutable lists of objects.
//
//   objc::Ref<NSArray> parts = NSString::from("FF8800:0.5")->componentsSeparatedByString(NSString::from(":"));
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
    explicit NSArray(std::vector<objc::Id> elements);

    // Fails loudly (std::invalid_argument) when an element is nil.
    static objc::Ref<NSArray> from(std::vector<objc::Id> elements);

    std::uint64_t count() const { return elements_.size(); }
    // Fails loudly (std::out_of_range, naming the index and the count) past the end.
    objc::Id objectAtIndex(std::uint64_t index) const;
    // Nil when the list is empty.
    objc::Id firstObject() const;
    objc::Id lastObject() const;

    const std::vector<objc::Id>& elements() const { return elements_; }

private:
    std::vector<objc::Id> elements_;
};
