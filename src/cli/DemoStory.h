// The demo page's event list: trace records told in plain words, who did what, for a person
// watching the animation rather than debugging it (the raw trace is beside it for that).
//
//   DemoStory story;
//   story.name("m1", "Messages", "Anna");            // from the scenario's notify events
//   for (const TraceEvent& e : trace) story.add(e);
//   for (const DemoStory::Row& row : story.rows()) ... // "0.500 s  Anna's message slides in"
//
// Timer rows repeat while a finger moves a banner (the component pauses the dismiss timer at
// every move); consecutive pauses are folded into one row that says how many there were.
#pragma once

#include "foundation/Trace.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zovo {

class DemoStory {
public:
    struct Row {
        double time = 0;
        std::string text;
        friend bool operator==(const Row&, const Row&) = default;
    };

    // How request `id` is spoken of: "Anna's message" for Messages, else "the Weather
    // notification “Rain”".
    void name(const std::string& id, const std::string& app, const std::string& title);
    void add(const TraceEvent& event);
    const std::vector<Row>& rows() const { return rows_; }

private:
    std::string who(const std::string& request) const;
    void push(double time, std::string text);

    std::map<std::string, std::string> names_;
    std::vector<Row> rows_;
    std::optional<std::size_t> pauseRow_; // the row counting the current run of timer pauses
    int pauses_ = 0;
    std::optional<std::size_t> dragRow_; // the row of the finger now down
    double dragStartY_ = 0;
};

} // namespace zovo
