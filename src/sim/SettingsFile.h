// Settings written by a scenario, as the settings pane would write them: a binary property list.
#pragma once

#include "foundation/ErrorOr.h"
#include "foundation/Json.h"
#include "foundation/NSDictionary.h"

#include <nlohmann/json_fwd.hpp>

#include <filesystem>
#include <string>
#include <vector>

namespace zovo {

// A JSON object as a property-list dictionary: true/false become booleans, whole numbers
// integers, other numbers reals, text strings, lists arrays, objects dictionaries. Null has no
// property-list form and is left out. Needs a running process.
objc::StrongRef<NSDictionary> propertyListFromJson(const Json& object);

// A property-list dictionary as a JSON object, the inverse of propertyListFromJson: booleans,
// integers, reals, strings, arrays and dictionaries keep their kind. Values JSON cannot hold as a
// settings value (a date, a real that is not finite) are left out, and each one left out is named
// in `dropped` when it is given ("when", "list[2]").
Json settingsToJson(const NSDictionary* dictionary, std::vector<std::string>* dropped = nullptr);

// Writes `object` at a host path as a binary property list; an error names the file.
ErrorOr<void> writeSettingsFile(const std::filesystem::path& hostPath, const Json& object);

} // namespace zovo
