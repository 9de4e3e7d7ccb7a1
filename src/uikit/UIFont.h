// Fonts: the system font at a size, regular or bold, with the vertical metrics layout needs.
//
//   objc::StrongRef<UIFont> font = UIFont::systemFontOfSize(12);
//   font->fontName();    // "Inter" where Inter is installed, else "DejaVu Sans"
//   font->lineHeight();  // points taken by one line of text
//
// A font never changes once made. The system font maps to an installed sans-serif face (see
// zovo::systemFontFamily), decided once per program.
#pragma once

#include "objc/Object.h"
#include "uikit/TextLayout.h"

#include <optional>
#include <string>

class UIFont : public objc::Object {
public:
    static constexpr const char* kClassName = "UIFont";
    // The size of a label's default font: UIKit's documented 17 points.
    static constexpr double kDefaultPointSize = 17.0;

    // The regular system font at the default size, for objects made by the runtime's alloc.
    UIFont();

    // A size that is not a positive finite number gives the default size, which the platform
    // leaves undefined; sizes above zovo::kMaxFontSize are clamped to it.
    static objc::StrongRef<UIFont> systemFontOfSize(double pointSize);
    static objc::StrongRef<UIFont> boldSystemFontOfSize(double pointSize);
    // The same face at another size.
    objc::StrongRef<UIFont> fontWithSize(double pointSize) const;

    double pointSize() const { return spec_.pointSize; }
    bool isBold() const { return spec_.weight == zovo::FontWeight::Bold; }
    const std::string& familyName() const { return spec_.family; }
    // The face as Pango's font descriptions name it: the family, followed by " Bold" for the bold
    // face ("DejaVu Sans Bold"), so a renderer can hand it to Pango as it is.
    std::string fontName() const;
    const zovo::FontDescriptor& descriptor() const { return spec_; }

    // In points; the descender is negative, as the platform gives it. Measured on first use.
    double ascender() const { return metrics().ascender; }
    double descender() const { return metrics().descender; }
    double lineHeight() const { return metrics().lineHeight; }

private:
    static objc::StrongRef<UIFont> make(double pointSize, zovo::FontWeight weight);
    const zovo::FontMetrics& metrics() const;

    zovo::FontDescriptor spec_;
    mutable std::optional<zovo::FontMetrics> metrics_;
};
