#include "preview/SdlFrontEnd.h"

#include "preview/PreviewPanel.h"
#include "preview/PreviewSession.h"
#include "render/Frame.h"

#include <SDL.h>
#include <backends/imgui_impl_sdl.h>
#include <imgui.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

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
    if (key == SDLK_EQUALS || key == SDLK_PLUS || key == SDLK_KP_PLUS) return '=';
    if (key == SDLK_MINUS || key == SDLK_KP_MINUS) return '-';
    if (key == SDLK_PERIOD) return '.';
    if (key == SDLK_TAB) return kTab;
    return 0;
}

// The side panel's width in window pixels; it does not scale with the phone.
constexpr int kPanelWidth = 360;

// Room kept for the window's title bar, which the usable bounds do not leave out.
constexpr int kTitleBarAllowance = 32;

// The part of the display a window may take, less its title bar.
SDL_Rect usableArea(SDL_Window* window)
{
    const int display = window ? std::max(0, SDL_GetWindowDisplayIndex(window)) : 0;
    SDL_Rect usable{};
    if (SDL_GetDisplayUsableBounds(display, &usable) != 0) return SDL_Rect{0, 0, 0, 0};
    usable.y += kTitleBarAllowance;
    usable.h -= kTitleBarAllowance;
    return usable;
}

// Where a window of `width` x `height` goes so that it lies within `area`: centred, or against the
// top left when it is larger.
SDL_Point placeWithin(const SDL_Rect& area, int width, int height)
{
    return SDL_Point{area.x + std::max(0, (area.w - width) / 2), area.y + std::max(0, (area.h - height) / 2)};
}

// Draws ImGui's triangles with the SDL renderer the phone's picture is shown with.
void renderPanel(SDL_Renderer* renderer, const ImDrawData* data)
{
    for (int n = 0; n < data->CmdListsCount; ++n) {
        const ImDrawList* list = data->CmdLists[n];
        for (const ImDrawCmd& cmd : list->CmdBuffer) {
            const SDL_Rect clip{static_cast<int>(cmd.ClipRect.x), static_cast<int>(cmd.ClipRect.y), static_cast<int>(cmd.ClipRect.z - cmd.ClipRect.x),
                                static_cast<int>(cmd.ClipRect.w - cmd.ClipRect.y)};
            if (clip.w <= 0 || clip.h <= 0) continue;
            SDL_RenderSetClipRect(renderer, &clip);
            const ImDrawVert* vertices = list->VtxBuffer.Data + cmd.VtxOffset;
            constexpr int stride = sizeof(ImDrawVert);
            // ImGui's colours are R, G, B, A bytes, as SDL_Color is laid out.
            SDL_RenderGeometryRaw(renderer, static_cast<SDL_Texture*>(cmd.GetTexID()), &vertices->pos.x, stride,
                                  reinterpret_cast<const SDL_Color*>(&vertices->col), stride, &vertices->uv.x, stride,
                                  list->VtxBuffer.Size - static_cast<int>(cmd.VtxOffset), list->IdxBuffer.Data + cmd.IdxOffset,
                                  static_cast<int>(cmd.ElemCount), sizeof(ImDrawIdx));
        }
    }
    SDL_RenderSetClipRect(renderer, nullptr);
}

} // namespace

std::string noDisplayReason(std::string_view driver, const char* requested, const char* x11Display, const char* waylandDisplay)
{
    if (driver != "offscreen" && driver != "dummy") return {};
    if (requested && *requested) return {};
    const bool x11 = x11Display && *x11Display, wayland = waylandDisplay && *waylandDisplay;
    std::string reason = "no display: ";
    if (!x11 && !wayland) reason += "neither DISPLAY nor WAYLAND_DISPLAY is set";
    else if (x11) reason += "the X display \"" + std::string(x11Display) + "\" cannot be opened";
    else reason += "the Wayland display \"" + std::string(waylandDisplay) + "\" cannot be opened";
    return reason + " (SDL_VIDEODRIVER=" + std::string(driver) + " runs the preview in no visible window)";
}

struct SdlFrontEnd::Window {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    SDL_Texture* font = nullptr;
    ImGuiContext* imgui = nullptr;
    std::unique_ptr<PreviewPanel> panel;
    int textureWidth = 0, textureHeight = 0;
    bool panelShown = false;
    int panelFrames = 0; // ImGui settles a change over two frames
    std::string title;

    ~Window()
    {
        if (imgui) {
            ImGui_ImplSDL2_Shutdown();
            ImGui::DestroyContext(imgui);
        }
        if (font) SDL_DestroyTexture(font);
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
    const char* driver = SDL_GetCurrentVideoDriver();
    if (std::string reason = noDisplayReason(driver ? driver : "", std::getenv("SDL_VIDEODRIVER"), std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"));
        !reason.empty()) {
        SDL_Quit();
        return Error{reason};
    }
    auto w = std::make_unique<Window>();
    const SDL_Rect usable = usableArea(nullptr);
    if (usable.w > 0 && usable.h > 0) {
        const CGSize display = CGSizeMake(usable.w, usable.h);
        const WindowFit fit = fitWindow(session.screenPoints(), display, scale, kPanelWidth);
        if (!fit.note.empty()) session.note(fit.note);
        scale = fit.scale;
        session.setDisplay(display, kPanelWidth);
    }
    session.setScale(scale.value_or(1));
    const Frame& picture = session.picture();
    w->title = session.windowTitle();
    const int width = picture.width() + (session.panelShown() ? kPanelWidth : 0);
    const SDL_Point at = placeWithin(usable, width, picture.height());
    w->window = SDL_CreateWindow(w->title.c_str(), at.x, at.y, width, picture.height(), SDL_WINDOW_SHOWN);
    if (!w->window) {
        return Error{std::string("cannot open a window (") + SDL_GetError() + ")"};
    }
    // Vsync paces the frames of a slide; a software renderer stands in where there is no GPU.
    w->renderer = SDL_CreateRenderer(w->window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
    if (!w->renderer) w->renderer = SDL_CreateRenderer(w->window, -1, SDL_RENDERER_SOFTWARE);
    if (!w->renderer) {
        return Error{std::string("cannot draw in the window (") + SDL_GetError() + ")"};
    }
    SDL_SetRenderDrawColor(w->renderer, 24, 24, 27, 255);
    w->imgui = ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr; // nothing is written into the folder the preview was started in
    ImGui::StyleColorsDark();
    ImGui_ImplSDL2_InitForSDLRenderer(w->window);
    unsigned char* pixels = nullptr;
    int fontWidth = 0, fontHeight = 0;
    io.Fonts->GetTexDataAsRGBA32(&pixels, &fontWidth, &fontHeight);
    // R, G, B, A bytes: SDL's ABGR8888 words on a little-endian host.
    w->font = SDL_CreateTexture(w->renderer, SDL_PIXELFORMAT_ABGR8888, SDL_TEXTUREACCESS_STATIC, fontWidth, fontHeight);
    if (w->font) {
        SDL_UpdateTexture(w->font, nullptr, pixels, fontWidth * 4);
        SDL_SetTextureBlendMode(w->font, SDL_BLENDMODE_BLEND);
    }
    io.Fonts->SetTexID(w->font);
    w->panel = std::make_unique<PreviewPanel>(session);
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
    double wait = session_.isMoving() || window_->panelFrames > 0 ? 0.0 : std::min(maxWaitSeconds, session_.secondsUntilNextEvent().value_or(maxWaitSeconds));
    SDL_Event event;
    const int timeout = static_cast<int>(std::ceil(std::max(0.0, wait) * 1000));
    if (timeout > 0 ? SDL_WaitEventTimeout(&event, timeout) : SDL_PollEvent(&event)) {
        handle(&event);
        while (SDL_PollEvent(&event)) handle(&event);
    }
    if (session_.quitRequested()) return false;
    const bool changed = session_.update();
    if (changed || window_->panelFrames > 0 || window_->panelShown != session_.panelShown()) present();
    return !session_.quitRequested();
}

void SdlFrontEnd::handle(const void* raw)
{
    const SDL_Event& e = *static_cast<const SDL_Event*>(raw);
    Window& w = *window_;
    // The panel sees every event while it is shown; the phone only those meant for it.
    bool panelTakesKeys = false, overPanel = false;
    if (w.panelShown) {
        ImGui_ImplSDL2_ProcessEvent(&e);
        w.panelFrames = 2;
        panelTakesKeys = ImGui::GetIO().WantCaptureKeyboard || ImGui::GetIO().WantTextInput;
        const int phoneWidth = w.textureWidth;
        if (e.type == SDL_MOUSEBUTTONDOWN) overPanel = e.button.x >= phoneWidth;
    }
    switch (e.type) {
    case SDL_QUIT: session_.perform(PreviewAction::Quit); break;
    case SDL_MOUSEBUTTONDOWN:
        if (e.button.button == SDL_BUTTON_LEFT && !overPanel) session_.mouseDown(e.button.x, e.button.y);
        break;
    case SDL_MOUSEMOTION:
        if (e.motion.x < w.textureWidth) w.panel->setPointer(e.motion.x, e.motion.y);
        if (e.motion.state & SDL_BUTTON_LMASK) session_.mouseMove(e.motion.x, e.motion.y);
        break;
    case SDL_MOUSEBUTTONUP:
        if (e.button.button == SDL_BUTTON_LEFT) session_.mouseUp(e.button.x, e.button.y);
        break;
    case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_LEAVE) session_.mouseLeft();
        if (e.window.event == SDL_WINDOWEVENT_EXPOSED) present();
        break;
    case SDL_DROPFILE:
        if (e.drop.file) {
            const std::string file = e.drop.file;
            SDL_free(e.drop.file);
            if (session_.dropFile(file) == DroppedFile::Icon) w.panel->setComposerIcon(file);
        }
        break;
    case SDL_KEYDOWN:
        // While a panel field takes typing, every key is its own: Esc leaves the field, not the preview.
        if (e.key.repeat || panelTakesKeys) break;
        if (const char key = keyOf(e.key.keysym.sym))
            session_.key(key, (e.key.keysym.mod & KMOD_SHIFT) != 0, (e.key.keysym.mod & KMOD_CTRL) != 0);
        break;
    default: break;
    }
}

void SdlFrontEnd::keepOnScreen()
{
    // A window that grew (a zoom, a rotation, another device) is moved back within the display.
    SDL_Window* window = window_->window;
    const SDL_Rect area = usableArea(window);
    if (area.w <= 0 || area.h <= 0) return;
    int x = 0, y = 0, width = 0, height = 0;
    SDL_GetWindowPosition(window, &x, &y);
    SDL_GetWindowSize(window, &width, &height);
    const int nx = std::clamp(x, area.x, std::max(area.x, area.x + area.w - width));
    const int ny = std::clamp(y, area.y, std::max(area.y, area.y + area.h - height));
    if (nx != x || ny != y) SDL_SetWindowPosition(window, nx, ny);
}

void SdlFrontEnd::present()
{
    const Frame& picture = session_.picture();
    Window& w = *window_;
    if (session_.windowTitle() != w.title) {
        w.title = session_.windowTitle();
        SDL_SetWindowTitle(w.window, w.title.c_str());
    }
    const bool panel = session_.panelShown();
    PixelRect changed = session_.takeChangedPixels();
    if (!w.texture || w.textureWidth != picture.width() || w.textureHeight != picture.height() || w.panelShown != panel) {
        if (w.texture) SDL_DestroyTexture(w.texture);
        // Frames are B, G, R, A bytes: SDL's ARGB8888 words on a little-endian host.
        w.texture = SDL_CreateTexture(w.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, picture.width(), picture.height());
        w.textureWidth = picture.width();
        w.textureHeight = picture.height();
        w.panelShown = panel;
        SDL_SetWindowSize(w.window, picture.width() + (panel ? kPanelWidth : 0), picture.height());
        keepOnScreen();
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
    const SDL_Rect phone{0, 0, picture.width(), picture.height()};
    SDL_RenderCopy(w.renderer, w.texture, nullptr, &phone);
    if (panel) {
        ImGui_ImplSDL2_NewFrame();
        ImGui::NewFrame();
        w.panel->draw(static_cast<float>(picture.width()), kPanelWidth, static_cast<float>(picture.height()));
        ImGui::Render();
        renderPanel(w.renderer, ImGui::GetDrawData());
        if (w.panelFrames > 0) --w.panelFrames;
    } else {
        w.panelFrames = 0;
    }
    SDL_RenderPresent(w.renderer);
}

} // namespace zovo
