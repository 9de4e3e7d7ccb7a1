#include "preview/PreviewSamples.h"

#include "sim/HardText.h"

#include <vector>

namespace zovo {
namespace {

constexpr NotificationSample kSamples[] = {
    {"Messages", "Anna", "Lunch at one?", AppIcon::Messages},
    {"Weather", "Rain soon", "Light rain starting in about 15 minutes.", AppIcon::Weather},
    {"Mail", "Jonas Berg",
     "Re: banner designs. I looked at all three over the weekend and the second reads best on the smaller phones; "
     "can we go through it tomorrow morning before the review?",
     AppIcon::Mail},
    {"Reminders", "Water the plants", "", std::nullopt},
};

} // namespace

std::span<const NotificationSample> notificationSamples()
{
    // The preview's own four, then the hard-text set under the Messages icon. The hard texts live as
    // long as the program, so their characters can be borrowed.
    static const std::vector<NotificationSample> all = [] {
        std::vector<NotificationSample> samples(std::begin(kSamples), std::end(kSamples));
        for (const HardTextSample& hard : hardTextSamples())
            samples.push_back({hard.app.c_str(), hard.title.c_str(), hard.message.c_str(), AppIcon::Messages});
        return samples;
    }();
    return all;
}

} // namespace zovo
