// UIViewController as the host's controllers use it: the view made on first use through
// loadView and viewDidLoad by message, and views finding their controller.
#include "foundation/Process.h"
#include "objc/Message.h"
#include "uikit/UIKitClasses.h"
#include "uikit/UIScreen.h"
#include "uikit/UIView.h"
#include "uikit/UIViewController.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using objc::Id;
using objc::id;
using objc::SEL;
using objc::send;

namespace {

std::vector<std::string> steps;

class ViewController : public ::testing::Test {
protected:
    ViewController()
    {
        steps.clear();
        registerUIKitClasses(process.runtime());
        // A subclass whose loadView makes a view of its own, noting each step and re-entry.
        objc::Class cls = process.runtime().registerClass("TestController", objc::objc_getClass("UIViewController"));
        objc::addMethod(cls, objc::sel("loadView"), +[](id self, SEL) {
            steps.push_back(send<Id>(self, "view") ? "loadView saw a view" : "loadView");
            send(self, "setView:", makeView<UIView>(CGRectMake(0, 0, 10, 10)));
        });
        objc::addMethod(cls, objc::sel("viewDidLoad"), +[](id, SEL) { steps.push_back("viewDidLoad"); });
    }
    static Id make(const char* name) { return send<Id>(send<Id>(objc::objc_getClass(name), "alloc"), "init"); }

    zovo::Process process;
};

TEST_F(ViewController, ViewLoadsOnceThroughLoadViewThenViewDidLoad)
{
    Id controller = make("TestController");
    EXPECT_FALSE(send<bool>(controller, "isViewLoaded"));
    Id view = send<Id>(controller, "view");
    EXPECT_EQ(send<Id>(controller, "view"), view);
    EXPECT_EQ(steps, (std::vector<std::string>{"loadView", "viewDidLoad"}));
    EXPECT_EQ(send<CGRect>(view, "frame"), CGRectMake(0, 0, 10, 10));
}

TEST_F(ViewController, LoadViewThatSetsNothingGetsAScreenSizedView)
{
    Id view = send<Id>(make("UIViewController"), "view");
    ASSERT_TRUE(view);
    EXPECT_EQ(send<CGRect>(view, "frame"), UIScreen::mainScreen()->bounds());
    EXPECT_THROW(send(make("UIViewController"), "setView:", make("UIViewController")), std::invalid_argument);
}

TEST_F(ViewController, ViewsFindTheNearestControllerAndForgetOneThatEnded)
{
    Id outer = make("UIViewController");
    Id inner = make("TestController");
    Id outerView = send<Id>(outer, "view");
    Id innerView = send<Id>(inner, "view");
    auto leaf = makeView<UIView>(CGRectZero);
    send(outerView, "addSubview:", innerView);
    send(innerView, "addSubview:", leaf);
    EXPECT_EQ(send<Id>(leaf, "_viewControllerForAncestor"), inner);
    EXPECT_EQ(send<Id>(innerView, "_viewControllerForAncestor"), inner);
    EXPECT_EQ(send<Id>(outerView, "_viewControllerForAncestor"), outer);
    EXPECT_FALSE(send<Id>(makeView<UIView>(CGRectZero), "_viewControllerForAncestor"));

    inner = nullptr; // its view lives on in the tree, but the controller has ended
    EXPECT_EQ(send<Id>(leaf, "_viewControllerForAncestor"), outer);
}

} // namespace
