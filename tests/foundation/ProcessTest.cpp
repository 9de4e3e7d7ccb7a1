#include "foundation/DarwinNotifyCenter.h"
#include "foundation/NSNotificationCenter.h"
#include "foundation/NSString.h"
#include "foundation/Process.h"
#include "foundation/RunLoop.h"
#include "objc/Message.h"
#include "TestFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using zovo::Process;

namespace {

std::vector<std::string> endings;

// Process-local storage that notes, as it ends, its number and whether the centres are still there.
template <int N>
struct Local {
    ~Local() { endings.push_back(std::to_string(N) + (Process::current().defaultCenter() ? " with centre" : " without centre")); }
    int value = 0;
};

// Counts live instances, and notes whether the centre was still there when the last one ended.
struct Tracked : objc::Object {
    static constexpr const char* kClassName = "Tracked";
    static inline int live = 0;
    static inline bool centreAliveAtEnd = false;
    Tracked() { ++live; }
    ~Tracked() override { centreAliveAtEnd = --live == 0 && Process::currentOrNull() && Process::currentOrNull()->defaultCenter(); }
};

TEST(Process, NestsWithItsOwnClassesAndLocalsAndEndsLocalsNewestFirstWhileTheCentresLive)
{
    endings.clear();
    {
        Process outer;
        objc::Class outerCentre = objc::objc_getClass("NSNotificationCenter");
        outer.local<Local<1>>().value = 7;
        outer.local<Local<2>>();
        {
            Process inner;
            EXPECT_EQ(&Process::current(), &inner);
            EXPECT_NE(objc::objc_getClass("NSNotificationCenter"), outerCentre);
            EXPECT_EQ(CFNotificationCenterGetDarwinNotifyCenter(), &inner.darwinCenter());
            EXPECT_EQ(inner.local<Local<1>>().value, 0);
        }
        EXPECT_EQ(&Process::current(), &outer);
        EXPECT_EQ(objc::send<objc::StrongId>(outerCentre, "defaultCenter").get(), outer.defaultCenter());
        EXPECT_EQ(outer.local<Local<1>>().value, 7);
        EXPECT_EQ(endings, (std::vector<std::string>{"1 with centre"}));
        endings.clear();
    }
    EXPECT_EQ(endings, (std::vector<std::string>{"2 with centre", "1 with centre"}));
    EXPECT_EQ(objc::Runtime::current(), nullptr);
    EXPECT_THROW(Process::current(), objc::RuntimeError);
}

TEST(Process, LaysOutAFreshRootAsOnThePhoneKeepsPathsInsideAndRemovesItAtTheEnd)
{
    fs::path root;
    {
        Process process;
        root = process.root();
        for (const char* directory : {"var/mobile/Library/Preferences", "Library/PreferenceBundles/zovorudovu.bundle", "Library/MobileSubstrate/DynamicLibraries"})
            EXPECT_TRUE(fs::is_directory(root / directory)) << directory;
        EXPECT_EQ(fs::read_symlink(root / "User"), fs::path("var/mobile")); // relative: the root can move

        EXPECT_EQ(process.hostPath("//var/./mobile//Library/"), root / "var/mobile/Library");
        EXPECT_EQ(process.hostPath("/..."), root / "...");
        using namespace std::string_view_literals;
        for (std::string_view refused : {""sv, "var/mobile"sv, "/.."sv, "/var/../../etc/passwd"sv, "/var/mobile\0/../../x"sv})
            EXPECT_EQ(process.hostPath(refused), fs::path()) << refused;
    }
    EXPECT_FALSE(fs::exists(root));
}

TEST(Process, KeepsAGivenRootAndRefusesOneItCannotLayOut)
{
    const zovo::TestFolder folder;
    const fs::path given = folder / "given", bad = folder / "bad";
    fs::create_directories(given / "var/mobile/Library/Preferences");
    std::ofstream(given / "var/mobile/Library/Preferences/kept.plist") << "settings";
    for (int run = 0; run < 2; ++run) { // the second time, the root is laid out already
        Process process({given});
        EXPECT_TRUE(fs::exists(process.hostPath("/User/Library/Preferences/kept.plist")));
    }
    EXPECT_TRUE(fs::exists(given / "var/mobile/Library/Preferences/kept.plist"));

    fs::create_directories(bad / "User");
    std::string error;
    try { Process process({bad}); } catch (const std::runtime_error& e) { error = e.what(); }
    EXPECT_NE(error.find(bad.string()), std::string::npos) << "a root whose User is a directory is refused, naming it: " << error;
    EXPECT_EQ(Process::currentOrNull(), nullptr);
    EXPECT_EQ(objc::Runtime::current(), nullptr);
}

TEST(Process, NothingOutlivesTheProcessAndQueuedBlocksEndBeforeTheCentres)
{
    {
        Process process;
        objc::Class cls = process.runtime().registerClass("Tracked", objc::objc_getClass("NSObject"), []() -> objc::Object* { return new Tracked(); });
        objc::addMethod(cls, objc::sel("heard:"), +[](objc::id, objc::SEL, objc::id) {});
        // One object held by a queued timer and weakly by the centre, one only weakly by the
        // centre, and a Darwin delivery still queued.
        objc::StrongRef<Tracked> queued = objc::make<Tracked>();
        process.mainRunLoop().schedule(10, [queued] {});
        process.defaultCenter()->addObserver(queued.get(), objc::sel("heard:"), NSString::from("X").get(), nullptr);
        process.defaultCenter()->addObserver(objc::make<Tracked>().get(), objc::sel("heard:"), nullptr, nullptr);
        CFNotificationCenterAddObserver(&process.darwinCenter(), nullptr, [](CFNotificationCenterRef, void*, CFStringRef, const void*, CFDictionaryRef) {},
                                        CFSTR("Y"), nullptr, CFNotificationSuspensionBehaviorHold);
        process.darwinCenter().post("Y");
        queued = nullptr;
        EXPECT_EQ(Tracked::live, 1);
    }
    EXPECT_EQ(Tracked::live, 0);
    EXPECT_TRUE(Tracked::centreAliveAtEnd);
}

} // namespace
