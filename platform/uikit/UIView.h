// A rectangle on screen in a tree of views. Each view retains its subviews; the superview is a
// plain pointer. `didMoveToSuperview` is a runtime method (the system replaces it in a player
// class), whose UIView implementation calls the C++ hook of the same name.
//
// Geometry is in points: `frame` in the superview's coordinates, `bounds` in the view's own
// (a scroll view moves its bounds' origin to scroll). Changing the size resizes the subviews by
// their autoresizing masks. Drawing (drawRect) and layout (layoutSubviews) are C++ virtuals;
// so are the setters and list operations a subclass may take over.
//
// Animation works as on the platform: inside an animation block a setter changes the model value
// at once (so hit-testing and every reader see the final frame) while the screen shows the
// value moving there on the main run loop's clock (the presentation value).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "coregraphics/CGContext.h"
#include "coregraphics/CGGeometry.h"
#include "objc/ClassMembers.h"
#include "objc/runtime.h"
#include "uikit/UIColor.h"
#include "uikit/UIResponder.h"

class UIWindow;
class UIEvent;
class UIViewController;

using UIViewAutoresizing = uint32_t;
enum : UIViewAutoresizing {
  UIViewAutoresizingNone = 0,
  UIViewAutoresizingFlexibleLeftMargin = 1u << 0,
  UIViewAutoresizingFlexibleWidth = 1u << 1,
  UIViewAutoresizingFlexibleRightMargin = 1u << 2,
  UIViewAutoresizingFlexibleTopMargin = 1u << 3,
  UIViewAutoresizingFlexibleHeight = 1u << 4,
  UIViewAutoresizingFlexibleBottomMargin = 1u << 5,
};

class UIView : public UIResponder {
 public:
  static Class runtimeClass();  // "UIView"
  static void registerMembers(Class cls);

  UIView();
  explicit UIView(CGRect frame);  // initWithFrame:
  ~UIView() override;

  // Geometry.
  CGRect frame() const { return frame_; }
  virtual void setFrame(CGRect frame);
  CGRect bounds() const { return CGRect{boundsOrigin_, frame_.size}; }
  virtual void setBounds(CGRect bounds);
  CGPoint center() const;
  void setCenter(CGPoint center);
  UIViewAutoresizing autoresizingMask() const { return autoresizingMask_; }
  void setAutoresizingMask(UIViewAutoresizing mask) { autoresizingMask_ = mask; }
  bool autoresizesSubviews() const { return autoresizesSubviews_; }
  void setAutoresizesSubviews(bool on) { autoresizesSubviews_ = on; }

  // The tree.
  UIView* superview() const { return superview_; }
  // The subviews, back to front, as callers see them (a copy; a subclass may leave some out).
  virtual std::vector<Ref<UIView>> subviews() const { return subviews_; }
  // Every real subview, back to front: what is drawn and hit-tested.
  const std::vector<Ref<UIView>>& allSubviews() const { return subviews_; }
  // Each takes the view out of any other superview first, then sends it didMoveToSuperview.
  void addSubview(UIView* view);
  template <class T>
  void addSubview(const Ref<T>& view) { addSubview(static_cast<UIView*>(view.get())); }
  virtual void insertSubviewAtIndex(UIView* view, NSInteger index);  // past the end appends
  void insertSubviewBelowSubview(UIView* view, UIView* sibling);
  void insertSubviewAboveSubview(UIView* view, UIView* sibling);
  virtual void exchangeSubviewAtIndex(NSInteger index1, NSInteger index2);
  void bringSubviewToFront(UIView* view);
  virtual void sendSubviewToBack(UIView* view);
  void removeFromSuperview();  // sends didMoveToSuperview (to a nil superview)
  // The nearest UIWindow up the chain of superviews, starting at this view; null if none.
  UIWindow* window() const;
  bool isDescendantOfView(const UIView* view) const;
  // This view or the first descendant (depth first, back to front) with the tag.
  UIView* viewWithTag(NSInteger tag);

  // Appearance.
  NSInteger tag() const { return tag_; }
  void setTag(NSInteger tag) { tag_ = tag; }
  UIColor* backgroundColor() const { return backgroundColor_.get(); }
  virtual void setBackgroundColor(UIColor* color);
  bool isHidden() const { return hidden_; }
  void setHidden(bool hidden);
  double alpha() const { return alpha_; }
  void setAlpha(double alpha);
  bool clipsToBounds() const { return clipsToBounds_; }
  void setClipsToBounds(bool clips);
  bool isOpaque() const { return opaque_; }
  void setOpaque(bool opaque) { opaque_ = opaque; }
  bool isUserInteractionEnabled() const { return userInteractionEnabled_; }
  void setUserInteractionEnabled(bool enabled) { userInteractionEnabled_ = enabled; }
  // The colour controls draw their active parts in: the nearest one set up the tree, else the
  // system's blue.
  UIColor* tintColor() const;
  void setTintColor(UIColor* color);
  // A name that tests and scripts find the view by.
  const std::string& accessibilityIdentifier() const { return accessibilityIdentifier_; }
  void setAccessibilityIdentifier(const std::string& name) { accessibilityIdentifier_ = name; }

  // Drawing and layout. A window redraws a view's own content only once it is marked as needing
  // it (or moved, shown, hidden, added or removed, which the window notices itself).
  void setNeedsDisplay();
  // Draws the view's own content (its background is already filled) in its bounds' space.
  virtual void drawRect(CGContext& context, CGRect rect);
  void setNeedsLayout();
  void layoutIfNeeded();  // lays out this view and its subviews where needed
  virtual void layoutSubviews() {}
  virtual CGSize sizeThatFits(CGSize) const { return frame_.size; }
  // The blur this view lays over what lies behind it, kept between drawings; null for a view
  // that blurs nothing.
  virtual CGBlurCache* blurCache() { return nullptr; }
  void sizeToFit();

  // Hit-testing, in this view's coordinates. A hidden view, one that ignores touches, or an
  // almost transparent one (alpha below 0.01) is never hit; subviews are tried front to back,
  // and outside a view's bounds none of its subviews is found.
  virtual UIView* hitTest(CGPoint point, UIEvent* event);
  virtual bool pointInside(CGPoint point, UIEvent* event) const;
  // Points and rectangles between this view's coordinates and another's (nil: the window's).
  CGPoint convertPointToView(CGPoint point, const UIView* view) const;
  CGPoint convertPointFromView(CGPoint point, const UIView* view) const;
  CGRect convertRectToView(CGRect rect, const UIView* view) const;
  CGRect convertRectFromView(CGRect rect, const UIView* view) const;

  UIResponder* nextResponder() const override;
  // The controller whose view this is, if any (set by UIViewController).
  UIViewController* viewController() const { return viewController_.get(); }
  void setViewController(UIViewController* controller);

  // Animation. Setters called from `animations` move their property to the new value over
  // `duration` seconds of the main run loop's clock (ease in, ease out); `completion` runs once
  // that time is over (true) on the run loop.
  static void animateWithDuration(double duration, const std::function<void()>& animations,
                                  std::function<void(bool)> completion = {});
  // Whether any view is moving now, and the time of the next frame worth drawing if so.
  static bool animationsRunning();
  // What the screen shows now: the model value, or the animated value while it moves.
  CGRect presentationFrame() const;
  CGPoint presentationBoundsOrigin() const;
  double presentationAlpha() const;
  // Stops this view's animations where they are going: the screen shows the model values at
  // once (the layer's removeAllAnimations), as a scroll view does when a finger stops it.
  void removeAllAnimations();

  // A counter that changes whenever anything that may alter the screen changes.
  static uint64_t displayGeneration();

 protected:
  // Called through the runtime method after the view got a new superview (or lost it).
  virtual void didMoveToSuperview() {}
  virtual void didAddSubview(UIView*) {}
  virtual void willRemoveSubview(UIView*) {}
  // Called when the view leaves the window it was in, or enters one.
  virtual void didMoveToWindow() {}
  // Something changed that views do not track themselves: the whole screen is drawn again.
  static void markScreenChanged();

 private:
  friend struct UIViewAnimationRecorder;
  friend class UIWindow;
  // What a window drew of the view last time, in the window's coordinates: the visible part of
  // its rectangle, that with its subviews', and its opacity on screen.
  struct Drawn {
    CGRect rect{};
    CGRect extent{};
    double alpha = 0;
    bool visible = false;
  };
  static bool takeWholeScreenChange();
  static void noteChange();  // something changed that a window finds by itself
  void contentChanged();     // its own content: drawn again
  void subtreeChanged();     // it and everything in it: drawn again
  void forgetDrawn();        // the subtree is no longer on screen
  static void didMoveToSuperviewMethod(id self, SEL);
  void detachFromSuperview();
  void resizeSubviews(CGSize oldSize);
  void notifyWindowChange(UIWindow* before);

  CGRect frame_{};
  CGPoint boundsOrigin_{};
  UIView* superview_ = nullptr;
  std::vector<Ref<UIView>> subviews_;
  NSInteger tag_ = 0;
  Ref<UIColor> backgroundColor_;
  Ref<UIColor> tintColor_;
  double alpha_ = 1.0;
  bool hidden_ = false;
  bool clipsToBounds_ = false;
  bool opaque_ = false;
  bool userInteractionEnabled_ = true;
  bool autoresizesSubviews_ = true;
  bool needsLayout_ = true;
  UIViewAutoresizing autoresizingMask_ = UIViewAutoresizingNone;
  std::string accessibilityIdentifier_;
  Weak<UIViewController> viewController_;
  Drawn drawn_;
  bool needsDisplay_ = true;
  bool subtreeNeedsDisplay_ = false;
  CGRect lostSubviews_{};  // where subviews it lost since the last drawing were drawn
};
