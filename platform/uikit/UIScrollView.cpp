#include "uikit/UIScrollView.h"

#include <algorithm>
#include <cmath>

#include "foundation/NSTimer.h"
#include "uikit/UIKitPropertyTypes.h"
#include "uikit/UITouch.h"

OBJC_CLASS_WITH_MEMBERS(UIScrollView, UIView)

namespace {
constexpr double kSettleDuration = 0.3;
constexpr double kFadeDuration = 0.25;
constexpr double kFlashDuration = 0.6;
constexpr double kIndicatorThickness = 2.5;
constexpr double kIndicatorInset = 2.5;
constexpr double kIndicatorMinimumLength = 7;

// How far the content follows a finger that has pulled it `overshoot` past an edge: less and
// less the further it goes, never more than the view's own extent.
double rubberBand(double overshoot, double extent) {
  if (extent <= 0) return 0;
  return (1 - 1 / (overshoot * 0.55 / extent + 1)) * extent;
}

double pagedOffset(double offset, double startOffset, double page, double maximum) {
  if (page <= 0) return std::clamp(offset, 0.0, maximum);
  const double startPage = std::round(startOffset / page);
  double target = std::round(offset / page);
  if (target == startPage) {
    const double moved = offset - startPage * page;
    if (moved > page / 3) target = startPage + 1;
    else if (moved < -page / 3) target = startPage - 1;
  }
  return std::clamp(target * page, 0.0, maximum);
}

void drawIndicator(UIDrawnView&, CGContext& ctx, CGRect rect) {
  ctx.setFillColor(CGColor{0, 0, 0, 0.35});
  ctx.fillRoundedRect(rect, std::min(rect.size.width, rect.size.height) / 2);
}
}  // namespace

void UIScrollView::registerMembers(Class cls) {
  class_addProperty(cls, "contentSize", &UIScrollView::setContentSize);
  class_addProperty(cls, "pagingEnabled", &UIScrollView::setPagingEnabled);
  class_addProperty(cls, "bounces", &UIScrollView::setBounces);
  class_addProperty(cls, "scrollEnabled", &UIScrollView::setScrollEnabled);
  class_addProperty(cls, "showsHorizontalScrollIndicator", &UIScrollView::setShowsHorizontalScrollIndicator);
  class_addProperty(cls, "showsVerticalScrollIndicator", &UIScrollView::setShowsVerticalScrollIndicator);
  class_addOutlet(cls, "delegate", &UIScrollView::delegate_);
}

UIScrollView::UIScrollView() : UIScrollView(CGRectZero) {}
UIScrollView::UIScrollView(CGRect frame) : UIView(frame) { setClipsToBounds(true); }

void UIScrollView::setContentSize(CGSize size) {
  contentSize_ = size;
  placeIndicators();
}

CGPoint UIScrollView::maximumContentOffset() const {
  const CGSize size = bounds().size;
  return CGPointMake(std::max(0.0, contentSize_.width - size.width), std::max(0.0, contentSize_.height - size.height));
}

void UIScrollView::setContentOffset(CGPoint offset) { setBounds(CGRect{offset, bounds().size}); }

void UIScrollView::setContentOffset(CGPoint offset, bool animated) {
  ++settleGeneration_;  // whatever was settling is over
  decelerating_ = false;
  if (!animated) {
    removeAllAnimations();
    if (horizontalIndicator_) horizontalIndicator_->removeAllAnimations();
    if (verticalIndicator_) verticalIndicator_->removeAllAnimations();
    setContentOffset(offset);
    return;
  }
  if (offset == contentOffset()) return;
  const uint64_t generation = settleGeneration_;
  Weak<UIScrollView> weak(this);
  UIView::animateWithDuration(kSettleDuration, [this, offset] { setContentOffset(offset); },
                              [weak, generation](bool) {
                                UIScrollView* self = weak.get();
                                if (self && self->settleGeneration_ == generation)
                                  self->tellDelegate("scrollViewDidEndScrollingAnimation:");
                              });
}

void UIScrollView::setBounds(CGRect bounds) {
  const CGPoint before = contentOffset();
  UIView::setBounds(bounds);
  placeIndicators();
  if (!(before == contentOffset())) tellDelegate("scrollViewDidScroll:");
}

void UIScrollView::layoutSubviews() { placeIndicators(); }

void UIScrollView::tellDelegate(const char* name) {
  SEL sel = sel_registerName(name);
  Ref<NSObject> delegate = delegate_.lock();
  if (delegate && delegate->respondsToSelector(sel)) msgSend<void>(delegate.get(), sel, this);
}

// Dragging.

CGPoint UIScrollView::draggedOffset(CGPoint delta) const {
  const CGSize size = bounds().size;
  const CGPoint maximum = maximumContentOffset();
  auto axis = [this](double start, double moved, double content, double extent, double max) {
    if (content <= extent) return start;  // nothing to scroll this way
    const double raw = start - moved;
    if (raw < 0) return bounces_ ? -rubberBand(-raw, extent) : 0.0;
    if (raw > max) return bounces_ ? max + rubberBand(raw - max, extent) : max;
    return raw;
  };
  return CGPointMake(axis(offsetAtTouchStart_.x, delta.x, contentSize_.width, size.width, maximum.x),
                     axis(offsetAtTouchStart_.y, delta.y, contentSize_.height, size.height, maximum.y));
}

CGPoint UIScrollView::restingOffset() const {
  const CGPoint offset = contentOffset();
  const CGPoint maximum = maximumContentOffset();
  if (!pagingEnabled_) return CGPointMake(std::clamp(offset.x, 0.0, maximum.x), std::clamp(offset.y, 0.0, maximum.y));
  const CGSize page = bounds().size;
  return CGPointMake(pagedOffset(offset.x, offsetAtTouchStart_.x, page.width, maximum.x),
                     pagedOffset(offset.y, offsetAtTouchStart_.y, page.height, maximum.y));
}

void UIScrollView::touchesBegan(const std::set<UITouch*>& touches, UIEvent* event) {
  if (!scrollEnabled_ || touches.empty()) return UIView::touchesBegan(touches, event);
  UITouch* touch = *touches.begin();
  // A finger on moving content stops it where the screen shows it.
  const CGPoint shown = presentationBoundsOrigin();
  ++settleGeneration_;
  decelerating_ = false;
  removeAllAnimations();
  setContentOffset(shown);
  tracking_ = true;
  dragging_ = false;
  touchStart_ = touch->locationInView(nullptr);
  offsetAtTouchStart_ = contentOffset();
}

void UIScrollView::touchesMoved(const std::set<UITouch*>& touches, UIEvent* event) {
  if (!tracking_ || touches.empty()) return UIView::touchesMoved(touches, event);
  const CGPoint p = (*touches.begin())->locationInView(nullptr);
  const CGPoint delta = CGPointMake(p.x - touchStart_.x, p.y - touchStart_.y);
  if (!dragging_) {
    if (delta == CGPointZero) return;
    dragging_ = true;
    showIndicators(true);
    tellDelegate("scrollViewWillBeginDragging:");
  }
  setContentOffset(draggedOffset(delta));
}

void UIScrollView::touchesEnded(const std::set<UITouch*>& touches, UIEvent* event) {
  if (!tracking_ || touches.empty()) return UIView::touchesEnded(touches, event);
  touchesMoved(touches, event);  // where the finger lifted counts too
  tracking_ = false;
  settle();
}

void UIScrollView::touchesCancelled(const std::set<UITouch*>& touches, UIEvent* event) {
  if (!tracking_) return UIView::touchesCancelled(touches, event);
  tracking_ = false;
  settle();
}

void UIScrollView::settle() {
  const bool wasDragging = dragging_;
  dragging_ = false;
  const CGPoint target = restingOffset();
  const bool willDecelerate = !(target == contentOffset());
  if (wasDragging) {
    Ref<NSObject> delegate = delegate_.lock();
    SEL sel = sel_registerName("scrollViewDidEndDragging:willDecelerate:");
    if (delegate && delegate->respondsToSelector(sel)) msgSend<void, UIScrollView*, bool>(delegate.get(), sel, this, willDecelerate);
  }
  if (!willDecelerate) {
    finishScrolling();
    return;
  }
  decelerating_ = true;
  const uint64_t generation = ++settleGeneration_;
  Weak<UIScrollView> weak(this);
  UIView::animateWithDuration(kSettleDuration, [this, target] { setContentOffset(target); },
                              [weak, generation](bool) {
                                UIScrollView* self = weak.get();
                                if (!self || self->settleGeneration_ != generation) return;
                                self->decelerating_ = false;
                                self->tellDelegate("scrollViewDidEndDecelerating:");
                                self->finishScrolling();
                              });
}

void UIScrollView::finishScrolling() { showIndicators(false); }

// Indicators: thin dark bars along the right and bottom edges, in proportion to how much of
// the content shows, shown while the content moves under a finger.

void UIScrollView::setShowsHorizontalScrollIndicator(bool on) {
  showsHorizontal_ = on;
  placeIndicators();
}

void UIScrollView::setShowsVerticalScrollIndicator(bool on) {
  showsVertical_ = on;
  placeIndicators();
}

void UIScrollView::showIndicators(bool shown) {
  if (shown) {
    for (Ref<UIDrawnView>* indicator : {&horizontalIndicator_, &verticalIndicator_}) {
      if (!*indicator) {
        *indicator = make<UIDrawnView>(&drawIndicator);
        (*indicator)->setAlpha(0);
        addSubview(*indicator);
      }
      bringSubviewToFront(indicator->get());
      (*indicator)->removeAllAnimations();
      (*indicator)->setAlpha(1);
    }
    placeIndicators();
    return;
  }
  UIView::animateWithDuration(kFadeDuration, [this] {
    if (horizontalIndicator_) horizontalIndicator_->setAlpha(0);
    if (verticalIndicator_) verticalIndicator_->setAlpha(0);
  });
}

void UIScrollView::flashScrollIndicators() {
  showIndicators(true);
  Weak<UIScrollView> weak(this);
  NSTimer::scheduledTimerWithTimeInterval(kFlashDuration, false, [weak](NSTimer*) {
    if (UIScrollView* self = weak.get(); self && !self->tracking_ && !self->decelerating_) self->showIndicators(false);
  });
}

void UIScrollView::placeIndicators() {
  if (!horizontalIndicator_ || !verticalIndicator_) return;
  const CGRect b = bounds();
  const CGPoint maximum = maximumContentOffset();
  const bool horizontal = showsHorizontal_ && contentSize_.width > b.size.width;
  const bool vertical = showsVertical_ && contentSize_.height > b.size.height;
  const double corner = horizontal && vertical ? kIndicatorThickness + kIndicatorInset : 0;
  // Along one axis: the bar's start and length within the track, shorter while pulled past
  // an edge.
  auto bar = [](double offset, double max, double extent, double content, double track) {
    const double overshoot = offset < 0 ? -offset : std::max(0.0, offset - max);
    const double length = std::max(kIndicatorMinimumLength, track * extent / content - overshoot);
    const double fraction = max > 0 ? std::clamp(offset / max, 0.0, 1.0) : 0;
    return std::pair{(track - length) * fraction, length};
  };
  horizontalIndicator_->setHidden(!horizontal);
  if (horizontal) {
    const double track = b.size.width - 2 * kIndicatorInset - corner;
    const auto [start, length] = bar(b.origin.x, maximum.x, b.size.width, contentSize_.width, track);
    horizontalIndicator_->setFrame(CGRectMake(b.origin.x + kIndicatorInset + start,
                                              CGRectGetMaxY(b) - kIndicatorInset - kIndicatorThickness, length,
                                              kIndicatorThickness));
  }
  verticalIndicator_->setHidden(!vertical);
  if (vertical) {
    const double track = b.size.height - 2 * kIndicatorInset - corner;
    const auto [start, length] = bar(b.origin.y, maximum.y, b.size.height, contentSize_.height, track);
    verticalIndicator_->setFrame(CGRectMake(CGRectGetMaxX(b) - kIndicatorInset - kIndicatorThickness,
                                            b.origin.y + kIndicatorInset + start, kIndicatorThickness, length));
  }
}
