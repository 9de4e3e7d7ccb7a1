// What a person or the system would see happen in a process, in order, with the run loop's time:
// notifications posted, calls into the system's banner machinery, host events, windows shown and
// removed, layout conflicts. Scenarios are checked against it and users read it to debug.
//
//   zovo::trace().record("host", {{"event", "bannerPresented"}, {"request", "r1"}});
//   zovo::trace().record("layoutConflict", "UILabel", "Unable to simultaneously satisfy constraints...");
//   zovo::trace().setListener([&](const zovo::TraceEvent& e) { out << e.toJson() << '\n'; });
//   for (const zovo::TraceEvent& e : zovo::trace().events()) ...   // the most recent records only
//
// Each event has a type and named fields whose values are kept as JSON text, so tools can write an
// event as one JSON object without callers knowing a JSON library. Records stream to the listener
// as they happen; the trace itself keeps only a bounded window of the most recent ones, so a run's
// memory does not grow with its length. Whoever needs every record listens. One trace per process.
// Main thread only.
#pragma once

#include "foundation/Json.h"

#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zovo {

// A JSON value, already encoded.
struct TraceValue {
    TraceValue(std::string_view text);            // a string, escaped; invalid UTF-8 repaired
    TraceValue(const char* text) : TraceValue(std::string_view(text ? text : "")) {}
    TraceValue(const std::string& text) : TraceValue(std::string_view(text)) {}
    TraceValue(double number);                    // a number; null when not finite
    TraceValue(int number) : TraceValue(static_cast<double>(number)) {}
    TraceValue(bool flag) : json(flag ? "true" : "false") {}
    static TraceValue raw(std::string json);      // JSON text this program wrote (an array, an object, null)

    std::string json;

private:
    TraceValue() = default;
};

struct TraceField {
    std::string key;
    TraceValue value;
};

struct TraceEvent {
    double time = 0;         // run-loop seconds when it happened
    std::string type;        // "post", "call", "host", "window", "touch", "layoutConflict" ...
    std::vector<TraceField> fields;

    // The field's value as JSON text, or empty when absent.
    std::string field(std::string_view key) const;
    // A string field's text (unescaped), or empty.
    std::string text(std::string_view key) const;
    // The whole event as one JSON object: {"t": ..., "type": ..., fields...}.
    std::string toJson() const;
};

class Trace {
public:
    // How many recent records are kept by default: enough for a test or a person to look back over
    // a few banners' worth of events, small enough to stay well under a megabyte or two.
    static constexpr std::size_t kDefaultKept = 4096;

    void record(std::string type, std::vector<TraceField> fields);
    // Shorthand for events described in words: fields "subject" and, when not empty, "detail".
    void record(std::string type, std::string subject, std::string detail = {});
    // The most recent records, oldest first: at most `kept()` of them.
    const std::deque<TraceEvent>& events() const { return recent_; }
    // The kept records of one type, in order.
    std::vector<TraceEvent> eventsOfKind(const std::string& type) const;
    void clear() { recent_.clear(); }
    // Called with every event as it is recorded (a live log); empty to stop.
    void setListener(std::function<void(const TraceEvent&)> listener) { listener_ = std::move(listener); }

    // How many recent records to keep; older ones are dropped at once when it shrinks.
    void setKept(std::size_t count);
    std::size_t kept() const { return kept_; }
    // Every record since the process began, kept or not.
    std::size_t recordedCount() const { return recorded_; }

private:
    std::deque<TraceEvent> recent_;
    std::size_t kept_ = kDefaultKept;
    std::size_t recorded_ = 0;
    std::function<void(const TraceEvent&)> listener_;
};

// The current process's trace.
Trace& trace();

} // namespace zovo
