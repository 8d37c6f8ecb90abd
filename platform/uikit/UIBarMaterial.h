// The look shared by navigation bars and toolbars: the bar's material (frosted glass, tinted by
// the bar style or the bar tint colour) and its one-pixel hairline.
#pragma once

#include "coregraphics/CGContext.h"
#include "objc/runtime.h"
#include "uikit/UIColor.h"

enum : NSInteger { UIBarStyleDefault = 0, UIBarStyleBlack = 1, UIBarStyleBlackTranslucent = 2 };

// How far what lies behind a translucent bar is blurred, in points.
inline constexpr double kUIBarBlurRadius = 20;

// A translucent bar blurs what is already drawn under `rect` and lays its tint over it: white
// for the default style, near black for the black style, or the bar tint colour (when set and
// not clear) a little see-through. An opaque bar fills the rectangle with the same colour,
// fully opaque. The blur goes through `blurCache` (the bar's own), so that a window redrawing
// part of the bar can paint the blur it kept.
void UIBarDrawMaterial(CGContext& context, CGRect rect, NSInteger barStyle, UIColor* barTintColor, bool translucent,
                       CGBlurCache* blurCache);

// The hairline along the rectangle's top or bottom edge, one pixel thick at any scale.
void UIBarDrawHairline(CGContext& context, CGRect rect, bool atTop, NSInteger barStyle);

// The colour of a bar's own text (a navigation bar's title).
CGColor UIBarTextColor(NSInteger barStyle);
