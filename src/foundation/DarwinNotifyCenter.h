// The Darwin (system-wide) notification centre of a simulated process, and the CoreFoundation
// calls that reach it.
//
//   void settingsChanged(CFNotificationCenterRef, void*, CFStringRef, const void*, CFDictionaryRef);
//   CFNotificationCenterAddObserver(CFNotificationCenterGetDarwinNotifyCenter(), nullptr, settingsChanged,
//                                   CFSTR("com.example/changed"), nullptr, CFNotificationSuspensionBehaviorCoalesce);
//   process.darwinCenter().post("com.example/changed");   // the rest of the system speaking
//   process.mainRunLoop().runUntilIdle();                 // settingsChanged runs here, not in post
//
// Rules:
// - Delivery goes through the process's main run loop: a post queues one delivery per matching
//   registration and returns; callbacks run when the loop turns, in post order and, within a
//   post, in registration order.
// - A registration made with Coalesce gets one callback for any number of posts of its name
//   made before its delivery runs; a post made during or after that callback queues a new one.
//   The other behaviours differ only while a process is suspended, which a simulated process
//   never is: they get one callback per post.
// - The callback receives the centre, the registration's observer and the name; the name is
//   valid for the length of the call. Object and user information are not carried, as on the
//   Darwin centre.
// - A registration removed before its delivery runs gets no callback.
// - Each simulated process has its own centre; the simulation plays the rest of the system and
//   posts into it directly.
//
// Main thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace zovo {
class DarwinNotifyCenter;
class RunLoop;
} // namespace zovo

// ---- The CoreFoundation types and calls, with the platform's names --------------------------

struct __CFString {
    const char* text;
};
using CFStringRef = const __CFString*;
using CFNotificationCenterRef = zovo::DarwinNotifyCenter*;
using CFDictionaryRef = const void*;

enum CFNotificationSuspensionBehavior {
    CFNotificationSuspensionBehaviorDrop = 1,
    CFNotificationSuspensionBehaviorCoalesce = 2,
    CFNotificationSuspensionBehaviorHold = 3,
    CFNotificationSuspensionBehaviorDeliverImmediately = 4,
};

using CFNotificationCallback = void (*)(CFNotificationCenterRef center, void* observer, CFStringRef name, const void* object,
                                        CFDictionaryRef userInfo);

// A constant string with static storage: it belongs to no process and lives for the whole
// program. The argument must be a string literal.
#define CFSTR(literal) \
    ([]() -> CFStringRef { \
        static const __CFString zovoConstantString{"" literal ""}; \
        return &zovoConstantString; \
    }())

// The current process's Darwin centre. Throws objc::RuntimeError when no process is running.
CFNotificationCenterRef CFNotificationCenterGetDarwinNotifyCenter();

// `object` is ignored, as on the Darwin centre. Throws std::invalid_argument for a null centre,
// callback or name, or an unknown suspension behaviour.
void CFNotificationCenterAddObserver(CFNotificationCenterRef center, const void* observer, CFNotificationCallback callback, CFStringRef name,
                                     const void* object, CFNotificationSuspensionBehavior suspensionBehavior);
// Removes `observer`'s registrations for `name`, or for every name when `name` is null.
void CFNotificationCenterRemoveObserver(CFNotificationCenterRef center, const void* observer, CFStringRef name, const void* object);
void CFNotificationCenterRemoveEveryObserver(CFNotificationCenterRef center, const void* observer);
// `object`, `userInfo` and `deliverImmediately` are ignored: delivery always waits for the run
// loop. Throws std::invalid_argument for a null centre or name.
void CFNotificationCenterPostNotification(CFNotificationCenterRef center, CFStringRef name, const void* object, CFDictionaryRef userInfo,
                                          bool deliverImmediately);

// ---- The centre -------------------------------------------------------------------------------

namespace zovo {

class DarwinNotifyCenter {
public:
    // Deliveries are queued on `runLoop`, which must outlive every turn that could run them.
    // Deliveries still queued when the centre ends do nothing.
    explicit DarwinNotifyCenter(RunLoop& runLoop);
    ~DarwinNotifyCenter();
    DarwinNotifyCenter(const DarwinNotifyCenter&) = delete;
    DarwinNotifyCenter& operator=(const DarwinNotifyCenter&) = delete;

    // One registration per call. Throws std::invalid_argument for a null callback or an unknown
    // suspension behaviour.
    void addObserver(const void* observer, CFNotificationCallback callback, std::string_view name, CFNotificationSuspensionBehavior behavior);
    void removeObserver(const void* observer, std::string_view name);
    void removeEveryObserver(const void* observer);

    void post(std::string_view name);

    std::size_t registrationCount() const;

private:
    struct Registration {
        const void* observer;
        CFNotificationCallback callback;
        std::string name;
        CFNotificationSuspensionBehavior behavior;
        // A Coalesce registration with a delivery queued and not yet run.
        bool pending = false;
    };
    // Shared with the queued deliveries, which hold it weakly so that they outlive the centre
    // harmlessly.
    struct State {
        DarwinNotifyCenter* centre;
        RunLoop& runLoop;
        std::uint64_t nextId = 1;
        // By id, which is registration order.
        std::map<std::uint64_t, Registration> registrations;
    };

    static void deliver(const std::weak_ptr<State>& weakState, std::uint64_t id, const std::string& name);

    std::shared_ptr<State> state_;
};

} // namespace zovo
