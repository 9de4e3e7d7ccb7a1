#include "substrate/Loader.h"

namespace zovo {

bool Loader::load(objc::Runtime& runtime, const DynamicLibrary& library)
{
    if (!runtime.addImage(library.installPath)) return false;
    objc::Runtime::Scope scope(runtime);
    if (library.registerClasses) library.registerClasses(runtime);
    if (library.initializer) {
        char* argv[] = {nullptr};
        char* envp[] = {nullptr};
        library.initializer(0, argv, envp);
    }
    return true;
}

} // namespace zovo
