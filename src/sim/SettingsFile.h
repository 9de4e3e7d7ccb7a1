// Settings written by a scenario, as the settings pane would write them: a binary property list.
#pragma once

#include "foundation/ErrorOr.h"
#include "foundation/NSDictionary.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>

namespace zovo {

// A JSON object as a property-list dictionary: true/false become booleans, whole numbers
// integers, other numbers reals, text strings, lists arrays, objects dictionaries. Null has no
// property-list form and is left out. Needs a running process.
objc::Ref<NSDictionary> propertyListFromJson(const nlohmann::ordered_json& object);

// Writes `object` at a host path as a binary property list; an error names the file.
ErrorOr<void> writeSettingsFile(const std::filesystem::path& hostPath, const nlohmann::ordered_json& object);

} // namespace zovo
