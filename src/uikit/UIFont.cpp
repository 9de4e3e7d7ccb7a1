#include "uikit/UIFont.h"

#include <algorithm>
#include <cmath>

namespace {
double usableSize(double pointSize)
{
    if (!std::isfinite(pointSize) || pointSize <= 0) return UIFont::kDefaultPointSize;
    return std::min(pointSize, zovo::kMaxFontSize);
}
} // namespace

UIFont::UIFont()
    : spec_{zovo::systemFontFamily(), kDefaultPointSize, zovo::FontWeight::Regular}
{
}

objc::StrongRef<UIFont> UIFont::make(double pointSize, zovo::FontWeight weight)
{
    auto font = objc::make<UIFont>();
    font->spec_.pointSize = usableSize(pointSize);
    font->spec_.weight = weight;
    return font;
}

objc::StrongRef<UIFont> UIFont::systemFontOfSize(double pointSize) { return make(pointSize, zovo::FontWeight::Regular); }
objc::StrongRef<UIFont> UIFont::boldSystemFontOfSize(double pointSize) { return make(pointSize, zovo::FontWeight::Bold); }

objc::StrongRef<UIFont> UIFont::fontWithSize(double pointSize) const
{
    auto font = make(pointSize, spec_.weight);
    font->spec_.family = spec_.family;
    return font;
}

std::string UIFont::fontName() const { return isBold() ? spec_.family + " Bold" : spec_.family; }

const zovo::FontMetrics& UIFont::metrics() const
{
    if (!metrics_) metrics_ = zovo::measureFont(spec_);
    return *metrics_;
}
