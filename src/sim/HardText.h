// Notification text as people really send it, and as it breaks naive text drawing: emoji and
// their sequences, every script a phone shows, mixed direction, long words, stacked marks, text
// that looks like markup, direction and zero-width controls, an empty title and the longest
// message laid out. The preview posts them (N, after its own samples), `gallery --text hard`
// draws each on each device, and the tests check each.
//
//   for (const zovo::HardTextSample& sample : zovo::hardTextSamples())
//       post(sample.app, sample.title, sample.message);
#pragma once

#include <string>
#include <vector>

namespace zovo {

struct HardTextSample {
    std::string name; // a short name, fit for a file name: "emoji-title"
    std::string app;
    std::string title;
    std::string message;
    bool emoji = false; // holds emoji, which must draw in colour
};

const std::vector<HardTextSample>& hardTextSamples();

} // namespace zovo
