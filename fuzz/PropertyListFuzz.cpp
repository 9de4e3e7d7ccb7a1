// Feeds arbitrary bytes to the property-list reader. Whatever the bytes, the reader must answer
// with a dictionary or an error: no crash, no sanitizer report, no unbounded recursion.
//
//   cmake --preset fuzz && cmake --build --preset fuzz --target fuzz_property_list
//   build-fuzz/bin/fuzz_property_list -dict=fuzz/property_list.dict corpus/ fuzz/corpus/property_list/
#include "FuzzRuntime.h"
#include "foundation/NSDictionary.h"
#include "foundation/PropertyList.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static zovo::fuzz::FuzzRuntime fuzzRuntime;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    zovo::PropertyListResult result = zovo::parsePropertyList(bytes, "fuzz input");
    // A success always carries a dictionary and a failure never does.
    if (static_cast<bool>(result) != static_cast<bool>(result.dictionary)) std::abort();
    if (result) {
        // Walk what was built, so that a half-made object would be touched.
        for (const auto& [key, value] : result.dictionary->entries())
            if (!value) std::abort();
    }
    return 0;
}
