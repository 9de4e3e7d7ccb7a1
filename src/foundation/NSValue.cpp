#include "foundation/NSValue.h"

#include <cstring>
#include <stdexcept>

NSValue::NSValue(const void* bytes, std::string type) : type_(std::move(type))
{
    std::size_t size = sizeOfType(type_);
    if (size == 0) throw std::invalid_argument("NSValue: cannot box a value of type code \"" + type_ + "\"");
    if (!bytes) throw std::invalid_argument("NSValue: no bytes given for a value of type code \"" + type_ + "\"");
    bytes_.resize(size);
    std::memcpy(bytes_.data(), bytes, size);
}

objc::StrongRef<NSValue> NSValue::valueWithBytes(const void* bytes, const char* type)
{
    return objc::make<NSValue>(bytes, std::string(type ? type : ""));
}

void NSValue::getValue(void* out, std::size_t size) const
{
    if (size != bytes_.size())
        throw std::invalid_argument("-[NSValue getValue:]: asked for " + std::to_string(size) + " bytes of a value of type code \"" + type_ +
                                    "\", which has " + std::to_string(bytes_.size()));
    if (size == 0) return;
    if (!out) throw std::invalid_argument("-[NSValue getValue:]: no buffer given for a value of type code \"" + type_ + "\"");
    std::memcpy(out, bytes_.data(), size);
}

std::size_t NSValue::sizeOfType(std::string_view type)
{
    // Type qualifiers (const and the distributed-object ones) do not change the size.
    while (!type.empty() && std::string_view("rnNoORV").find(type.front()) != std::string_view::npos) type.remove_prefix(1);
    if (type.empty()) return 0;
    // A pointer of any kind, and the object, class and selector codes, take one pointer.
    if (type.front() == '^') return type.size() > 1 ? sizeof(void*) : 0;
    if (type.size() != 1) return 0;
    switch (type.front()) {
    case 'c': case 'C': case 'B': return 1;
    case 's': case 'S': return 2;
    // 'l' and 'L' are 32 bits wide in the platform's encoding, whatever the C++ long is.
    case 'i': case 'I': case 'l': case 'L': case 'f': return 4;
    case 'q': case 'Q': case 'd': return 8;
    case '*': case '@': case '#': case ':': return sizeof(void*);
    default: return 0;
    }
}
