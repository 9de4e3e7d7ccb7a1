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
#include "uikit/UIView.h"
#include "uikit/UIWindow.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <ostream>

// Readable failure messages for rectangles.
inline void PrintTo(const CGRect& r, std::ostream* os)
{
    *os << "(" << r.origin.x << ", " << r.origin.y << ", " << r.size.width << ", " << r.size.height << ")";
}

class RenderFixture : public ::testing::Test {
protected:
    RenderFixture()
    {
        registerUIKitClasses(process.runtime());
        UIScreen::useDevice(*zovo::findDeviceProfile("iPhone13,2"));
    }

    void advance(double seconds) { process.mainRunLoop().advance(seconds); }

    // A shown window of `frame` (screen points) at `level`, without a background.
    objc::Ref<UIWindow> showWindow(CGRect frame, double level = UIWindowLevelNormal)
    {
        auto window = makeView<UIWindow>(frame);
        window->setWindowLevel(level);
        window->setHidden(false);
        return window;
    }

    // A view of `frame` filled with a colour, added to `parent`.
    template <class T = UIView>
    objc::Ref<T> addView(UIView* parent, CGRect frame, double r, double g, double b, double a = 1)
    {
        auto view = makeView<T>(frame);
        view->setBackgroundColor(UIColor::colorWithRed(r, g, b, a));
        parent->addSubview(view);
        return view;
    }

    zovo::Process process;
};

// Whether a pixel is within `tolerance` of a colour in every channel (opaque unless told).
inline ::testing::AssertionResult isColour(std::optional<zovo::RGBA8> pixel, int r, int g, int b, int tolerance = 2, int a = 255)
{
    if (!pixel) return ::testing::AssertionFailure() << "no pixel there";
    auto near = [&](int actual, int expected) { return std::abs(actual - expected) <= tolerance; };
    if (near(pixel->red, r) && near(pixel->green, g) && near(pixel->blue, b) && near(pixel->alpha, a)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel is (" << int(pixel->red) << ", " << int(pixel->green) << ", " << int(pixel->blue) << ", "
                                         << int(pixel->alpha) << "), expected (" << r << ", " << g << ", " << b << ", " << a << ")";
}
