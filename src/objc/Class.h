// Classes: named, with a superclass, instance methods, class methods (held by the metaclass),
// declared properties and a per-class method cache.
//
// The method cache is read without a lock, as a send must be cheap: a power-of-two table of
// (selector, method) pairs in open addressing, stamped with the runtime's generation. A table
// whose stamp is not the current generation is stale and is refilled on the next slow lookup.
#pragma once

#include "objc/Forward.h"
#include "objc/Object.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace objc {

struct Method {
    SEL name;
    IMP imp;
    const char* types; // interned
};

struct PropertyAttribute {
    const char* name;
    const char* value;
};

struct Property {
    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes;
    std::string attributeString; // "T@\"BLNotificationBanner\",&,N"
};

// One class's method cache. Buckets are written once each, by a lookup holding the runtime's
// lookup mutex: first the method, then the selector with release order, so a reader that sees
// the selector sees its method. A bucket is never rewritten and a table never shrinks or clears
// in place; a full or stale table is replaced by a new one and the old one is kept (readers may
// still be probing it) until the class ends.
struct MethodCache {
    struct Bucket {
        std::atomic<SEL> sel{nullptr};
        std::atomic<const Method*> method{nullptr};
    };

    MethodCache(std::uint64_t generation, unsigned bits);

    // The bucket holding `sel`, or null when the table does not know it. A known selector whose
    // bucket holds a null method is cached as missing.
    const Bucket* find(SEL sel) const
    {
        for (std::size_t i = indexOf(sel);; i = (i + 1) & mask) {
            SEL held = buckets[i].sel.load(std::memory_order_acquire);
            if (held == sel) return &buckets[i];
            if (!held) return nullptr;
        }
    }
    std::size_t indexOf(SEL sel) const
    {
        return static_cast<std::size_t>((reinterpret_cast<std::uintptr_t>(sel) * 0x9E3779B97F4A7C15ull) >> (64 - bits));
    }

    const std::uint64_t generation;
    const unsigned bits;
    const std::size_t mask;
    std::size_t used = 0; // written only under the lookup mutex
    std::unique_ptr<Bucket[]> buckets;
};

// Makes the C++ storage for a new instance. Subclasses without storage of their own inherit the
// allocator of the nearest class that has one.
using InstanceAllocator = Object* (*)();

class ClassObject final : public Object {
public:
    static constexpr const char* kClassName = "Class";

    ClassObject(Runtime& runtime, std::string name, Class superclass, bool isMeta);

    const std::string& name() const { return name_; }
    Class superclass() const { return superclass_; }
    Class metaclass() const { return isa; }
    bool isMetaclass() const { return isMeta_; }
    Runtime& runtime() const { return runtime_; }

    // Methods defined by this class itself (not inherited).
    const Method* ownMethod(SEL sel) const;
    std::vector<const Method*> ownMethods() const;

    // The method a message to an instance of this class reaches: own or inherited, or null.
    const Method* lookup(SEL sel)
    {
        if (const MethodCache::Bucket* hit = cachedBucket(sel)) return hit->method.load(std::memory_order_relaxed);
        return lookupAndCache(sel);
    }

    // The cache's answer without taking a lock: the bucket for `sel` in a table of the current
    // generation, or null when the slow lookup must decide.
    const MethodCache::Bucket* cachedBucket(SEL sel) const
    {
        const MethodCache* table = cache_.load(std::memory_order_acquire);
        if (!table || table->generation != currentGeneration()) return nullptr;
        return table->find(sel);
    }

    bool isSubclassOf(Class other) const;

    InstanceAllocator allocator() const;
    void setAllocator(InstanceAllocator allocator) { allocator_ = allocator; }

    const Property* property(const std::string& name) const;
    const std::vector<std::unique_ptr<Property>>& properties() const { return properties_; }

private:
    friend class Runtime;
    const Method* lookupAndCache(SEL sel);
    std::uint64_t currentGeneration() const { return generation_.load(std::memory_order_acquire); }

    friend bool addMethodUnchecked(Class, SEL, IMP, const char*);
    friend IMP method_setImplementationUnchecked(Method*, IMP);
    friend bool class_addProperty(Class, const char*, const PropertyAttribute*, unsigned);

    Runtime& runtime_;
    // The runtime's generation, bumped whenever a method is added or replaced anywhere.
    const std::atomic<std::uint64_t>& generation_;
    std::string name_;
    Class superclass_;
    bool isMeta_;
    InstanceAllocator allocator_ = nullptr;
    std::unordered_map<SEL, std::unique_ptr<Method>> methods_;
    std::vector<std::unique_ptr<Property>> properties_;
    // Locking rule: cache_ is read by any thread without a lock; it is replaced, and tables are
    // filled and retired, only with the runtime's lookup mutex held. Retired tables stay until
    // the class ends, because a reader may still be probing one.
    std::atomic<MethodCache*> cache_{nullptr};
    std::vector<std::unique_ptr<MethodCache>> cacheTables_;
};

} // namespace objc
