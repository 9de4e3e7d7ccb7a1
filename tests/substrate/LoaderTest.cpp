#include "substrate/Loader.h"

#include "objc/Message.h"

#include <gtest/gtest.h>

using namespace objc;

namespace {

int initialiserRuns = 0;
bool classExistedAtInit = false;

void registerLibraryClasses(Runtime& runtime) { runtime.registerClass("LibraryClass", objc_getClass("NSObject")); }
void initialiser(int, char**, char**)
{
    ++initialiserRuns;
    classExistedAtInit = objc_getClass("LibraryClass") && objc_getClass("HostClass");
}

const zovo::DynamicLibrary library{"/Library/MobileSubstrate/DynamicLibraries/Test.dylib", registerLibraryClasses, initialiser};

TEST(Loader, RunsClassesThenInitialiserOncePerProcess)
{
    initialiserRuns = 0;
    for (int process = 1; process <= 2; ++process) {
        Runtime runtime;
        Runtime::Scope scope(runtime);
        runtime.registerClass("HostClass", objc_getClass("NSObject"));
        EXPECT_TRUE(zovo::Loader::load(runtime, library)) << "each new process loads the library afresh";
        EXPECT_FALSE(zovo::Loader::load(runtime, library));
        EXPECT_EQ(initialiserRuns, process);
        EXPECT_TRUE(classExistedAtInit);
    }
}

} // namespace
