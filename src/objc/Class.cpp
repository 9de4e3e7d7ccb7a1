#include "objc/Class.h"

#include "objc/Runtime.h"

#include <mutex>

namespace objc {

ClassObject::ClassObject(Runtime& runtime, std::string name, Class superclass, bool isMeta)
    : runtime_(runtime), name_(std::move(name)), superclass_(superclass), isMeta_(isMeta)
{
    makeImmortal();
}

const Method* ClassObject::ownMethod(SEL sel) const
{
    auto it = methods_.find(sel);
    return it == methods_.end() ? nullptr : it->second.get();
}

std::vector<const Method*> ClassObject::ownMethods() const
{
    std::lock_guard lock(runtime_.lookupMutex());
    std::vector<const Method*> out;
    out.reserve(methods_.size());
    for (const auto& [sel, method] : methods_) out.push_back(method.get());
    return out;
}

const Method* ClassObject::lookup(SEL sel)
{
    std::lock_guard lock(runtime_.lookupMutex());
    const std::uint64_t generation = runtime_.generation();
    if (cacheGeneration_ != generation) {
        cache_.clear();
        cacheGeneration_ = generation;
    }
    if (auto it = cache_.find(sel); it != cache_.end()) return it->second;
    const Method* found = nullptr;
    for (const ClassObject* c = this; c && !found; c = c->superclass_) found = c->ownMethod(sel);
    cache_.emplace(sel, found); // misses are cached too: respondsToSelector: asks often
    return found;
}

bool ClassObject::isSubclassOf(Class other) const
{
    for (const ClassObject* c = this; c; c = c->superclass_)
        if (c == other) return true;
    return false;
}

InstanceAllocator ClassObject::allocator() const
{
    for (const ClassObject* c = this; c; c = c->superclass_)
        if (c->allocator_) return c->allocator_;
    return nullptr;
}

const Property* ClassObject::property(const std::string& name) const
{
    for (const auto& p : properties_)
        if (p->name == name) return p.get();
    return nullptr;
}

} // namespace objc
