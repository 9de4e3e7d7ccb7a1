// One JSON description of a banner window as it stands: frames (in their parents' coordinates),
// colours, texts, mask and pill. The banner command prints it; scenarios print it too.
#pragma once

#include "foundation/Json.h"
#include "objc/Forward.h"

#include <nlohmann/json_fwd.hpp>

namespace zovo {

// `banner` is a BLNotificationBanner; null gives null.
Json snapshotBanner(objc::id banner);

} // namespace zovo
