// The devices the simulation knows: what each one's screen, notch and host answers are.
#pragma once

#include "uikit/CGGeometry.h"

#include <span>
#include <string_view>

namespace zovo {

struct DeviceProfile {
    std::string_view model;         // model identifier, as uname reports it ("iPhone12,3")
    std::string_view name;          // marketing name
    CGSize screen;                  // portrait, in points
    double scale;                   // pixels per point
    bool hasFaceID;
    bool isIPad;
    double statusBarHeight;         // points, portrait
    CGSize notch;                   // the display cut-out as drawn, in points; zero when none
};

// Every built-in profile, phones with a notch first.
std::span<const DeviceProfile> deviceProfiles();
// The profile for a model identifier, or null.
const DeviceProfile* findDeviceProfile(std::string_view model);
// The profile used when none is chosen: "iPhone12,3".
const DeviceProfile& defaultDeviceProfile();

} // namespace zovo
