// Declarations of the render layer's types.
#pragma once

namespace zovo {
class CairoPainter;
class Frame;
class ImageSurfaceCache;
class Painter;
class ScreenRenderer;
struct ChromeLayout;
struct RenderOptions;
struct RGBA;
struct RGBA8;
struct StatusBarContent;
} // namespace zovo
