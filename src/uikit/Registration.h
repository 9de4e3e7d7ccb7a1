// The UIKit layer registers its classes group by group, superclasses first. Each group lives
// beside the classes it registers.
#pragma once

#include "objc/Runtime.h"

namespace zovo::uikit {
void registerViewClasses(objc::Runtime& runtime);     // CALayer, CAShapeLayer, UIBezierPath, UIView, UIWindow, UIScreen
void registerImageClasses(objc::Runtime& runtime);    // UIImage
void registerTextClasses(objc::Runtime& runtime);     // UIFont, UILabel, UIImageView
void registerLayoutClasses(objc::Runtime& runtime);   // NSLayoutConstraint
void registerGestureClasses(objc::Runtime& runtime);  // UIGestureRecognizer and its subclasses
void registerViewControllerClasses(objc::Runtime& runtime); // UIViewController, UIView's _viewControllerForAncestor
} // namespace zovo::uikit
