// Type encodings: the platform's method type codes, computed from C++ types.
//
//   objc::encodingOf<void, objc::id>()   // "v@:@"  (return type, receiver, selector, arguments)
//
// Each code stands for exactly one C++ type, so two signatures with the same encoding are the
// same C++ function type and a body stored under one may be called through the other. Types with
// no code here do not compile.
#pragma once

#include "objc/Forward.h"
#include "objc/Selector.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <type_traits>

namespace objc {

template <class T, class = void>
struct TypeEncoding; // no code for this type

#define OBJC_TYPE_ENCODING(Type, Code) \
    template <> struct TypeEncoding<Type> { static std::string get() { return Code; } }
OBJC_TYPE_ENCODING(void, "v");
OBJC_TYPE_ENCODING(bool, "B");
OBJC_TYPE_ENCODING(char, "c");
OBJC_TYPE_ENCODING(std::int32_t, "i");
OBJC_TYPE_ENCODING(std::uint32_t, "I");
OBJC_TYPE_ENCODING(std::int64_t, "q");
OBJC_TYPE_ENCODING(std::uint64_t, "Q");
OBJC_TYPE_ENCODING(float, "f");
OBJC_TYPE_ENCODING(double, "d");
OBJC_TYPE_ENCODING(SEL, ":");
OBJC_TYPE_ENCODING(Class, "#");
OBJC_TYPE_ENCODING(id, "@");
OBJC_TYPE_ENCODING(StrongId, "@");
OBJC_TYPE_ENCODING(const char*, "*");
OBJC_TYPE_ENCODING(void*, "^v");
OBJC_TYPE_ENCODING(const void*, "r^v");
OBJC_TYPE_ENCODING(std::uint32_t*, "^I");
OBJC_TYPE_ENCODING(id*, "^@");
#undef OBJC_TYPE_ENCODING

// Blocks carry their own signature, as the extended block encoding does: "@?<v@?B>" is a block
// taking a boolean. Blocks of different shapes therefore never pass for one another.
template <class R, class... A>
struct TypeEncoding<std::function<R(A...)>> {
    static std::string get() { return "@?<" + TypeEncoding<R>::get() + "@?" + (std::string() + ... + TypeEncoding<A>::get()) + ">"; }
};

// The type a value of type T is passed as: objects (raw pointers to objects, strong references,
// nullptr) are passed as `id`, classes as `Class`, everything else as itself. Object and
// ClassObject are only declared here: whether T is one is asked where a send names T, and T is
// complete there.
template <class T, class = void>
struct CanonicalArgument { using type = std::remove_cv_t<std::remove_reference_t<T>>; };
template <class T>
struct CanonicalArgument<T*, std::enable_if_t<std::is_base_of_v<Object, T> && !std::is_base_of_v<ClassObject, T>>> { using type = id; };
template <class T>
struct CanonicalArgument<T*, std::enable_if_t<std::is_base_of_v<ClassObject, T>>> { using type = Class; };
template <class T>
struct CanonicalArgument<StrongRef<T>> { using type = id; };
template <>
struct CanonicalArgument<std::nullptr_t> { using type = id; };
template <std::size_t N>
struct CanonicalArgument<char[N]> { using type = const char*; };

template <class T>
using Canonical = typename CanonicalArgument<std::remove_cv_t<std::remove_reference_t<T>>>::type;

template <class T>
Canonical<T> toCanonical(T&& value)
{
    using C = Canonical<T>;
    if constexpr (std::is_same_v<C, id>) {
        using D = std::remove_cv_t<std::remove_reference_t<T>>;
        if constexpr (std::is_same_v<D, std::nullptr_t>) return nullptr;
        else if constexpr (std::is_pointer_v<D>) return static_cast<id>(value);
        else return static_cast<id>(value.get());
    } else {
        return static_cast<C>(std::forward<T>(value));
    }
}

namespace detail {
// Each signature's interned encoding once it is known, read by every send without a lock or a
// call: a send compares it with the method's encoding.
template <class R, class... A>
inline std::atomic<const char*> knownEncoding{nullptr};

template <class R, class... A>
[[gnu::noinline]] const char* computeEncoding()
{
    static const char* const interned = internEncoding(TypeEncoding<R>::get() + "@:" + (std::string() + ... + TypeEncoding<A>::get()));
    knownEncoding<R, A...>.store(interned, std::memory_order_release);
    return interned;
}
} // namespace detail

// The encoding of a method returning R and taking A..., interned (so equal encodings are equal
// pointers). Computed once per signature.
template <class R, class... A>
inline const char* encodingOf()
{
    if (const char* known = detail::knownEncoding<R, A...>.load(std::memory_order_acquire)) return known;
    return detail::computeEncoding<R, A...>();
}

} // namespace objc
