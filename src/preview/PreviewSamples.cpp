#include "preview/PreviewSamples.h"

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

std::span<const NotificationSample> notificationSamples() { return kSamples; }

} // namespace zovo
