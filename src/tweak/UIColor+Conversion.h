// The settings' colour format: hexadecimal text read as 0xRRGGBB (bits above 23 ignored).
#pragma once

#include "objc/Object.h"
#include "objc/Runtime.h"

#include <cstdint>

namespace zovorudovu {
// The text scanned as one hexadecimal unsigned 32-bit integer, leading "#" characters skipped
// (white space is not), an optional 0x, overflow giving the largest value; 0 when nothing scans.
std::uint32_t intFromHexString(objc::id string);
// The colour of hex text with the given alpha, passed through unchanged.
objc::StrongId getUIColorObjectFromHexString(objc::id string, double alpha);
// Adds the two class methods to UIColor.
void registerUIColorConversion(objc::Runtime& runtime);
} // namespace zovorudovu
