// The view at the top of a view tree on screen. It delivers touch events to the views they
// belong to and draws the whole tree into pixels.
#pragma once

#include <optional>
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
  // Draws, into a context whose pixels are kept from the last call, only what changed on screen
  // since: the views marked as needing display, those moved, shown, hidden, added or removed,
  // and what lies under them there (the whole tree when `everything`, or when something changed
  // that views do not track). A translucent bar blurs again only when something under it
  // changed, and at most every kBlurInterval seconds of `now`; in between it paints the blur it
  // kept. The pixels are then those drawHierarchy draws, but for a blur held back that way.
  void drawChanges(CGContext& context, bool everything, double now);
  static constexpr double kBlurInterval = 0.25;
  // When a blur held back is due to be made again (on the clock of `now`); none if none waits.
  std::optional<double> nextBlurDue() const { return blurDue_; }

  // What the window shows, as an image at `scale` pixels per point, and as a PNG file.
  CGImage snapshot(double scale);
  bool writePNG(const std::string& path, double scale, std::string& error);

 private:
  struct ChangePlan;
  static void drawView(UIView* view, CGContext& context, const CGRect* damage);
  static void planView(UIView* view, CGPoint superviewOrigin, double superviewAlpha, CGRect clip, bool forced,
                       ChangePlan& plan);

  Ref<UIView> statusBar_;
  std::optional<double> blurDue_;
};
