// What the runtime's core mechanisms cost, each beside a C++ virtual call doing the same work:
// a message sent as the project's code sends it (selector by name at the call site), a message
// to nil, a post reaching three observers and a post that nobody hears. A burst of run loop
// items, such as one animation frame queues, is measured here too.
#include "foundation/NSNotificationCenter.h"
#include "foundation/NSString.h"
#include "foundation/Process.h"
#include "foundation/RunLoop.h"
#include "objc/Message.h"
#include "VirtualCounter.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

namespace {

struct Counter : objc::Object {
    static constexpr const char* kClassName = "BenchCounter";
    std::int64_t heard = 0;
};

void counterHeard(objc::id self, objc::SEL, objc::id) { ++static_cast<Counter*>(self)->heard; }
void counterPing(objc::id self, objc::SEL) { ++static_cast<Counter*>(self)->heard; }

objc::Class registerCounter(zovo::Process& process)
{
    objc::Class cls = process.runtime().registerClass(Counter::kClassName, objc::objc_getClass("NSObject"), []() -> objc::Object* { return new Counter(); });
    objc::addMethod(cls, objc::sel("heard:"), counterHeard);
    objc::addMethod(cls, objc::sel("ping"), counterPing);
    return cls;
}

void BM_VirtualCall(benchmark::State& state)
{
    auto owned = zovo::bench::makeVirtualCounter();
    zovo::bench::VirtualCounter* counter = owned.get();
    for (auto _ : state) {
        benchmark::DoNotOptimize(counter);
        counter->ping();
    }
    benchmark::DoNotOptimize(owned->heard);
}
BENCHMARK(BM_VirtualCall);

// As the project's code sends: the selector named at the call site.
void BM_MessageSend(benchmark::State& state)
{
    zovo::Process process;
    registerCounter(process);
    objc::StrongId counter = objc::class_createInstance(objc::objc_getClass(Counter::kClassName));
    objc::id receiver = counter.get();
    for (auto _ : state) {
        benchmark::DoNotOptimize(receiver);
        objc::send(receiver, "ping");
    }
    benchmark::DoNotOptimize(static_cast<Counter*>(receiver)->heard);
}
BENCHMARK(BM_MessageSend);

void BM_MessageSendToNil(benchmark::State& state)
{
    zovo::Process process;
    registerCounter(process);
    objc::id receiver = nullptr;
    for (auto _ : state) {
        benchmark::DoNotOptimize(receiver);
        objc::send(receiver, "ping");
    }
}
BENCHMARK(BM_MessageSendToNil);

// The common case: three observers of one name among a few dozen other entries.
void BM_PostThreeObservers(benchmark::State& state)
{
    zovo::Process process;
    registerCounter(process);
    NSNotificationCenter* centre = process.defaultCenter();
    std::vector<objc::StrongRef<Counter>> observers;
    for (int i = 0; i < 3; ++i) {
        observers.push_back(objc::make<Counter>());
        centre->addObserver(observers.back().get(), objc::sel(i == 1 ? "ping" : "heard:"), NSString::from("Zovorudovu_UpdateContent").get(), nullptr);
    }
    for (int i = 0; i < 30; ++i)
        centre->addObserver(observers[0].get(), objc::sel("heard:"), (NSString::from("Zovorudovu_Other_" + std::to_string(i))).get(), nullptr);
    objc::StrongRef<NSString> name = NSString::from("Zovorudovu_UpdateContent");
    for (auto _ : state) centre->postNotificationName(name.get(), nullptr);
    benchmark::DoNotOptimize(observers[0]->heard);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PostThreeObservers);

// The same post to observers whose methods take no argument: no notification object is made,
// which separates its cost from the cost of reaching the observers.
void BM_PostThreeObserversWithoutNotification(benchmark::State& state)
{
    zovo::Process process;
    registerCounter(process);
    NSNotificationCenter* centre = process.defaultCenter();
    std::vector<objc::StrongRef<Counter>> observers;
    for (int i = 0; i < 3; ++i) {
        observers.push_back(objc::make<Counter>());
        centre->addObserver(observers.back().get(), objc::sel("ping"), NSString::from("Zovorudovu_UpdateContent").get(), nullptr);
    }
    objc::StrongRef<NSString> name = NSString::from("Zovorudovu_UpdateContent");
    for (auto _ : state) centre->postNotificationName(name.get(), nullptr);
    benchmark::DoNotOptimize(observers[0]->heard);
}
BENCHMARK(BM_PostThreeObserversWithoutNotification);

void BM_PostNoObservers(benchmark::State& state)
{
    zovo::Process process;
    NSNotificationCenter* centre = process.defaultCenter();
    objc::StrongRef<NSString> name = NSString::from("Zovorudovu_Unheard");
    for (auto _ : state) centre->postNotificationName(name.get(), nullptr);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PostNoObservers);

// Fifty items at mixed due times, queued and run in one step.
void BM_RunLoopBurstOfFifty(benchmark::State& state)
{
    zovo::RunLoop loop;
    std::int64_t ran = 0;
    for (auto _ : state) {
        for (int i = 0; i < 50; ++i) {
            if (i % 2) loop.perform([&ran] { ++ran; });
            else loop.schedule(0.001 * (i % 7), [&ran] { ++ran; });
        }
        loop.advance(0.01);
    }
    benchmark::DoNotOptimize(ran);
    state.SetItemsProcessed(state.iterations() * 50);
}
BENCHMARK(BM_RunLoopBurstOfFifty);

} // namespace
