// The side panel beside the phone: compose a notification, tune the settings, inspect the views
// under the mouse, read the timer and the last posts. It draws with Dear ImGui inside a frame the front end has begun, and every
// button is a session call, so a test drives the same call without a window. ImGui stays inside
// this file's source and the front end's.
#pragma once

#include "foundation/Json.h"
#include "sim/Scenario.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

namespace zovo {

class PreviewSession;

class PreviewPanel {
public:
    explicit PreviewPanel(PreviewSession& session) : session_(session) {}

    // Lays the panel out at window pixels (x, 0), `width` x `height`, within an ImGui frame.
    void draw(float x, float width, float height);
    // Where the mouse is over the phone, in window pixels: what the inspector looks under, unless
    // it is pinned.
    void setPointer(double x, double y);
    // The icon the composer will post with: a PNG path (as a dropped file sets it).
    void setComposerIcon(const std::string& pngPath);

private:
    void compose();
    void settings();
    void timeline();
    void inspector();

    PreviewSession& session_;
    ScenarioNotify draft_ = initialDraft();
    int iconKind_ = 1; // none, built-in, colour, PNG
    int builtIn_ = 0;
    float colour_[3] = {1.0f, 0.58f, 0.0f};
    std::string pngPath_;
    std::optional<Json> pending_; // settings being changed, written once let go
    double pointerX_ = -1, pointerY_ = -1;
    bool pinned_ = false;

    static ScenarioNotify initialDraft();
};

} // namespace zovo
