#include "objc/Class.h"

namespace objc {

ClassObject::ClassObject(Runtime& runtime, std::string name, Class superclass, bool isMeta)
    : runtime_(runtime), name_(std::move(name)), superclass_(superclass), isMeta_(isMeta)
{
    makeImmortal();
}

const Method* ClassObject::ownMethod(SEL sel) const
{
    zovo::Locker lock(detail::lookupMutex);
    return ownMethodLocked(sel);
}

const Method* ClassObject::ownMethodLocked(SEL sel) const
{
    auto it = methods_.find(sel);
    return it == methods_.end() ? nullptr : it->second.get();
}

std::vector<const Method*> ClassObject::ownMethods() const
{
    zovo::Locker lock(detail::lookupMutex);
    std::vector<const Method*> out;
    out.reserve(methods_.size());
    for (const auto& [sel, method] : methods_) out.push_back(method.get());
    return out;
}

MethodCache::MethodCache(std::uint64_t generation, unsigned bits)
    : generation(generation), bits(bits), mask((std::size_t{1} << bits) - 1), buckets(std::make_unique<Bucket[]>(std::size_t{1} << bits))
{
}

const Method* ClassObject::lookupAndCache(SEL sel, const char* literal)
{
    zovo::Locker lock(detail::lookupMutex);
    const MethodCache* table = cache_.load(std::memory_order_relaxed);
    const bool current = table && table->generation == currentGeneration();
    const MethodCache::Bucket* hit = current ? table->find(sel) : nullptr;
    const Method* found = hit ? hit->method.load(std::memory_order_relaxed) : nullptr;
    if (!hit) {
        for (const ClassObject* c = this; c && !found; c = c->superclass_) found = c->ownMethodLocked(sel);
        cacheLocked(sel, found); // misses are cached too: respondsToSelector: asks often
    }
    if (literal && found) {
        table = cache_.load(std::memory_order_relaxed);
        if (!table->find(literal)) cacheLocked(literal, found);
    }
    return found;
}

void ClassObject::cacheLocked(const void* key, const Method* method)
{
    const std::uint64_t generation = currentGeneration();
    MethodCache* table = cache_.load(std::memory_order_relaxed);
    // A stale table starts afresh at its size; a table three quarters full doubles, keeping
    // what it knows, so that probes stay short.
    const bool stale = !table || table->generation != generation;
    if (stale || (table->used + 1) * 4 > (table->mask + 1) * 3) {
        const unsigned bits = !table ? 4 : stale ? table->bits : table->bits + 1;
        auto fresh = std::make_unique<MethodCache>(generation, bits);
        if (!stale) {
            for (std::size_t i = 0; i <= table->mask; ++i) {
                const void* held = table->buckets[i].key.load(std::memory_order_relaxed);
                if (!held) continue;
                std::size_t j = fresh->indexOf(held);
                while (fresh->buckets[j].key.load(std::memory_order_relaxed)) j = (j + 1) & fresh->mask;
                fresh->buckets[j].method.store(table->buckets[i].method.load(std::memory_order_relaxed), std::memory_order_relaxed);
                fresh->buckets[j].key.store(held, std::memory_order_relaxed);
                ++fresh->used;
            }
        }
        table = fresh.get();
        cacheTables_.push_back(std::move(fresh));
        // Release: a reader that loads the new table sees every bucket copied into it.
        cache_.store(table, std::memory_order_release);
    }
    std::size_t i = table->indexOf(key);
    while (table->buckets[i].key.load(std::memory_order_relaxed)) i = (i + 1) & table->mask;
    table->buckets[i].method.store(method, std::memory_order_relaxed);
    table->buckets[i].key.store(key, std::memory_order_release);
    ++table->used;
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

const char* class_getName(Class cls) { return cls ? cls->name().c_str() : "nil"; }

const Property* ClassObject::property(const std::string& name) const
{
    for (const auto& p : properties_)
        if (p->name == name) return p.get();
    return nullptr;
}

} // namespace objc
