#include "uikit/TextLayout.h"

#include "foundation/Unicode.h"
#include "uikit/PinnedFonts.h"
#include "uikit/TextMeasurementCache.h"

#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>
#include <fribidi.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace zovo {

namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;

// Pango's font map and a context over it, kept per thread because neither may be shared between
// threads. One layout is reused for every measurement on the thread, so measuring allocates
// nothing that outlives the call. The font map is fontconfig's, over the pinned configuration
// only (never the process's current one, which the environment chooses).
class PangoState {
public:
    PangoState()
        : map_(pinnedFontMap())
        , context_(pango_font_map_create_context(map_))
        , attributes_(pango_attr_list_new())
    {
        configureContext(context_);
        layout_ = pango_layout_new(context_);
        // The phone's labels break a word too long for its line without adding a hyphen.
        pango_attr_list_insert(attributes_, pango_attr_insert_hyphens_new(FALSE));
    }
    ~PangoState()
    {
        pango_attr_list_unref(attributes_);
        g_object_unref(layout_);
        g_object_unref(context_);
        g_object_unref(map_);
    }
    PangoState(const PangoState&) = delete;
    PangoState& operator=(const PangoState&) = delete;

    PangoFontMap* map() const { return map_; }
    PangoContext* context() const { return context_; }
    PangoLayout* layout() const { return layout_; }
    PangoAttrList* attributes() const { return attributes_; }

    // Settings shared by measuring and drawing, so that text is drawn exactly where it was
    // measured: no hinting, unrounded glyph positions, a fixed language for line breaking and
    // font fallback, and 72 dots per inch so that Pango's points are ours. Every option is set,
    // so that none is left to the target surface or the machine (the pinned configuration says
    // the same).
    static void configureContext(PangoContext* context)
    {
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
        cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
        cairo_font_options_set_subpixel_order(options, CAIRO_SUBPIXEL_ORDER_DEFAULT);
        pango_cairo_context_set_font_options(context, options);
        cairo_font_options_destroy(options);
        pango_cairo_context_set_resolution(context, 72.0);
        pango_context_set_round_glyph_positions(context, FALSE);
        pango_context_set_language(context, pango_language_from_string("en-us"));
    }

private:
    static PangoFontMap* pinnedFontMap()
    {
        PangoFontMap* map = pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT);
        pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(map), static_cast<FcConfig*>(pinnedFontConfig()));
        return map;
    }

    PangoFontMap* map_;
    PangoContext* context_;
    PangoAttrList* attributes_;
    PangoLayout* layout_ = nullptr;
};

PangoState& pangoState()
{
    thread_local PangoState state;
    return state;
}

struct FontDescriptionDeleter {
    void operator()(PangoFontDescription* d) const { pango_font_description_free(d); }
};
using FontDescription = std::unique_ptr<PangoFontDescription, FontDescriptionDeleter>;

double clampedFontSize(double size)
{
    if (std::isnan(size)) return kMinFontSize;
    return std::clamp(size, kMinFontSize, kMaxFontSize);
}

FontDescription describe(const FontDescriptor& font)
{
    FontDescription d(pango_font_description_new());
    // An empty family would let Pango pick its own default; the system font is the better guess.
    const std::string& family = font.family.empty() ? systemFontFamily() : font.family;
    pango_font_description_set_family(d.get(), family.c_str());
    pango_font_description_set_weight(d.get(), font.weight == FontWeight::Bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_absolute_size(d.get(), clampedFontSize(font.pointSize) * PANGO_SCALE);
    return d;
}

bool limits(double maxWidth) { return maxWidth > 0 && maxWidth < kUnlimitedTextWidth; }

bool isKnownMode(NSLineBreakMode mode) { return mode >= NSLineBreakByWordWrapping && mode <= NSLineBreakByTruncatingMiddle; }

bool cutsSingleLine(NSLineBreakMode mode) { return mode != NSLineBreakByWordWrapping && mode != NSLineBreakByCharWrapping; }

PangoEllipsizeMode ellipsisFor(NSLineBreakMode mode)
{
    switch (mode) {
    case NSLineBreakByTruncatingHead: return PANGO_ELLIPSIZE_START;
    case NSLineBreakByTruncatingTail: return PANGO_ELLIPSIZE_END;
    case NSLineBreakByTruncatingMiddle: return PANGO_ELLIPSIZE_MIDDLE;
    default: return PANGO_ELLIPSIZE_NONE;
    }
}

enum class Purpose { Measure, Draw };

// Pango wraps a word too long for its line by trying the word again at every line it spills onto,
// which costs time in the square of the word's length: a single word of ten thousand characters
// takes over a second. Past this length, a text is wrapped between any two characters instead,
// which costs no more than ordinary text. Natural words and most addresses are far shorter.
constexpr std::size_t kLongestWordWrappedByWord = 256;

// The most code points in a row without white space. `text` is valid UTF-8.
std::size_t longestWord(const std::string& text)
{
    std::size_t longest = 0;
    std::size_t run = 0;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            run = 0;
        } else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
            longest = std::max(longest, ++run);
        }
    }
    return longest;
}

PangoWrapMode wrapFor(NSLineBreakMode mode, const std::string& text)
{
    if (mode == NSLineBreakByCharWrapping || longestWord(text) > kLongestWordWrappedByWord) return PANGO_WRAP_CHAR;
    return PANGO_WRAP_WORD_CHAR;
}

// The direction of a text's first paragraph as the Unicode bidirectional algorithm gives it: that
// of its first letter, skipping what lies between an isolate and its end. Pango's own detection
// takes the embedding and override controls (U+202A to U+202E) for letters and does not skip
// isolates, so a text that holds those controls gets its direction from here; any other text
// (neutral: none found) is left to Pango, which decides each paragraph alike.
PangoDirection directionWithControls(const std::string& text)
{
    bool controls = false;
    for (std::size_t i = 0; i + 2 < text.size() && !controls; ++i) {
        // U+202A to U+202E are E2 80 AA to E2 80 AE; U+2066 to U+2069 are E2 81 A6 to E2 81 A9.
        const auto b1 = static_cast<unsigned char>(text[i + 1]), b2 = static_cast<unsigned char>(text[i + 2]);
        controls = static_cast<unsigned char>(text[i]) == 0xE2 && ((b1 == 0x80 && b2 >= 0xAA && b2 <= 0xAE) || (b1 == 0x81 && b2 >= 0xA6 && b2 <= 0xA9));
    }
    if (!controls) return PANGO_DIRECTION_NEUTRAL;
    int isolates = 0;
    for (std::size_t offset = 0; offset < text.size();) {
        const char32_t c = utf8::decode(text, offset);
        if (c == '\n' || c == '\r' || c == 0x2029) break;
        if (c >= 0x2066 && c <= 0x2068) {
            ++isolates;
        } else if (c == 0x2069) {
            if (isolates > 0) --isolates;
        } else if (isolates == 0) {
            const FriBidiCharType type = fribidi_get_bidi_type(static_cast<FriBidiChar>(c));
            if (FRIBIDI_IS_LETTER(type)) return FRIBIDI_IS_RTL(type) ? PANGO_DIRECTION_RTL : PANGO_DIRECTION_LTR;
        }
    }
    return PANGO_DIRECTION_NEUTRAL;
}

// Sets every property of a (possibly reused) layout, so nothing from an earlier use carries over.
void configureLayout(PangoLayout* layout, const std::string& text, const FontDescriptor& font, double maxWidth,
                     std::int64_t numberOfLines, NSLineBreakMode mode, Purpose purpose)
{
    if (!isKnownMode(mode)) mode = NSLineBreakByTruncatingTail;
    const FontDescription description = describe(font);
    pango_layout_set_font_description(layout, description.get());
    pango_layout_set_attributes(layout, pangoState().attributes());
    pango_layout_set_alignment(layout, PANGO_ALIGN_LEFT);
    const PangoDirection direction = directionWithControls(text);
    PangoContext* context = pango_layout_get_context(layout);
    pango_layout_set_auto_dir(layout, direction == PANGO_DIRECTION_NEUTRAL);
    // Pango's own default, for text whose paragraphs hold no letter.
    const PangoDirection base = direction == PANGO_DIRECTION_NEUTRAL ? PANGO_DIRECTION_WEAK_LTR : direction;
    if (pango_context_get_base_dir(context) != base) {
        pango_context_set_base_dir(context, base);
        pango_layout_context_changed(layout);
    }
    pango_layout_set_justify(layout, FALSE);
    pango_layout_set_indent(layout, 0);
    pango_layout_set_spacing(layout, 0);
    pango_layout_set_single_paragraph_mode(layout, FALSE);
    pango_layout_set_height(layout, -1);
    pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_NONE);

    const bool singleLine = numberOfLines == 1;
    const bool wraps = limits(maxWidth) && !(singleLine && cutsSingleLine(mode));
    if (wraps) {
        pango_layout_set_width(layout, static_cast<int>(std::floor(maxWidth * PANGO_SCALE)));
        pango_layout_set_wrap(layout, wrapFor(mode, text));
    } else {
        pango_layout_set_width(layout, -1);
    }
    const PangoEllipsizeMode ellipsis = ellipsisFor(mode);
    if (purpose == Purpose::Draw && ellipsis != PANGO_ELLIPSIZE_NONE && limits(maxWidth) && numberOfLines > 0) {
        // Pango ellipsizes the last of at most N lines of each paragraph (wrapped as set above); a
        // single line needs only the width, and ellipsizing keeps it from wrapping.
        pango_layout_set_width(layout, static_cast<int>(std::floor(maxWidth * PANGO_SCALE)));
        pango_layout_set_ellipsize(layout, ellipsis);
        if (!singleLine) pango_layout_set_height(layout, -static_cast<int>(std::min<std::int64_t>(numberOfLines, 10000)));
    }
    pango_layout_set_text(layout, text.data(), static_cast<int>(text.size()));
}

struct LineBox {
    PangoLayoutLine* line;
    PangoRectangle logical; // in layout coordinates, Pango units
    int baseline;           // in layout coordinates, Pango units
};

// The first `limit` lines of a laid-out layout (all of them for a limit of 0 or less).
std::vector<LineBox> firstLines(PangoLayout* layout, std::int64_t limit)
{
    std::vector<LineBox> lines;
    PangoLayoutIter* it = pango_layout_get_iter(layout);
    do {
        if (limit > 0 && static_cast<std::int64_t>(lines.size()) >= limit) break;
        LineBox box{pango_layout_iter_get_line_readonly(it), {}, pango_layout_iter_get_baseline(it)};
        pango_layout_iter_get_line_extents(it, nullptr, &box.logical);
        lines.push_back(box);
    } while (pango_layout_iter_next_line(it));
    pango_layout_iter_free(it);
    return lines;
}

double points(int units) { return static_cast<double>(units) / PANGO_SCALE; }

bool isTrailingSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The width of a line without the white space at its end. Pango keeps the space at which a line
// wraps in the line's extents; the platform lets it hang past the edge and does not count it.
int visibleWidth(PangoLayout* layout, const LineBox& box)
{
    const char* text = pango_layout_get_text(layout);
    const int start = box.line->start_index;
    const int end = start + box.line->length;
    int trimmed = end;
    while (trimmed > start && isTrailingSpace(text[trimmed - 1])) --trimmed;
    if (trimmed == end) return box.logical.width;
    if (trimmed == start) return 0;
    int* ranges = nullptr;
    int count = 0;
    pango_layout_line_get_x_ranges(box.line, start, trimmed, &ranges, &count);
    int left = 0;
    int right = 0;
    for (int i = 0; i < count; ++i) {
        left = i == 0 ? ranges[0] : std::min(left, ranges[2 * i]);
        right = i == 0 ? ranges[1] : std::max(right, ranges[2 * i + 1]);
    }
    g_free(ranges);
    return count > 0 ? right - left : box.logical.width;
}

bool finite(const CGRect& r)
{
    return std::isfinite(r.origin.x) && std::isfinite(r.origin.y) && std::isfinite(r.size.width) && std::isfinite(r.size.height);
}

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // namespace

std::string sanitizeText(std::string_view text)
{
    std::string out;
    out.reserve(std::min(text.size(), kMaxLaidOutCodePoints * 4));
    std::size_t count = 0;
    for (std::size_t offset = 0; offset < text.size() && count < kMaxLaidOutCodePoints; ++count) {
        const char32_t c = utf8::decode(text, offset);
        appendUtf8(out, c == 0 ? kReplacementCharacter : c);
    }
    return out;
}

std::vector<std::string> installedFontFamilies()
{
    PangoFontFamily** families = nullptr;
    int count = 0;
    pango_font_map_list_families(pangoState().map(), &families, &count);
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(std::max(count, 0)));
    for (int i = 0; i < count; ++i) names.emplace_back(pango_font_family_get_name(families[i]));
    g_free(families);
    std::sort(names.begin(), names.end());
    return names;
}

const std::string& systemFontFamily()
{
    static const std::string family = "Inter";
    return family;
}

FontMetrics measureFont(const FontDescriptor& font)
{
    PangoState& state = pangoState();
    const FontDescription description = describe(font);
    PangoFontMetrics* metrics = pango_context_get_metrics(state.context(), description.get(), nullptr);
    FontMetrics result;
    result.ascender = points(pango_font_metrics_get_ascent(metrics));
    result.descender = -points(pango_font_metrics_get_descent(metrics));
    pango_font_metrics_unref(metrics);
    // The line height is taken from a laid-out line rather than from the font's tables, so that
    // a label one line high is exactly one line of text.
    PangoLayout* layout = state.layout();
    configureLayout(layout, "Hg", font, 0, 1, NSLineBreakByClipping, Purpose::Measure);
    PangoRectangle logical;
    pango_layout_get_extents(layout, nullptr, &logical);
    result.lineHeight = points(logical.height);
    return result;
}

namespace {
TextMeasurement measureTextWithPango(std::string_view text, const FontDescriptor& font, double maxWidth, std::int64_t numberOfLines,
                                     NSLineBreakMode mode)
{
    const std::string laidOut = sanitizeText(text);
    if (laidOut.empty()) return {};
    PangoLayout* layout = pangoState().layout();
    configureLayout(layout, laidOut, font, maxWidth, numberOfLines, mode, Purpose::Measure);
    const std::vector<LineBox> lines = firstLines(layout, numberOfLines);
    if (lines.empty()) return {};
    int widest = 0;
    for (const LineBox& box : lines) widest = std::max(widest, visibleWidth(layout, box));
    const int top = lines.front().logical.y;
    const int bottom = lines.back().logical.y + lines.back().logical.height;
    double width = points(widest);
    if (limits(maxWidth)) width = std::min(width, maxWidth);
    return TextMeasurement{CGSizeMake(std::ceil(width), std::ceil(points(bottom - top))), static_cast<int>(lines.size())};
}
} // namespace

void warmUpText(std::span<const FontDescriptor> fonts)
{
    // Per thread, as the Pango state is.
    thread_local std::vector<FontDescriptor> warmed;
    for (const FontDescriptor& font : fonts) {
        if (std::find(warmed.begin(), warmed.end(), font) != warmed.end()) continue;
        // A word is enough to load the font; the glyphs of real text are loaded as it comes.
        // Straight from Pango, past the cache of measurements.
        measureTextWithPango("Hg", font, 0, 1, NSLineBreakByTruncatingTail);
        warmed.push_back(font);
    }
}

// Laying out with Pango is the expensive part of a banner's layout; the same labels are measured
// again and again, so measurements are remembered.
TextMeasurement measureText(std::string_view text, const FontDescriptor& font, double maxWidth, std::int64_t numberOfLines,
                            NSLineBreakMode mode)
{
    TextMeasurementKey key{std::string(text), font, maxWidth, numberOfLines, mode};
    TextMeasurementCache& cache = TextMeasurementCache::shared();
    if (std::optional<TextMeasurement> known = cache.find(key)) return *known;
    const TextMeasurement measured = measureTextWithPango(text, font, maxWidth, numberOfLines, mode);
    cache.insert(std::move(key), measured);
    return measured;
}

std::vector<TextRun> textRuns(std::string_view text, const FontDescriptor& font, double maxWidth, NSLineBreakMode mode)
{
    std::vector<TextRun> runs;
    const std::string laidOut = sanitizeText(text);
    if (laidOut.empty()) return runs;
    PangoLayout* layout = pangoState().layout();
    configureLayout(layout, laidOut, font, maxWidth, 0, mode, Purpose::Measure);
    PangoLayoutIter* it = pango_layout_get_iter(layout);
    do {
        PangoLayoutRun* run = pango_layout_iter_get_run_readonly(it);
        if (!run) continue; // the end of a line
        TextRun described;
        PangoFontDescription* face = pango_font_describe(run->item->analysis.font);
        if (const char* family = pango_font_description_get_family(face)) described.family = family;
        pango_font_description_free(face);
        described.glyphs = run->glyphs->num_glyphs;
        for (int i = 0; i < run->glyphs->num_glyphs; ++i) {
            const PangoGlyph glyph = run->glyphs->glyphs[i].glyph;
            // Zero-width and control characters get PANGO_GLYPH_EMPTY, which is not missing.
            if (glyph == 0 || (glyph & PANGO_GLYPH_UNKNOWN_FLAG) != 0) ++described.missingGlyphs;
        }
        runs.push_back(std::move(described));
    } while (pango_layout_iter_next_run(it));
    pango_layout_iter_free(it);
    return runs;
}

namespace {

// How many of `lines` fit `height` points from the first line's top, as the platform's label
// draws only whole lines; at least one, which the rect then clips.
std::size_t linesThatFit(const std::vector<LineBox>& lines, double height)
{
    const int top = lines.front().logical.y;
    const double limit = height * PANGO_SCALE + 1; // a Pango unit of slack for rounding
    std::size_t count = 0;
    while (count < lines.size() && lines[count].logical.y + lines[count].logical.height - top <= limit) ++count;
    return std::max<std::size_t>(count, 1);
}

// Where `text` may be cut to at most `bytes` bytes without splitting a code point. `text` is valid UTF-8.
std::size_t cutAtCodePoint(std::string_view text, std::size_t bytes)
{
    if (bytes >= text.size()) return text.size();
    while (bytes > 0 && (static_cast<unsigned char>(text[bytes]) & 0xC0) == 0x80) --bytes;
    return bytes;
}

// The text of the last line drawn when more text follows it: the rest of its paragraph, and an
// ellipsis of its own when later paragraphs are cut, since the paragraph itself may fit. Only
// what fits one line can show, so a long rest is cut first (to four times the line it replaces,
// or a kilobyte), ending in an ellipsis that shows the cut even where the piece kept would fit.
std::string lastLineText(const std::string& text, const PangoLayoutLine* line)
{
    const std::size_t start = static_cast<std::size_t>(line->start_index);
    const std::size_t end = text.find_first_of("\r\n", start);
    std::string rest = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    const std::size_t kept = cutAtCodePoint(rest, std::max<std::size_t>(4 * static_cast<std::size_t>(line->length), 1024));
    const bool shortened = kept < rest.size();
    rest.resize(kept);
    if (end != std::string::npos || shortened) rest += "\u2026";
    return rest;
}

// Laying out all of a long text to draw the few lines a label shows costs as much as measuring it
// again (close to a millisecond a thousand characters). Lines are broken greedily from the start,
// so the lines of a prefix before its last are those of the whole text: a prefix is laid out, and
// made longer until it holds a line past those drawn. Head and middle truncation keep the text's
// end, and a clipped single line reorders the whole line, so those lay out all of it.
constexpr std::size_t kFirstDrawnPrefix = 2048; // bytes

bool drawsFromPrefix(NSLineBreakMode mode)
{
    return mode == NSLineBreakByWordWrapping || mode == NSLineBreakByCharWrapping || mode == NSLineBreakByTruncatingTail;
}

} // namespace

void drawText(cairo_t* cr, std::string_view text, const TextStyle& style, CGRect rect)
{
    if (!cr || cairo_status(cr) != CAIRO_STATUS_SUCCESS) return;
    if (!finite(rect) || !(rect.size.width > 0) || !(rect.size.height > 0)) return;
    const std::string laidOut = sanitizeText(text);
    if (laidOut.empty()) return;

    // A context of its own, matched to the target's transformation, with the measuring settings.
    PangoContext* context = pango_font_map_create_context(pangoState().map());
    PangoState::configureContext(context);
    pango_cairo_update_context(cr, context);
    PangoLayout* layout = pango_layout_new(context);
    const NSLineBreakMode drawnMode = isKnownMode(style.lineBreakMode) ? style.lineBreakMode : NSLineBreakByTruncatingTail;
    std::vector<LineBox> lines;
    for (std::size_t budget = drawsFromPrefix(drawnMode) ? kFirstDrawnPrefix : laidOut.size();; budget *= 4) {
        const std::size_t size = cutAtCodePoint(laidOut, budget);
        configureLayout(layout, size == laidOut.size() ? laidOut : laidOut.substr(0, size), style.font, rect.size.width, style.numberOfLines,
                        style.lineBreakMode, Purpose::Draw);
        lines = firstLines(layout, style.numberOfLines);
        if (size == laidOut.size() || lines.empty() || pango_layout_is_ellipsized(layout)) break;
        if (pango_layout_get_line_count(layout) >= static_cast<int>(linesThatFit(lines, rect.size.height)) + 2) break;
    }

    // Only the lines that fit the rect's height are drawn. Under tail truncation, when text is
    // cut after the last of them, that line is laid out again on its own and ends in an ellipsis.
    PangoLayout* lastLayout = nullptr;
    if (!lines.empty()) {
        const std::size_t fit = linesThatFit(lines, rect.size.height);
        const bool cut = static_cast<int>(fit) < pango_layout_get_line_count(layout);
        lines.resize(fit);
        const NSLineBreakMode mode = isKnownMode(style.lineBreakMode) ? style.lineBreakMode : NSLineBreakByTruncatingTail;
        if (cut && mode == NSLineBreakByTruncatingTail) {
            lastLayout = pango_layout_new(context);
            configureLayout(lastLayout, lastLineText(laidOut, lines.back().line), style.font, rect.size.width, 1, NSLineBreakByTruncatingTail,
                            Purpose::Draw);
            const LineBox replaced = lines.back();
            lines.back() = firstLines(lastLayout, 1).front();
            // It stands where the line it replaces stood.
            lines.back().logical.y = replaced.logical.y;
            lines.back().baseline = replaced.baseline;
        }
    }

    if (!lines.empty()) {
        const int top = lines.front().logical.y;
        const double height = points(lines.back().logical.y + lines.back().logical.height - top);
        const double originY = rect.origin.y + std::max(0.0, (rect.size.height - height) / 2);

        cairo_save(cr);
        cairo_rectangle(cr, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
        cairo_clip(cr);
        auto channel = [](double v) { return std::isnan(v) ? 0.0 : std::clamp(v, 0.0, 1.0); };
        cairo_set_source_rgba(cr, channel(style.rgba[0]), channel(style.rgba[1]), channel(style.rgba[2]), channel(style.rgba[3]));
        for (const LineBox& box : lines) {
            PangoRectangle own; // relative to the line's origin on its baseline
            pango_layout_line_get_extents(box.line, nullptr, &own);
            PangoLayout* owner = lastLayout && &box == &lines.back() ? lastLayout : layout;
            const double width = points(std::min(own.width, visibleWidth(owner, box)));
            const double spare = rect.size.width - width;
            double left = rect.origin.x;
            switch (style.alignment) {
            case NSTextAlignmentCenter: left += spare / 2; break;
            case NSTextAlignmentRight: left += spare; break;
            case NSTextAlignmentNatural:
                if (pango_layout_line_get_resolved_direction(box.line) == PANGO_DIRECTION_RTL) left += spare;
                break;
            default: break;
            }
            cairo_move_to(cr, left - points(own.x), originY + points(box.baseline - top));
            pango_cairo_show_layout_line(cr, box.line);
        }
        cairo_restore(cr);
    }
    if (lastLayout) g_object_unref(lastLayout);
    g_object_unref(layout);
    g_object_unref(context);
}

void drawTextIntoBitmap(std::uint8_t* pixels, int width, int height, int bytesPerRow, double scale, std::string_view text,
                        const TextStyle& style, CGRect rect)
{
    if (!pixels || width <= 0 || height <= 0 || !std::isfinite(scale) || !(scale > 0)) return;
    if (bytesPerRow < cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, width) || bytesPerRow % 4 != 0) return;
    cairo_surface_t* surface = cairo_image_surface_create_for_data(pixels, CAIRO_FORMAT_ARGB32, width, height, bytesPerRow);
    if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
        cairo_t* cr = cairo_create(surface);
        cairo_scale(cr, scale, scale);
        drawText(cr, text, style, rect);
        cairo_destroy(cr);
        cairo_surface_flush(surface);
    }
    cairo_surface_destroy(surface);
}

} // namespace zovo
