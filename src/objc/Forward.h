// Declarations shared by every user of the object runtime.
#pragma once

#include <cstdint>

namespace objc {

class Object;
class ClassObject;
struct Selector;
struct Method;
struct Property;
class Runtime;
template <class T> class StrongRef;
template <class T> class WeakRef;
enum class AssociationPolicy : std::uintptr_t;

// The runtime's spelling of its core handles. `id` is a plain, non-owning pointer: arguments and
// receivers are borrowed for the length of a call. Results of type '@' come back as `StrongId`, a
// strong reference, so a caller never holds an object that nobody owns. The two never convert into
// each other by themselves: `StrongId(object)` retains, `StrongId::adopt(object)` takes over a
// reference and `.get()` borrows, so that `id x = send<StrongId>(...)`, which would leave `x`
// pointing at an object whose only owner has ended, does not compile.
using id = Object*;
using StrongId = StrongRef<Object>;
using Class = ClassObject*;
using SEL = const Selector*;

// An erased method body. Every body is stored with its type encoding and is only ever called
// through a function type whose encoding matched it.
using IMP = void (*)();

} // namespace objc
