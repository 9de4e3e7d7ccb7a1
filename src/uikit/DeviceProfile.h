// The devices the simulation knows: what each one's screen, notch and host answers are.
#pragma once

#include "uikit/CGGeometry.h"

#include <span>
#include <string_view>

namespace zovo {

// The display's cut-out: a notch hangs from the top edge; the island is a pill of its own,
// `cutOutInset` points below the edge.
enum class CutOut { Notch, Island };

struct DeviceProfile {
    std::string_view model;         // model identifier, as uname reports it ("iPhone12,3")
    std::string_view name;          // marketing name
    CGSize screen;                  // portrait, in points
    double scale;                   // pixels per point
    bool hasFaceID;
    bool isIPad;
    double statusBarHeight;         // points, portrait
    CGSize notch;                   // the display cut-out as drawn, in points; zero when none
    CutOut cutOut = CutOut::Notch;
    double cutOutInset = 0;         // points between the top edge and an island
};

// Every built-in profile, phones with a notch first.
std::span<const DeviceProfile> deviceProfiles();
// The profile for a model identifier, or null.
const DeviceProfile* findDeviceProfile(std::string_view model);
// The profile used when none is chosen: "iPhone12,3".
const DeviceProfile& defaultDeviceProfile();

} // namespace zovo
