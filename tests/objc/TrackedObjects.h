// A fresh runtime per test with one registered class whose instances are counted, so that a
// test can prove that nothing it made is left alive.
#pragma once

#include "objc/Object.h"
#include "objc/Runtime.h"

#include <gtest/gtest.h>

struct Tracked : objc::Object {
    static constexpr const char* kClassName = "Tracked";
    static inline int live = 0;
    Tracked() { ++live; }
    ~Tracked() override { --live; }
};

class TrackedObjects : public ::testing::Test {
protected:
    void SetUp() override { Tracked::live = 0; }
    void TearDown() override { EXPECT_EQ(Tracked::live, 0); }
    objc::Runtime runtime;
    objc::Runtime::Scope scope{runtime};
    objc::Class tracked = runtime.registerClass("Tracked", objc::objc_getClass("NSObject"), []() -> objc::Object* { return new Tracked(); });
};
