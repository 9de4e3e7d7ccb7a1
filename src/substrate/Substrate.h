// The method-hooking library: replace an instance method of a class and keep the previous body.
//
//   static void (*previousLayout)(objc::id, objc::SEL);
//   static void layout(objc::id self, objc::SEL cmd) { previousLayout(self, cmd); /* ... */ }
//   MSHookMessageEx(objc_getClass("UIView"), objc::sel("layoutSubviews"), layout, &previousLayout);
//
// After the call every message with that selector to instances of the class (and of subclasses
// that do not define it themselves) runs the new body. The slot receives the body such a message
// reached before, and is written before the new body is installed, so the new body can never run
// with an empty slot. When the class only inherits the method, the inherited body is the previous
// one and the new body is added to the class itself: the superclass is left untouched.
#pragma once

#include "objc/Encoding.h"
#include "objc/Runtime.h"

namespace zovo::substrate {
const objc::Method* methodToHook(objc::Class cls, objc::SEL sel, const char* bodyTypes);
void installHook(objc::Class cls, const objc::Method* method, objc::IMP body);
} // namespace zovo::substrate

// Fails loudly (objc::RuntimeError naming class and selector) when the class is nil, when no
// method by that name is reachable from it, or when the body's signature does not match the
// method's type encoding.
template <class R, class... A>
void MSHookMessageEx(objc::Class cls, objc::SEL sel, R (*body)(objc::id, objc::SEL, A...), R (**previous)(objc::id, objc::SEL, A...))
{
    const objc::Method* method = zovo::substrate::methodToHook(cls, sel, objc::encodingOf<R, A...>());
    if (previous) *previous = reinterpret_cast<R (*)(objc::id, objc::SEL, A...)>(method->imp);
    zovo::substrate::installHook(cls, method, reinterpret_cast<objc::IMP>(body));
}
