// UIViewController as the host's controllers use it: the view made on first use through
// loadView and viewDidLoad by message, and views finding their controller.
#include "foundation/Process.h"
#include "objc/Message.h"
#include "uikit/UIKitClasses.h"
#include "uikit/UIScreen.h"
#include "uikit/UIView.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using objc::StrongId;
using objc::send;

namespace {

std::vector<std::string> steps;

TEST(ViewController, ViewLoadsOnceThroughLoadViewThenViewDidLoadAndViewsFindTheNearestLiveController)
{
    zovo::Process process;
    registerUIKitClasses(process.runtime());
    steps.clear();
    // A subclass whose loadView makes a view of its own, noting each step and any re-entry.
    objc::Class cls = process.runtime().registerClass("TestController", objc::objc_getClass("UIViewController"));
    objc::addMethod(cls, objc::sel("loadView"), +[](objc::id self, objc::SEL) {
        steps.push_back(send<StrongId>(self, "view") ? "loadView saw a view" : "loadView");
        send(self, "setView:", makeView<UIView>(CGRectMake(0, 0, 10, 10)));
    });
    objc::addMethod(cls, objc::sel("viewDidLoad"), +[](objc::id, objc::SEL) { steps.push_back("viewDidLoad"); });

    auto make = [](const char* name) { return send<StrongId>(send<StrongId>(objc::objc_getClass(name), "alloc"), "init"); };
    StrongId outer = make("UIViewController"), inner = make("TestController");
    EXPECT_FALSE(send<bool>(inner, "isViewLoaded"));
    StrongId outerView = send<StrongId>(outer, "view"), innerView = send<StrongId>(inner, "view");
    EXPECT_EQ(send<StrongId>(inner, "view"), innerView);
    EXPECT_EQ(steps, (std::vector<std::string>{"loadView", "viewDidLoad"}));
    EXPECT_EQ(send<CGRect>(outerView, "frame"), UIScreen::mainScreen()->bounds()) << "the default loadView fills the screen";
    EXPECT_THROW(send(outer, "setView:", make("UIViewController")), std::invalid_argument) << "a controller is no view";

    auto leaf = makeView<UIView>(CGRectZero);
    send(outerView, "addSubview:", innerView);
    send(innerView, "addSubview:", leaf);
    EXPECT_EQ(send<StrongId>(leaf, "_viewControllerForAncestor"), inner);
    EXPECT_EQ(send<StrongId>(outerView, "_viewControllerForAncestor"), outer);
    EXPECT_FALSE(send<StrongId>(makeView<UIView>(CGRectZero), "_viewControllerForAncestor"));
    inner = nullptr; // its view lives on in the tree, but the controller has ended
    EXPECT_EQ(send<StrongId>(leaf, "_viewControllerForAncestor"), outer);
}

} // namespace
