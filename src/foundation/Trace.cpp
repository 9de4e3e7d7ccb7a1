#include "foundation/Trace.h"

#include "foundation/Process.h"
#include "foundation/RunLoop.h"

#include <cmath>
#include <cstdio>

namespace zovo {

std::string jsonString(std::string_view text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
                out += buffer;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

std::string jsonNumber(double number)
{
    if (!std::isfinite(number)) return "null";
    if (number == std::floor(number) && std::fabs(number) < 1e15) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.0f", number);
        return buffer;
    }
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17g", number);
    // Prefer the shortest text that reads back the same number.
    for (int precision = 1; precision < 17; ++precision) {
        char shorter[40];
        std::snprintf(shorter, sizeof shorter, "%.*g", precision, number);
        if (std::strtod(shorter, nullptr) == number) return shorter;
    }
    return buffer;
}

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
    if (json.size() < 2 || json.front() != '"') return {};
    std::string out;
    for (std::size_t i = 1; i + 1 < json.size(); ++i) {
        if (json[i] != '\\' || i + 2 >= json.size()) {
            out += json[i];
            continue;
        }
        const char e = json[++i];
        switch (e) {
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'u':
            if (i + 4 < json.size()) {
                out += static_cast<char>(std::strtol(json.substr(i + 1, 4).c_str(), nullptr, 16));
                i += 4;
            }
            break;
        default: out += e;
        }
    }
    return out;
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
    events_.push_back(TraceEvent{now, std::move(type), std::move(fields)});
    if (listener_) listener_(events_.back());
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
    for (const auto& e : events_)
        if (e.type == type) out.push_back(e);
    return out;
}

Trace& trace() { return Process::current().local<Trace>(); }

} // namespace zovo
