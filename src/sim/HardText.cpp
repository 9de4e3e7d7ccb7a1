#include "sim/HardText.h"

#include <cstddef>

namespace zovo {

namespace {

// A message of exactly `codePoints` code points (every piece is whole), mixing words, emoji and
// a script written right to left, as a long chat message pasted into a notification would.
std::string longMessage(std::size_t codePoints)
{
    const std::string pieces[] = {"The quick brown fox ", "\U0001F98A", " jumps over the lazy dog ", "\u05E9\u05DC\u05D5\u05DD", " 42. "};
    const std::size_t lengths[] = {20, 1, 25, 4, 5};
    std::string text;
    std::size_t count = 0;
    for (std::size_t i = 0; count < codePoints; i = (i + 1) % std::size(pieces)) {
        if (count + lengths[i] > codePoints) {
            text.append(codePoints - count, '.');
            break;
        }
        text += pieces[i];
        count += lengths[i];
    }
    return text;
}

// Each letter under a pile of combining marks above and below, as "Zalgo" text is made.
std::string stackedMarks(const std::string& letters, int marksEach)
{
    std::string text;
    for (char letter : letters) {
        text += letter;
        if (letter == ' ') continue;
        for (int i = 0; i < marksEach; ++i) {
            // U+0300 to U+036F, two bytes each in UTF-8: CC 80 to CD AF.
            const unsigned mark = 0x300 + static_cast<unsigned>((letter * 7 + i * 13) % 0x70);
            text += static_cast<char>(0xC0 | (mark >> 6));
            text += static_cast<char>(0x80 | (mark & 0x3F));
        }
    }
    return text;
}

} // namespace

const std::vector<HardTextSample>& hardTextSamples()
{
    static const std::vector<HardTextSample> samples = {
        {"emoji-title", "Messages", "\U0001F389\U0001F382\U0001F355", "Party at 8 \U0001F355\U0001F382 bring #5 and 10 friends", true},
        // A family joined by zero-width joiners, flags, a skin tone, keycaps, a rainbow flag.
        {"family-flags", "Messages", "Mia \U0001F469\u200D\U0001F469\u200D\U0001F467",
         "\U0001F468\u200D\U0001F469\u200D\U0001F467\u200D\U0001F466 \U0001F1EF\U0001F1F5 \U0001F1FA\U0001F1E6 \U0001F3F3\uFE0F\u200D\U0001F308 "
         "\U0001F44D\U0001F3FD 1\uFE0F\u20E3 #\uFE0F\u20E3 \u2764\uFE0F back at 8",
         true},
        {"chinese", "WeChat", "\u738B\u5C0F\u660E",
         "\u660E\u5929\u4E0B\u5348\u4E09\u70B9\u5728\u516C\u53F8\u697C\u4E0B\u7684\u5496\u5561\u5E97\u89C1\u9762\uFF0C\u8BB0\u5F97\u5E26\u4E0A"
         "\u5408\u540C\u548C\u53D1\u7968\uFF0C\u6211\u4EEC\u9700\u8981\u5728\u5468\u4E94\u4E4B\u524D\u5B8C\u6210\u6240\u6709\u7684\u5BA1\u6279\u3002"},
        {"japanese", "LINE", "\u7530\u4E2D\u3055\u3093",
         "\u660E\u65E5\u306E\u4F1A\u8B70\u306F\u5348\u5F8C\u4E09\u6642\u304B\u3089\u3067\u3059\u3002\u8CC7\u6599\u306F\u5171\u6709\u30D5\u30A9"
         "\u30EB\u30C0\u306B\u5165\u308C\u3066\u304A\u304D\u307E\u3057\u305F\u306E\u3067\u3001\u4E8B\u524D\u306B\u76EE\u3092\u901A\u3057\u3066"
         "\u304A\u3044\u3066\u304F\u3060\u3055\u3044\u3002"},
        {"arabic", "WhatsApp", "\u0623\u062D\u0645\u062F",
         "\u0645\u0631\u062D\u0628\u0627! \u0647\u0644 \u0623\u0646\u062A \u0642\u0627\u062F\u0645 \u0625\u0644\u0649 \u0627\u0644\u0627\u062C"
         "\u062A\u0645\u0627\u0639 \u063A\u062F\u0627 \u0641\u064A \u0627\u0644\u0633\u0627\u0639\u0629 \u0627\u0644\u062B\u0627\u0644\u062B"
         "\u0629\u061F \u0644\u0627 \u062A\u0646\u0633 \u0625\u062D\u0636\u0627\u0631 \u0627\u0644\u062A\u0642\u0631\u064A\u0631."},
        {"hebrew", "Messages", "\u05D3\u05E0\u05D4",
         "\u05D4\u05D9\u05D9, \u05D0\u05E0\u05D9 \u05D1\u05D3\u05E8\u05DA. \u05E0\u05EA\u05E8\u05D0\u05D4 \u05D1\u05E2\u05D5\u05D3 "
         "\u05E2\u05E9\u05E8 \u05D3\u05E7\u05D5\u05EA \u05DC\u05D9\u05D3 \u05D4\u05DB\u05E0\u05D9\u05E1\u05D4 \u05D4\u05E8\u05D0\u05E9\u05D9\u05EA."},
        {"mixed-direction", "Slack", "Sara \u0633\u0627\u0631\u0629",
         "Meeting with \u0623\u062D\u0645\u062F at 3:30 in room 12, \u05E9\u05DC\u05D5\u05DD to \u05D3\u05E0\u05D4 (tickets 1234-5678)."},
        // Thai has no spaces between words; Devanagari, Korean, Cyrillic and Greek complete the set.
        {"thai-and-more", "Messages", "\u0E2A\u0E21\u0E0A\u0E32\u0E22",
         "\u0E1E\u0E23\u0E38\u0E48\u0E07\u0E19\u0E35\u0E49\u0E40\u0E23\u0E32\u0E08\u0E30\u0E44\u0E1B\u0E17\u0E32\u0E19\u0E02\u0E49\u0E32\u0E27"
         "\u0E17\u0E35\u0E48\u0E23\u0E49\u0E32\u0E19\u0E43\u0E01\u0E25\u0E49\u0E1A\u0E49\u0E32\u0E19 \u0928\u092E\u0938\u094D\u0924\u0947! "
         "\uC548\uB155\uD558\uC138\uC694 \u041F\u0440\u0438\u0432\u0435\u0442! \u0393\u03B5\u03B9\u03AC \u03C3\u03BF\u03C5!"},
        {"long-word", "Mail", "Hochleistungsfl\u00FCssigkeitschromatographie",
         "Hochleistungsfl\u00FCssigkeitschromatographie results are in: Hochleistungsfl\u00FCssigkeitschromatographie"},
        {"stacked-marks", "Messages", stackedMarks("Zalgo", 12), stackedMarks("he comes", 24)},
        {"markup-like", "Messages", "<b>Bold</b> & co", "I <3 you &amp; <i>them</i> <span foreground=\"red\">red</span> &#x41; %s %n"},
        {"empty-title", "Reminders", "", "A message with no title above it."},
        // Direction overrides left open, isolates, zero-width spaces and joiners, a byte-order mark.
        {"bidi-controls", "Messages", "\u202Eevil\u202C.exe \u202E\u202E\u202E",
         "Open \u202Egnp.exe\u202C now\u200B\u200B\u200B\u2066\u2067 zero\u200Dwidth\uFEFF \u2067\u05E9\u05DC\u05D5\u05DD\u2069 end"},
        {"ten-thousand", "Messages", "A very long message", longMessage(10000), true},
    };
    return samples;
}

} // namespace zovo
