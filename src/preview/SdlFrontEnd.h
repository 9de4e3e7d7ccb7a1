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

namespace zovo {

class PreviewSession;

class SdlFrontEnd {
public:
    // Opens a window for `session` at `scale` window pixels per point, or, when unset, at the
    // largest of 1, 1.5 and 2 that fits the display (the session takes that scale). Null with
    // `error` set when no display can be opened.
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

    PreviewSession& session_;
    std::unique_ptr<Window> window_;
};

} // namespace zovo
