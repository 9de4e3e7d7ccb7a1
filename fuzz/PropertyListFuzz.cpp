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
    const zovo::ErrorOr<zovo::PropertyList> result = zovo::parsePropertyList(bytes, "fuzz input");
    if (result) {
        // A success always carries a dictionary; walk what was built, so that a half-made object
        // would be touched.
        if (!result->dictionary) std::abort();
        for (const auto& [key, value] : result->dictionary->entries())
            if (!value) std::abort();
    } else if (result.error().rfind("fuzz input: ", 0) != 0) {
        std::abort();
    }
    return 0;
}
