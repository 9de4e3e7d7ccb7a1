#include "objc/Message.h"
#include "objc/Runtime.h"
#include "objc/TrackedObjects.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

using namespace objc;

namespace {

struct Counter : Object {
    static constexpr const char* kClassName = "Counter";
    int value = 0;
};
struct Unknown : Object {
    static constexpr const char* kClassName = "Unknown";
};

int counterValue(id self, SEL) { return static_cast<Counter*>(self)->value; }
void counterSetValue(id self, SEL, std::int32_t v) { static_cast<Counter*>(self)->value = v; }
int answer41(id, SEL) { return 41; }
int answer42(id, SEL) { return 42; }
int answer43(id, SEL) { return 43; }
double half(id, SEL, double x) { return x / 2; }

class ObjcRuntime : public ::testing::Test {
protected:
    Runtime runtime;
    Runtime::Scope scope{runtime};
    Class base = runtime.registerClass("Base", objc_getClass("NSObject"), []() -> Object* { return new Counter(); });
    Class derived = runtime.registerClass("Derived", base);
};

TEST_F(ObjcRuntime, ClassesSelectorsAndInstancesAreFoundByName)
{
    EXPECT_EQ(objc_getClass("Derived")->superclass(), base);
    EXPECT_EQ(objc_getClass("Nope"), nullptr);
    EXPECT_EQ(derived->metaclass()->superclass(), base->metaclass());
    EXPECT_THROW(runtime.registerClass("Base", nullptr), RuntimeError);
    EXPECT_EQ(sel("frame"), sel(std::string("fra") + "me"));
    EXPECT_EQ(sel_argumentCount(sel("a:b:")), 2);
    StrongId object = send<StrongId>(derived, "new"); // the allocator of the nearest class that has one
    EXPECT_TRUE(object->isa == derived && cast<Counter>(object) && object->retainCount() == 1u);
    EXPECT_THROW(make<Unknown>(), RuntimeError) << "a C++ type whose class is not registered";
}

TEST_F(ObjcRuntime, DispatchFindsInheritedMethodsOverridesWinAndSuperSendsGoAbove)
{
    addMethod(base, sel("value"), counterValue);
    addMethod(base, sel("setValue:"), counterSetValue);
    StrongId object = send<StrongId>(derived, "new");
    send(object, "setValue:", std::int32_t{7});
    EXPECT_EQ(send<int>(object, "value"), 7);
    addMethod(derived, sel("value"), answer42);
    EXPECT_EQ(send<int>(object, "value"), 42) << "an override added later must not be hidden by the cache";
    StrongId plain = send<StrongId>(base, "new");
    EXPECT_EQ(send<int>(plain, "value"), 0);
    addMethod(base, sel("answer"), answer41);
    addMethod(derived, sel("answer"), +[](id self, SEL cmd) -> int { return sendSuper<int>(self, objc_getClass("Derived"), cmd) + 1; });
    EXPECT_EQ(send<int>(object, "answer"), 42) << "a super send starts above the defining class";
}

TEST_F(ObjcRuntime, CacheStaysCorrectWhenSuperclassMethodsChange)
{
    EXPECT_TRUE(class_addMethod(base, sel("answer"), answer41, "i@:"));
    EXPECT_FALSE(class_addMethod(base, sel("answer"), answer42, "i@:")) << "the class already has it";
    StrongId object = send<StrongId>(derived, "new");
    EXPECT_EQ(send<int>(object, "answer"), 41); // fills Derived's cache
    class_replaceMethod(base, sel("answer"), answer43);
    EXPECT_EQ(send<int>(object, "answer"), 43);
    EXPECT_FALSE(respondsTo(object, sel("late")));
    addMethod(base, sel("late"), answer42); // a cached miss must not survive an add
    EXPECT_TRUE(respondsTo(object, sel("late")));
    EXPECT_EQ(send<int>(object, "late"), 42);
}

TEST_F(ObjcRuntime, EncodingsAreCheckedAtAddAndAtSend)
{
    EXPECT_THROW(class_addMethod(base, sel("half:"), half, "d@:f"), RuntimeError);
    EXPECT_TRUE(class_addMethod(base, sel("half:"), half, "d@:d"));
    StrongId object = send<StrongId>(base, "new");
    EXPECT_DOUBLE_EQ(send<double>(object, "half:", 5.0), 2.5);
    // The message names the method (+ for a class method), its encoding and the caller's.
    EXPECT_EQ(runtimeErrorOf([&] { send<double>(object, "half:", 5); }), // an int is not a double
              "-[Base half:]: the method's type encoding is \"d@:d\" but the caller's signature is \"d@:i\"");
    addClassMethod(base, sel("answer"), answer42);
    EXPECT_EQ(runtimeErrorOf([&] { send<double>(derived, "answer"); }),
              "+[Derived answer]: the method's type encoding is \"i@:\" but the caller's signature is \"d@:\"");
    EXPECT_THROW(send<float>(object, "half:", 5.0), RuntimeError);
    EXPECT_STREQ((encodingOf<void, id>()), "v@:@");
    EXPECT_STREQ((encodingOf<void, bool>()), "v@:B");
    EXPECT_STREQ((encodingOf<StrongId>()), "@@:");
    EXPECT_STREQ((encodingOf<void, std::function<void(bool)>>()), "v@:@?<v@?B>");
}

TEST_F(ObjcRuntime, UnrecognizedSelectorNamesClassAndSelectorAndNilAnswersZero)
{
    StrongId object = send<StrongId>(derived, "new");
    EXPECT_NE(runtimeErrorOf([&] { send(object, "frobnicate:", 1.0); }).find("-[Derived frobnicate:]: unrecognized selector"), std::string::npos);
    EXPECT_THROW(send(derived, "frobnicate"), RuntimeError);
    id nothing = nullptr; // while a message to nil returns zero
    EXPECT_EQ(send<int>(nothing, "anything"), 0);
    EXPECT_EQ(send<double>(StrongId(), "anything"), 0.0);
    EXPECT_FALSE(send<StrongId>(nothing, "anything"));
    send(nothing, "anything:", 3.0);
}

TEST_F(ObjcRuntime, ClassMethodsLiveOnTheMetaclassAndInstancesAnswerRespondsAndKindOf)
{
    addClassMethod(base, sel("answer"), answer42);
    addMethod(base, sel("value"), counterValue);
    EXPECT_EQ(send<int>(derived, "answer"), 42);
    EXPECT_TRUE(send<bool>(derived, "respondsToSelector:", sel("answer")));
    StrongId object = send<StrongId>(derived, "new");
    EXPECT_FALSE(respondsTo(object, sel("answer")));
    EXPECT_TRUE(send<bool>(object, "respondsToSelector:", sel("value")));
    EXPECT_FALSE(send<bool>(object, "respondsToSelector:", sel("delegate")));
    EXPECT_TRUE(send<bool>(object, "isKindOfClass:", base));
    EXPECT_TRUE(send<bool>(object, "isKindOfClass:", objc_getClass("NSObject")));
    StrongId parent = send<StrongId>(base, "new");
    EXPECT_FALSE(send<bool>(parent, "isKindOfClass:", derived));
    EXPECT_FALSE(isKindOf(nullptr, base));
    EXPECT_EQ(send<Class>(object, "class"), derived);
}

TEST_F(ObjcRuntime, PropertiesAreAddedOnceAndFoundThroughSubclasses)
{
    PropertyAttribute plainDouble[] = {{"T", "d"}, {"N", ""}};
    EXPECT_TRUE(class_addProperty(base, "bannerHeight", plainDouble, 2));
    EXPECT_FALSE(class_addProperty(base, "bannerHeight", plainDouble, 2));
    EXPECT_STREQ(property_getAttributes(class_getProperty(derived, "bannerHeight")), "Td,N");
    EXPECT_EQ(class_getProperty(base, "missing"), nullptr);
}

// Sends by literal, by handle and by a name made at run time share one cache, which grows as it
// fills and must keep every answer through growth, a class registered on the way, and misses.
TEST_F(ObjcRuntime, EverySpellingOfASelectorFindsTheSameMethodAsTheCacheGrows)
{
    StrongId object = send<StrongId>(derived, "new");
    for (int i = 0; i < 100; ++i) addMethod(base, sel("m" + std::to_string(i)), i % 2 ? answer41 : answer43);
    addMethod(base, sel("value"), counterValue);
    EXPECT_EQ(send<int>(object, "value"), 0);
    for (int i = 0; i < 100; ++i) {
        const std::string name = "m" + std::to_string(i);
        ASSERT_EQ(send<int>(object, name), i % 2 ? 41 : 43) << name;
        ASSERT_EQ(send<int>(object, sel(name)), i % 2 ? 41 : 43) << name;
        ASSERT_FALSE(respondsTo(object, sel("missing" + std::to_string(i))));
    }
    Class later = runtime.registerClass("Later", derived);
    EXPECT_EQ(send<int>(object, "value"), 0) << "registering a class changes no existing answer";
    EXPECT_EQ(send<int>(send<StrongId>(later, "new"), "m1"), 41);
    EXPECT_THROW(send<int>(object, "missing1"), RuntimeError);
}

// Readers on other threads send while the main thread keeps adding methods, each add making
// every table stale; no reader may see a wrong method or a table freed under it.
TEST_F(ObjcRuntime, ReadersKeepTheirAnswersWhileAWriterInvalidates)
{
    addClassMethod(base, sel("answer"), answer42);
    std::atomic<bool> stop{false};
    std::atomic<int> wrong{0};
    std::vector<std::thread> readers;
    for (int i = 0; i < 3; ++i)
        readers.emplace_back([&] {
            while (!stop.load())
                if (send<int>(derived, "answer") != 42) ++wrong;
        });
    for (int i = 0; i < 300; ++i) addClassMethod(base, sel("extra" + std::to_string(i)), answer41);
    stop = true;
    for (auto& t : readers) t.join();
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(send<int>(derived, "extra299"), 41);
}

} // namespace
