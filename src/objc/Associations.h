// Associated objects: values an object carries under a key, for code that cannot add storage to
// a class it does not own (a hook that remembers the window it made for a view).
//
//   static char key;
//   objc::objc_setAssociatedObject(view, &key, window.get(), objc::AssociationPolicy::RetainNonatomic);
//   objc::StrongId held = objc::objc_getAssociatedObject(view, &key);
//
// A retained value is released when it is replaced, removed, or when its owner ends. Keys are
// compared by address. Main thread only: an object's association table has no lock.
#pragma once

#include "objc/Forward.h"

#include <cstdint>

namespace objc {

// Association policies, with the platform's values. Only assign and retain are supported.
enum class AssociationPolicy : std::uintptr_t {
    Assign = 0,
    RetainNonatomic = 1,
    CopyNonatomic = 3,
    Retain = 01401,
    Copy = 01403,
};

void objc_setAssociatedObject(id object, const void* key, id value, AssociationPolicy policy);
StrongId objc_getAssociatedObject(id object, const void* key);
void objc_removeAssociatedObjects(id object);

} // namespace objc
