#include "objc/Associations.h"

#include "objc/MainThread.h"
#include "objc/Object.h"
#include "objc/RuntimeError.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace objc {

// The table lives in the object itself (Object::associations_), made on the first association,
// so an object that never carries one pays one null pointer. The object ends its table itself as
// it deallocates (Object::removeAssociations).

void objc_setAssociatedObject(id object, const void* key, id value, AssociationPolicy policy)
{
    if (!object) return;
    OBJC_ASSERT_MAIN_THREAD("setting an associated object");
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

StrongId objc_getAssociatedObject(id object, const void* key)
{
    OBJC_ASSERT_MAIN_THREAD("reading an associated object");
    if (!object || !object->associations_) return nullptr;
    for (const auto& a : *object->associations_)
        if (a.key == key) return StrongId(a.value);
    return nullptr;
}

void objc_removeAssociatedObjects(id object)
{
    if (object) object->removeAssociations();
}

} // namespace objc
