#include "objc/Object.h"

#include "objc/Class.h"
#include "objc/Runtime.h"

#include <algorithm>
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
    if (--pins_ == 0 && refs_.load(std::memory_order_acquire) == 0) dealloc();
}

const char* Object::className() const noexcept { return isa ? isa->name().c_str() : "<no class>"; }

detail::WeakControl* Object::weakControl() const
{
    if (!weak_) weak_ = new detail::WeakControl{const_cast<Object*>(this), 0};
    return weak_;
}

void Object::dealloc() const noexcept
{
    // Weak references read null from here on, before anything the object holds is torn down.
    if (weak_) {
        weak_->object = nullptr;
        if (weak_->weakCount == 0) delete weak_;
        weak_ = nullptr;
    }
    auto* self = const_cast<Object*>(this);
    objc_removeAssociatedObjects(self);
    delete self;
}

void objc_setAssociatedObject(id object, const void* key, id value, AssociationPolicy policy)
{
    if (!object) return;
    bool owned = false;
    switch (policy) {
    case AssociationPolicy::Assign: break;
    case AssociationPolicy::RetainNonatomic:
    case AssociationPolicy::Retain: owned = true; break;
    default: throw RuntimeError(std::string("objc_setAssociatedObject: copy policies are not supported (object of class ") + object->className() + ")");
    }
    auto& list = object->associations_;
    if (!list) list = std::make_unique<std::vector<detail::Association>>();
    if (value && owned) value->retain();
    // The old value is released last, so that releasing it cannot disturb the table mid-change.
    detail::Association old{key, nullptr, false};
    auto it = std::find_if(list->begin(), list->end(), [&](const detail::Association& a) { return a.key == key; });
    if (it != list->end()) {
        old = *it;
        if (value) *it = {key, value, owned};
        else list->erase(it);
    } else if (value) {
        list->push_back({key, value, owned});
    }
    if (old.value && old.owned) old.value->release();
}

Id objc_getAssociatedObject(id object, const void* key)
{
    if (!object || !object->associations_) return nullptr;
    for (const auto& a : *object->associations_)
        if (a.key == key) return Id(a.value);
    return nullptr;
}

void objc_removeAssociatedObjects(id object)
{
    if (!object || !object->associations_) return;
    auto list = std::move(object->associations_);
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
    if (--control->weakCount == 0 && !control->object) delete control;
}
} // namespace detail

} // namespace objc
