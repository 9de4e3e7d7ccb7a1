#include "render/ScreenChrome.h"

#include "uikit/TextLayout.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace zovo {

namespace {

// Control-point distance for a quarter circle drawn as one cubic curve.
constexpr double kKappa = 0.5522847498307936;

constexpr RGBA kWhite{1, 1, 1, 1};
constexpr RGBA kDimWhite{1, 1, 1, 0.35};
// The warning red the phone uses for a nearly empty battery.
constexpr RGBA kLowBatteryRed{1.0, 0.23, 0.19, 1};
constexpr double kLowBatteryLevel = 0.2;

// The status bar's items share one centre line and a band this tall around it.
constexpr double kItemBandHeight = 22;

// Glyph sizes in points, close to the phone's.
constexpr double kSignalBarWidth = 3;
constexpr double kSignalBarGap = 1.5;
constexpr std::array<double, 4> kSignalBarHeights{4, 6.5, 9, 11.5};
constexpr double kBatteryWidth = 24;
constexpr double kBatteryHeight = 11.5;
constexpr double kBatteryCapWidth = 1.5;
constexpr double kGlyphGap = 6;

double signalWidth() { return 4 * kSignalBarWidth + 3 * kSignalBarGap; }
double batteryWidth() { return kBatteryWidth + 1 + kBatteryCapWidth; }

bool hasNotch(const DeviceProfile& device) { return device.notch.width > 0 && device.notch.height > 0; }

// The notch outline in edge coordinates: u runs along the edge the notch hangs from, v goes into
// the screen. `place` turns them into screen points.
template <class Place>
CGPath notchOutline(double start, double width, double depth, Place place)
{
    // Fillets of a few points where the cut-out meets the edge, and inner corners about as round
    // as the cut-out is deep, as the hardware's outline is.
    const double fillet = std::min(6.0, depth / 4);
    const double corner = std::min(depth * 0.65, width / 4);
    const double u0 = start, u1 = start + width;
    CGPath path;
    auto move = [&](double u, double v) { path.elements.push_back({CGPathElement::Type::MoveTo, {place(u, v)}}); };
    auto line = [&](double u, double v) { path.elements.push_back({CGPathElement::Type::LineTo, {place(u, v)}}); };
    auto curve = [&](double cu1, double cv1, double cu2, double cv2, double u, double v) {
        path.elements.push_back({CGPathElement::Type::CurveTo, {place(cu1, cv1), place(cu2, cv2), place(u, v)}});
    };
    move(u0 - fillet, 0);
    // Concave: a quarter circle centred outside the cut-out, at (u0 - fillet, fillet).
    curve(u0 - fillet * (1 - kKappa), 0, u0, fillet * (1 - kKappa), u0, fillet);
    line(u0, depth - corner);
    curve(u0, depth - corner * (1 - kKappa), u0 + corner * (1 - kKappa), depth, u0 + corner, depth);
    line(u1 - corner, depth);
    curve(u1 - corner * (1 - kKappa), depth, u1, depth - corner * (1 - kKappa), u1, depth - corner);
    line(u1, fillet);
    curve(u1, fillet * (1 - kKappa), u1 + fillet * (1 - kKappa), 0, u1 + fillet, 0);
    path.elements.push_back({CGPathElement::Type::Close, {}});
    return path;
}

void paintSignal(Painter& painter, double x, double bottom, int bars)
{
    for (int i = 0; i < 4; ++i) {
        const double height = kSignalBarHeights[static_cast<std::size_t>(i)];
        const CGRect bar = CGRectMake(x + i * (kSignalBarWidth + kSignalBarGap), bottom - height, kSignalBarWidth, height);
        painter.fillRoundedRect(bar, 1, i < bars ? kWhite : kDimWhite);
    }
}

void paintBattery(Painter& painter, double x, double centreY, double level)
{
    const CGRect body = CGRectMake(x, centreY - kBatteryHeight / 2, kBatteryWidth, kBatteryHeight);
    painter.fillRoundedRect(body, 3.5, kDimWhite);
    painter.fillRoundedRect(CGRectMake(x + kBatteryWidth + 1, centreY - 2, kBatteryCapWidth, 4), 0.75, kDimWhite);
    const double inner = (kBatteryWidth - 4) * level;
    if (inner > 0)
        painter.fillRoundedRect(CGRectMake(x + 2, body.origin.y + 2, inner, kBatteryHeight - 4), 1.5,
                                level <= kLowBatteryLevel ? kLowBatteryRed : kWhite);
}

} // namespace

ChromeLayout chromeLayout(const DeviceProfile& device, CGSize screen, ScreenOrientation orientation)
{
    ChromeLayout layout;
    layout.screen = screen;
    layout.orientation = orientation;
    const bool notch = hasNotch(device);
    layout.island = notch && device.cutOut == CutOut::Island;
    const double inset = layout.island ? device.cutOutInset : 0;
    if (orientation == ScreenOrientation::Landscape) {
        // The phone hides the status bar in landscape; the cut-out is on the left edge.
        if (notch) layout.notch = CGRectMake(inset, (screen.height - device.notch.width) / 2, device.notch.height, device.notch.width);
        return layout;
    }
    layout.statusBar = CGRectMake(0, 0, screen.width, device.statusBarHeight);
    if (notch) {
        layout.notch = CGRectMake((screen.width - device.notch.width) / 2, inset, device.notch.width, device.notch.height);
        // The items sit just below the middle of the notch (level with an island's middle),
        // between it and the screen's corners.
        const double centre = layout.island ? CGRectGetMidY(layout.notch) : std::min(device.notch.height / 2 + 2, device.statusBarHeight / 2 + 6);
        const double top = centre - kItemBandHeight / 2;
        layout.timeArea = CGRectMake(0, top, CGRectGetMinX(layout.notch), kItemBandHeight);
        layout.glyphArea = CGRectMake(CGRectGetMaxX(layout.notch), top, screen.width - CGRectGetMaxX(layout.notch), kItemBandHeight);
    } else {
        // Without a notch the time is in the middle and the glyphs at the right.
        const double top = device.statusBarHeight / 2 - kItemBandHeight / 2;
        layout.timeArea = CGRectMake(0, top, screen.width, kItemBandHeight);
        layout.glyphArea = CGRectMake(screen.width * 2 / 3, top, screen.width / 3, kItemBandHeight);
    }
    return layout;
}

CGPath notchPath(const ChromeLayout& layout)
{
    const CGRect n = layout.notch;
    if (!(n.size.width > 0) || !(n.size.height > 0)) return {};
    if (layout.island) {
        const double radius = std::min(n.size.width, n.size.height) / 2;
        return CGPath::roundedRectangle(n, 15, CGSizeMake(radius, radius));
    }
    if (layout.orientation == ScreenOrientation::Landscape)
        return notchOutline(n.origin.y, n.size.height, n.size.width, [](double u, double v) { return CGPointMake(v, u); });
    return notchOutline(n.origin.x, n.size.width, n.size.height, [](double u, double v) { return CGPointMake(u, v); });
}

void paintWallpaper(Painter& painter, CGSize screen, const Wallpaper& wallpaper)
{
    const CGRect all = CGRectMake(0, 0, screen.width, screen.height);
    if (wallpaper.kind == Wallpaper::Kind::Image && wallpaper.image) return painter.drawImage(wallpaper.image, all);
    if (wallpaper.kind == Wallpaper::Kind::Dark || wallpaper.kind == Wallpaper::Kind::Light) {
        // Near black or near white, with a faint slope so that the screen does not look switched off.
        const bool dark = wallpaper.kind == Wallpaper::Kind::Dark;
        const std::array<GradientStop, 2> plain{{
            {0.0, dark ? RGBA{0.02, 0.02, 0.03, 1} : RGBA{0.97, 0.97, 0.98, 1}},
            {1.0, dark ? RGBA{0.12, 0.12, 0.14, 1} : RGBA{0.86, 0.87, 0.90, 1}},
        }};
        return painter.fillRectWithLinearGradient(all, CGPointMake(0, 0), CGPointMake(0, screen.height), plain);
    }
    // Night blue at the top, through violet, to a warm glow at the bottom.
    const std::array<GradientStop, 4> base{{
        {0.0, {0.07, 0.09, 0.24, 1}},
        {0.45, {0.27, 0.16, 0.42, 1}},
        {0.8, {0.70, 0.33, 0.40, 1}},
        {1.0, {0.95, 0.60, 0.38, 1}},
    }};
    painter.fillRectWithLinearGradient(all, CGPointMake(0, 0), CGPointMake(0, screen.height), base);
    // A soft diagonal band of blue across the middle, so the picture is not flat.
    const std::array<GradientStop, 3> band{{
        {0.0, {0.15, 0.45, 0.75, 0}},
        {0.5, {0.15, 0.45, 0.75, 0.25}},
        {1.0, {0.15, 0.45, 0.75, 0}},
    }};
    painter.fillRectWithLinearGradient(all, CGPointMake(0, 0), CGPointMake(screen.width, screen.height), band);
}

void paintStatusBar(Painter& painter, const ChromeLayout& layout, const StatusBarContent& content)
{
    if (!(layout.statusBar.size.height > 0)) return;

    TextStyle time;
    time.font = FontDescriptor{systemFontFamily(), 15, FontWeight::Bold};
    time.rgba[0] = time.rgba[1] = time.rgba[2] = time.rgba[3] = 1;
    time.alignment = NSTextAlignmentCenter;
    time.lineBreakMode = NSLineBreakByClipping;
    time.numberOfLines = 1;
    painter.drawText(content.time, time, layout.timeArea);

    const CGRect area = layout.glyphArea;
    const double centreY = CGRectGetMidY(area);
    const double left = CGRectGetMidX(area) - (signalWidth() + kGlyphGap + batteryWidth()) / 2;
    paintSignal(painter, left, centreY + kSignalBarHeights.back() / 2, std::clamp(content.signalBars, 0, 4));
    const double level = std::isnan(content.batteryLevel) ? 0.0 : std::clamp(content.batteryLevel, 0.0, 1.0);
    paintBattery(painter, left + signalWidth() + kGlyphGap, centreY, level);
}

void paintNotch(Painter& painter, const ChromeLayout& layout)
{
    const CGPath path = notchPath(layout);
    if (!path.elements.empty()) painter.fillPath(path, RGBA{0, 0, 0, 1});
}

} // namespace zovo
