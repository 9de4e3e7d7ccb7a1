// View controllers: an object that owns one view, made when first asked for.
//
//   objc::StrongId controller = objc::send<objc::StrongId>(objc::send<objc::StrongId>(cls, "alloc"), "init");
//   objc::StrongId view = objc::send<objc::StrongId>(controller, "view");   // loadView, then viewDidLoad
//   objc::send<objc::StrongId>(subview, "_viewControllerForAncestor"); // controller, from any view inside
//
// Loading goes through message sends (`loadView`, then `viewDidLoad`), so a subclass or a hook on
// either is what runs. A `loadView` that sets no view gets a plain UIView the size of the screen.
// Asking for `view` from inside `loadView` answers nil rather than loading again.
//
// The appearance calls (viewWillAppear: and the others) do nothing here: whoever presents the
// controller sends them, and subclasses override them.
#pragma once

#include "objc/Object.h"
#include "uikit/Forward.h"

class UIViewController : public objc::Object {
public:
    static constexpr const char* kClassName = "UIViewController";

    UIViewController();
    ~UIViewController() override;

    // The view, loading it first when needed (by message send).
    objc::StrongRef<UIView> view();
    UIView* viewIfLoaded() const { return view_.get(); }
    bool isViewLoaded() const { return view_.get() != nullptr; }
    // Replaces the view. Nil unloads it; the next `view` loads again.
    void setView(UIView* view);

    // The controller whose view is `view` or its nearest ancestor with a controller, or null.
    static UIViewController* controllerForAncestor(const UIView* view);

private:
    objc::StrongRef<UIView> view_;
    bool loading_ = false;
};
