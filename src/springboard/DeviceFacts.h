// What the host's classes answer about the device they run on: UIDevice's tf_deviceHasFaceID and
// currentIsIPad.
#pragma once

namespace zovo {

struct DeviceFacts {
    bool hasFaceID = true;
    bool isIPad = false;
};

} // namespace zovo
