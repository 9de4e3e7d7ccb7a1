#include "objc/Runtime.h"

#include "objc/Message.h"

#include <atomic>

namespace objc {
namespace {

std::atomic<Runtime*> currentRuntime{nullptr};

// The root class's own methods: the small part of NSObject that the runtime itself answers.
StrongId rootInit(id self, SEL) { return StrongId(self); }
StrongId rootSelf(id self, SEL) { return StrongId(self); }
Class rootClass(id self, SEL) { return self->isa->isMetaclass() ? static_cast<Class>(self) : self->isa; }
bool rootRespondsToSelector(id self, SEL, SEL query) { return respondsTo(self, query); }
bool rootIsKindOfClass(id self, SEL, Class cls) { return isKindOf(self, cls); }
bool rootIsMemberOfClass(id self, SEL, Class cls) { return self->isa == cls; }
bool rootIsEqual(id self, SEL, id other) { return self == other; }
std::uint64_t rootHash(id self, SEL) { return reinterpret_cast<std::uintptr_t>(self); }
StrongId rootAlloc(id self, SEL) { return class_createInstance(static_cast<Class>(self)); }
StrongId rootNew(id self, SEL)
{
    StrongId object = class_createInstance(static_cast<Class>(self));
    return send<StrongId>(object, "init");
}

} // namespace

Runtime::Runtime()
{
    Class root = registerClass("NSObject", nullptr, [] { return new Object(); });
    addMethod(root, sel("init"), rootInit);
    addMethod(root, sel("self"), rootSelf);
    addMethod(root, sel("class"), rootClass);
    addMethod(root, sel("respondsToSelector:"), rootRespondsToSelector);
    addMethod(root, sel("isKindOfClass:"), rootIsKindOfClass);
    addMethod(root, sel("isMemberOfClass:"), rootIsMemberOfClass);
    addMethod(root, sel("isEqual:"), rootIsEqual);
    addMethod(root, sel("hash"), rootHash);
    addClassMethod(root, sel("alloc"), rootAlloc);
    addClassMethod(root, sel("new"), rootNew);
}

Runtime::~Runtime()
{
    if (currentRuntime.load() == this) currentRuntime.store(nullptr);
}

Runtime* Runtime::current() { return currentRuntime.load(std::memory_order_acquire); }

Runtime& Runtime::require()
{
    Runtime* rt = current();
    if (!rt) throw RuntimeError("no simulated process is running: the object runtime has no class table");
    return *rt;
}

Runtime::Scope::Scope(Runtime& runtime) : previous_(currentRuntime.exchange(&runtime)) {}
Runtime::Scope::~Scope() { currentRuntime.store(previous_); }

Class Runtime::registerClass(std::string_view name, Class superclass, InstanceAllocator allocator)
{
    std::string key(name);
    if (classes_.count(key)) throw RuntimeError("a class named " + key + " is already registered");
    if (superclass && &superclass->runtime() != this) throw RuntimeError("superclass of " + key + " belongs to another process");
    auto cls = std::make_unique<ClassObject>(*this, key, superclass, false);
    auto meta = std::make_unique<ClassObject>(*this, key, superclass ? superclass->metaclass() : nullptr, true);
    cls->allocator_ = allocator;
    cls->isa = meta.get();
    // As on the platform: the root metaclass inherits from the root class, so classes answer the
    // root's instance methods (respondsToSelector:, isKindOfClass:) too.
    Class rootMeta = superclass ? superclass->metaclass() : meta.get();
    while (rootMeta->superclass() && rootMeta->superclass()->isMetaclass()) rootMeta = rootMeta->superclass();
    meta->isa = rootMeta;
    if (!superclass) meta->superclass_ = cls.get();
    Class result = cls.get();
    metaclasses_.push_back(std::move(meta));
    classes_.emplace(std::move(key), std::move(cls));
    // No cache is invalidated: a new class has no subclasses yet, so no existing lookup can change.
    return result;
}

bool Runtime::addImage(std::string_view installPath)
{
    for (const auto& image : images_)
        if (image == installPath) return false;
    images_.emplace_back(installPath);
    return true;
}

Class Runtime::lookUpClass(std::string_view name) const
{
    auto it = classes_.find(std::string(name));
    return it == classes_.end() ? nullptr : it->second.get();
}

// ---- Runtime functions -------------------------------------------------------------------

Class objc_getClass(std::string_view name)
{
    Runtime* rt = Runtime::current();
    return rt ? rt->lookUpClass(name) : nullptr;
}

const Method* class_getInstanceMethod(Class cls, SEL sel) { return cls ? cls->lookup(sel) : nullptr; }
const Method* class_getClassMethod(Class cls, SEL sel) { return cls ? cls->metaclass()->lookup(sel) : nullptr; }

bool addMethodUnchecked(Class cls, SEL sel, IMP imp, const char* types)
{
    if (!cls || !sel || !imp) return false;
    Runtime& rt = cls->runtime();
    {
        zovo::Locker lock(detail::lookupMutex);
        if (cls->methods_.count(sel)) return false;
        cls->methods_.emplace(sel, std::make_unique<Method>(Method{sel, imp, types}));
    }
    rt.invalidateCaches();
    return true;
}

IMP method_setImplementationUnchecked(Method* method, IMP imp)
{
    if (!method) return nullptr;
    Runtime* rt = Runtime::current();
    IMP old = method->imp;
    method->imp = imp;
    if (rt) rt->invalidateCaches();
    return old;
}

bool class_addProperty(Class cls, const char* name, const PropertyAttribute* attributes, unsigned count)
{
    if (!cls || !name || cls->property(name)) return false;
    auto prop = std::make_unique<Property>();
    prop->name = name;
    for (unsigned i = 0; i < count; ++i) {
        std::string n = attributes[i].name ? attributes[i].name : "";
        std::string v = attributes[i].value ? attributes[i].value : "";
        if (!prop->attributeString.empty()) prop->attributeString += ',';
        prop->attributeString += n + v;
        prop->attributes.emplace_back(std::move(n), std::move(v));
    }
    cls->properties_.push_back(std::move(prop));
    return true;
}

const Property* class_getProperty(Class cls, const char* name)
{
    for (Class c = cls; c && name; c = c->superclass())
        if (const Property* p = c->property(name)) return p;
    return nullptr;
}

const char* property_getAttributes(const Property* property) { return property ? property->attributeString.c_str() : nullptr; }

StrongId class_createInstance(Class cls)
{
    if (!cls) return nullptr;
    InstanceAllocator allocate = cls->allocator();
    if (!allocate) throw RuntimeError(std::string("class ") + cls->name() + " has no instance allocator");
    Object* object = allocate();
    object->isa = cls;
    return StrongId::adopt(object);
}

} // namespace objc
