// Text measurement and drawing with Pango, for labels and the renderer.
//
//   zovo::FontDescriptor font{zovo::systemFontFamily(), 12.0, zovo::FontWeight::Regular};
//   zovo::TextMeasurement m = zovo::measureText(message, font, 189.0, 0, NSLineBreakByWordWrapping);
//   m.size;   // whole points, rounded up as the platform's label sizing does
//   m.lines;  // lines laid out within the limit
//
// Sizes are in points: one point is one unit of the drawing space, whatever the screen's scale.
// Hinting is off and glyph positions are not rounded, so a text measures the same at every scale
// and the renderer draws it where it was measured. Fonts are the pinned set only (PinnedFonts.h),
// so a text measures and draws the same on every machine set up as the README says.
//
// Text is drawn as the phone's labels draw it: never read as markup, ordered by the Unicode
// bidirectional algorithm, broken where each script allows (Chinese, Japanese and Thai without
// spaces) and never with an inserted hyphen.
//
// Text is untrusted: invalid UTF-8 and NUL characters become U+FFFD and only the first
// kMaxLaidOutCodePoints code points are laid out, so no text can crash or stall a layout.
//
// Pango's font map and context are kept per thread and reused; measuring allocates nothing that
// outlives the call. Headers stay free of Pango and Cairo: drawing takes a cairo_t as void*.
#pragma once

#include "uikit/CGGeometry.h"
#include "uikit/TextValues.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Cairo's context, declared as cairo.h declares it, so this header does not pull Cairo in.
typedef struct _cairo cairo_t;

namespace zovo {

// Font sizes outside this range are clamped when text is laid out: Pango needs a positive size,
// and nothing on a phone screen is legible beyond a few hundred points.
inline constexpr double kMinFontSize = 1.0;
inline constexpr double kMaxFontSize = 4096.0;

// Widths at or beyond this, and widths that are zero, negative or not a number, do not limit
// the text. Pango measures in 1/1024 of a point in an int, which this keeps clear of overflow.
inline constexpr double kUnlimitedTextWidth = 1.0e6;

// About as much text as a phone screen can show at the smallest legible size: a screen of
// 430 by 932 points holds some 70 characters by 150 lines at six points. Text beyond it is cut
// before layout, at a code-point boundary.
inline constexpr std::size_t kMaxLaidOutCodePoints = 10000;

// The family the system font maps to: "Inter", one of the pinned fonts (see PinnedFonts.h).
// Characters it lacks fall back through the other pinned fonts, in the order their configuration
// gives; emoji are drawn with the colour emoji font.
const std::string& systemFontFamily();
// The family names the font map lists, sorted: those of the pinned fonts, whatever else the
// machine has.
std::vector<std::string> installedFontFamilies();

// Vertical metrics in points, with the platform's signs: the descender is negative.
struct FontMetrics {
    double ascender = 0;
    double descender = 0;
    double lineHeight = 0; // the height of one laid-out line
};
FontMetrics measureFont(const FontDescriptor& font);

// Lays out `text` and measures its first `numberOfLines` lines (0 or less: all of them).
// A limited width wraps the text: by characters for NSLineBreakByCharWrapping, else by words
// (a word longer than the width breaks between characters, as the platform does; a text with a
// word of hundreds of characters wraps by characters throughout, which Pango does far faster).
// A single-line text with clipping or truncation does not wrap; it keeps its natural height and
// its width is capped at the limit, where it would be cut. Explicit line breaks always start a
// new line, and white space at the end of a line does not count towards its width.
// Unknown line-break modes measure as NSLineBreakByTruncatingTail, the label's default.
TextMeasurement measureText(std::string_view text, const FontDescriptor& font, double maxWidth, std::int64_t numberOfLines,
                            NSLineBreakMode mode);

// How a label's text looks.
struct TextStyle {
    FontDescriptor font;
    double rgba[4] = {0, 0, 0, 1};
    NSTextAlignment alignment = NSTextAlignmentLeft;
    NSLineBreakMode lineBreakMode = NSLineBreakByTruncatingTail;
    std::int64_t numberOfLines = 1;
};

// Loads ahead what the first measurement of text in these fonts would otherwise load when it is
// asked for: the font configuration, the substitution that picks each font, and each font at its
// size. A launch calls it so that the first banner does not pay for it. Measures nothing that is
// kept, so results are the same with or without it; a font already warmed costs nothing again.
void warmUpText(std::span<const FontDescriptor> fonts);

// Draws `text` into `rect` of a Cairo context, in the context's current user space,
// as a label draws its text: the lines that fit the style's limit, centred vertically (from the
// top when they are taller than the rect), aligned horizontally (justified as left; natural as
// left, or right for a right-to-left line), truncated with an ellipsis where the mode says, and
// clipped to the rect. The context's state is restored afterwards. Draws nothing for a null
// context, empty text, or a rect that is empty or not finite.
void drawText(cairo_t* cr, std::string_view text, const TextStyle& style, CGRect rect);

// Draws as drawText into a bitmap of Cairo's ARGB32 layout (premultiplied, native-endian 32-bit
// words, the layout of the platform's bitmap contexts), `scale` pixels per point. Draws nothing
// when the buffer is null, a side is zero, the row length is too small for the width, or the
// scale is not a positive finite number.
void drawTextIntoBitmap(std::uint8_t* pixels, int width, int height, int bytesPerRow, double scale, std::string_view text,
                        const TextStyle& style, CGRect rect);

// What Pango chose for one run of a laid-out text: the face's family, and how many of its glyphs
// are the missing-glyph box (a character no pinned font has).
struct TextRun {
    std::string family;
    int glyphs = 0;
    int missingGlyphs = 0;
};
// The runs of `text` laid out as measureText lays it out, all lines, in visual order.
std::vector<TextRun> textRuns(std::string_view text, const FontDescriptor& font, double maxWidth, NSLineBreakMode mode);

// The text as it is laid out: invalid UTF-8 sequences (one U+FFFD per malformed byte) and NUL
// characters replaced by U+FFFD, cut after kMaxLaidOutCodePoints code points.
std::string sanitizeText(std::string_view text);

} // namespace zovo
