// A rectangle on screen in a tree of views. Each view retains its subviews; the superview is a
// plain pointer. `didMoveToSuperview` is a runtime method (the system replaces it in a player
// class), whose UIView implementation calls the C++ hook of the same name.
#pragma once

#include <cstddef>
#include <vector>

#include "objc/NSObject.h"
#include "objc/runtime.h"
#include "uikit/CGGeometry.h"
#include "uikit/UIColor.h"

class UIWindow;

class UIView : public NSObject {
 public:
  static Class runtimeClass();  // "UIView"

  UIView();
  explicit UIView(CGRect frame);
  ~UIView() override;

  CGRect frame() const { return frame_; }
  virtual void setFrame(CGRect frame) { frame_ = frame; }
  CGRect bounds() const { return CGRect{{0, 0}, frame_.size}; }

  UIView* superview() const { return superview_; }
  const std::vector<Ref<UIView>>& subviews() const { return subviews_; }
  // Both take the view out of any other superview first, then send it didMoveToSuperview.
  void addSubview(UIView* view);
  void insertSubviewAtIndex(UIView* view, std::size_t index);  // an index past the end appends
  void removeFromSuperview();  // sends didMoveToSuperview (to a nil superview)
  // The nearest UIWindow up the chain of superviews, starting at this view; null if none.
  UIWindow* window() const;

  long tag() const { return tag_; }
  void setTag(long tag) { tag_ = tag; }
  UIColor* backgroundColor() const { return backgroundColor_.get(); }
  void setBackgroundColor(UIColor* color) { backgroundColor_ = Ref<UIColor>(color); }
  bool isHidden() const { return hidden_; }
  void setHidden(bool hidden) { hidden_ = hidden; }

 protected:
  // Called through the runtime method after the view got a new superview (or lost it).
  virtual void didMoveToSuperview() {}

 private:
  static void didMoveToSuperviewMethod(id self, SEL);
  void detachFromSuperview();

  CGRect frame_{};
  UIView* superview_ = nullptr;
  std::vector<Ref<UIView>> subviews_;
  long tag_ = 0;
  Ref<UIColor> backgroundColor_;
  bool hidden_ = false;
};
