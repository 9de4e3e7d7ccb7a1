// Feeds arbitrary text to the string values and the scanner the component reads settings with:
// floatValue, doubleValue, boolValue, intValue, integerValue, and a hexadecimal scan with a set of
// characters to skip. The first byte chooses the skip set and where the scan starts. Whatever the
// text, there must be no crash and no sanitizer report, and the answers must keep their promises.
//
//   build-fuzz/bin/fuzz_text_values -dict=fuzz/text_values.dict corpus/ fuzz/corpus/text_values/
#include "FuzzRuntime.h"
#include "foundation/Json.h"
#include "foundation/NSCharacterSet.h"
#include "foundation/NSScanner.h"
#include "foundation/NSString.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static zovo::fuzz::FuzzRuntime fuzzRuntime;
    if (size == 0) return 0;
    const std::uint8_t control = data[0];
    // Strings hold valid UTF-8: every way text reaches them (settings, scenarios) checks it.
    const std::string text = zovo::repairUtf8(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
    objc::StrongRef<NSString> string = NSString::from(text);

    // Only plain decimals are read, so NaN never comes out; overflow gives infinity.
    if (std::isnan(string->floatValue()) || std::isnan(string->doubleValue())) std::abort();
    if (std::isinf(string->doubleValue()) && !std::isinf(string->floatValue())) std::abort();
    (void)string->boolValue();
    if (string->intValue() != 0 && string->integerValue() == 0) std::abort();

    static const char* const skipSets[] = {"#", "", " \n", "0x#", "#:"};
    objc::StrongRef<NSScanner> scanner = NSScanner::scannerWithString(string.get());
    if (const char* skip = skipSets[control % 5]; *skip) scanner->setCharactersToBeSkipped(NSCharacterSet::characterSetWithCharactersInString(NSString::from(skip).get()).get());
    // Scanning from a point inside a character fails loudly, so the start is only ever 0 or the
    // length, which are always boundaries.
    if (control & 0x80) scanner->setScanLocation(string->length());
    const std::uint64_t before = scanner->scanLocation();
    std::uint32_t value = 0xDEADBEEF;
    const bool found = scanner->scanHexInt(&value);
    const std::uint64_t after = scanner->scanLocation();
    if (after > string->length()) std::abort();
    if (!found && (value != 0xDEADBEEF || after != before)) std::abort();
    if (found && after <= before) std::abort();
    return 0;
}
