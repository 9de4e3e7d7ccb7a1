#include "uikit/UIViewController.h"

#include "foundation/Process.h"
#include "objc/Message.h"
#include "uikit/Registration.h"
#include "uikit/UIScreen.h"
#include "uikit/UIView.h"

#include <stdexcept>
#include <string>
#include <vector>

using objc::StrongId;
using objc::id;
using objc::SEL;
using objc::sel;

namespace {

// The controllers of the process that have a view, held weakly: a view does not own its
// controller, and a controller that ends simply stops being found.
struct ControllerList {
    std::vector<objc::WeakRef<UIViewController>> controllers;
};

ControllerList& controllerList() { return zovo::Process::current().local<ControllerList>(); }

void enlist(UIViewController* controller)
{
    auto& list = controllerList().controllers;
    std::erase_if(list, [](const objc::WeakRef<UIViewController>& c) { return !c; });
    for (const auto& c : list)
        if (c.get() == controller) return;
    list.emplace_back(controller);
}

UIViewController* controller(id self) { return static_cast<UIViewController*>(self); }

} // namespace

UIViewController::UIViewController() = default;
UIViewController::~UIViewController() = default;

objc::StrongRef<UIView> UIViewController::view()
{
    if (view_ || loading_) return view_;
    objc::StrongRef<UIViewController> keep(this);
    loading_ = true;
    try {
        objc::send(this, "loadView");
    } catch (...) {
        loading_ = false;
        throw;
    }
    loading_ = false;
    if (!view_) setView(makeView<UIView>(UIScreen::mainScreen()->bounds()).get());
    objc::send(this, "viewDidLoad");
    return view_;
}

void UIViewController::setView(UIView* view)
{
    view_ = objc::retained(view);
    if (view) enlist(this);
}

UIViewController* UIViewController::controllerForAncestor(const UIView* view)
{
    auto& list = controllerList().controllers;
    for (const UIView* v = view; v; v = v->superview()) {
        for (const auto& c : list) {
            UIViewController* candidate = c.get();
            if (candidate && candidate->viewIfLoaded() == v) return candidate;
        }
    }
    return nullptr;
}

namespace zovo::uikit {

void registerViewControllerClasses(objc::Runtime& runtime)
{
    objc::Class cls = runtime.registerClass("UIViewController", runtime.lookUpClass("NSObject"),
                                            []() -> objc::Object* { return new UIViewController(); });
    objc::addMethod(cls, sel("view"), +[](id self, SEL) -> StrongId { return controller(self)->view(); });
    objc::addMethod(cls, sel("viewIfLoaded"), +[](id self, SEL) -> StrongId { return StrongId(controller(self)->viewIfLoaded()); });
    objc::addMethod(cls, sel("isViewLoaded"), +[](id self, SEL) { return controller(self)->isViewLoaded(); });
    // Views only: anything else would be read as the wrong storage.
    objc::addMethod(cls, sel("setView:"), +[](id self, SEL s, id view) {
        if (view && !objc::cast<UIView>(view))
            throw std::invalid_argument(std::string(objc::sel_getName(s)) + ": the view is an instance of " + view->className() + ", not UIView");
        controller(self)->setView(objc::cast<UIView>(view));
    });
    objc::addMethod(cls, sel("loadView"), +[](id, SEL) {});
    objc::addMethod(cls, sel("viewDidLoad"), +[](id, SEL) {});
    objc::addMethod(cls, sel("viewWillAppear:"), +[](id, SEL, bool) {});
    objc::addMethod(cls, sel("viewDidAppear:"), +[](id, SEL, bool) {});
    objc::addMethod(cls, sel("viewWillDisappear:"), +[](id, SEL, bool) {});
    objc::addMethod(cls, sel("viewDidDisappear:"), +[](id, SEL, bool) {});

    objc::addMethod(runtime.lookUpClass("UIView"), sel("_viewControllerForAncestor"),
                    +[](id self, SEL) -> StrongId { return StrongId(UIViewController::controllerForAncestor(static_cast<UIView*>(self))); });
}

} // namespace zovo::uikit
