#include "substrate/Substrate.h"

namespace zovo::substrate {

const objc::Method* methodToHook(objc::Class cls, objc::SEL sel, const char* bodyTypes)
{
    if (!cls) throw objc::RuntimeError(std::string("MSHookMessageEx: no class given for ") + objc::sel_getName(sel));
    const objc::Method* method = objc::class_getInstanceMethod(cls, sel);
    if (!method) throw objc::RuntimeError(objc::describeMethod(cls, sel) + ": MSHookMessageEx found no such method to hook");
    if (method->types != bodyTypes) objc::throwSignatureMismatch(cls, sel, method->types, bodyTypes);
    return method;
}

void installHook(objc::Class cls, const objc::Method* method, objc::IMP body)
{
    if (cls->ownMethod(method->name) == method)
        objc::method_setImplementationUnchecked(const_cast<objc::Method*>(method), body);
    else
        objc::addMethodUnchecked(cls, method->name, body, method->types);
}

} // namespace zovo::substrate
