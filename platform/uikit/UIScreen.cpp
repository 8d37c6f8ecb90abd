#include "uikit/UIScreen.h"

UIScreen* UIScreen::mainScreen() {
  static UIScreen* screen = new UIScreen;  // lives as long as the process
  return screen;
}

CGRect UIScreen::bounds() const { return bounds_; }
void UIScreen::setBounds(CGRect bounds) { bounds_ = bounds; }
