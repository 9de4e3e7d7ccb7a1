#include "foundation/Trace.h"

#include "foundation/Json.h"
#include "foundation/Process.h"
#include "foundation/RunLoop.h"

#include <nlohmann/json.hpp>

namespace zovo {

TraceValue::TraceValue(std::string_view text) : json(jsonString(text)) {}
TraceValue::TraceValue(double number) : json(jsonNumber(number)) {}

TraceValue TraceValue::raw(std::string json)
{
    TraceValue v;
    v.json = std::move(json);
    return v;
}

std::string TraceEvent::field(std::string_view key) const
{
    for (const auto& f : fields)
        if (f.key == key) return f.value.json;
    return {};
}

std::string TraceEvent::text(std::string_view key) const
{
    const std::string json = field(key);
    if (json.empty() || json.front() != '"') return {};
    const auto value = nlohmann::json::parse(json, nullptr, false);
    return value.is_string() ? value.get<std::string>() : std::string();
}

std::string TraceEvent::toJson() const
{
    std::string out = "{\"t\":" + jsonNumber(time) + ",\"type\":" + jsonString(type);
    for (const auto& f : fields) out += "," + jsonString(f.key) + ":" + f.value.json;
    return out + "}";
}

void Trace::record(std::string type, std::vector<TraceField> fields)
{
    Process* process = Process::currentOrNull();
    const double now = process ? process->mainRunLoop().now() : 0.0;
    TraceEvent event{now, std::move(type), std::move(fields)};
    ++recorded_;
    if (listener_) listener_(event);
    if (kept_ == 0) return;
    if (recent_.size() >= kept_) recent_.pop_front();
    recent_.push_back(std::move(event));
}

void Trace::record(std::string type, std::string subject, std::string detail)
{
    std::vector<TraceField> fields{{"subject", TraceValue(subject)}};
    if (!detail.empty()) fields.push_back({"detail", TraceValue(detail)});
    record(std::move(type), std::move(fields));
}

std::vector<TraceEvent> Trace::eventsOfKind(const std::string& type) const
{
    std::vector<TraceEvent> out;
    for (const auto& e : recent_)
        if (e.type == type) out.push_back(e);
    return out;
}

void Trace::setKept(std::size_t count)
{
    kept_ = count;
    while (recent_.size() > kept_) recent_.pop_front();
}

Trace& trace() { return Process::current().local<Trace>(); }

} // namespace zovo
