#include "cli/DemoStory.h"

#include <cmath>

namespace zovo {

void DemoStory::name(const std::string& id, const std::string& app, const std::string& title)
{
    if (app == "Messages" && !title.empty()) names_[id] = title + "\u2019s message";
    else if (!title.empty()) names_[id] = "the " + (app.empty() ? std::string() : app + " ") + "notification \u201c" + title + "\u201d";
    else names_[id] = "the " + (app.empty() ? std::string() : app + " ") + "notification " + id;
}

std::string DemoStory::who(const std::string& request) const
{
    auto it = names_.find(request);
    return it != names_.end() ? it->second : "notification " + request;
}

void DemoStory::push(double time, std::string text)
{
    // A person reads the first word of a row first: it starts with a capital.
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
    rows_.push_back({time, std::move(text)});
}

void DemoStory::add(const TraceEvent& e)
{
    const bool pause = (e.type == "call" && e.text("selector") == "_cancelDismissTimer") || (e.type == "post" && e.text("name") == "Zovorudovu_CancelBannerTimer");
    if (pause) {
        // The call and its notification are one pause; a run of them is one row.
        if (e.type == "call") ++pauses_;
        if (!pauseRow_) {
            push(e.time, "");
            pauseRow_ = rows_.size() - 1;
        }
        rows_[*pauseRow_].text = pauses_ == 1 ? "Dismiss timer paused" : "Dismiss timer paused while the banner is held (" + std::to_string(pauses_) + " pauses)";
        return;
    }
    // While a finger is down every pause belongs to the one drag; otherwise a row of another kind
    // ends a run of pauses.
    const bool touchMove = e.type == "touch" && e.text("phase") == "move";
    if (!dragRow_ && !touchMove && e.type != "window" && e.type != "post") {
        pauseRow_.reset();
        pauses_ = 0;
    }

    if (e.type == "host") {
        const std::string event = e.text("event"), request = e.text("request");
        if (event == "bannerPresented") push(e.time, who(request) + " slides in from the notch");
        else if (event == "bannerDismissed") push(e.time, who(request) + " slides away");
        else if (event == "longLookPresented") push(e.time, "pulled down: the long look opens");
        else if (event == "longLookDismissed") push(e.time, "the long look closes");
        else if (event == "defaultAction") push(e.time, "tapped: " + who(request) + " opens its app");
    } else if (e.type == "call" && e.text("selector") == "_startDismissTimer") {
        push(e.time, "dismiss timer starts");
    } else if (e.type == "touch") {
        const std::string phase = e.text("phase");
        const double y = std::atof(e.field("y").c_str());
        if (phase == "down") {
            push(e.time, "finger down on the banner");
            dragRow_ = rows_.size() - 1;
            dragStartY_ = y;
        } else if ((phase == "up" || phase == "cancel") && dragRow_) {
            const long distance = std::lround(y - dragStartY_);
            if (distance > 0) rows_[*dragRow_].text = "Finger pulls the banner down " + std::to_string(distance) + " points";
            else if (distance < 0) rows_[*dragRow_].text = "Finger pushes the banner up " + std::to_string(-distance) + " points";
            else rows_[*dragRow_].text = "Finger taps the banner";
            dragRow_.reset();
            pauseRow_.reset();
            pauses_ = 0;
        }
    } else if (e.type == "snapshot") {
        push(e.time, "key frame \u201c" + e.text("label") + "\u201d");
    } else if (e.type == "driver") {
        push(e.time, e.text("note"));
    }
}

} // namespace zovo
