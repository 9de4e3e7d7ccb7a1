// The preview's overlays, drawn over the screen in the window's picture: the info line at the
// bottom and the key list in the middle. Sizes are in points, so they read the same at any scale.
#pragma once

#include "render/Frame.h"
#include "uikit/CGGeometry.h"

#include <optional>
#include <span>
#include <string_view>
#include <vector>

class UIWindow;

namespace zovo {

// One row of the help panel: a key and what it does.
struct PreviewKeyHelp {
    const char* keys;
    const char* what;
};

// One line of text on a dark strip along the bottom edge.
void drawInfoLine(Frame& picture, std::string_view text);
// A short note for the person (a toggle, a warning), on a rounded strip above the info line.
void drawNote(Frame& picture, std::string_view text);
// The finger as a dot at `finger` (points), when down, and the name of the last gesture beside
// `labelAt` when there is one.
void drawTouch(Frame& picture, std::optional<CGPoint> finger, std::string_view label, CGPoint labelAt);
// Each window's frame in magenta and each view's within it in cyan, hidden ones left out.
void drawOutlines(Frame& picture, const std::vector<UIWindow*>& windows);
// Every key and what it does, on a dark panel.
void drawHelp(Frame& picture, std::span<const PreviewKeyHelp> keys);

} // namespace zovo
