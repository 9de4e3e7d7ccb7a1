// The loader: brings a dynamic library into a simulated process, as the hooking library's loader
// does on a phone.
//
//   zovo::DynamicLibrary tweak{"/Library/MobileSubstrate/DynamicLibraries/X.dylib", registerX, initX};
//   zovo::Loader::load(runtime, tweak);   // classes first, then the load-time initialiser, once
//
// A library is loaded at most once per process (per class table): a second load of the same
// install path does nothing. The host calls this after its own classes exist and before it
// finishes launching, so the initialiser sees every host class and runs before
// applicationDidFinishLaunching:.
#pragma once

#include "objc/Runtime.h"

#include <string>

namespace zovo {

struct DynamicLibrary {
    std::string installPath;
    // Registers the library's own classes and categories, as the runtime does when an image is
    // mapped. May be null.
    void (*registerClasses)(objc::Runtime&) = nullptr;
    // The load-time initialiser; its arguments are the usual argc, argv and envp.
    void (*initializer)(int, char**, char**) = nullptr;
};

class Loader {
public:
    // Returns false when the library was already loaded into this process.
    static bool load(objc::Runtime& runtime, const DynamicLibrary& library);
};

} // namespace zovo
