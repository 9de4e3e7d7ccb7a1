#include "foundation/NSArray.h"

#include <stdexcept>
#include <string>

NSArray::NSArray(std::vector<objc::StrongId> elements) : elements_(std::move(elements))
{
    for (std::size_t i = 0; i < elements_.size(); ++i)
        if (!elements_[i]) throw std::invalid_argument("NSArray: element " + std::to_string(i) + " is nil; lists cannot hold nil");
}

objc::StrongRef<NSArray> NSArray::from(std::vector<objc::StrongId> elements) { return objc::make<NSArray>(std::move(elements)); }

objc::StrongId NSArray::objectAtIndex(std::uint64_t index) const
{
    if (index >= elements_.size())
        throw std::out_of_range("-[NSArray objectAtIndex:]: index " + std::to_string(index) + " beyond bounds of an array of count " +
                                std::to_string(elements_.size()));
    return elements_[index];
}

objc::StrongId NSArray::firstObject() const { return elements_.empty() ? objc::StrongId() : elements_.front(); }
objc::StrongId NSArray::lastObject() const { return elements_.empty() ? objc::StrongId() : elements_.back(); }
