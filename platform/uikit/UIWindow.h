// The view at the top of a view tree on screen. It delivers touch events to the views they
// belong to and draws the whole tree into pixels.
#pragma once

#include <string>

#include "coregraphics/CGContext.h"
#include "uikit/UIView.h"

class UIWindow : public UIView {
 public:
  static Class runtimeClass();  // "UIWindow", a subclass of "UIView"
  UIWindow() = default;
  explicit UIWindow(CGRect frame) : UIView(frame) {}

  // Shows the window and makes it the one that touches and keys go to.
  void makeKeyAndVisible();
  bool isKeyWindow() const;

  // A touch that begins goes to the frontmost view hit at its location, which then receives
  // every later phase of that touch wherever the finger moves.
  void sendEvent(UIEvent* event);

  // A view drawn over the whole tree, last, as the status bar lies over every app screen; it
  // takes no touches. Its frame is in the window's coordinates.
  void setStatusBarView(UIView* view);
  UIView* statusBarView() const { return statusBar_.get(); }

  // The view whose own drawing (drawRect) is under way, while a window draws; null otherwise.
  // What a check of the drawn pictures needs to tell which view drew what.
  static UIView* viewBeingDrawn();

  // Lays the tree out where needed, then draws it as the screen shows it now (animations at
  // their present values) into the context, the window's origin at the context's.
  void drawHierarchy(CGContext& context);
  // What the window shows, as an image at `scale` pixels per point, and as a PNG file.
  CGImage snapshot(double scale);
  bool writePNG(const std::string& path, double scale, std::string& error);

 private:
  Ref<UIView> statusBar_;
};
