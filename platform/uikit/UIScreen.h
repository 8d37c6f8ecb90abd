// The device's screen. Its bounds come from the device profile the host applies.
#pragma once

#include "objc/NSObject.h"
#include "coregraphics/CGGeometry.h"

class UIScreen : public NSObject {
 public:
  static UIScreen* mainScreen();
  CGRect bounds() const;
  void setBounds(CGRect bounds);  // the host, before the player makes any view
  // Pixels per point of the screen (2 for the Retina phones); what screenshots are drawn at.
  double scale() const { return scale_; }
  void setScale(double scale) { scale_ = scale > 0 ? scale : 1; }  // the host

 private:
  CGRect bounds_ = CGRectMake(0, 0, 320, 568);
  double scale_ = 2;
};
