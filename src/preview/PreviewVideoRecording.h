// What V is recording: private to the session's sources, which need its size.
#pragma once

#include "render/Frame.h"
#include "render/WebPAnimation.h"
#include "sim/Scenario.h"

#include <filesystem>
#include <memory>

namespace zovo {

struct PreviewVideoRecording {
    std::filesystem::path file;
    std::unique_ptr<WebPAnimationWriter> writer;
    Scenario stretch;           // device, orientation and settings as the recording began
    double start = 0;           // phone seconds
    std::size_t firstEvent = 0; // the first event of the launch's recording that falls in it
    int frame = 0;              // the next frame's number
    Frame picture;
};

} // namespace zovo
