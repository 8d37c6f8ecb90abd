// A view that shows part of a larger content and moves over it: the content offset is the
// bounds' origin, so the subviews (the content) move the other way.
//
// A finger that lands on the scroll view itself, or on a view inside that passes touches on
// (not a control, which keeps its own touches), drags the content along, within the content's
// extent; a bouncing scroll view lets it go past an edge with growing resistance and springs
// back on release. With paging, a release settles on the nearest page, or on the next one in
// the drag's direction once the drag has gone a third of a page. Settling and
// setContentOffset(offset, true) animate on the main run loop's clock: the model offset is the
// final one at once, the screen shows it moving there.
//
// The delegate (held weakly) is told, by the platform's selectors and only where it answers
// them: scrollViewDidScroll: on every change of the offset, scrollViewWillBeginDragging:,
// scrollViewDidEndDragging:willDecelerate:, scrollViewDidEndDecelerating: when a settle after
// a drag ends, and scrollViewDidEndScrollingAnimation: when an animated setContentOffset ends.
#pragma once

#include "uikit/UIDrawnView.h"
#include "uikit/UIView.h"

class UIScrollView : public UIView {
 public:
  static Class runtimeClass();  // "UIScrollView", a subclass of "UIView"
  static void registerMembers(Class cls);
  UIScrollView();
  explicit UIScrollView(CGRect frame);

  CGSize contentSize() const { return contentSize_; }
  void setContentSize(CGSize size);
  CGPoint contentOffset() const { return bounds().origin; }
  void setContentOffset(CGPoint offset);  // as is, even past the content's edges
  void setContentOffset(CGPoint offset, bool animated);
  // The offsets the content can be scrolled to without going past an edge.
  CGPoint maximumContentOffset() const;

  bool isPagingEnabled() const { return pagingEnabled_; }
  void setPagingEnabled(bool on) { pagingEnabled_ = on; }
  bool bounces() const { return bounces_; }
  void setBounces(bool on) { bounces_ = on; }
  bool isScrollEnabled() const { return scrollEnabled_; }
  void setScrollEnabled(bool on) { scrollEnabled_ = on; }
  bool showsHorizontalScrollIndicator() const { return showsHorizontal_; }
  void setShowsHorizontalScrollIndicator(bool on);
  bool showsVerticalScrollIndicator() const { return showsVertical_; }
  void setShowsVerticalScrollIndicator(bool on);

  NSObject* delegate() const { return delegate_.get(); }
  void setDelegate(NSObject* delegate) { delegate_ = Weak<NSObject>(delegate); }

  // A finger is on the content / has moved it / it is settling after the finger let go.
  bool isTracking() const { return tracking_; }
  bool isDragging() const { return dragging_; }
  bool isDecelerating() const { return decelerating_; }
  // Shows the indicators for a moment, as the platform does when a scroll view appears.
  void flashScrollIndicators();

  void setBounds(CGRect bounds) override;
  void layoutSubviews() override;

  void touchesBegan(const std::set<UITouch*>& touches, UIEvent* event) override;
  void touchesMoved(const std::set<UITouch*>& touches, UIEvent* event) override;
  void touchesEnded(const std::set<UITouch*>& touches, UIEvent* event) override;
  void touchesCancelled(const std::set<UITouch*>& touches, UIEvent* event) override;

 private:
  // Where the offset goes when the finger lets go: a page, or back inside the edges.
  CGPoint restingOffset() const;
  void settle();
  void finishScrolling();
  // The offset for a finger that has moved `delta` from where the drag began.
  CGPoint draggedOffset(CGPoint delta) const;
  void placeIndicators();
  void showIndicators(bool shown);
  void tellDelegate(const char* selector);

  CGSize contentSize_{};
  bool pagingEnabled_ = false, bounces_ = true, scrollEnabled_ = true;
  bool showsHorizontal_ = true, showsVertical_ = true;
  bool tracking_ = false, dragging_ = false, decelerating_ = false;
  CGPoint touchStart_{}, offsetAtTouchStart_{};
  uint64_t settleGeneration_ = 0;  // tells a finished settle from one a newer touch replaced
  Weak<NSObject> delegate_;
  Ref<UIDrawnView> horizontalIndicator_, verticalIndicator_;
};
