#include "foundation/Trace.h"

#include "foundation/Process.h"
#include "foundation/RunLoop.h"

namespace zovo {

void Trace::record(std::string kind, std::string subject, std::string detail)
{
    Process* process = Process::currentOrNull();
    const double now = process ? process->mainRunLoop().now() : 0.0;
    events_.push_back(TraceEvent{now, std::move(kind), std::move(subject), std::move(detail)});
    if (listener_) listener_(events_.back());
}

std::vector<TraceEvent> Trace::eventsOfKind(const std::string& kind) const
{
    std::vector<TraceEvent> out;
    for (const auto& e : events_)
        if (e.kind == kind) out.push_back(e);
    return out;
}

Trace& trace() { return Process::current().local<Trace>(); }

} // namespace zovo
