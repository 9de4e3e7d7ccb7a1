// The class table of one simulated process, and the runtime functions that read and change it.
//
//   objc::Runtime runtime;                    // usually owned by a foundation Process
//   objc::Runtime::Scope scope(runtime);      // the current process's runtime on this thread
//   objc::Class view = objc::objc_getClass("UIView");
//
// Everything here runs on the main thread, except message lookup, which may be reached from
// other threads (a once-only initialiser racing its first callers) and is guarded.
#pragma once

#include "objc/Associations.h"
#include "objc/Class.h"
#include "objc/Encoding.h"
#include "objc/Forward.h"
#include "objc/Message.h"
#include "objc/RuntimeError.h"

#include <atomic>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace objc {

class Runtime {
public:
    Runtime();
    ~Runtime();
    Runtime(const Runtime&) = delete;
    Runtime& operator=(const Runtime&) = delete;

    // The runtime of the process running on this program now. Set by Scope; there is one at a
    // time, and every thread sees it.
    static Runtime* current();
    static Runtime& require();

    class Scope {
    public:
        explicit Scope(Runtime& runtime);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        Runtime* previous_;
    };

    // Registers a class and its metaclass. Fails loudly when the name is taken or the superclass
    // is missing from this runtime. Without an allocator the superclass's is inherited.
    Class registerClass(std::string_view name, Class superclass, InstanceAllocator allocator = nullptr);
    Class lookUpClass(std::string_view name) const;
    std::size_t classCount() const { return classes_.size(); }

    // Records an image (a dynamic library) whose classes this process has registered, as the
    // platform's runtime keeps them. Returns false when the image was already added.
    bool addImage(std::string_view installPath);

    // Called whenever a method is added or replaced anywhere: every cache refills on next use.
    // Registering a class changes no existing lookup and so does not call it.
    void invalidateCaches() { detail::methodCacheGeneration.fetch_add(1, std::memory_order_acq_rel); }
    std::uint64_t generation() const { return detail::methodCacheGeneration.load(std::memory_order_acquire); }

private:
    // The class table is main thread only. Method tables and caches are guarded by
    // detail::lookupMutex; the caches' generation is read without a lock and bumped after a
    // method table changes.
    std::unordered_map<std::string, std::unique_ptr<ClassObject>> classes_;
    std::vector<std::unique_ptr<ClassObject>> metaclasses_;
    std::vector<std::string> images_;
};

// ---- The platform's runtime functions -------------------------------------------------------

Class objc_getClass(std::string_view name);

const Method* class_getInstanceMethod(Class cls, SEL sel);
const Method* class_getClassMethod(Class cls, SEL sel);

// Adds an instance method when the class does not define one by that name itself (an inherited
// one does not count); otherwise changes nothing and returns false. The body's C++ signature
// must match `types`.
template <class R, class... A>
bool class_addMethod(Class cls, SEL sel, R (*body)(id, SEL, A...), const char* types);

// Same as class_addMethod, with the encoding taken from the body's signature.
template <class R, class... A>
bool addMethod(Class cls, SEL sel, R (*body)(id, SEL, A...));
template <class R, class... A>
bool addClassMethod(Class cls, SEL sel, R (*body)(id, SEL, A...));

// Replaces the body of a method this class defines, or adds it when it does not; returns the
// previous body of the class's own method, or null.
template <class R, class... A>
IMP class_replaceMethod(Class cls, SEL sel, R (*body)(id, SEL, A...));

bool class_addProperty(Class cls, const char* name, const PropertyAttribute* attributes, unsigned count);
const Property* class_getProperty(Class cls, const char* name);
const char* property_getAttributes(const Property* property);

// Makes a new instance of a class, with a reference count of one, owned by the result.
StrongId class_createInstance(Class cls);

// ---- Unchecked building blocks, used by the typed templates above and by the hooking library --
// (A signature that does not match is reported by throwSignatureMismatch, in objc/Message.h.)

bool addMethodUnchecked(Class cls, SEL sel, IMP imp, const char* types);
IMP method_setImplementationUnchecked(Method* method, IMP imp);

template <class R, class... A>
bool class_addMethod(Class cls, SEL sel, R (*body)(id, SEL, A...), const char* types)
{
    const char* expected = encodingOf<R, A...>();
    const char* given = internEncoding(types ? types : "");
    if (given != expected) throwSignatureMismatch(cls, sel, given, expected);
    return addMethodUnchecked(cls, sel, reinterpret_cast<IMP>(body), expected);
}

template <class R, class... A>
bool addMethod(Class cls, SEL sel, R (*body)(id, SEL, A...))
{
    return addMethodUnchecked(cls, sel, reinterpret_cast<IMP>(body), encodingOf<R, A...>());
}

template <class R, class... A>
bool addClassMethod(Class cls, SEL sel, R (*body)(id, SEL, A...))
{
    return addMethodUnchecked(cls ? cls->metaclass() : nullptr, sel, reinterpret_cast<IMP>(body), encodingOf<R, A...>());
}

template <class R, class... A>
IMP class_replaceMethod(Class cls, SEL sel, R (*body)(id, SEL, A...))
{
    const char* expected = encodingOf<R, A...>();
    if (auto* own = const_cast<Method*>(cls ? cls->ownMethod(sel) : nullptr)) {
        if (own->types != expected) throwSignatureMismatch(cls, sel, own->types, expected);
        return method_setImplementationUnchecked(own, reinterpret_cast<IMP>(body));
    }
    addMethodUnchecked(cls, sel, reinterpret_cast<IMP>(body), expected);
    return nullptr;
}

} // namespace objc
