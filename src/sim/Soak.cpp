#include "sim/Soak.h"

#include "foundation/Json.h"
#include "foundation/NSDictionary.h"
#include "foundation/NSNotificationCenter.h"
#include "foundation/NSNumber.h"
#include "foundation/NSString.h"
#include "foundation/Process.h"
#include "foundation/RunLoop.h"
#include "foundation/Trace.h"
#include "sim/ScenarioRunner.h"
#include "sim/SimulatedPhone.h"
#include "springboard/SBNotificationBannerDestination.h"
#include "uikit/CGImage.h"
#include "uikit/DeviceProfile.h"
#include "uikit/TouchInput.h"
#include "uikit/UIImage.h"
#include "uikit/UIScreen.h"
#include "uikit/UIWindow.h"

#include <nlohmann/json.hpp>

#include <array>
#include <fstream>
#include <random>
#include <set>
#include <string_view>

namespace zovo {
namespace {

// How many broken invariants are kept word for word; the rest are only counted.
constexpr std::size_t kKeptFailures = 20;
// A banner arriving while another leaves: never more than these two on screen at once.
constexpr std::size_t kMaxBannerWindows = 2;
// Long enough for the slowest sticky-free banner to time out, leave and let the next one in.
constexpr double kSettleSeconds = 30;
// Memory is read once this many notifications have come and gone, when the phone has reached its
// working size; a run that stays flat stays close to it.
constexpr std::size_t kWarmUpNotifications = 500;
// The trace keeps only a small window; the run's own bookkeeping listens to every record.
constexpr std::size_t kTraceKept = 256;

// A resident-memory figure of this process, in KiB, from /proc/self/status ("VmHWM" is the peak,
// "VmRSS" the present); 0 where the system has no such file.
std::size_t memoryKiB(std::string_view field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.starts_with(field) && line.size() > field.size() && line[field.size()] == ':') return std::stoul(line.substr(field.size() + 1));
    return 0;
}

objc::StrongRef<UIImage> solidIcon(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    constexpr std::size_t kSide = 60;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(kSide * kSide * 4);
    for (std::size_t i = 0; i < kSide * kSide; ++i) bytes.insert(bytes.end(), {r, g, b, 255});
    return UIImage::fromPixels(kSide, kSide, {ChannelOrder::RGBA, AlphaMode::Premultiplied}, std::move(bytes), 3.0);
}

std::size_t bannerWindowsOnScreen()
{
    std::size_t count = 0;
    for (UIWindow* w : UIScreen::mainScreen()->visibleWindows())
        if (std::string_view(w->className()) == "BLNotificationBanner") ++count;
    return count;
}

class Soak {
public:
    Soak(const SoakOptions& options, SoakSummary& summary) : options_(options), summary_(summary), random_(options.seed) {}

    void run()
    {
        Process process;
        trace().setKept(kTraceKept);
        trace().setListener([this](const TraceEvent& e) { observe(e); });
        auto host = startPhone(process, PhoneOptions{.model = options_.device}, ComponentStart::Load);
        RunLoop& loop = process.mainRunLoop();
        NSNotificationCenter* centre = NSNotificationCenter::defaultCenter();
        loop.advance(1.0);
        const std::size_t entriesAtLaunch = centre->liveEntryCount();
        const long imageCopiesAtLaunch = liveDataCopies();
        icons_ = {solidIcon(52, 199, 89), solidIcon(255, 59, 48), solidIcon(0, 122, 255), solidIcon(255, 204, 0), nullptr};

        for (std::size_t i = 0; i < options_.notifications; ++i) {
            post(*host, i);
            step(loop, uniform(0.05, 0.6));
            act(process, *host);
            step(loop, uniform(0.05, 1.5));
            if (i + 1 == kWarmUpNotifications) summary_.warmMemoryKiB = memoryKiB("VmRSS");
            if (options_.progress) options_.progress(i + 1);
        }

        // The user stops; whatever is still up (a sticky banner, an open long look) is pushed away,
        // or tapped where the system's own banner shows and takes no swipe.
        for (int round = 0; round < 20 && host->destination()->phase() != SBNotificationBannerDestination::Phase::Idle; ++round) {
            if (!host->closeLongLook()) {
                if (round % 2 == 0) drag(loop, *host, -80);
                else tap(loop, *host);
            }
            step(loop, kSettleSeconds / 10);
        }
        step(loop, kSettleSeconds);

        if (!onScreen_.empty()) fail("banners presented and never dismissed: " + std::to_string(onScreen_.size()) + ", first " + *onScreen_.begin());
        if (host->destination()->phase() != SBNotificationBannerDestination::Phase::Idle || host->destination()->pendingCount() != 0)
            fail("the banner destination is not idle at the end");
        if (std::size_t left = bannerWindowsOnScreen(); left != 0) fail(std::to_string(left) + " banner windows left on screen at the end");
        if (std::size_t entries = centre->liveEntryCount(); entries != entriesAtLaunch)
            fail("the notification centre holds " + std::to_string(entries) + " entries at the end, " + std::to_string(entriesAtLaunch) + " after launch");
        if (long copies = liveDataCopies(); copies != imageCopiesAtLaunch)
            fail(std::to_string(copies) + " image copies alive at the end, " + std::to_string(imageCopiesAtLaunch) + " after launch");

        summary_.simulatedSeconds = loop.now();
        summary_.traceRecords = trace().recordedCount();
        trace().setListener({});
        icons_ = {};
        host.reset();
        loop.discardAll();
        summary_.peakMemoryKiB = memoryKiB("VmHWM");
    }

private:
    double uniform(double low, double high) { return std::uniform_real_distribution<double>(low, high)(random_); }
    bool chance(double p) { return std::bernoulli_distribution(p)(random_); }
    template <typename T>
    const T& pick(const std::vector<T>& from) { return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(random_)]; }

    void fail(std::string what)
    {
        ++summary_.invariantFailures;
        if (summary_.failures.size() < kKeptFailures) summary_.failures.push_back("step " + std::to_string(summary_.steps) + ": " + std::move(what));
    }

    // Keeps the count of banners on screen from the host's own records.
    void observe(const TraceEvent& e)
    {
        if (e.type != "host") return;
        const std::string event = e.text("event");
        const std::string request = e.text("request");
        if (event == "bannerPresented") {
            ++summary_.presented;
            if (!onScreen_.insert(request).second) fail("banner " + request + " presented twice");
        } else if (event == "bannerDismissed") {
            ++summary_.dismissed;
            if (onScreen_.erase(request) == 0) fail("banner " + request + " dismissed without being presented");
        }
    }

    // Advances the clock, then checks what must hold at every moment.
    void step(RunLoop& loop, double seconds)
    {
        loop.advance(seconds);
        ++summary_.steps;
        if (std::size_t windows = bannerWindowsOnScreen(); windows > kMaxBannerWindows) fail(std::to_string(windows) + " banner windows on screen");
        if (onScreen_.size() > kMaxBannerWindows) fail(std::to_string(onScreen_.size()) + " banners presented and not yet dismissed");
    }

    void post(SpringBoardHost& host, std::size_t index)
    {
        static const std::vector<std::string> apps{"Messages", "Mail", "Calendar", "Weather", ""};
        static const std::vector<std::string> titles{"Anna", "Team standup", "", "A title long enough to need more than one line on a narrow notch"};
        static const std::vector<std::string> messages{"Lunch at one?", "", "Rain from 3 pm.\nTake an umbrella.",
                                                       "A message that runs on and on so that the banner has to wrap it over several lines of text"};
        NotificationRequest request;
        request.id = "s" + std::to_string(index);
        request.app = pick(apps);
        request.title = pick(titles);
        request.message = pick(messages);
        request.icon = pick(icons_);
        request.sticky = chance(0.05);
        host.postRequest(request);
        ++summary_.notifications;
    }

    bool tap(RunLoop& loop, SpringBoardHost& host)
    {
        auto centre = bannerCentre(host);
        if (!centre) return false;
        touchDown(*centre);
        loop.advance(0.08);
        touchUp(*centre);
        return true;
    }

    void drag(RunLoop& loop, SpringBoardHost& host, double dy)
    {
        auto centre = bannerCentre(host);
        if (!centre) return;
        touchDown(*centre);
        for (int s = 1; s <= 6; ++s) {
            loop.advance(1.0 / 30);
            touchMove(CGPointMake(centre->x, centre->y + dy * s / 6));
        }
        touchUp(CGPointMake(centre->x, centre->y + dy));
    }

    // One random thing the user or the system does while a banner may be up.
    void act(Process& process, SpringBoardHost& host)
    {
        RunLoop& loop = process.mainRunLoop();
        const double roll = uniform(0, 1);
        if (roll < 0.30) return; // the user lets it be
        auto centre = bannerCentre(host);
        if (roll < 0.45) {
            if (tap(loop, host)) ++summary_.taps;
        } else if (roll < 0.60) {
            drag(loop, host, -uniform(20, 120));
            ++summary_.drags;
        } else if (roll < 0.70) {
            // Pulled down, the banner opens its long look; the user reads it and closes it.
            drag(loop, host, uniform(40, 120));
            ++summary_.drags;
            lookLong(loop, host);
        } else if (roll < 0.80) {
            if (!centre) return;
            touchDown(*centre);
            loop.advance(uniform(0.1, 1.2));
            touchUp(*centre);
            ++summary_.holds;
            lookLong(loop, host);
        } else if (roll < 0.90) {
            landscape_ = !landscape_;
            host.rotate(landscape_ ? UIScreen::Orientation::Landscape : UIScreen::Orientation::Portrait);
            ++summary_.rotations;
        } else {
            changeSettings(host);
        }
    }

    void lookLong(RunLoop& loop, SpringBoardHost& host)
    {
        loop.advance(uniform(0.3, 3.0));
        if (host.closeLongLook()) ++summary_.longLooks;
    }

    void changeSettings(SpringBoardHost& host)
    {
        static const std::vector<std::string> colours{"000000", "FFFFFF:0.8", "34C759", "zz", "FF3B30:0.5"};
        auto flag = [&] { return NSNumber::numberWithBool(chance(0.5)); };
        std::vector<NSDictionary::Entry> entries{
            {"isEnabled", NSNumber::numberWithBool(chance(0.9))},
            {"adaptiveColours", flag()},
            {"showGrabber", flag()},
            {"showTimestamp", flag()},
            {"customWidth", flag()},
            {"customWidthValue", NSNumber::numberWithDouble(uniform(150, 380))},
            {"bgColour", NSString::from(pick(colours))},
            {"textColour", NSString::from(pick(colours))},
        };
        if (auto written = host.changeSettings(NSDictionary::from(std::move(entries)).get()); !written) fail("settings not written: " + written.error());
        ++summary_.settingsChanges;
    }

    const SoakOptions& options_;
    SoakSummary& summary_;
    std::mt19937_64 random_;
    std::vector<objc::StrongRef<UIImage>> icons_;
    std::set<std::string> onScreen_; // presented and not yet dismissed
    bool landscape_ = false;
};

} // namespace

ErrorOr<SoakSummary> runSoak(const SoakOptions& options)
{
    if (options.notifications == 0) return Error{"notifications: at least one is needed"};
    if (!findDeviceProfile(options.device)) return Error{"device: unknown device \"" + repairUtf8(options.device) + "\" (see `zovorudovu devices`)"};
    SoakSummary summary;
    Soak(options, summary).run();
    return summary;
}

Json soakSummaryJson(const SoakSummary& s)
{
    return {{"notifications", s.notifications},
            {"presented", s.presented},
            {"dismissed", s.dismissed},
            {"taps", s.taps},
            {"drags", s.drags},
            {"holds", s.holds},
            {"longLooks", s.longLooks},
            {"rotations", s.rotations},
            {"settingsChanges", s.settingsChanges},
            {"steps", s.steps},
            {"traceRecords", s.traceRecords},
            {"simulatedSeconds", s.simulatedSeconds},
            {"invariantFailures", s.invariantFailures},
            {"failures", s.failures},
            {"peakMemoryKiB", s.peakMemoryKiB},
            {"warmMemoryKiB", s.warmMemoryKiB}};
}

} // namespace zovo
