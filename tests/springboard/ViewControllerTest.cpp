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

using objc::Id;
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
        steps.push_back(send<Id>(self, "view") ? "loadView saw a view" : "loadView");
        send(self, "setView:", makeView<UIView>(CGRectMake(0, 0, 10, 10)));
    });
    objc::addMethod(cls, objc::sel("viewDidLoad"), +[](objc::id, objc::SEL) { steps.push_back("viewDidLoad"); });

    auto make = [](const char* name) { return send<Id>(send<Id>(objc::objc_getClass(name), "alloc"), "init"); };
    Id outer = make("UIViewController"), inner = make("TestController");
    EXPECT_FALSE(send<bool>(inner, "isViewLoaded"));
    Id outerView = send<Id>(outer, "view"), innerView = send<Id>(inner, "view");
    EXPECT_EQ(send<Id>(inner, "view"), innerView);
    EXPECT_EQ(steps, (std::vector<std::string>{"loadView", "viewDidLoad"}));
    EXPECT_EQ(send<CGRect>(outerView, "frame"), UIScreen::mainScreen()->bounds()) << "the default loadView fills the screen";
    EXPECT_THROW(send(outer, "setView:", make("UIViewController")), std::invalid_argument) << "a controller is no view";

    auto leaf = makeView<UIView>(CGRectZero);
    send(outerView, "addSubview:", innerView);
    send(innerView, "addSubview:", leaf);
    EXPECT_EQ(send<Id>(leaf, "_viewControllerForAncestor"), inner);
    EXPECT_EQ(send<Id>(outerView, "_viewControllerForAncestor"), outer);
    EXPECT_FALSE(send<Id>(makeView<UIView>(CGRectZero), "_viewControllerForAncestor"));
    inner = nullptr; // its view lives on in the tree, but the controller has ended
    EXPECT_EQ(send<Id>(leaf, "_viewControllerForAncestor"), outer);
}

} // namespace
