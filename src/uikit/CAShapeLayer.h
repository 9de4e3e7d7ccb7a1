// A layer drawn from a path, filled (opaque black unless told otherwise). As a mask, the filled
// shape is what stays visible of the masked layer.
#pragma once

#include "uikit/CALayer.h"
#include "uikit/CGPath.h"

#include <optional>

class CAShapeLayer : public CALayer {
public:
    static constexpr const char* kClassName = "CAShapeLayer";

    // The layer's own copy of the path (paths are immutable, so a copy is as good as a retain).
    const CGPath* path() const { return path_ ? &*path_ : nullptr; }
    void setPath(const CGPath* path)
    {
        if (path) path_ = *path;
        else path_.reset();
    }

private:
    std::optional<CGPath> path_;
};
