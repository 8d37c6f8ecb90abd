// The animations of views: what an animation block records and what the screen shows meanwhile.
// Main thread only. Time is the main run loop's clock (media time when rendering offline), so a
// screenshot taken at a given moment of a session is the same on every run.
#pragma once

#include "coregraphics/CGGeometry.h"

class UIView;

struct UIViewAnimationRecorder {
  // Setters report a change before they store the new model value; inside an animation block
  // the change becomes an animation from what the screen shows now.
  static void willChangeFrame(UIView* view, CGRect to);
  static void willChangeBoundsOrigin(UIView* view, CGPoint to);
  static void willChangeAlpha(UIView* view, double to);
};
