// A holder for a view controller shown floating over the screen. On a phone a popover never
// shows in practice; presenting one here lays its content view centred over the window of the
// view it is presented from, over a layer that catches taps outside it.
//
// A tap outside a visible popover dismisses it unless the delegate, asked first through
// `popoverControllerShouldDismissPopover:` (bool(id, SEL, id)) when it answers that, says NO;
// after such a dismissal the delegate hears `popoverControllerDidDismissPopover:` (v@:@) if it
// answers that. Dismissing from code tells the delegate nothing, as on the platform. The
// delegate is held weakly.
#pragma once

#include "coregraphics/CGGeometry.h"
#include "objc/runtime.h"
#include "uikit/UIViewController.h"

class UIBarButtonItem;
class UIView;

using UIPopoverArrowDirection = NSUInteger;
enum : UIPopoverArrowDirection {
  UIPopoverArrowDirectionUp = 1u << 0,
  UIPopoverArrowDirectionDown = 1u << 1,
  UIPopoverArrowDirectionLeft = 1u << 2,
  UIPopoverArrowDirectionRight = 1u << 3,
  UIPopoverArrowDirectionAny = 0xf,
};

class UIPopoverController : public NSObject {
 public:
  static Class runtimeClass();  // "UIPopoverController"
  UIPopoverController() = default;
  ~UIPopoverController() override;

  // initWithContentViewController:, for a popover made with make<UIPopoverController>();
  // answers the popover.
  UIPopoverController* initWithContentViewController(UIViewController* controller);
  UIViewController* contentViewController() const { return content_.get(); }
  void setContentViewController(UIViewController* controller, bool animated = false);

  NSObject* delegate() const { return delegate_.get(); }
  void setDelegate(id delegate) { delegate_ = Weak<NSObject>(delegate); }

  bool isPopoverVisible() const { return static_cast<bool>(backdrop_); }
  // The size of the content while shown: the size set, else the content view's own.
  CGSize popoverContentSize() const;
  void setPopoverContentSize(CGSize size, bool animated = false);

  // Shows the content view centred over the window of `view` (nothing when `view` is in no
  // window or the content has no view). The rectangle and arrow directions say where a tablet
  // would point the popover; the content shows the same wherever they point.
  void presentPopoverFromRect(CGRect rect, UIView* view, UIPopoverArrowDirection directions, bool animated);
  void presentPopoverFromBarButtonItem(UIBarButtonItem* item, UIPopoverArrowDirection directions, bool animated);
  void dismissPopoverAnimated(bool animated);

  // A tap landed outside the content: dismisses unless the delegate says not to.
  void touchedOutside();

 private:
  void layoutContent();

  Ref<UIViewController> content_;
  Weak<NSObject> delegate_;
  Ref<UIView> backdrop_;  // over the window while the popover shows
  CGSize contentSize_{};
  bool contentSizeSet_ = false;
};
