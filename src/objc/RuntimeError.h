// The object runtime's one error: a broken rule of the runtime, never bad input. An unrecognised
// selector, a signature that does not match a method's encoding, an unknown class: the message
// always names the class and the selector.
#pragma once

#include <stdexcept>

namespace objc {

class RuntimeError : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

} // namespace objc
