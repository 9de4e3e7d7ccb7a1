#include "render/PaintLog.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <functional>
#include <string_view>

namespace zovo {

namespace {

// What kind of drawing or clip a fingerprint stands for, so that two kinds with the same
// numbers do not look alike.
enum Kind : std::uint64_t { RectClip = 1, PathClip, FilledRect, FilledPath, Gradient, Image, RoundedImage, Text, Bitmap, Group, GroupEnd };

std::uint64_t mix(std::uint64_t h, std::uint64_t v)
{
    h ^= v;
    h *= 0x9E3779B97F4A7C15ull;
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 32;
    return h;
}
std::uint64_t mix(std::uint64_t h, double v) { return mix(h, std::bit_cast<std::uint64_t>(v)); }
std::uint64_t mix(std::uint64_t h, CGPoint p) { return mix(mix(h, p.x), p.y); }
std::uint64_t mix(std::uint64_t h, const CGRect& r) { return mix(mix(mix(h, r.origin), r.size.width), r.size.height); }
std::uint64_t mix(std::uint64_t h, const RGBA& c) { return mix(mix(mix(mix(h, c.red), c.green), c.blue), c.alpha); }
std::uint64_t mix(std::uint64_t h, const void* p) { return mix(h, static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(p))); }

std::uint64_t mix(std::uint64_t h, const CGPath& path)
{
    h = mix(h, static_cast<std::uint64_t>(path.elements.size()));
    for (const CGPathElement& e : path.elements) {
        h = mix(h, static_cast<std::uint64_t>(e.type));
        for (const CGPoint& p : e.points) h = mix(h, p);
    }
    return h;
}

CGRect intersection(const CGRect& a, const CGRect& b)
{
    const double x0 = std::max(CGRectGetMinX(a), CGRectGetMinX(b)), y0 = std::max(CGRectGetMinY(a), CGRectGetMinY(b));
    const double x1 = std::min(CGRectGetMaxX(a), CGRectGetMaxX(b)), y1 = std::min(CGRectGetMaxY(a), CGRectGetMaxY(b));
    if (!(x1 > x0) || !(y1 > y0)) return CGRectZero;
    return CGRectMake(x0, y0, x1 - x0, y1 - y0);
}

bool isEmpty(const CGRect& r) { return !(r.size.width > 0) || !(r.size.height > 0); }

} // namespace

PaintLog::PaintLog(double scale, int width, int height) { restart(scale, width, height); }

void PaintLog::restart(double scale, int width, int height)
{
    scale_ = scale;
    width_ = width;
    height_ = height;
    state_ = State{0, 0, CGRectMake(0, 0, width / scale, height / scale), 0};
    saved_.clear();
    groups_.clear();
    entries_.clear();
    images_.clear();
}

PixelRect PaintLog::changedSince(const PaintLog& earlier) const
{
    const PixelRect whole{0, 0, width_, height_};
    if (earlier.scale_ != scale_ || earlier.width_ != width_ || earlier.height_ != height_) return whole;
    const std::vector<Entry>& a = earlier.entries_;
    const std::vector<Entry>& b = entries_;
    PixelRect changed;
    if (a.size() == b.size()) {
        // The same number of drawings: each pixel sees the same drawings in the same order
        // unless one of the pairs that differ covers it.
        for (std::size_t i = 0; i < a.size(); ++i)
            if (a[i] != b[i]) changed = unionOf(changed, unionOf(a[i].pixels, b[i].pixels));
        return changed;
    }
    // Drawings came or went (a window shown, a view added): what both share at the start and at
    // the end stays; everything between, on either side, changes.
    const std::size_t shorter = std::min(a.size(), b.size());
    std::size_t head = 0;
    while (head < shorter && a[head] == b[head]) ++head;
    std::size_t tail = 0;
    while (tail < shorter - head && a[a.size() - 1 - tail] == b[b.size() - 1 - tail]) ++tail;
    for (std::size_t i = head; i < a.size() - tail; ++i) changed = unionOf(changed, a[i].pixels);
    for (std::size_t i = head; i < b.size() - tail; ++i) changed = unionOf(changed, b[i].pixels);
    return changed;
}

std::uint64_t PaintLog::begin(std::uint64_t kind) const { return mix(mix(mix(state_.context, kind), state_.tx), state_.ty); }

void PaintLog::record(std::uint64_t fingerprint, CGRect area)
{
    area = CGRectStandardize(area);
    if (!paintable(area)) return;
    const CGRect visible = intersection(CGRectMake(area.origin.x + state_.tx, area.origin.y + state_.ty, area.size.width, area.size.height), state_.clip);
    if (isEmpty(visible)) return;
    // Antialiased edges reach into the pixels an edge crosses; one more pixel on each side allows
    // for the rounding of a position to whole pixels.
    const double x0 = std::max(0.0, std::floor(CGRectGetMinX(visible) * scale_) - 1);
    const double y0 = std::max(0.0, std::floor(CGRectGetMinY(visible) * scale_) - 1);
    const double x1 = std::min(static_cast<double>(width_), std::ceil(CGRectGetMaxX(visible) * scale_) + 1);
    const double y1 = std::min(static_cast<double>(height_), std::ceil(CGRectGetMaxY(visible) * scale_) + 1);
    if (!(x1 > x0) || !(y1 > y0)) return;
    entries_.push_back(Entry{fingerprint, PixelRect{static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1 - x0), static_cast<int>(y1 - y0)}});
}

void PaintLog::narrowClip(std::uint64_t fingerprint, CGRect area)
{
    state_.context = fingerprint;
    area = CGRectStandardize(area);
    if (!paintable(area) || isEmpty(area)) {
        state_.clip = CGRectZero;
        return;
    }
    state_.clip = intersection(state_.clip, CGRectMake(area.origin.x + state_.tx, area.origin.y + state_.ty, area.size.width, area.size.height));
}

void PaintLog::save() { saved_.push_back(state_); }

void PaintLog::restore()
{
    if (saved_.empty()) return;
    state_ = saved_.back();
    saved_.pop_back();
}

void PaintLog::translate(double dx, double dy)
{
    // As the painters do: a translation by garbage is ignored.
    if (!paintable(dx) || !paintable(dy)) return;
    state_.tx += dx;
    state_.ty += dy;
}

void PaintLog::clipToRect(CGRect rect) { clipToRoundedRect(rect, 0); }

void PaintLog::clipToRoundedRect(CGRect rect, double radius) { narrowClip(mix(mix(begin(RectClip), rect), radius), rect); }

void PaintLog::clipToPath(const CGPath& path)
{
    narrowClip(mix(begin(PathClip), path), paintable(path) ? path.boundingBox() : CGRectZero);
}

CGRect PaintLog::clipBounds() const
{
    if (isEmpty(state_.clip)) return CGRectZero;
    return CGRectMake(state_.clip.origin.x - state_.tx, state_.clip.origin.y - state_.ty, state_.clip.size.width, state_.clip.size.height);
}

void PaintLog::fillRect(CGRect rect, RGBA colour) { fillRoundedRect(rect, 0, colour); }

void PaintLog::fillRoundedRect(CGRect rect, double radius, RGBA colour)
{
    if (!(colour.alpha > 0)) return;
    record(mix(mix(mix(begin(FilledRect), rect), radius), colour), rect);
}

void PaintLog::fillPath(const CGPath& path, RGBA colour)
{
    if (!(colour.alpha > 0) || !paintable(path)) return;
    record(mix(mix(begin(FilledPath), path), colour), path.boundingBox());
}

void PaintLog::fillRectWithLinearGradient(CGRect rect, CGPoint start, CGPoint end, std::span<const GradientStop> stops)
{
    if (stops.empty()) return;
    std::uint64_t h = mix(mix(mix(begin(Gradient), rect), start), end);
    for (const GradientStop& stop : stops) h = mix(mix(h, stop.offset), stop.colour);
    record(h, rect);
}

void PaintLog::drawImage(const std::shared_ptr<const CGImage>& image, CGRect rect)
{
    if (!image) return;
    images_.push_back(image);
    record(mix(mix(begin(Image), image.get()), rect), rect);
}

void PaintLog::drawImageInRoundedRect(const std::shared_ptr<const CGImage>& image, CGRect rect, double radius)
{
    if (!image) return;
    images_.push_back(image);
    record(mix(mix(mix(begin(RoundedImage), image.get()), rect), radius), rect);
}

void PaintLog::drawText(std::string_view text, const TextStyle& style, CGRect rect)
{
    if (text.empty()) return;
    std::uint64_t h = mix(mix(begin(Text), static_cast<std::uint64_t>(std::hash<std::string_view>()(text))), static_cast<std::uint64_t>(text.size()));
    h = mix(mix(mix(h, static_cast<std::uint64_t>(std::hash<std::string>()(style.font.family))), style.font.pointSize),
            static_cast<std::uint64_t>(style.font.weight));
    for (double channel : style.rgba) h = mix(h, channel);
    h = mix(mix(mix(h, static_cast<std::uint64_t>(style.alignment)), static_cast<std::uint64_t>(style.lineBreakMode)),
            static_cast<std::uint64_t>(style.numberOfLines));
    // The text is clipped to its rectangle when it is drawn.
    record(mix(h, rect), rect);
}

void PaintLog::drawBitmap(const Frame& bitmap, CGPoint origin, BitmapBlend blend)
{
    if (bitmap.empty() || !paintable(origin) || bitmap.scale() != scale_) return;
    const std::uint64_t h = mix(mix(mix(mix(mix(begin(Bitmap), &bitmap), bitmap.data()), bitmap.version()), origin), static_cast<std::uint64_t>(blend));
    record(h, CGRectMake(origin.x, origin.y, bitmap.width() / scale_, bitmap.height() / scale_));
}

void PaintLog::beginGroup()
{
    // The group is as large as the clip: composing it touches every pixel the clip allows.
    record(begin(Group), clipBounds());
    groups_.push_back(state_.context);
    state_.context = mix(state_.context, static_cast<std::uint64_t>(Group));
}

void PaintLog::endGroup(double alpha)
{
    if (!groups_.empty()) {
        state_.context = groups_.back();
        groups_.pop_back();
    }
    record(mix(begin(GroupEnd), alpha), clipBounds());
}

} // namespace zovo
