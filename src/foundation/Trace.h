// What a person or the system would see happen in a process, in order, with the run loop's time:
// notifications posted, calls into the system's banner machinery, windows shown and removed,
// layout conflicts. Scenarios are checked against it and users read it to debug.
//
//   zovo::trace().record("windowShown", "BLNotificationBanner", "level 1100");
//   for (const zovo::TraceEvent& e : zovo::trace().events()) ...
//
// One trace per process. Main thread only.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace zovo {

struct TraceEvent {
    double time = 0;     // run-loop seconds when it happened
    std::string kind;    // what happened: "post", "windowShown", "layoutConflict" ...
    std::string subject; // what it happened to: a notification name, a class name ...
    std::string detail;  // free text for people; empty when there is nothing to add
};

class Trace {
public:
    void record(std::string kind, std::string subject, std::string detail = {});
    const std::vector<TraceEvent>& events() const { return events_; }
    // The events of one kind, in order.
    std::vector<TraceEvent> eventsOfKind(const std::string& kind) const;
    void clear() { events_.clear(); }
    // Called with every event as it is recorded (a live log); empty to stop.
    void setListener(std::function<void(const TraceEvent&)> listener) { listener_ = std::move(listener); }

private:
    std::vector<TraceEvent> events_;
    std::function<void(const TraceEvent&)> listener_;
};

// The current process's trace.
Trace& trace();

} // namespace zovo
