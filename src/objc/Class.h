// Classes: named, with a superclass, instance methods, class methods (held by the metaclass),
// declared properties and a per-class method cache.
//
// The method cache is read without a lock, as a send must be cheap: a power-of-two table of
// (selector, method) pairs in open addressing, stamped with the runtime's generation. A table
// whose stamp is not the current generation is stale and is refilled on the next slow lookup.
#pragma once

#include "objc/Forward.h"
#include "objc/Lock.h"
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

namespace detail {
// The method caches' generation, bumped whenever a method is added or replaced in any runtime.
// One counter for the whole program: a bump in one simulated process only makes the caches of
// another refill once, and a send reads it from a fixed address. Read by any thread without a
// lock.
inline std::atomic<std::uint64_t> methodCacheGeneration{1};
// The lookup lock, one for the whole program like the generation: it guards every class's
// method table and cache refills. Sends that hit a cache never take it.
inline constinit zovo::Mutex lookupMutex;
} // namespace detail

// One class's method cache. A bucket's key is a selector, or the address of a string literal
// that names one (a send written with a literal finds its method in one probe). Selectors live
// on the heap and literals in the program's constant data, so the two kinds of key never meet.
// Buckets are written once each, by a lookup holding the lookup mutex: first the
// method, then the key with release order, so a reader that sees the key sees its method. A
// bucket is never rewritten and a table never shrinks or clears in place; a full or stale table
// is replaced by a new one and the old one is kept (readers may still be probing it) until the
// class ends.
struct MethodCache {
    struct Bucket {
        std::atomic<const void*> key{nullptr};
        std::atomic<const Method*> method{nullptr};
    };

    MethodCache(std::uint64_t generation, unsigned bits);

    // The bucket holding `key`, or null when the table does not know it. A known key whose
    // bucket holds a null method is cached as missing.
    const Bucket* find(const void* key) const
    {
        for (std::size_t i = indexOf(key);; i = (i + 1) & mask) {
            const void* held = buckets[i].key.load(std::memory_order_acquire);
            if (held == key) return &buckets[i];
            if (!held) return nullptr;
        }
    }
    std::size_t indexOf(const void* key) const
    {
        return static_cast<std::size_t>((reinterpret_cast<std::uintptr_t>(key) * 0x9E3779B97F4A7C15ull) >> (64 - bits));
    }

    // Fixed before the table is published. Each bucket is an atomic pair, read without a lock.
    const std::uint64_t generation;
    const unsigned bits;
    const std::size_t mask;
    std::size_t used GUARDED_BY(detail::lookupMutex) = 0;
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
    const Method* ownMethod(SEL sel) const EXCLUDES(detail::lookupMutex);
    std::vector<const Method*> ownMethods() const EXCLUDES(detail::lookupMutex);

    // The method a message to an instance of this class reaches: own or inherited, or null.
    const Method* lookup(SEL sel)
    {
        if (const MethodCache::Bucket* hit = cachedBucket(sel)) return hit->method.load(std::memory_order_relaxed);
        return lookupAndCache(sel);
    }

    // The cache's answer without taking a lock: the bucket for a selector (or a literal naming
    // one) in a table of the current generation, or null when the slow lookup must decide.
    const MethodCache::Bucket* cachedBucket(const void* key) const
    {
        const MethodCache* table = cache_.load(std::memory_order_acquire);
        if (!table || table->generation != currentGeneration()) return nullptr;
        return table->find(key);
    }

    // The slow lookup, which also files the method under `literal` (the string literal that
    // named `sel` at a call site) when one is given.
    const Method* lookupAndCache(SEL sel, const char* literal = nullptr) EXCLUDES(detail::lookupMutex);

    bool isSubclassOf(Class other) const;

    InstanceAllocator allocator() const;
    void setAllocator(InstanceAllocator allocator) { allocator_ = allocator; }

    const Property* property(const std::string& name) const;

private:
    friend class Runtime;
    void cacheLocked(const void* key, const Method* method) REQUIRES(detail::lookupMutex);
    const Method* ownMethodLocked(SEL sel) const REQUIRES(detail::lookupMutex);
    static std::uint64_t currentGeneration() { return detail::methodCacheGeneration.load(std::memory_order_acquire); }

    friend bool addMethodUnchecked(Class, SEL, IMP, const char*);
    friend IMP method_setImplementationUnchecked(Method*, IMP);
    friend bool class_addProperty(Class, const char*, const PropertyAttribute*, unsigned);

    // Set while the class is registered, before any other thread can reach it; read-only after.
    Runtime& runtime_;
    std::string name_;
    Class superclass_;
    bool isMeta_;
    InstanceAllocator allocator_ = nullptr;
    // A Method is never freed while its class lives. Its imp is replaced without the lock, on
    // the main thread: hooks are installed before any other thread sends the message they replace.
    std::unordered_map<SEL, std::unique_ptr<Method>> methods_ GUARDED_BY(detail::lookupMutex);
    // Main thread only.
    std::vector<std::unique_ptr<Property>> properties_;
    // Read by any thread without a lock; replaced only with the lookup mutex held.
    std::atomic<MethodCache*> cache_{nullptr};
    // Every table cache_ has held: a retired one stays until the class ends, because a reader
    // may still be probing it.
    std::vector<std::unique_ptr<MethodCache>> cacheTables_ GUARDED_BY(detail::lookupMutex);
};

// The class's name, or "nil".
const char* class_getName(Class cls);

} // namespace objc
