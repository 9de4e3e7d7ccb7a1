#include "foundation/DarwinNotifyCenter.h"

#include "foundation/RunLoop.h"

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

std::string_view textOf(const char* function, CFStringRef name)
{
    if (!name || !name->text) throw std::invalid_argument(std::string(function) + ": the name is null");
    return name->text;
}

zovo::DarwinNotifyCenter& centreOf(const char* function, CFNotificationCenterRef center)
{
    if (!center) throw std::invalid_argument(std::string(function) + ": the centre is null");
    return *center;
}

} // namespace

void CFNotificationCenterAddObserver(CFNotificationCenterRef center, const void* observer, CFNotificationCallback callback, CFStringRef name,
                                     const void*, CFNotificationSuspensionBehavior suspensionBehavior)
{
    const char* function = "CFNotificationCenterAddObserver";
    centreOf(function, center).addObserver(observer, callback, textOf(function, name), suspensionBehavior);
}

void CFNotificationCenterRemoveObserver(CFNotificationCenterRef center, const void* observer, CFStringRef name, const void*)
{
    zovo::DarwinNotifyCenter& centre = centreOf("CFNotificationCenterRemoveObserver", center);
    if (name && name->text) centre.removeObserver(observer, name->text);
    else centre.removeEveryObserver(observer);
}

void CFNotificationCenterRemoveEveryObserver(CFNotificationCenterRef center, const void* observer)
{
    centreOf("CFNotificationCenterRemoveEveryObserver", center).removeEveryObserver(observer);
}

void CFNotificationCenterPostNotification(CFNotificationCenterRef center, CFStringRef name, const void*, CFDictionaryRef, bool)
{
    const char* function = "CFNotificationCenterPostNotification";
    centreOf(function, center).post(textOf(function, name));
}

namespace zovo {

DarwinNotifyCenter::DarwinNotifyCenter(RunLoop& runLoop) : state_(std::make_shared<State>(State{this, runLoop, 1, {}})) {}

DarwinNotifyCenter::~DarwinNotifyCenter() = default;

void DarwinNotifyCenter::addObserver(const void* observer, CFNotificationCallback callback, std::string_view name, CFNotificationSuspensionBehavior behavior)
{
    if (!callback) throw std::invalid_argument("DarwinNotifyCenter: the callback for " + std::string(name) + " is null");
    switch (behavior) {
    case CFNotificationSuspensionBehaviorDrop:
    case CFNotificationSuspensionBehaviorCoalesce:
    case CFNotificationSuspensionBehaviorHold:
    case CFNotificationSuspensionBehaviorDeliverImmediately: break;
    default:
        throw std::invalid_argument("DarwinNotifyCenter: unknown suspension behaviour " + std::to_string(static_cast<int>(behavior)) + " for " +
                                    std::string(name));
    }
    state_->registrations.emplace(state_->nextId++, Registration{observer, callback, std::string(name), behavior});
}

void DarwinNotifyCenter::removeObserver(const void* observer, std::string_view name)
{
    std::erase_if(state_->registrations, [&](const auto& item) { return item.second.observer == observer && item.second.name == name; });
}

void DarwinNotifyCenter::removeEveryObserver(const void* observer)
{
    std::erase_if(state_->registrations, [&](const auto& item) { return item.second.observer == observer; });
}

void DarwinNotifyCenter::post(std::string_view name)
{
    for (auto& [id, registration] : state_->registrations) {
        if (registration.name != name) continue;
        if (registration.behavior == CFNotificationSuspensionBehaviorCoalesce) {
            if (registration.pending) continue;
            registration.pending = true;
        }
        // One queued item per registration: a callback that throws leaves the others queued.
        state_->runLoop.perform([weakState = std::weak_ptr<State>(state_), id = id, text = std::string(name)] { deliver(weakState, id, text); });
    }
}

void DarwinNotifyCenter::deliver(const std::weak_ptr<State>& weakState, std::uint64_t id, const std::string& name)
{
    std::shared_ptr<State> state = weakState.lock();
    if (!state) return;
    auto found = state->registrations.find(id);
    if (found == state->registrations.end()) return;
    Registration& registration = found->second;
    registration.pending = false;
    // The callback may remove its own registration, so nothing here reads it after the call.
    const __CFString text{name.c_str()};
    registration.callback(state->centre, const_cast<void*>(registration.observer), &text, nullptr, nullptr);
}

std::size_t DarwinNotifyCenter::registrationCount() const { return state_->registrations.size(); }

} // namespace zovo
