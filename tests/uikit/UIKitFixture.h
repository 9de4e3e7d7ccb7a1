// A fresh simulated process with the UIKit classes registered.
#pragma once

#include "foundation/Process.h"
#include "foundation/RunLoop.h"
#include "uikit/UIKitClasses.h"

#include <gtest/gtest.h>

class UIKitFixture : public ::testing::Test {
protected:
    UIKitFixture() { registerUIKitClasses(process.runtime()); }

    void advance(double seconds) { process.mainRunLoop().advance(seconds); }

    zovo::Process process;
};
