// The device's screen. Its bounds come from the device profile the host applies.
#pragma once

#include "objc/NSObject.h"
#include "coregraphics/CGGeometry.h"

class UIScreen : public NSObject {
 public:
  static UIScreen* mainScreen();
  CGRect bounds() const;
  void setBounds(CGRect bounds);  // the host, before the player makes any view

 private:
  CGRect bounds_ = CGRectMake(0, 0, 320, 568);
};
