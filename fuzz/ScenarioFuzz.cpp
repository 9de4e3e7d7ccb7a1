// Feeds arbitrary text to the scenario reader. Whatever the text, it must answer with a scenario
// or a message: no crash, no sanitizer report, no stack overflow from deep nesting, and a
// message that is valid UTF-8 and names the source.
//
//   cmake --preset fuzz && cmake --build --preset fuzz --target fuzz_scenario
//   build-fuzz/bin/fuzz_scenario -dict=fuzz/scenario.dict corpus/ fuzz/corpus/scenario/
#include "foundation/Json.h"
#include "sim/Scenario.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    // Icons are looked up beside the scenario; a folder that does not exist keeps the run from
    // depending on the machine's files.
    const zovo::ErrorOr<zovo::Scenario> loaded = zovo::parseScenario(text, "/nonexistent-fuzz-folder", "fuzz.json");
    if (!loaded) {
        if (loaded.error().rfind("fuzz.json: ", 0) != 0 || !zovo::isValidUtf8(loaded.error())) std::abort();
        return 0;
    }
    const zovo::Scenario& s = loaded.value();
    // Events come out in time order, and each lies within the day a scenario may span.
    for (std::size_t i = 0; i < s.events.size(); ++i) {
        if (!(s.events[i].at >= 0 && s.events[i].at <= 24 * 3600.0)) std::abort();
        if (i > 0 && s.events[i].at < s.events[i - 1].at) std::abort();
    }
    return 0;
}
