// One object runtime for a whole fuzzing run, with the foundation classes registered: the parsers
// under test make objects, and objects need classes. A fresh process per input would spend the
// run on set-up instead of on inputs.
#pragma once

#include "foundation/FoundationDataClasses.h"
#include "objc/Runtime.h"

namespace zovo::fuzz {

struct FuzzRuntime {
    objc::Runtime runtime;
    objc::Runtime::Scope scope{runtime};
    FuzzRuntime() { registerFoundationDataClasses(runtime); }
};

} // namespace zovo::fuzz
