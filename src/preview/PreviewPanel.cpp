#include "preview/PreviewPanel.h"

#include "preview/PreviewSamples.h"
#include "preview/PreviewSession.h"
#include "sim/AppIcons.h"

#include <imgui.h>
#include <imgui_stdlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>


namespace zovo {
namespace {

constexpr AppIcon kBuiltIns[] = {AppIcon::Messages, AppIcon::Weather, AppIcon::Mail};
constexpr const char* kBuiltInNames[] = {"messages", "weather", "mail"};

// How the component reads a colour setting: "RRGGBB", optionally ":alpha".
bool readColour(const Json& settings, const char* key, float rgba[4], const float fallback[4])
{
    std::copy(fallback, fallback + 4, rgba);
    if (!settings.contains(key) || !settings[key].is_string()) return false;
    const std::string text = settings[key].get<std::string>();
    unsigned value = 0;
    if (text.size() < 6 || std::sscanf(text.c_str(), "%6x", &value) != 1) return false;
    rgba[0] = static_cast<float>((value >> 16) & 0xFF) / 255;
    rgba[1] = static_cast<float>((value >> 8) & 0xFF) / 255;
    rgba[2] = static_cast<float>(value & 0xFF) / 255;
    if (const auto colon = text.find(':'); colon != std::string::npos) rgba[3] = std::clamp(std::strtof(text.c_str() + colon + 1, nullptr), 0.0f, 1.0f);
    return true;
}

std::string colourText(const float rgba[4])
{
    auto byte = [](float v) { return static_cast<unsigned>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255)); };
    char text[32];
    if (rgba[3] >= 0.9995f) std::snprintf(text, sizeof text, "%02X%02X%02X", byte(rgba[0]), byte(rgba[1]), byte(rgba[2]));
    else std::snprintf(text, sizeof text, "%02X%02X%02X:%.2f", byte(rgba[0]), byte(rgba[1]), byte(rgba[2]), static_cast<double>(rgba[3]));
    return text;
}

bool flag(const Json& settings, const char* key, bool fallback)
{
    if (!settings.contains(key)) return fallback;
    const Json& v = settings[key];
    if (v.is_boolean()) return v.get<bool>();
    if (v.is_number()) return v.get<double>() != 0;
    return fallback;
}

void wrapped(const std::string& text, ImU32 colour)
{
    ImGui::PushStyleColor(ImGuiCol_Text, colour);
    ImGui::TextWrapped("%s", text.c_str());
    ImGui::PopStyleColor();
}

} // namespace

ScenarioNotify PreviewPanel::initialDraft()
{
    const NotificationSample& first = notificationSamples().front();
    ScenarioNotify n;
    n.app = first.app;
    n.title = first.title;
    n.message = first.message;
    return n;
}

void PreviewPanel::setComposerIcon(const std::string& pngPath)
{
    pngPath_ = pngPath;
    iconKind_ = 3;
}

void PreviewPanel::setPointer(double x, double y)
{
    if (pinned_) return;
    pointerX_ = x;
    pointerY_ = y;
}

void PreviewPanel::draw(float x, float width, float height)
{
    ImGui::SetNextWindowPos(ImVec2(x, 0));
    ImGui::SetNextWindowSize(ImVec2(width, height));
    ImGui::Begin("panel", nullptr, ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoCollapse);
    // Room for the longest label, customWidthValue, beside each field.
    ImGui::PushItemWidth(width * 0.55f);
    if (ImGui::CollapsingHeader("Compose", ImGuiTreeNodeFlags_DefaultOpen)) compose();
    if (ImGui::CollapsingHeader("Settings", ImGuiTreeNodeFlags_DefaultOpen)) settings();
    if (ImGui::CollapsingHeader("Inspector", ImGuiTreeNodeFlags_DefaultOpen)) inspector();
    if (ImGui::CollapsingHeader("Timeline", ImGuiTreeNodeFlags_DefaultOpen)) timeline();
    ImGui::PopItemWidth();
    ImGui::End();
}

void PreviewPanel::compose()
{
    ImGui::PushID("compose");
    const std::span<const NotificationSample> samples = notificationSamples();
    if (ImGui::BeginCombo("sample", "start from a sample")) {
        for (std::size_t i = 0; i < samples.size(); ++i) {
            const NotificationSample& s = samples[i];
            // Titles repeat or are empty in the hard-text set, so each entry has its own id.
            ImGui::PushID(static_cast<int>(i));
            const bool chosen = ImGui::Selectable(*s.title ? s.title : "(no title)");
            ImGui::PopID();
            if (!chosen) continue;
            draft_.app = s.app;
            draft_.title = s.title;
            draft_.message = s.message;
            iconKind_ = s.icon ? 1 : 0;
            if (s.icon) builtIn_ = static_cast<int>(std::find(std::begin(kBuiltIns), std::end(kBuiltIns), *s.icon) - std::begin(kBuiltIns));
        }
        ImGui::EndCombo();
    }
    ImGui::InputText("app", &draft_.app);
    ImGui::InputText("title", &draft_.title);
    ImGui::InputTextMultiline("message", &draft_.message, ImVec2(0, ImGui::GetTextLineHeight() * 4));
    ImGui::InputTextWithHint("date", "now", &draft_.date);
    ImGui::Checkbox("sticky", &draft_.sticky);
    ImGui::Combo("icon", &iconKind_, "none\0built-in\0colour\0PNG file\0");
    if (iconKind_ == 1) ImGui::Combo("built-in", &builtIn_, kBuiltInNames, static_cast<int>(std::size(kBuiltInNames)));
    if (iconKind_ == 2) ImGui::ColorEdit3("colour", colour_);
    if (iconKind_ == 3) ImGui::InputTextWithHint("PNG", "a path, or drop a PNG on the window", &pngPath_);
    if (ImGui::Button("Post")) {
        ScenarioNotify n = draft_;
        if (iconKind_ == 1) n.builtInIcon = kBuiltIns[std::clamp(builtIn_, 0, 2)];
        if (iconKind_ == 2) {
            auto byte = [](float v) { return static_cast<std::uint32_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255)); };
            n.iconRGB = byte(colour_[0]) << 16 | byte(colour_[1]) << 8 | byte(colour_[2]);
        }
        if (iconKind_ == 3) n.iconFile = pngPath_;
        (void)session_.post(std::move(n));
    }
    ImGui::PopID();
}

void PreviewPanel::settings()
{
    ImGui::PushID("settings");
    // While a picker or the slider is being dragged the change is only shown; it is written (the
    // file rewritten, the Darwin notification posted) once the mouse lets go, not at every step.
    const Json shown = pending_ ? *pending_ : session_.settings();
    auto change = [&](const char* key, Json value) {
        if (!pending_) pending_ = shown;
        (*pending_)[key] = std::move(value);
    };
    for (const auto& [key, fallback] : {std::pair{"isEnabled", true}, {"adaptiveColours", false}, {"showGrabber", true}, {"showTimestamp", true}, {"customWidth", false}}) {
        bool on = flag(shown, key, fallback);
        if (ImGui::Checkbox(key, &on)) change(key, on);
    }
    constexpr float kBlack[4] = {0, 0, 0, 1}, kWhite[4] = {1, 1, 1, 1};
    for (const auto& [key, fallback] : {std::pair{"bgColour", kBlack}, {"textColour", kWhite}}) {
        float rgba[4];
        readColour(shown, key, rgba, fallback);
        if (ImGui::ColorEdit4(key, rgba, ImGuiColorEditFlags_AlphaBar)) change(key, colourText(rgba));
    }
    float width = shown.contains("customWidthValue") && shown["customWidthValue"].is_number() ? shown["customWidthValue"].get<float>() : 209.0f;
    if (ImGui::SliderFloat("customWidthValue", &width, 1.0f, 430.0f, "%.0f pt")) change("customWidthValue", std::round(width));
    if (pending_ && !ImGui::IsMouseDown(ImGuiMouseButton_Left) && !ImGui::IsAnyItemActive()) {
        (void)session_.changeSettings(*pending_);
        pending_.reset();
    }
    if (std::string problem = session_.settingsProblem(); !problem.empty()) wrapped(problem, IM_COL32(255, 110, 100, 255));
    for (const std::string& warning : session_.settingsWarnings()) wrapped(warning, IM_COL32(255, 200, 90, 255));
    ImGui::PopID();
}

void PreviewPanel::inspector()
{
    ImGui::Checkbox("pin (keep these views)", &pinned_);
    ImGui::SameLine();
    ImGui::TextDisabled("O outlines");
    if (pointerX_ < 0) return ImGui::TextDisabled("move the mouse over the phone");
    const std::vector<InspectedView> views = session_.viewsAt(pointerX_, pointerY_);
    if (views.empty()) ImGui::TextDisabled("no window here");
    for (std::size_t i = 0; i < views.size(); ++i) {
        const InspectedView& v = views[i];
        // Indent(0) would mean ImGui's default step: each level deeper is 8 pixels further in.
        if (i > 0) ImGui::Indent(8);
        if (v.isWindow) ImGui::TextColored(ImVec4(1, 0.45f, 0.85f, 1), "%s  level %g", v.className.c_str(), v.windowLevel);
        else ImGui::TextColored(ImVec4(0.4f, 0.9f, 1, 1), "%s", v.className.c_str());
        ImGui::Text("frame %.1f, %.1f  %.1f x %.1f", v.frame.origin.x, v.frame.origin.y, v.frame.size.width, v.frame.size.height);
        if (!v.isWindow) ImGui::Text("on screen %.1f, %.1f  %.1f x %.1f", v.onScreen.origin.x, v.onScreen.origin.y, v.onScreen.size.width, v.onScreen.size.height);
        ImGui::Text("background %s  alpha %.2f%s", v.background.c_str(), v.alpha, v.hidden ? "  hidden" : "");
    }
    if (views.size() > 1) ImGui::Unindent(8 * static_cast<float>(views.size() - 1));
}

void PreviewPanel::timeline()
{
    // The wallpaper is here because a banner's contrast is judged against what is behind it.
    int wallpaper = static_cast<int>(session_.wallpaper().kind);
    const bool image = session_.wallpaper().kind == Wallpaper::Kind::Image;
    if (ImGui::Combo("wallpaper", &wallpaper, image ? "dusk\0dark\0light\0image\0" : "dusk\0dark\0light\0") &&
        wallpaper != static_cast<int>(Wallpaper::Kind::Image))
        session_.setWallpaper({static_cast<Wallpaper::Kind>(wallpaper), nullptr});
    const DismissTimerState timer = session_.dismissTimer();
    switch (timer.state) {
    case DismissTimerState::State::NoBanner: ImGui::TextUnformatted("dismiss timer: no banner"); break;
    case DismissTimerState::State::Running: ImGui::Text("dismiss timer: running, %.1f s left", timer.remaining); break;
    case DismissTimerState::State::Stopped: ImGui::TextUnformatted("dismiss timer: stopped (sticky, held or open)"); break;
    }
    ImGui::Text("time %gx%s  ·  P pause, . one frame", session_.timeScale(), session_.paused() ? ", paused" : "");
    const std::deque<PreviewPost>& posts = session_.recentPosts();
    for (auto it = posts.rbegin(); it != posts.rend(); ++it) ImGui::Text("%7.2f  %s", it->at, it->name.c_str());
    if (posts.empty()) ImGui::TextDisabled("no internal notification yet");
}

} // namespace zovo
