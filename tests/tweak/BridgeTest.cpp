#include "TweakFixture.h"

#include "tweak/BLNotificationBridge.h"
#include "uikit/DeviceProfile.h"
#include "uikit/UIScreen.h"

#include <atomic>
#include <thread>

namespace {

using Bridge = TweakFixture;

// The threads asking for the shared instance at once, and the instances made. The allocator holds
// the first instance back until every thread has asked and then a while longer, so that a first
// use without a guard makes more than one instance on any machine, not only under a race detector.
constexpr int kAskers = 8;
std::atomic<int> askers{0};
std::atomic<int> bridgesMade{0};

objc::Object* heldBackBridge()
{
    ++bridgesMade;
    while (askers.load() < kAskers) std::this_thread::yield();
    for (int i = 0; i < 20000 && bridgesMade.load() == 1; ++i) std::this_thread::yield();
    return new BLNotificationBridge();
}

TEST_F(Bridge, SharedInstanceIsMadeOnceEvenUnderConcurrentFirstCalls)
{
    zovorudovu::registerClasses(process.runtime());
    objc::Class cls = objc::objc_getClass("BLNotificationBridge");
    cls->setAllocator(heldBackBridge);
    askers = 0;
    bridgesMade = 0;
    std::vector<std::thread> threads;
    std::vector<objc::id> seen(kAskers);
    for (int i = 0; i < kAskers; ++i)
        threads.emplace_back([&, i] {
            ++askers;
            seen[i] = objc::send<objc::StrongId>(cls, "sharedInstance").get();
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(bridgesMade.load(), 1);
    for (auto* s : seen) EXPECT_EQ(s, seen[0]);
    EXPECT_EQ(objc::send<objc::StrongId>(cls, "sharedInstance").get(), seen[0]);
    EXPECT_EQ(seen[0]->isa, cls);
}

// Until the settings and the host's first layout reach it, nothing is presented or switched on and
// no width or position is known: a banner built before then must not act on leftovers.
TEST_F(Bridge, StartsEmptyAndItsPropertiesKeepTheirTypesAndTheirOwnReferences)
{
    zovorudovu::registerClasses(process.runtime());
    BLNotificationBridge* b = bridge();
    EXPECT_FALSE(b->presented || b->adaptiveColours || b->showGrabber || b->showTimestamp || b->customWidth);
    EXPECT_FALSE(b->longLookActivated || b->longLookActivationMethodWasSwipe);
    EXPECT_EQ(b->customWidthValue + b->safeYPos + b->notchWidth, 0.0f);
    EXPECT_FALSE(b->icon || b->primaryText || b->secondaryText || b->dateText || b->adaptive_backgroundColour || b->adaptive_textColour);

    // Properties keep their declared types (a float setter takes a float) and the content fields their
    // own references.
    objc::StrongId shared = objc::send<objc::StrongId>(objc::objc_getClass("BLNotificationBridge"), "sharedInstance");
    objc::send(shared, "setSafeYPos:", static_cast<float>(100.7));
    EXPECT_EQ(static_cast<double>(objc::send<float>(shared, "safeYPos")), 100.69999694824219);
    EXPECT_THROW(objc::send(shared, "setSafeYPos:", 100.7), objc::RuntimeError) << "a double is not the setter's type";
    objc::WeakRef<objc::Object> weak;
    {
        objc::StrongId title = text("Title from a view that is about to go");
        weak = title.get();
        objc::send(shared, "setPrimaryText:", title);
    }
    ASSERT_TRUE(weak.get()) << "the bridge keeps the text alive after its owner let go";
    EXPECT_EQ(textOf(objc::send<objc::StrongId>(shared, "primaryText").get()), "Title from a view that is about to go");
}

// Brightness is (299 r + 587 g + 114 b) / 1000; below 0.5 takes white text. Each colour just
// below the line leans on one weight: a weight one larger would carry it over.
TEST_F(Bridge, LightOrDarkUsesLumaWeights)
{
    zovorudovu::registerClasses(process.runtime());
    const struct {
        double r, g, b, text;
    } cases[] = {
        {0.5, 0.5, 0.5, 0.0}, // exactly 0.5 counts as light: black text
        {1, 0, 0, 1.0},       {0, 1, 0, 0.0},
        {1, 200.5 / 587, 0, 1.0}, {0, 499.5 / 587, 0, 1.0}, {0, 385.5 / 587, 1, 1.0},
    };
    for (const auto& c : cases) {
        bridge()->determineWhetherUIColorIsLightOrDark(UIColor::colorWithRed(c.r, c.g, c.b, 1).get());
        EXPECT_EQ(objc::cast<UIColor>(bridge()->adaptive_textColour)->red(), c.text) << c.r << " " << c.g << " " << c.b;
    }
    bridge()->determineWhetherUIColorIsLightOrDark(nullptr);
    EXPECT_EQ(objc::cast<UIColor>(bridge()->adaptive_textColour)->red(), 0.0) << "no colour counts as light: black text";
}

class NotchWidth : public TweakFixture {
protected:
    NotchWidth() { zovorudovu::registerClasses(process.runtime()); }
    float widthFor(const char* model, float before = 0)
    {
        UIDevice::setModelIdentifier(model);
        bridge()->notchWidth = before;
        objc::send(objc::StrongId(bridge()), "notchWidthForCurrentDeviceModel");
        return bridge()->notchWidth;
    }
};

TEST_F(NotchWidth, EveryListedModelHasItsListsWidthAndOthersTheScreenLessEighty)
{
    const std::pair<float, std::vector<const char*>> lists[] = {
        {209, {"iPhone10,3", "iPhone10,6", "iPhone11,2", "iPhone11,4", "iPhone12,3", "iPhone13,1", "iPhone14,4", "iPhone12,5", "iPhone11,6"}},
        {230, {"iPhone11,8", "iPhone12,1", "iPhone13,2", "iPhone13,3", "iPhone14,5", "iPhone14,2"}},
        {238, {"iPhone13,4", "iPhone14,3"}},
    };
    for (const auto& [width, models] : lists)
        for (const char* model : models) EXPECT_EQ(widthFor(model, 1), width) << model;
    // Every model the lists name can be chosen as a device, so each listed width can be seen.
    for (std::string_view model : notchListedModels()) EXPECT_NE(zovo::findDeviceProfile(model), nullptr) << model;

    // A notched phone no list names (newer than the lists, or a wrong case) takes the rule of a
    // phone without one instead of a width of 0 that shows nothing.
    UIScreen::mainScreen()->setPortraitSize(CGSizeMake(393, 852));
    EXPECT_EQ(widthFor("iPhone15,2", 0), 313.0f);
    EXPECT_EQ(widthFor("iphone14,3", 0), 313.0f);
    EXPECT_EQ(widthFor("", 0), 313.0f) << "an empty identifier matches no unused place in a list";
}

} // namespace
