// What the component made of a settings file, for a person fixing it: the effective values as
// the component holds them after start-up, and a warning for every value it could not use as
// written.
//
//   zovo::Process process;                          // the values are objects of its runtime
//   ... read the file, load the component ...
//   zovo::SettingsReport report = zovo::reportSettings(read.dictionary.get());
//   std::cout << report.effective.dump(2);
#pragma once

#include "foundation/Json.h"
#include "foundation/NSDictionary.h"
#include "uikit/DeviceProfile.h"

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace zovo {

struct SettingsReport {
    // isEnabled, bgColour, textColour, adaptiveColours, showGrabber, showTimestamp, customWidth,
    // customWidthValue, hooksInstalled, as the component holds them now.
    Json effective;
    // One sentence each, naming the key and what was done with its value.
    std::vector<std::string> warnings;
};

// Warnings for the file's own entries on `device` (whose screen a custom width should fit); null
// (a file that could not be read) gives none.
std::vector<std::string> settingsWarnings(const NSDictionary* settings, const DeviceProfile& device = defaultDeviceProfile());
// The warnings for `settings` and the component's effective values in the current process.
SettingsReport reportSettings(const NSDictionary* settings, const DeviceProfile& device = defaultDeviceProfile());

} // namespace zovo
