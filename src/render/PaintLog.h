// A painter that draws nothing and remembers what it was asked to draw: each drawing as a
// fingerprint of everything that decides its pixels (the drawing, the transformation, the clips
// and groups around it) and the pixels it can touch. Two logs of the same screen at two moments
// say which pixels can differ between them.
//
//   zovo::PaintLog before(3.0, 1170, 2532), after(3.0, 1170, 2532);
//   paintScreen(before);  ...  paintScreen(after);         // the same drawing code, twice
//   zovo::PixelRect changed = after.changedSince(before);  // empty: the frames are identical
//
// The renderer paints each frame through a log first and, when the frame still holds the last
// frame it drew, redraws only the changed pixels.
#pragma once

#include "render/Frame.h"
#include "render/Painter.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace zovo {

class PaintLog final : public Painter {
public:
    // A log for a frame of `width` by `height` pixels at `scale` pixels a point.
    PaintLog(double scale, int width, int height);

    // Forgets what was drawn, keeping the allocations, for a frame of this size and scale.
    void restart(double scale, int width, int height);

    // The pixels whose value can differ between a frame drawn as `earlier` was and one drawn as
    // this log was: the bounding box of every drawing that is not in both, in the same order and
    // context. Empty when the two drew the same things.
    PixelRect changedSince(const PaintLog& earlier) const;

    std::size_t drawings() const { return entries_.size(); }

    void save() override;
    void restore() override;
    void translate(double dx, double dy) override;
    void clipToRect(CGRect rect) override;
    void clipToRoundedRect(CGRect rect, double radius) override;
    void clipToPath(const CGPath& path) override;
    CGRect clipBounds() const override;
    void fillRect(CGRect rect, RGBA colour) override;
    void fillRoundedRect(CGRect rect, double radius, RGBA colour) override;
    void fillPath(const CGPath& path, RGBA colour) override;
    void fillRectWithLinearGradient(CGRect rect, CGPoint start, CGPoint end, std::span<const GradientStop> stops) override;
    void drawImage(const std::shared_ptr<const CGImage>& image, CGRect rect) override;
    void drawImageInRoundedRect(const std::shared_ptr<const CGImage>& image, CGRect rect, double radius) override;
    void drawText(std::string_view text, const TextStyle& style, CGRect rect) override;
    void drawBitmap(const Frame& bitmap, CGPoint origin, BitmapBlend blend) override;
    void beginGroup() override;
    void endGroup(double alpha) override;

private:
    struct State {
        double tx = 0, ty = 0;
        CGRect clip;              // in screen points; everything drawn lies inside it
        std::uint64_t context = 0; // the transformation-independent rest: clips and groups so far
    };
    struct Entry {
        std::uint64_t fingerprint;
        PixelRect pixels;
        friend bool operator==(const Entry&, const Entry&) = default;
    };

    // Starts a fingerprint with the drawing's kind, the state's context and translation.
    std::uint64_t begin(std::uint64_t kind) const;
    // Logs a drawing covering `area` (current coordinates) unless the clip leaves none of it.
    void record(std::uint64_t fingerprint, CGRect area);
    void narrowClip(std::uint64_t fingerprint, CGRect area);

    double scale_;
    int width_, height_;
    State state_;
    std::vector<State> saved_;
    std::vector<std::uint64_t> groups_; // the context each open group began in
    std::vector<Entry> entries_;
    // Kept so that an image's address names the same image for as long as the log is compared.
    std::vector<std::shared_ptr<const CGImage>> images_;
};

} // namespace zovo
