// An endurance run: one simulated phone receives many random notifications while a random user
// taps, drags, holds, opens long looks, turns the phone and changes settings, and the run checks
// after every step that nothing piles up.
//
//   zovo::ErrorOr<zovo::SoakSummary> summary = zovo::runSoak({.notifications = 10000, .seed = 7});
//   if (!summary) report(summary.error());                         // the options could not be used
//   std::cout << zovo::toJsonText(zovo::soakSummaryJson(*summary), zovo::JsonStyle::Pretty);
//
// The run is reproducible: the same options give the same steps and the same counts (the memory
// figures are the machine's). The phone is launched through the host facade with the component
// loaded, as a scenario's phone is, and the trace streams to the run's own bookkeeping only.
#pragma once

#include "foundation/ErrorOr.h"
#include "foundation/Json.h"

#include <nlohmann/json_fwd.hpp>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zovo {

struct SoakOptions {
    std::size_t notifications = 1000;
    std::uint64_t seed = 1;
    std::string device = "iPhone13,2";
    // Called after each notification's step with how many have been posted; may be empty.
    std::function<void(std::size_t posted)> progress;
};

struct SoakSummary {
    // What the random user and the system did.
    std::size_t notifications = 0;
    std::size_t presented = 0; // host "bannerPresented" records
    std::size_t dismissed = 0; // host "bannerDismissed" records
    std::size_t taps = 0, drags = 0, holds = 0, longLooks = 0, rotations = 0, settingsChanges = 0;
    std::size_t steps = 0;
    std::size_t traceRecords = 0;
    double simulatedSeconds = 0;

    // Every broken invariant counts; the first few are kept word for word.
    std::size_t invariantFailures = 0;
    std::vector<std::string> failures;

    // Resident memory in KiB: the process's peak, and what it held once the phone had settled
    // after the first notifications (0 where the system does not say).
    std::size_t peakMemoryKiB = 0;
    std::size_t warmMemoryKiB = 0;
};

// Runs the endurance run in a fresh simulated process. An unknown device, or no notifications, is
// an error, and nothing runs.
ErrorOr<SoakSummary> runSoak(const SoakOptions& options);

Json soakSummaryJson(const SoakSummary& summary);

} // namespace zovo
