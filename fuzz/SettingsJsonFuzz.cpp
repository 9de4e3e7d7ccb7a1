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
    const zovo::ErrorOr<nlohmann::ordered_json> parsed = zovo::parseJsonText(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!parsed) {
        if (!zovo::isValidUtf8(parsed.error())) std::abort();
        return 0;
    }
    const nlohmann::ordered_json& json = parsed.value();
    if (!json.is_object()) return 0;
    objc::StrongRef<NSDictionary> dictionary = zovo::propertyListFromJson(json);
    // Nesting deeper than a reader accepts is refused by the writer; that is an answer too.
    const zovo::ErrorOr<std::string> bytes = zovo::encodePropertyList(dictionary.get(), zovo::PropertyListFormat::Binary);
    if (!bytes) return 0;
    const zovo::ErrorOr<zovo::PropertyList> read = zovo::parsePropertyList(bytes.value(), "written");
    if (!read) std::abort();
    if (read->dictionary->entries().size() != dictionary->entries().size()) std::abort();
    return 0;
}
