// A loaded component in a fresh process, with helpers to build banner windows, record the
// internal notifications and stand in for a pan recogniser.
#pragma once

#include "TweakFixture.h"

#include "foundation/NSNotification.h"
#include "foundation/NSNotificationCenter.h"
#include "tweak/BLBottomGrabberView.h"
#include "tweak/BLNotificationBanner.h"
#include "uikit/UIScreen.h"
#include "uikit/UIWindow.h"

#include <string>
#include <vector>

// Answers what the banner's drag handler asks of a pan recogniser, with values the test sets.
class TestPan : public objc::Object {
public:
    static constexpr const char* kClassName = "TestPan";
    CGPoint translation{};
    std::int64_t state = 0;
    objc::StrongId view;
};

class BannerFixture : public TweakFixture {
protected:
    BannerFixture()
    {
        writeSettings({});
        load();
        objc::Class pan = process.runtime().registerClass("TestPan", objc::objc_getClass("NSObject"), []() -> objc::Object* { return new TestPan(); });
        objc::addMethod(pan, objc::sel("translationInView:"), +[](objc::id self, objc::SEL, objc::id) { return static_cast<TestPan*>(self)->translation; });
        objc::addMethod(pan, objc::sel("setTranslation:inView:"),
                        +[](objc::id self, objc::SEL, CGPoint t, objc::id) { static_cast<TestPan*>(self)->translation = t; });
        objc::addMethod(pan, objc::sel("state"), +[](objc::id self, objc::SEL) { return static_cast<TestPan*>(self)->state; });
        objc::addMethod(pan, objc::sel("view"), +[](objc::id self, objc::SEL) -> objc::StrongId { return static_cast<TestPan*>(self)->view; });
        NSNotificationCenter::defaultCenter()->setPostListener([this](const std::string& name) { posted.push_back(name); });
    }

    objc::StrongRef<BLNotificationBanner> makeBanner(CGRect frame = CGRectMake(0, -120, 209, 120))
    {
        objc::StrongId window = objc::send<objc::StrongId>(objc::send<objc::StrongId>(objc::objc_getClass("BLNotificationBanner"), "alloc"),
                                               "initWithFrame:bgColour:textColour:", frame, UIColor::blackColor(), UIColor::whiteColor());
        return objc::StrongRef<BLNotificationBanner>(objc::cast<BLNotificationBanner>(window));
    }

    // Sends one drag message with the recogniser in `state` after the finger moved by dy.
    void drag(BLNotificationBanner* banner, std::int64_t state, double dy)
    {
        if (!pan) pan = objc::make<TestPan>();
        pan->view = objc::StrongId(banner);
        pan->state = state;
        pan->translation = CGPointMake(7, dy); // the horizontal part must be ignored
        objc::send(objc::StrongId(banner), "handlePanGesture:", pan.get());
    }

    int count(const char* name) const
    {
        int n = 0;
        for (const auto& p : posted) n += p == name;
        return n;
    }

    void setContent(const char* title, const char* message, const char* date = nullptr)
    {
        bridge()->primaryText = text(title);
        bridge()->secondaryText = text(message);
        bridge()->dateText = date ? objc::StrongId(text(date)) : objc::StrongId();
    }

    static CGRect frameOf(const objc::StrongId& view) { return objc::send<CGRect>(view, "frame"); }

    std::vector<std::string> posted;
    objc::StrongRef<TestPan> pan;
};
