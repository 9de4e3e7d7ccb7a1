// The device the process runs on: its model identifier (what uname reports as the machine) and
// the facts the host answers about it.
#pragma once

#include "objc/Object.h"

#include <string>

class UIDevice : public objc::Object {
public:
    static constexpr const char* kClassName = "UIDevice";

    static objc::StrongRef<UIDevice> currentDevice();

    // The simulated device's model identifier ("iPhone12,3"), per process. Set by whoever builds
    // the process (the host or a test); empty until then.
    static void setModelIdentifier(std::string model);
    static std::string modelIdentifier();
};

namespace platform {
// The operating system's identification record, as uname fills it: NUL-terminated fields of at
// most 256 bytes. `machine` holds the device model identifier.
struct utsname {
    char sysname[256];
    char nodename[256];
    char release[256];
    char version[256];
    char machine[256];
};
int uname(utsname* info);
} // namespace platform
