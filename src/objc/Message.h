// Message sending: calls a method by selector on whatever class the receiver has, so a replaced
// or added method is what runs.
//
//   objc::send(view, "layoutSubviews");                           // returns void
//   objc::StrongId title = objc::send<objc::StrongId>(header, "title");       // '@' results come back strong
//   bool b = objc::send<bool>(obj, "respondsToSelector:", objc::sel("delegate"));
//
// The call's C++ signature (R, and the canonical types of the arguments) must match the method's
// encoding; otherwise RuntimeError names the class, the selector and both encodings. A message
// to nil does nothing and returns zero. An unrecognised selector throws RuntimeError.
#pragma once

#include "objc/Class.h"
#include "objc/Encoding.h"
#include "objc/RuntimeError.h"
#include "objc/Selector.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace objc {

// Stops a call whose C++ signature does not match the method: names the method as -[Class selector]
// (+ for a class method) with the method's encoding and the caller's.
[[noreturn]] void throwSignatureMismatch(Class cls, SEL sel, const char* methodTypes, const char* callerTypes);
[[noreturn]] void throwUnrecognizedSelector(id receiver, SEL sel);
std::string describeMethod(Class cls, SEL sel);

namespace detail {
SEL selectorForLiteralSlow(const char* literal);

// Selectors of string literals, by the literal's address: a literal's address and text never
// change, so one resolution serves every later send from the same literal. Slots are claimed
// once and never rewritten; the table is shared by every thread and read without a lock.
struct LiteralSelectorSlot {
    std::atomic<const char*> literal{nullptr};
    std::atomic<SEL> sel{nullptr};
};
inline constexpr unsigned kLiteralSelectorBits = 12;
extern LiteralSelectorSlot literalSelectors[std::size_t{1} << kLiteralSelectorBits];

inline SEL selectorForLiteral(const char* literal)
{
    constexpr std::size_t mask = (std::size_t{1} << kLiteralSelectorBits) - 1;
    std::size_t i = static_cast<std::size_t>((reinterpret_cast<std::uintptr_t>(literal) * 0x9E3779B97F4A7C15ull) >> (64 - kLiteralSelectorBits));
    for (;; i = (i + 1) & mask) {
        const char* held = literalSelectors[i].literal.load(std::memory_order_acquire);
        if (held == literal) return literalSelectors[i].sel.load(std::memory_order_relaxed);
        if (!held) return selectorForLiteralSlow(literal);
    }
}
} // namespace detail

// A selector given as a handle, a string literal or a name made at run time. A literal is
// resolved on first use and then found by its address; nothing is looked up until the send has
// found its receiver, so a message to nil costs no lookup at all.
class SelectorName {
public:
    SelectorName(SEL s) : sel_(s), kind_(Kind::Handle) {}
    // Only constants bind here (a string literal, a constexpr array): their text never changes.
    template <std::size_t N>
    consteval SelectorName(const char (&literal)[N]) : literal_(literal), kind_(Kind::Literal) {}
    // A name made at run time; it must outlive the send, as an argument does.
    template <class T>
        requires(std::is_convertible_v<const T&, std::string_view> && !std::is_array_v<T>)
    SelectorName(const T& name) : name_(name), kind_(Kind::Name) {}

    SEL resolve() const
    {
        switch (kind_) {
        case Kind::Handle: return sel_;
        case Kind::Literal: return detail::selectorForLiteral(literal_);
        case Kind::Name: break;
        }
        return sel_registerName(name_);
    }

    // The string literal that named the selector, or null.
    const char* literal() const { return kind_ == Kind::Literal ? literal_ : nullptr; }

private:
    enum class Kind : unsigned char { Handle, Literal, Name };
    SEL sel_ = nullptr;
    const char* literal_ = nullptr;
    std::string_view name_;
    Kind kind_;
};

inline id receiverOf(id object) { return object; }
template <class T, class = std::enable_if_t<std::is_base_of_v<Object, T>>>
id receiverOf(T* object) { return object; }
template <class T>
id receiverOf(const StrongRef<T>& object) { return object.get(); }
template <class T>
id receiverOf(const WeakRef<T>& object) { return object.get(); }

namespace detail {
const Method* lookupForSend(id receiver, Class startClass, SEL sel);
// The slow path of a send written with a literal: resolves it, finds the method and files it
// under the literal too. Throws for an unrecognised selector.
const Method* lookupForLiteralSend(id receiver, Class cls, const char* literal);
}

// Sends from `startClass`'s method table upwards (a super call when startClass is the caller's
// superclass).
template <class R, class... A>
R sendFrom(id self, Class startClass, SEL sel, A&&... args)
{
    static_assert(!std::is_reference_v<R>, "results are returned by value");
    if (!self) return R();
    const char* expected = encodingOf<R, Canonical<A>...>();
    const MethodCache::Bucket* hit = startClass->cachedBucket(sel);
    const Method* method = hit ? hit->method.load(std::memory_order_relaxed) : nullptr;
    if (!method) method = detail::lookupForSend(self, startClass, sel);
    if (method->types != expected) throwSignatureMismatch(startClass, sel, method->types, expected);
    auto body = reinterpret_cast<R (*)(id, SEL, Canonical<A>...)>(method->imp);
    return body(self, sel, toCanonical(std::forward<A>(args))...);
}

template <class R = void, class Receiver, class... A>
R send(const Receiver& receiver, SelectorName selector, A&&... args)
{
    id self = receiverOf(receiver);
    if (!self) return R();
    const char* literal = selector.literal();
    if (!literal) return sendFrom<R>(self, self->isa, selector.resolve(), std::forward<A>(args)...);
    // Written with a literal: the class's cache knows the method by the literal's address, and
    // the method knows its selector, so a send that hits resolves nothing.
    static_assert(!std::is_reference_v<R>, "results are returned by value");
    const char* expected = encodingOf<R, Canonical<A>...>();
    const MethodCache::Bucket* hit = self->isa->cachedBucket(literal);
    const Method* method = hit ? hit->method.load(std::memory_order_relaxed) : nullptr;
    if (!method) method = detail::lookupForLiteralSend(self, self->isa, literal);
    if (method->types != expected) throwSignatureMismatch(self->isa, method->name, method->types, expected);
    auto body = reinterpret_cast<R (*)(id, SEL, Canonical<A>...)>(method->imp);
    return body(self, method->name, toCanonical(std::forward<A>(args))...);
}

// [super message]: starts the search at the superclass of the class that defines the caller.
template <class R = void, class... A>
R sendSuper(id self, Class definingClass, SelectorName selector, A&&... args)
{
    if (!self) return R();
    Class start = definingClass->superclass();
    if (!start) throwUnrecognizedSelector(self, selector.resolve());
    return sendFrom<R>(self, start, selector.resolve(), std::forward<A>(args)...);
}

// Whether the receiver's class (or a superclass) has a method for the selector. Nil answers no.
bool respondsTo(id object, SEL sel);
template <class T>
bool respondsTo(const StrongRef<T>& object, SEL sel) { return respondsTo(object.get(), sel); }

// Whether the object is an instance of `cls` or of one of its subclasses. Nil answers no.
bool isKindOf(id object, Class cls);
template <class T>
bool isKindOf(const StrongRef<T>& object, Class cls) { return isKindOf(object.get(), cls); }

} // namespace objc
