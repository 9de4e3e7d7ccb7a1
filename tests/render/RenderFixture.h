// A fresh simulated process with UIKit, on an iPhone 12 (390 x 844 points at 3x), and helpers
// for building windows and reading pixels.
#pragma once

#include "foundation/Process.h"
#include "foundation/RunLoop.h"
#include "render/Frame.h"
#include "uikit/DeviceProfile.h"
#include "uikit/UIColor.h"
#include "uikit/UIKitClasses.h"
#include "uikit/UIScreen.h"
#include "uikit/UIWindow.h"

#include <gtest/gtest.h>

#include <cstdlib>

class RenderFixture : public ::testing::Test {
protected:
    RenderFixture()
    {
        registerUIKitClasses(process.runtime());
        UIScreen::useDevice(*zovo::findDeviceProfile("iPhone13,2"));
    }

    // A shown window of `frame` (screen points) at `level`, filled with `colour` when there is one.
    static objc::StrongRef<UIWindow> showWindow(CGRect frame, double level = UIWindowLevelNormal, UIColor* colour = nullptr)
    {
        auto window = makeView<UIWindow>(frame);
        window->setWindowLevel(level);
        window->setBackgroundColor(colour);
        window->setHidden(false);
        return window;
    }

    // A view of `frame` filled with an opaque colour, added to `parent`.
    static objc::StrongRef<UIView> addView(UIView* parent, CGRect frame, double r, double g, double b)
    {
        auto view = makeView<UIView>(frame);
        view->setBackgroundColor(UIColor::colorWithRed(r, g, b, 1).get());
        parent->addSubview(view.get());
        return view;
    }

    zovo::Process process;
};

// Whether a pixel is opaque and within `tolerance` of a colour in every channel; no pixel never is.
inline ::testing::AssertionResult isColour(std::optional<zovo::RGBA8> pixel, int r, int g, int b, int tolerance = 2)
{
    const zovo::RGBA8 p = pixel.value_or(zovo::RGBA8{});
    if (std::abs(p.red - r) <= tolerance && std::abs(p.green - g) <= tolerance && std::abs(p.blue - b) <= tolerance && p.alpha >= 255 - tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel is (" << +p.red << ", " << +p.green << ", " << +p.blue << ", " << +p.alpha << ")";
}
