// Classes: named, with a superclass, instance methods, class methods (held by the metaclass),
// declared properties and a per-class method cache.
#pragma once

#include "objc/Forward.h"
#include "objc/Object.h"

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
    const Method* lookup(SEL sel);

    bool isSubclassOf(Class other) const;

    InstanceAllocator allocator() const;
    void setAllocator(InstanceAllocator allocator) { allocator_ = allocator; }

    const Property* property(const std::string& name) const;
    const std::vector<std::unique_ptr<Property>>& properties() const { return properties_; }

private:
    friend class Runtime;
    friend bool addMethodUnchecked(Class, SEL, IMP, const char*);
    friend IMP method_setImplementationUnchecked(Method*, IMP);
    friend bool class_addProperty(Class, const char*, const PropertyAttribute*, unsigned);

    Runtime& runtime_;
    std::string name_;
    Class superclass_;
    bool isMeta_;
    InstanceAllocator allocator_ = nullptr;
    std::unordered_map<SEL, std::unique_ptr<Method>> methods_;
    std::vector<std::unique_ptr<Property>> properties_;
    std::unordered_map<SEL, const Method*> cache_;
    std::uint64_t cacheGeneration_ = 0;
};

} // namespace objc
