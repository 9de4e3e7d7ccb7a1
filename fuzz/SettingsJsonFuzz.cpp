// Feeds arbitrary text to the path a scenario's settings take: JSON read with its limits, turned
// into a property-list dictionary, written as a binary property list and read back. Whatever the
// text, there must be no crash and no sanitizer report, and what is written must read back with
// the same keys.
//
//   build-fuzz/bin/fuzz_settings_json -dict=fuzz/settings_json.dict corpus/ fuzz/corpus/settings_json/
#include "FuzzRuntime.h"
#include "foundation/Json.h"
#include "foundation/PropertyList.h"
#include "sim/SettingsFile.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static zovo::fuzz::FuzzRuntime fuzzRuntime;
    nlohmann::ordered_json json;
    const std::string error = zovo::parseJsonText(std::string_view(reinterpret_cast<const char*>(data), size), json);
    if (!error.empty()) {
        if (!zovo::isValidUtf8(error)) std::abort();
        return 0;
    }
    if (!json.is_object()) return 0;
    objc::Ref<NSDictionary> dictionary = zovo::propertyListFromJson(json);
    std::string bytes;
    // Nesting deeper than a reader accepts is refused by the writer; that is an answer too.
    if (!zovo::encodePropertyList(dictionary.get(), zovo::PropertyListFormat::Binary, bytes)) return 0;
    const zovo::PropertyListResult read = zovo::parsePropertyList(bytes, "written");
    if (!read) std::abort();
    if (read.dictionary->entries().size() != dictionary->entries().size()) std::abort();
    return 0;
}
