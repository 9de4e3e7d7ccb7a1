#include "objc/Object.h"

#include "objc/Class.h"
#include "objc/Runtime.h"

#include <cstdio>
#include <cstdlib>

namespace objc {

Object::~Object() = default;

void Object::retain() const noexcept
{
    if (refs_.load(std::memory_order_relaxed) == kImmortal) return;
    refs_.fetch_add(1, std::memory_order_relaxed);
}

void Object::release() const noexcept
{
    std::uint32_t now = refs_.load(std::memory_order_relaxed);
    if (now == kImmortal) return;
    if (now == 0) {
        std::fprintf(stderr, "objc: over-release of an instance of %s\n", className());
        std::abort();
    }
    // A pinned object ends when its last pin is let go.
    if (refs_.fetch_sub(1, std::memory_order_acq_rel) == 1 && pins_ == 0) dealloc();
}

void Object::unpin() const noexcept
{
    OBJC_ASSERT_MAIN_THREAD("unpinning an object");
    if (--pins_ == 0 && refs_.load(std::memory_order_acquire) == 0) dealloc();
}

const char* Object::className() const noexcept { return isa ? isa->name().c_str() : "<no class>"; }

detail::WeakControl* Object::weakControl() const
{
    OBJC_ASSERT_MAIN_THREAD("making a weak reference");
    if (!weak_) weak_ = new detail::WeakControl{const_cast<Object*>(this), 0};
    return weak_;
}

void Object::dealloc() const noexcept
{
    if (weak_ || associations_) OBJC_ASSERT_MAIN_THREAD("ending an object with weak references or associated objects");
    // Weak references read null from here on, before anything the object holds is torn down.
    if (weak_) {
        weak_->object = nullptr;
        if (weak_->weakCount == 0) delete weak_;
        weak_ = nullptr;
    }
    auto* self = const_cast<Object*>(this);
    self->removeAssociations();
    delete self;
}

void Object::removeAssociations() noexcept
{
    if (!associations_) return;
    auto list = std::move(associations_);
    for (const auto& a : *list)
        if (a.owned && a.value) a.value->release();
}

Class classForCppType(const char* name)
{
    Class cls = Runtime::require().lookUpClass(name);
    if (!cls) throw RuntimeError(std::string("no class named ") + name + " is registered in this process");
    return cls;
}

namespace detail {
void dropWeakReference(WeakControl* control) noexcept
{
    OBJC_ASSERT_MAIN_THREAD("dropping a weak reference");
    if (--control->weakCount == 0 && !control->object) delete control;
}
} // namespace detail

} // namespace objc
