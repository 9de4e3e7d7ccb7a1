// Feeds arbitrary bytes to the JSON reader and writer. Read: there must be no crash and no stack
// overflow whatever the nesting, and a message that is valid UTF-8. Written: any bytes, as a
// string in the trace or in a JSON value, must come out as valid UTF-8 JSON that reads back to the
// same text with its invalid bytes repaired.
//
//   build-fuzz/bin/fuzz_json -dict=fuzz/json.dict corpus/ fuzz/corpus/json/
#include "foundation/Json.h"
#include "foundation/Trace.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const zovo::ErrorOr<nlohmann::ordered_json> parsed = zovo::parseJsonText(bytes);
    if (!parsed) {
        if (!zovo::isValidUtf8(parsed.error()) || parsed.error().rfind("line ", 0) != 0) std::abort();
    } else {
        // What was read writes out and reads back the same.
        const std::string written = zovo::toJsonText(parsed.value(), zovo::JsonStyle::Compact);
        const zovo::ErrorOr<nlohmann::ordered_json> again = zovo::parseJsonText(written);
        if (!again || again.value() != parsed.value()) std::abort();
    }

    const std::string repaired = zovo::repairUtf8(bytes);
    if (!zovo::isValidUtf8(repaired) || (zovo::isValidUtf8(bytes) && repaired != bytes)) std::abort();
    const std::string field = zovo::jsonString(bytes);
    if (!zovo::isValidUtf8(field)) std::abort();
    const auto read = nlohmann::json::parse(field, nullptr, false);
    if (!read.is_string() || read.get<std::string>() != repaired) std::abort();
    const zovo::TraceEvent event{0, "fuzz", {{"text", zovo::TraceValue(bytes)}}};
    if (event.text("text") != repaired || !zovo::isValidUtf8(event.toJson())) std::abort();
    return 0;
}
