#include "uikit/DeviceProfile.h"

namespace zovo {
namespace {

// Screens in points (portrait), scale, status-bar height and the drawn cut-out of each model.
// Cut-out sizes are what the screen shows, close to the real hardware; the banner's width comes
// from the component's own table, not from here.
constexpr DeviceProfile kProfiles[] = {
    {"iPhone10,3", "iPhone X", {375, 812}, 3, true, false, 44, {209, 30}},
    {"iPhone10,6", "iPhone X", {375, 812}, 3, true, false, 44, {209, 30}},
    {"iPhone11,2", "iPhone XS", {375, 812}, 3, true, false, 44, {209, 30}},
    {"iPhone11,6", "iPhone XS Max", {414, 896}, 3, true, false, 44, {209, 30}},
    {"iPhone11,4", "iPhone XS Max", {414, 896}, 3, true, false, 44, {209, 30}}, // sold in other regions
    {"iPhone11,8", "iPhone XR", {414, 896}, 2, true, false, 48, {230, 33}},
    {"iPhone12,1", "iPhone 11", {414, 896}, 2, true, false, 48, {230, 33}},
    {"iPhone12,3", "iPhone 11 Pro", {375, 812}, 3, true, false, 44, {209, 30}},
    {"iPhone12,5", "iPhone 11 Pro Max", {414, 896}, 3, true, false, 44, {209, 30}},
    {"iPhone13,1", "iPhone 12 mini", {375, 812}, 3, true, false, 50, {226, 33}},
    {"iPhone13,2", "iPhone 12", {390, 844}, 3, true, false, 47, {210, 32}},
    {"iPhone13,3", "iPhone 12 Pro", {390, 844}, 3, true, false, 47, {210, 32}},
    {"iPhone13,4", "iPhone 12 Pro Max", {428, 926}, 3, true, false, 47, {210, 32}},
    {"iPhone14,2", "iPhone 13 Pro", {390, 844}, 3, true, false, 47, {162, 33}},
    {"iPhone14,3", "iPhone 13 Pro Max", {428, 926}, 3, true, false, 47, {162, 33}},
    {"iPhone14,4", "iPhone 13 mini", {375, 812}, 3, true, false, 50, {175, 35}},
    {"iPhone14,5", "iPhone 13", {390, 844}, 3, true, false, 47, {162, 33}},
    {"iPhone14,7", "iPhone 14", {390, 844}, 3, true, false, 47, {162, 33}},
    {"iPhone14,8", "iPhone 14 Plus", {428, 926}, 3, true, false, 47, {162, 33}},
    // The 14 Pro and every 15 have the Dynamic Island instead of a notch; no model list of the
    // component names them, so their banners take the fallback width.
    {"iPhone15,2", "iPhone 14 Pro", {393, 852}, 3, true, false, 54, {126, 37}, CutOut::Island, 11},
    {"iPhone15,3", "iPhone 14 Pro Max", {430, 932}, 3, true, false, 54, {126, 37}, CutOut::Island, 11},
    {"iPhone15,4", "iPhone 15", {393, 852}, 3, true, false, 54, {126, 37}, CutOut::Island, 11},
    {"iPhone15,5", "iPhone 15 Plus", {430, 932}, 3, true, false, 54, {126, 37}, CutOut::Island, 11},
    {"iPhone16,1", "iPhone 15 Pro", {393, 852}, 3, true, false, 54, {126, 37}, CutOut::Island, 11},
    {"iPhone16,2", "iPhone 15 Pro Max", {430, 932}, 3, true, false, 54, {126, 37}, CutOut::Island, 11},
    {"iPhone12,8", "iPhone SE (2nd generation)", {375, 667}, 2, false, false, 20, {0, 0}},
    {"iPad8,1", "iPad Pro (11-inch)", {834, 1194}, 2, true, true, 24, {0, 0}},
};

} // namespace

std::span<const DeviceProfile> deviceProfiles() { return kProfiles; }

const DeviceProfile* findDeviceProfile(std::string_view model)
{
    for (const auto& profile : kProfiles)
        if (profile.model == model) return &profile;
    return nullptr;
}

const DeviceProfile& defaultDeviceProfile() { return *findDeviceProfile("iPhone12,3"); }

} // namespace zovo
