#include "uikit/UIDevice.h"

#include "foundation/Process.h"

#include <cstring>

namespace {
struct DeviceState {
    std::string model;
    objc::StrongRef<UIDevice> current;
};

void copyField(char (&field)[256], const std::string& text)
{
    std::memset(field, 0, sizeof field);
    std::strncpy(field, text.c_str(), sizeof field - 1);
}
} // namespace

objc::StrongRef<UIDevice> UIDevice::currentDevice()
{
    auto& state = zovo::Process::current().local<DeviceState>();
    if (!state.current) state.current = objc::make<UIDevice>();
    return state.current;
}

void UIDevice::setModelIdentifier(std::string model) { zovo::Process::current().local<DeviceState>().model = std::move(model); }
std::string UIDevice::modelIdentifier() { return zovo::Process::current().local<DeviceState>().model; }

namespace platform {
int uname(utsname* info)
{
    if (!info) return -1;
    copyField(info->sysname, "Darwin");
    copyField(info->nodename, "localhost");
    copyField(info->release, "20.0.0");
    copyField(info->version, "Darwin Kernel Version 20.0.0");
    copyField(info->machine, UIDevice::modelIdentifier());
    return 0;
}
} // namespace platform
