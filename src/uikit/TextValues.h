// The plain values that text layout takes and gives: the platform's paragraph values, a font's
// description and a text's measured size. They live apart from the layout itself (TextLayout.h)
// so that what only keeps them, such as the measurement cache, need not include it.
#pragma once

#include "uikit/CGGeometry.h"

#include <cstdint>
#include <string>

// The platform's paragraph values, with its names and numbers.
enum NSLineBreakMode : std::int64_t {
    NSLineBreakByWordWrapping = 0,
    NSLineBreakByCharWrapping = 1,
    NSLineBreakByClipping = 2,
    NSLineBreakByTruncatingHead = 3,
    NSLineBreakByTruncatingTail = 4,
    NSLineBreakByTruncatingMiddle = 5,
};

// The phone's values (another platform swaps centre and right).
enum NSTextAlignment : std::int64_t {
    NSTextAlignmentLeft = 0,
    NSTextAlignmentCenter = 1,
    NSTextAlignmentRight = 2,
    NSTextAlignmentJustified = 3,
    NSTextAlignmentNatural = 4,
};

namespace zovo {

enum class FontWeight { Regular, Bold };

struct FontDescriptor {
    std::string family;
    double pointSize = 17.0;
    FontWeight weight = FontWeight::Regular;
    friend bool operator==(const FontDescriptor&, const FontDescriptor&) = default;
};

struct TextMeasurement {
    CGSize size;   // whole points, rounded up; 0 by 0 for empty text
    int lines = 0; // lines within the limit, 0 for empty text
};

} // namespace zovo
