// Declarations of the UIKit layer's classes.
#pragma once

class CALayer;
class CAShapeLayer;
class NSLayoutConstraint;
class UIBezierPath;
class UIColor;
class UIDevice;
class UIFont;
class UIGestureRecognizer;
class UIImage;
class UIImageView;
class UILabel;
class UIScreen;
class UIView;
class UIWindow;
struct CGPath;
