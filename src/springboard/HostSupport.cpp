#include "springboard/HostSupport.h"

#include "foundation/NSString.h"
#include "foundation/Process.h"
#include "foundation/Trace.h"
#include "objc/Message.h"
#include "uikit/UIView.h"

#include <algorithm>
#include <vector>

namespace zovo::host {

ClassTable& classes() { return Process::current().local<ClassTable>(); }
Config& config() { return Process::current().local<Config>(); }

objc::StrongId alloc(objc::Class cls) { return objc::send<objc::StrongId>(cls, "alloc"); }

std::string argumentJson(bool flag) { return flag ? "true" : "false"; }

std::string argumentJson(objc::id object)
{
    if (!object) return "null";
    if (auto* text = objc::cast<NSString>(object)) return jsonString(text->utf8());
    return jsonString(object->className());
}

std::string argumentJson(const std::function<void()>& block) { return block ? jsonString("block") : "null"; }

void recordCallJson(objc::id receiver, std::string_view selector, std::string argsJson)
{
    trace().record("call", {{"receiver", receiver ? receiver->className() : "nil"},
                            {"selector", std::string(selector)},
                            {"args", TraceValue::raw(std::move(argsJson))}});
}

CGRect cardFrameOnScreen(CGRect screen, double top, double height)
{
    const double side = std::max(kBannerMargin, (screen.size.width - kBannerMaxWidth) / 2);
    const CGRect card = CGRectInset(CGRectMake(0, top, screen.size.width, height), side, 0);
    return CGRectIsNull(card) ? CGRectMake(screen.size.width / 2, top, 0, height) : card;
}

void setNeedsLayoutThroughout(objc::id view)
{
    auto* v = objc::cast<UIView>(view);
    if (!v) return;
    objc::send(view, "setNeedsLayout");
    const std::vector<objc::StrongRef<UIView>> subviews = v->subviews();
    for (const auto& subview : subviews) setNeedsLayoutThroughout(subview.get());
}

void recordHostEvent(const char* event, const std::string& requestId)
{
    trace().record("host", {{"event", event}, {"request", requestId}});
}

} // namespace zovo::host
