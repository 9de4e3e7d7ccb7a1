// What the host's classes share within one process: the classes as registered, the host's
// settings, and the records the host writes into the trace. Private to the springboard layer.
#pragma once

#include "objc/Message.h"
#include "objc/Object.h"
#include "objc/Runtime.h"
#include "springboard/DeviceFacts.h"
#include "springboard/HostDefaults.h"
#include "springboard/NCNotificationRequest.h"
#include "uikit/CGGeometry.h"

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace zovo::host {

// The host's classes as this process registered them. A class left out under its system name is
// still registered under a private one, and the host makes its objects from these handles, so it
// works the same whether or not anything can find the class by name.
struct ClassTable {
    objc::Class springBoard = nullptr;
    objc::Class destination = nullptr;
    objc::Class request = nullptr;
    objc::Class shortLookController = nullptr;
    objc::Class longLookController = nullptr;
    objc::Class shortLookView = nullptr;
    objc::Class header = nullptr;
    objc::Class tapRecognizer = nullptr;
    objc::Class bannerWindow = nullptr;
    objc::Class statusBarView = nullptr;
};
ClassTable& classes();

struct Config {
    DeviceFacts facts;
    double bannerDuration = kSystemBannerDuration;
};
Config& config();

// A new instance of `cls` (alloc by message), not yet initialised.
objc::StrongId alloc(objc::Class cls);
// The same, as its C++ type, for the host's parts that need no initialiser (subviews).
template <class T>
objc::StrongRef<T> make(objc::Class cls)
{
    objc::StrongId object = alloc(cls);
    return objc::StrongRef<T>(objc::cast<T>(object));
}

// Arguments as they appear in a call record: flags as true/false, nil as null, strings as their
// text, other objects as their class name, blocks as "block" (or null when empty).
std::string argumentJson(bool flag);
std::string argumentJson(objc::id object);
std::string argumentJson(const std::function<void()>& block);

// A "call" record: the receiver's class name, the selector and the arguments.
void recordCallJson(objc::id receiver, std::string_view selector, std::string argsJson);
template <class... A>
void recordCall(objc::id receiver, std::string_view selector, const A&... args)
{
    std::string json = "[";
    ((json += (json.size() > 1 ? "," : "") + argumentJson(args)), ...);
    recordCallJson(receiver, selector, json + "]");
}

// A "host" record: one of requestReceived, bannerPresented, bannerDismissed, defaultAction,
// longLookPresented, longLookDismissed, with the request's identifier.
void recordHostEvent(const char* event, const std::string& requestId);

// Marks `view` and every view under it as needing layout (by message, so an override runs); the
// passes follow on the next turn of the run loop.
void setNeedsLayoutThroughout(objc::id view);

// A notification card's frame on `screen`, `height` tall from `top` down: kBannerMargin in from
// each side and at most kBannerMaxWidth wide, centred. A screen too narrow for the margins gets a
// card of no width at its centre rather than one of negative width.
CGRect cardFrameOnScreen(CGRect screen, double top, double height);

// Registers a view-controller class that is made with a notification request and answers to a
// weakly held delegate: initWithNotificationRequest:, delegate and setDelegate:.
template <class Controller>
objc::Class registerRequestController(objc::Runtime& runtime, const char* name)
{
    objc::Class cls = runtime.registerClass(name, runtime.lookUpClass("UIViewController"), []() -> objc::Object* { return new Controller(); });
    objc::addMethod(cls, objc::sel("initWithNotificationRequest:"), +[](objc::id self, objc::SEL s, objc::id request) -> objc::StrongId {
        if (request && !objc::cast<NCNotificationRequest>(request))
            throw std::invalid_argument(std::string(objc::sel_getName(s)) + ": the request is an instance of " + request->className() +
                                        ", not NCNotificationRequest");
        static_cast<Controller*>(self)->setRequest(objc::cast<NCNotificationRequest>(request));
        return objc::StrongId(self);
    });
    objc::addMethod(cls, objc::sel("delegate"), +[](objc::id self, objc::SEL) -> objc::StrongId { return objc::StrongId(static_cast<Controller*>(self)->delegate()); });
    objc::addMethod(cls, objc::sel("setDelegate:"), +[](objc::id self, objc::SEL, objc::id delegate) { static_cast<Controller*>(self)->setDelegate(delegate); });
    return cls;
}

} // namespace zovo::host
