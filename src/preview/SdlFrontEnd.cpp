#include "preview/SdlFrontEnd.h"

#include "preview/PreviewSession.h"
#include "render/Frame.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>

namespace zovo {
namespace {

// How often an idle window looks at the settings file: soon enough to feel immediate after a save
// in an editor, rare enough to cost nothing.
constexpr double kSettingsPollSeconds = 0.25;

char keyOf(SDL_Keycode key)
{
    if (key >= SDLK_a && key <= SDLK_z) return static_cast<char>('a' + (key - SDLK_a));
    if (key == SDLK_LEFTBRACKET) return '[';
    if (key == SDLK_RIGHTBRACKET) return ']';
    if (key == SDLK_ESCAPE) return kEscape;
    return 0;
}

} // namespace

struct SdlFrontEnd::Window {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int textureWidth = 0, textureHeight = 0;
    std::string title;

    ~Window()
    {
        if (texture) SDL_DestroyTexture(texture);
        if (renderer) SDL_DestroyRenderer(renderer);
        if (window) SDL_DestroyWindow(window);
        // SDL_Quit, not only the video subsystem's end: the video driver's start-up allocations
        // are released by SDL_Quit alone. The preview is the program's one user of SDL.
        SDL_Quit();
    }
};

ErrorOr<std::unique_ptr<SdlFrontEnd>> SdlFrontEnd::open(PreviewSession& session, std::optional<double> scale)
{
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        SDL_Quit();
        return Error{std::string("no display to open the window on (") + SDL_GetError() + ")"};
    }
    auto w = std::make_unique<Window>();
    if (!scale) {
        SDL_Rect usable{};
        const Frame& picture = session.picture();
        const CGSize points = CGSizeMake(picture.width() / session.scale(), picture.height() / session.scale());
        scale = SDL_GetDisplayUsableBounds(0, &usable) == 0 ? fittingScale(points, CGSizeMake(usable.w, usable.h)) : 1.0;
    }
    session.setScale(*scale);
    const Frame& picture = session.picture();
    w->title = session.windowTitle();
    w->window = SDL_CreateWindow(w->title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, picture.width(), picture.height(), SDL_WINDOW_SHOWN);
    if (!w->window) {
        return Error{std::string("cannot open a window (") + SDL_GetError() + ")"};
    }
    // Vsync paces the frames of a slide; a software renderer stands in where there is no GPU.
    w->renderer = SDL_CreateRenderer(w->window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
    if (!w->renderer) w->renderer = SDL_CreateRenderer(w->window, -1, SDL_RENDERER_SOFTWARE);
    if (!w->renderer) {
        return Error{std::string("cannot draw in the window (") + SDL_GetError() + ")"};
    }
    std::unique_ptr<SdlFrontEnd> front(new SdlFrontEnd(session, std::move(w)));
    front->present();
    return front;
}

SdlFrontEnd::SdlFrontEnd(PreviewSession& session, std::unique_ptr<Window> window) : session_(session), window_(std::move(window)) {}

SdlFrontEnd::~SdlFrontEnd() = default;

void SdlFrontEnd::run()
{
    while (step(kSettingsPollSeconds)) {
    }
}

bool SdlFrontEnd::step(double maxWaitSeconds)
{
    double wait = session_.isMoving() ? 0.0 : std::min(maxWaitSeconds, session_.secondsUntilNextEvent().value_or(maxWaitSeconds));
    SDL_Event event;
    const int timeout = static_cast<int>(std::ceil(std::max(0.0, wait) * 1000));
    if (timeout > 0 ? SDL_WaitEventTimeout(&event, timeout) : SDL_PollEvent(&event)) {
        handle(&event);
        while (SDL_PollEvent(&event)) handle(&event);
    }
    if (session_.quitRequested()) return false;
    if (session_.update()) present();
    return !session_.quitRequested();
}

void SdlFrontEnd::handle(const void* raw)
{
    const SDL_Event& e = *static_cast<const SDL_Event*>(raw);
    switch (e.type) {
    case SDL_QUIT: session_.perform(PreviewAction::Quit); break;
    case SDL_MOUSEBUTTONDOWN:
        if (e.button.button == SDL_BUTTON_LEFT) session_.mouseDown(e.button.x, e.button.y);
        break;
    case SDL_MOUSEMOTION:
        if (e.motion.state & SDL_BUTTON_LMASK) session_.mouseMove(e.motion.x, e.motion.y);
        break;
    case SDL_MOUSEBUTTONUP:
        if (e.button.button == SDL_BUTTON_LEFT) session_.mouseUp(e.button.x, e.button.y);
        break;
    case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_LEAVE) session_.mouseLeft();
        if (e.window.event == SDL_WINDOWEVENT_EXPOSED) present();
        break;
    case SDL_KEYDOWN:
        if (e.key.repeat) break;
        if (const char key = keyOf(e.key.keysym.sym))
            session_.key(key, (e.key.keysym.mod & KMOD_SHIFT) != 0, (e.key.keysym.mod & KMOD_CTRL) != 0);
        break;
    default: break;
    }
}

void SdlFrontEnd::present()
{
    const Frame& picture = session_.picture();
    Window& w = *window_;
    if (session_.windowTitle() != w.title) {
        w.title = session_.windowTitle();
        SDL_SetWindowTitle(w.window, w.title.c_str());
    }
    PixelRect changed = session_.takeChangedPixels();
    if (!w.texture || w.textureWidth != picture.width() || w.textureHeight != picture.height()) {
        if (w.texture) SDL_DestroyTexture(w.texture);
        // Frames are B, G, R, A bytes: SDL's ARGB8888 words on a little-endian host.
        w.texture = SDL_CreateTexture(w.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, picture.width(), picture.height());
        w.textureWidth = picture.width();
        w.textureHeight = picture.height();
        SDL_SetWindowSize(w.window, picture.width(), picture.height());
        changed = PixelRect{0, 0, picture.width(), picture.height()};
    }
    if (!w.texture) return;
    // The texture keeps the last picture: only the pixels that changed are copied into it.
    if (!changed.empty()) {
        const SDL_Rect area{changed.x, changed.y, changed.width, changed.height};
        const std::uint8_t* first = picture.data() + static_cast<std::size_t>(changed.y) * picture.stride() + static_cast<std::size_t>(changed.x) * 4;
        SDL_UpdateTexture(w.texture, &area, first, static_cast<int>(picture.stride()));
    }
    SDL_RenderClear(w.renderer);
    SDL_RenderCopy(w.renderer, w.texture, nullptr, nullptr);
    SDL_RenderPresent(w.renderer);
}

} // namespace zovo
