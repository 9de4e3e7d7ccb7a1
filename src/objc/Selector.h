// Selectors: method names interned once, compared by address.
//
//   objc::SEL s = objc::sel("initWithFrame:");
//   assert(s == objc::sel("initWithFrame:"));
//
// The selector table is shared by every simulated process: a selector is only a name, and names
// mean the same thing everywhere. Interning is thread-safe.
#pragma once

#include "objc/Forward.h"

#include <string>
#include <string_view>

namespace objc {

struct Selector {
    std::string name;
};

SEL sel_registerName(std::string_view name);
const char* sel_getName(SEL sel);
inline SEL sel(std::string_view name) { return sel_registerName(name); }

// Number of arguments a selector takes: one per colon.
int sel_argumentCount(SEL sel);

// Type encodings are interned the same way, so a method's encoding and a call's expected encoding
// compare by address.
const char* internEncoding(std::string_view encoding);

} // namespace objc
