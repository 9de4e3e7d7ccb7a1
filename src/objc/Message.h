// Message sending: calls a method by selector on whatever class the receiver has, so a replaced
// or added method is what runs.
//
//   objc::send(view, "layoutSubviews");                           // returns void
//   objc::Id title = objc::send<objc::Id>(header, "title");       // '@' results come back strong
//   bool b = objc::send<bool>(obj, "respondsToSelector:", objc::sel("delegate"));
//
// The call's C++ signature (R, and the canonical types of the arguments) must match the method's
// encoding; otherwise RuntimeError names the class, the selector and both encodings. A message
// to nil does nothing and returns zero. An unrecognised selector throws RuntimeError.
#pragma once

#include "objc/Class.h"
#include "objc/Encoding.h"
#include "objc/Runtime.h"
#include "objc/Selector.h"

#include <string_view>

namespace objc {

// A selector given either as a handle or as its name.
struct SelectorName {
    SelectorName(SEL s) : sel(s) {}
    SelectorName(const char* name) : sel(sel_registerName(name)) {}
    SelectorName(std::string_view name) : sel(sel_registerName(name)) {}
    SEL sel;
};

inline id receiverOf(id object) { return object; }
template <class T, class = std::enable_if_t<std::is_base_of_v<Object, T>>>
id receiverOf(T* object) { return object; }
template <class T>
id receiverOf(const Ref<T>& object) { return object.get(); }
template <class T>
id receiverOf(const WeakRef<T>& object) { return object.get(); }

namespace detail {
const Method* lookupForSend(id receiver, Class startClass, SEL sel);
}

// Sends from `startClass`'s method table upwards (a super call when startClass is the caller's
// superclass).
template <class R, class... A>
R sendFrom(id self, Class startClass, SEL sel, A&&... args)
{
    static_assert(!std::is_reference_v<R>, "results are returned by value");
    if (!self) return R();
    const char* expected = encodingOf<R, Canonical<A>...>();
    const Method* method = detail::lookupForSend(self, startClass, sel);
    if (method->types != expected) throwSignatureMismatch(startClass, sel, method->types, expected, startClass->isMetaclass());
    auto body = reinterpret_cast<R (*)(id, SEL, Canonical<A>...)>(method->imp);
    return body(self, sel, toCanonical(std::forward<A>(args))...);
}

template <class R = void, class Receiver, class... A>
R send(const Receiver& receiver, SelectorName selector, A&&... args)
{
    id self = receiverOf(receiver);
    if (!self) return R();
    return sendFrom<R>(self, self->isa, selector.sel, std::forward<A>(args)...);
}

// [super message]: starts the search at the superclass of the class that defines the caller.
template <class R = void, class... A>
R sendSuper(id self, Class definingClass, SelectorName selector, A&&... args)
{
    if (!self) return R();
    Class start = definingClass->superclass();
    if (!start) throwUnrecognizedSelector(self, selector.sel);
    return sendFrom<R>(self, start, selector.sel, std::forward<A>(args)...);
}

// Whether the receiver's class (or a superclass) has a method for the selector. Nil answers no.
bool respondsTo(id object, SEL sel);
template <class T>
bool respondsTo(const Ref<T>& object, SEL sel) { return respondsTo(object.get(), sel); }

// Whether the object is an instance of `cls` or of one of its subclasses. Nil answers no.
bool isKindOf(id object, Class cls);

} // namespace objc
