#include "foundation/RunLoop.h"
#include "objc/Associations.h"
#include "objc/Object.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

namespace {

// Each main-thread-only operation, tried from another thread, stops a debug build with the
// operation named.
TEST(MainThread, OperationsOffTheMainThreadStopADebugBuild)
{
#ifdef NDEBUG
    GTEST_SKIP() << "the check is compiled into debug builds only";
#else
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    static const char key = 0;
    struct Case {
        const char* message;
        std::function<void(objc::Object*, const objc::WeakRef<objc::Object>&, zovo::RunLoop&)> operation;
    };
    const Case cases[] = {
        {"pinning an object", [](objc::Object* o, auto&, auto&) { o->pin(); }},
        {"making a weak reference", [](objc::Object* o, auto&, auto&) { objc::WeakRef<objc::Object> weak(o); }},
        {"reading a weak reference", [](objc::Object*, auto& weak, auto&) { (void)weak.get(); }},
        {"setting an associated object", [](objc::Object* o, auto&, auto&) { objc::objc_setAssociatedObject(o, &key, nullptr, objc::AssociationPolicy::Assign); }},
        {"reading an associated object", [](objc::Object* o, auto&, auto&) { (void)objc::objc_getAssociatedObject(o, &key); }},
        {"ending an object with weak references", [](objc::Object* o, auto&, auto&) { o->release(); }},
        {"queueing work on the run loop", [](objc::Object*, auto&, zovo::RunLoop& loop) { loop.perform([] {}); }},
        {"running the run loop", [](objc::Object*, auto&, zovo::RunLoop& loop) { loop.runUntilIdle(); }},
    };
    for (const Case& c : cases) {
        auto object = objc::StrongRef<objc::Object>::adopt(new objc::Object());
        objc::WeakRef<objc::Object> weak(object.get());
        zovo::RunLoop loop;
        EXPECT_DEATH(std::thread([&] { c.operation(object.get(), weak, loop); }).join(), std::string(c.message) + ".* off the main thread")
            << c.message;
        c.operation(object.get(), weak, loop); // and on the main thread it is allowed
        if (std::string(c.message).starts_with("ending")) object.leak();
        if (std::string(c.message).starts_with("pinning")) object->unpin();
    }
#endif
}

} // namespace
