// Reference-counted objects, strong references and zeroing weak references.
//
//   objc::StrongRef<Widget> w = objc::make<Widget>();   // strong: the object lives while a StrongRef does
//   objc::WeakRef<Widget> weak = w;               // weak: reads null once the object has ended
//   w = nullptr;                                  // last strong reference gone: the object ends
//   assert(!weak.get());
//
// Objects are only ever made through factories (`make<T>` or a class's `alloc`), never on the
// stack. Every object knows its class (`isa`), through which messages are dispatched.
//
// Ownership shows in the types, and every change of it is written out:
//
//   objc::StrongRef<Widget> kept(raw);                  // retains: a new strong reference
//   auto same = objc::retained(raw);              // the same, with the type deduced
//   auto made = objc::StrongRef<Widget>::adopt(fresh);  // takes over the reference `fresh` came with
//   Widget* borrowed = kept.get();                // borrows: valid while `kept` lives
//
// A StrongRef neither converts from nor to a raw pointer by itself. Were it to, `Widget* w = makeOne();`
// would compile and leave `w` pointing at an object whose only owner, the temporary StrongRef, has
// already ended; and a raw pointer passed where a StrongRef is expected would retain silently.
#pragma once

#include "objc/Forward.h"
#include "objc/MainThread.h"

#include <atomic>
#include <cstddef>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

namespace objc {

namespace detail {
// Shared by an object and its weak references. It outlives the object while weak references
// remain, and reads null from the moment the object starts to end.
struct WeakControl {
    Object* object;
    std::size_t weakCount;
};
// One associated object; see objc/Associations.h.
struct Association {
    const void* key;
    Object* value;
    bool owned;
};
// Gives up one weak reference; the control block ends with the last one once its object has
// ended. Out of line: GCC 12 misreads the inlined delete as a use after free wherever a weak
// reference is moved.
void dropWeakReference(WeakControl* control) noexcept;
} // namespace detail

class Object {
public:
    Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    virtual ~Object();

    // The object's class: set once, when the object is made and before any other thread can
    // reach it; read by any thread without a lock from then on.
    Class isa = nullptr;

    void retain() const noexcept;
    void release() const noexcept;
    std::uint32_t retainCount() const noexcept { return refs_.load(std::memory_order_relaxed); }

    // Keeps the object from ending until the matching unpin(), as a strong reference would, but
    // without its atomic operations: a release that drops the count to zero while the object is
    // pinned leaves the end to the last unpin(). Main thread only (see pins_). Prefer Pinned.
    void pin() const noexcept
    {
        OBJC_ASSERT_MAIN_THREAD("pinning an object");
        ++pins_;
    }
    void unpin() const noexcept;

    // True when the caller's reference is the only way to reach the object: one strong reference,
    // no weak reference ever made and no associated object. Such an object may be given new
    // contents without anyone seeing the change.
    bool isSolelyReferenced() const noexcept { return refs_.load(std::memory_order_acquire) == 1 && !weak_ && !associations_; }

    // Class objects live as long as their process's class table and ignore retain and release.
    void makeImmortal() noexcept { refs_.store(kImmortal, std::memory_order_relaxed); }

    const char* className() const noexcept;

private:
    template <class T> friend class WeakRef;
    friend void objc_setAssociatedObject(id, const void*, id, AssociationPolicy);
    friend StrongId objc_getAssociatedObject(id, const void*);
    friend void objc_removeAssociatedObjects(id);

    static constexpr std::uint32_t kImmortal = 0xffffffffu;

    detail::WeakControl* weakControl() const;
    void dealloc() const noexcept;
    // Releases the retained associated values and ends the table: as the object ends, and for
    // objc_removeAssociatedObjects.
    void removeAssociations() noexcept;

    // Any thread may retain and release.
    mutable std::atomic<std::uint32_t> refs_{1};
    // Main thread only. An object the main thread has pinned ends on the main thread; a release
    // on another thread reads pins_ only once the count reaches zero, when no pin can be taken
    // or left on it any more.
    mutable std::uint32_t pins_ = 0;
    // Main thread only, as weak references and associated objects are; the final release tears
    // them down, so an object that has either must end on the main thread.
    mutable detail::WeakControl* weak_ = nullptr;
    std::unique_ptr<std::vector<detail::Association>> associations_;
};

// Keeps an object from ending for the length of a scope, like a StrongRef without the atomic
// operations on its count. Main thread only; `object` may be null.
class Pinned {
public:
    explicit Pinned(const Object* object) noexcept : object_(object) { if (object_) object_->pin(); }
    Pinned(const Pinned&) = delete;
    Pinned& operator=(const Pinned&) = delete;
    ~Pinned() { if (object_) object_->unpin(); }

private:
    const Object* object_;
};

// A strong, intrusive reference.
template <class T>
class StrongRef {
public:
    StrongRef() noexcept = default;
    StrongRef(std::nullptr_t) noexcept {}
    // Takes a new strong reference to `object`. Explicit, so that retaining is always visible.
    explicit StrongRef(T* object) noexcept : ptr_(object) { if (ptr_) ptr_->retain(); }
    StrongRef(const StrongRef& other) noexcept : StrongRef(other.ptr_) {}
    StrongRef(StrongRef&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    StrongRef(const StrongRef<U>& other) noexcept : StrongRef(other.get()) {}
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    StrongRef(StrongRef<U>&& other) noexcept : ptr_(other.leak()) {}
    ~StrongRef() { if (ptr_) ptr_->release(); }

    StrongRef& operator=(StrongRef other) noexcept { std::swap(ptr_, other.ptr_); return *this; }

    // Wraps an object whose initial reference the caller hands over.
    static StrongRef adopt(T* object) noexcept { StrongRef r; r.ptr_ = object; return r; }
    // Gives up this reference without releasing it.
    T* leak() noexcept { return std::exchange(ptr_, nullptr); }

    T* get() const noexcept { return ptr_; }
    T* operator->() const noexcept { return ptr_; }
    T& operator*() const noexcept { return *ptr_; }
    explicit operator bool() const noexcept { return ptr_ != nullptr; }

private:
    T* ptr_ = nullptr;
};

template <class T, class U>
bool operator==(const StrongRef<T>& a, const StrongRef<U>& b) noexcept { return a.get() == b.get(); }
template <class T>
bool operator==(const StrongRef<T>& a, std::nullptr_t) noexcept { return !a.get(); }
// Comparing with a borrowed pointer asks whether both name the same object; nothing is retained.
template <class T, class U, class = decltype(std::declval<T*>() == std::declval<U*>())>
bool operator==(const StrongRef<T>& a, U* b) noexcept { return a.get() == b; }

// A new strong reference to `object`, with its type deduced.
template <class T>
StrongRef<T> retained(T* object) noexcept { return StrongRef<T>(object); }

// A weak reference: does not keep its object alive and reads null once the object has ended.
// Single-threaded: weak references are made and read on the main thread only.
template <class T>
class WeakRef {
public:
    WeakRef() noexcept = default;
    WeakRef(std::nullptr_t) noexcept {}
    WeakRef(T* object) { reset(object); }
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    WeakRef(const StrongRef<U>& object) { reset(object.get()); }
    WeakRef(const WeakRef& other) { copyFrom(other.control_); }
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    WeakRef(const WeakRef<U>& other) { copyFrom(other.control_); }
    WeakRef(WeakRef&& other) noexcept : control_(std::exchange(other.control_, nullptr)) {}
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    WeakRef(WeakRef<U>&& other) noexcept : control_(std::exchange(other.control_, nullptr)) {}
    WeakRef& operator=(const WeakRef& other) { if (this != &other) { drop(); copyFrom(other.control_); } return *this; }
    WeakRef& operator=(WeakRef&& other) noexcept
    {
        if (this != &other) { drop(); control_ = std::exchange(other.control_, nullptr); }
        return *this;
    }
    WeakRef& operator=(T* object) { reset(object); return *this; }
    ~WeakRef() { drop(); }

    // The object, or null once it has ended. Callers that use it across a call keep a StrongRef.
    T* get() const noexcept
    {
        if (!control_) return nullptr;
        OBJC_ASSERT_MAIN_THREAD("reading a weak reference");
        return control_->object ? static_cast<T*>(control_->object) : nullptr;
    }
    StrongRef<T> lock() const { return StrongRef<T>(get()); }
    explicit operator bool() const noexcept { return get() != nullptr; }
    // True for a reference that was made to an object which has since ended.
    bool expired() const noexcept { return control_ && !control_->object; }

private:
    template <class U> friend class WeakRef;

    void reset(T* object)
    {
        drop();
        if (!object) return;
        control_ = static_cast<const Object*>(object)->weakControl();
        ++control_->weakCount;
    }
    void copyFrom(detail::WeakControl* control)
    {
        control_ = control;
        if (control_) ++control_->weakCount;
    }
    void drop()
    {
        if (control_) detail::dropWeakReference(control_);
        control_ = nullptr;
    }

    detail::WeakControl* control_ = nullptr;
};

// Makes an object of C++ type T whose class is the one registered under T's class name in the
// current process. T names its class with `static constexpr const char* kClassName`.
Class classForCppType(const char* name);

template <class T, class... Args>
StrongRef<T> make(Args&&... args)
{
    Class cls = classForCppType(T::kClassName);
    T* object = new T(std::forward<Args>(args)...);
    object->isa = cls;
    return StrongRef<T>::adopt(object);
}

// The object as a T when its C++ type is a T, else null.
template <class T>
T* cast(id object) { return dynamic_cast<T*>(object); }
template <class T, class U>
T* cast(const StrongRef<U>& object) { return dynamic_cast<T*>(object.get()); }
// A temporary's object is cast into a strong reference, which keeps it: borrowing from a
// temporary would leave the caller holding an object whose only owner has ended.
template <class T, class U>
StrongRef<T> cast(StrongRef<U>&& object)
{
    T* cast = dynamic_cast<T*>(object.get());
    if (!cast) return nullptr;
    object.leak();
    return StrongRef<T>::adopt(cast);
}

} // namespace objc
