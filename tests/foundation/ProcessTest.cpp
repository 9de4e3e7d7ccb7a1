#include "foundation/DarwinNotifyCenter.h"
#include "foundation/NSNotificationCenter.h"
#include "foundation/NSString.h"
#include "foundation/Process.h"
#include "foundation/RunLoop.h"
#include "objc/Message.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using zovo::Process;

namespace {

std::vector<std::string> endings;

struct FirstLocal {
    ~FirstLocal() { endings.push_back("first"); }
    int value = 0;
};
struct SecondLocal {
    ~SecondLocal() { endings.push_back(Process::current().defaultCenter() ? "second, centre alive" : "second, centre gone"); }
};

// Counts live instances, and notes whether the centre was still there when the last one ended.
struct Tracked : objc::Object {
    static constexpr const char* kClassName = "Tracked";
    static inline int live = 0;
    static inline bool centreAliveAtEnd = false;
    Tracked() { ++live; }
    ~Tracked() override
    {
        --live;
        Process* process = Process::currentOrNull();
        centreAliveAtEnd = process && process->defaultCenter();
    }
};

void trackedHeard(objc::id, objc::SEL, objc::id) {}
void ignoreDarwin(CFNotificationCenterRef, void*, CFStringRef, const void*, CFDictionaryRef) {}

// A directory given to a process as its root, removed at the end of the test.
struct ScratchDirectory {
    fs::path path;
    ScratchDirectory()
    {
        std::string pattern = (fs::temp_directory_path() / "zovorudovu-test-XXXXXX").string();
        path = mkdtemp(pattern.data());
    }
    ~ScratchDirectory() { fs::remove_all(path); }
};

TEST(Process, BecomesCurrentWithItsOwnClassesAndHandsBackToThePreviousOne)
{
    {
        Process outer;
        objc::Class outerCentre = objc::objc_getClass("NSNotificationCenter");
        EXPECT_NE(objc::objc_getClass("NSString"), nullptr);
        {
            Process inner;
            EXPECT_EQ(&Process::current(), &inner);
            EXPECT_NE(objc::objc_getClass("NSNotificationCenter"), outerCentre);
            EXPECT_EQ(CFNotificationCenterGetDarwinNotifyCenter(), &inner.darwinCenter());
        }
        EXPECT_EQ(&Process::current(), &outer);
        EXPECT_EQ(objc::Runtime::current(), &outer.runtime());
        EXPECT_EQ(objc::send<objc::Id>(outerCentre, "defaultCenter").get(), outer.defaultCenter());
    }
    EXPECT_EQ(objc::Runtime::current(), nullptr);
    EXPECT_THROW(Process::current(), objc::RuntimeError);
}

TEST(Process, LaysOutAFreshRootAsOnThePhoneKeepsPathsInsideAndRemovesItAtTheEnd)
{
    fs::path root;
    {
        Process process;
        root = process.root();
        EXPECT_TRUE(fs::is_directory(root / "var/mobile/Library/Preferences"));
        EXPECT_TRUE(fs::is_directory(root / "Library/PreferenceBundles/zovorudovu.bundle"));
        EXPECT_TRUE(fs::is_directory(root / "Library/MobileSubstrate/DynamicLibraries"));
        EXPECT_EQ(fs::read_symlink(root / "User"), fs::path("var/mobile")); // relative: the root can move
        std::ofstream(process.hostPath("/User/Library/Preferences/x.plist")) << "one file";
        EXPECT_EQ(fs::file_size(process.hostPath("/var/mobile/Library/Preferences/x.plist")), 8u);

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
    ScratchDirectory scratch;
    fs::create_directories(scratch.path / "var/mobile/Library/Preferences");
    std::ofstream(scratch.path / "var/mobile/Library/Preferences/kept.plist") << "settings";
    for (int run = 0; run < 2; ++run) { // the second time, the root is laid out already
        Process process({scratch.path});
        EXPECT_TRUE(fs::exists(process.hostPath("/User/Library/Preferences/kept.plist")));
    }
    EXPECT_TRUE(fs::exists(scratch.path / "var/mobile/Library/Preferences/kept.plist"));

    ScratchDirectory bad;
    fs::create_directories(bad.path / "User");
    try {
        Process process({bad.path});
        ADD_FAILURE() << "a root with a User directory was accepted";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find(bad.path.string()), std::string::npos) << error.what();
    }
    EXPECT_EQ(Process::currentOrNull(), nullptr);
    EXPECT_EQ(objc::Runtime::current(), nullptr);
}

TEST(Process, LocalsAreOnePerProcessAndEndNewestFirstWhileTheCentresLive)
{
    endings.clear();
    {
        Process outer;
        outer.local<FirstLocal>().value = 7;
        outer.local<SecondLocal>();
        EXPECT_EQ(outer.local<FirstLocal>().value, 7);
        {
            Process inner;
            EXPECT_EQ(inner.local<FirstLocal>().value, 0);
        }
        EXPECT_EQ(endings, (std::vector<std::string>{"first"}));
        endings.clear();
    }
    EXPECT_EQ(endings, (std::vector<std::string>{"second, centre alive", "first"}));
}

TEST(Process, NothingOutlivesTheProcess)
{
    {
        Process process;
        objc::Class cls = process.runtime().registerClass("Tracked", objc::objc_getClass("NSObject"), []() -> objc::Object* { return new Tracked(); });
        objc::addMethod(cls, objc::sel("heard:"), trackedHeard);
        // One object held by a queued timer and weakly by the centre, one only weakly by the
        // centre, and a Darwin delivery still queued.
        objc::Ref<Tracked> queued = objc::make<Tracked>();
        process.mainRunLoop().schedule(10, [queued] {});
        process.defaultCenter()->addObserver(queued, objc::sel("heard:"), NSString::from("X"), nullptr);
        process.defaultCenter()->addObserver(objc::make<Tracked>(), objc::sel("heard:"), nullptr, nullptr);
        CFNotificationCenterAddObserver(&process.darwinCenter(), nullptr, ignoreDarwin, CFSTR("Y"), nullptr, CFNotificationSuspensionBehaviorHold);
        process.darwinCenter().post("Y");
        queued = nullptr;
        EXPECT_EQ(Tracked::live, 1);
    }
    EXPECT_EQ(Tracked::live, 0);
    EXPECT_TRUE(Tracked::centreAliveAtEnd); // queued blocks end before the centres do
}

} // namespace
