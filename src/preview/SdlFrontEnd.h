// The preview's window: SDL turns mouse and key events into session calls and shows the session's
// picture, presented with vsync. Nothing is decided here; the session holds the behaviour. SDL's
// headers stay inside SdlFrontEnd.cpp.
//
//   auto window = zovo::SdlFrontEnd::open(*session, std::nullopt);   // scale: fit the display
//   if (!window) fail(window.error());                               // no display
//   (*window)->run();                                                // until Q, Esc or close
#pragma once

#include "foundation/ErrorOr.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace zovo {

class PreviewSession;

// Why the video driver SDL settled on is no display for a person, or empty. SDL falls back to its
// offscreen driver, which shows nothing, when no real display can be opened; that driver (or the
// dummy one) is a display only when asked for by name through SDL_VIDEODRIVER (`requested`).
// `x11Display` and `waylandDisplay` are the environment's DISPLAY and WAYLAND_DISPLAY, or null.
std::string noDisplayReason(std::string_view driver, const char* requested, const char* x11Display, const char* waylandDisplay);

class SdlFrontEnd {
public:
    // Opens a window for `session` at `scale` window pixels per point, or, when unset, at the
    // largest of 1, 1.5 and 2 that fits the display (the session takes that scale). A scale that
    // does not fit is reduced, with a note. An error says why when no display can be opened.
    static ErrorOr<std::unique_ptr<SdlFrontEnd>> open(PreviewSession& session, std::optional<double> scale);
    ~SdlFrontEnd();
    SdlFrontEnd(const SdlFrontEnd&) = delete;
    SdlFrontEnd& operator=(const SdlFrontEnd&) = delete;

    // Shows the session until it asks to quit or the window is closed. Idle, it sleeps in the
    // event wait until the next timer of the phone is due or the settings file should be looked at.
    void run();
    // One pass of run(): waits at most `maxWaitSeconds` for events, hands them to the session and
    // presents a new picture when the session has one. False once the session wants to quit.
    bool step(double maxWaitSeconds);

private:
    struct Window;
    explicit SdlFrontEnd(PreviewSession& session, std::unique_ptr<Window> window);
    void handle(const void* event);
    void present();
    void keepOnScreen();

    PreviewSession& session_;
    std::unique_ptr<Window> window_;
};

} // namespace zovo
