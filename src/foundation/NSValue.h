// Boxed plain values: the bytes of a value together with its type code.
//
//   double height = 120;
//   objc::StrongRef<NSValue> boxed = NSValue::valueWithBytes(&height, "d");
//   double out = 0;
//   boxed->getValue(&out, sizeof out);     // out == 120
//
// Through the runtime the same is `valueWithBytes:objCType:` (the bytes passed as a
// `const void*`) and `getValue:`. Only single scalar and pointer type codes are understood; a
// code this platform cannot size fails loudly rather than guessing.
#pragma once

#include "objc/Object.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class NSValue : public objc::Object {
public:
    static constexpr const char* kClassName = "NSValue";

    // An empty value of type "v" holding no bytes; the runtime's alloc makes one.
    NSValue() = default;
    NSValue(const void* bytes, std::string type);

    // Copies the value's bytes. Fails loudly (std::invalid_argument) for null bytes or a type
    // code that cannot be sized.
    static objc::StrongRef<NSValue> valueWithBytes(const void* bytes, const char* type);

    // Copies the bytes into `out`. `size` must be the value's own size: a mismatch would read or
    // write past one of the two buffers, so it fails loudly (std::invalid_argument) instead.
    void getValue(void* out, std::size_t size) const;

    const char* objCType() const { return type_.c_str(); }
    std::size_t size() const { return bytes_.size(); }

    // Bytes taken by a value of a single scalar or pointer type code; 0 for any other code.
    static std::size_t sizeOfType(std::string_view type);

private:
    std::string type_ = "v";
    std::vector<unsigned char> bytes_;
};
