// A fresh runtime per test with one registered class whose instances are counted, so that a
// test can prove that nothing it made is left alive.
#pragma once

#include "objc/Object.h"
#include "objc/Runtime.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

struct Tracked : objc::Object {
    static constexpr const char* kClassName = "Tracked";
    static inline int live = 0;
    Tracked() { ++live; }
    ~Tracked() override { --live; }
};

// The message of the objc::RuntimeError that `step` raises, or "" when it raises none.
inline std::string runtimeErrorOf(const std::function<void()>& step)
{
    try { step(); } catch (const objc::RuntimeError& error) { return error.what(); }
    return "";
}

class TrackedObjects : public ::testing::Test {
protected:
    void SetUp() override { Tracked::live = 0; }
    void TearDown() override { EXPECT_EQ(Tracked::live, 0); }
    objc::Runtime runtime;
    objc::Runtime::Scope scope{runtime};
    objc::Class tracked = runtime.registerClass("Tracked", objc::objc_getClass("NSObject"), []() -> objc::Object* { return new Tracked(); });
};
