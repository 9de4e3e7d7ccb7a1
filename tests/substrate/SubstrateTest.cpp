#include "substrate/Substrate.h"

#include "objc/Message.h"

#include <gtest/gtest.h>

#include <string>

using namespace objc;

namespace {

int baseValue(id, SEL) { return 1; }
int derivedValue(id, SEL) { return 10; }
int (*previousValue)(id, SEL) = nullptr;
int hookedValue(id self, SEL cmd) { return previousValue(self, cmd) + 100; }
int (*previousValue2)(id, SEL) = nullptr;
int hookedValue2(id self, SEL cmd) { return previousValue2(self, cmd) + 1000; }
double wrongSignature(id, SEL) { return 0; }

class Substrate : public ::testing::Test {
protected:
    void SetUp() override
    {
        previousValue = previousValue2 = nullptr;
        addMethod(base, sel("value"), baseValue);
    }
    Runtime runtime;
    Runtime::Scope scope{runtime};
    Class base = runtime.registerClass("Base", objc_getClass("NSObject"));
    Class middle = runtime.registerClass("Middle", base);
    Class leaf = runtime.registerClass("Leaf", middle);
};

TEST_F(Substrate, HookingADefinedMethodReplacesItHandsBackThePreviousBodyAndChains)
{
    StrongId object = send<StrongId>(base, "new");
    EXPECT_EQ(send<int>(object, "value"), 1); // warms the cache
    MSHookMessageEx(base, sel("value"), hookedValue, &previousValue);
    ASSERT_EQ(previousValue, &baseValue);
    EXPECT_EQ(send<int>(object, "value"), 101);
    StrongId leafObject = send<StrongId>(leaf, "new");
    EXPECT_EQ(send<int>(leafObject, "value"), 101) << "subclasses that do not define it see the hook";
    MSHookMessageEx(base, sel("value"), hookedValue2, &previousValue2);
    EXPECT_EQ(previousValue2, &hookedValue) << "a second hook chains to the first";
    EXPECT_EQ(send<int>(object, "value"), 1101);
}

TEST_F(Substrate, HookingAnInheritedMethodLeavesTheSuperclassAndOverridingSubclassesUntouched)
{
    addMethod(leaf, sel("value"), derivedValue);
    MSHookMessageEx(middle, sel("value"), hookedValue, &previousValue);
    EXPECT_EQ(previousValue, &baseValue) << "the inherited body is the previous one";
    EXPECT_EQ(send<int>(send<StrongId>(base, "new"), "value"), 1);
    EXPECT_EQ(send<int>(send<StrongId>(middle, "new"), "value"), 101);
    EXPECT_EQ(send<int>(send<StrongId>(leaf, "new"), "value"), 10);
}


TEST_F(Substrate, SlotIsFilledBeforeTheNewBodyCanRun)
{
    // The new body runs with whatever the slot holds: a hook that reached an empty slot answers -1.
    static int (*slot)(id, SEL) = nullptr;
    MSHookMessageEx(middle, sel("value"), +[](id self, SEL cmd) -> int { return slot ? slot(self, cmd) + 5 : -1; }, &slot);
    EXPECT_EQ(send<int>(send<StrongId>(leaf, "new"), "value"), 6);
}

TEST_F(Substrate, MismatchedSignaturesAndMissingMethodsFailLoudly)
{
    double (*slot)(id, SEL) = nullptr;
    try {
        MSHookMessageEx(base, sel("value"), wrongSignature, &slot);
        FAIL();
    } catch (const RuntimeError& e) {
        EXPECT_NE(std::string(e.what()).find("-[Base value]"), std::string::npos) << e.what();
    }
    EXPECT_EQ(slot, nullptr);
    EXPECT_EQ(send<int>(send<StrongId>(base, "new"), "value"), 1) << "a refused hook changes nothing";
    EXPECT_THROW(MSHookMessageEx(base, sel("missing"), hookedValue, &previousValue), RuntimeError);
    EXPECT_THROW(MSHookMessageEx(Class(nullptr), sel("value"), hookedValue, &previousValue), RuntimeError);
}

} // namespace
