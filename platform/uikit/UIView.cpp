#include "uikit/UIView.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "uikit/UIApplication.h"
#include "uikit/UIKitPropertyTypes.h"
#include "uikit/UIViewAnimation.h"
#include "uikit/UIViewController.h"
#include "uikit/UIWindow.h"

namespace {

SEL didMoveToSuperviewSelector() {
  static SEL sel = sel_registerName("didMoveToSuperview");
  return sel;
}

uint64_t& generation() {
  static uint64_t value = 0;
  return value;
}

bool& wholeScreenChanged() {
  static bool value = true;
  return value;
}

}  // namespace

OBJC_CLASS_WITH_MEMBERS(UIView, UIResponder)

void UIView::registerMembers(Class cls) {
  class_addMethod(cls, didMoveToSuperviewSelector(), &UIView::didMoveToSuperviewMethod, "v@:");
  class_addProperty(cls, "frame", &UIView::setFrame);
  class_addProperty(cls, "backgroundColor", &UIView::setBackgroundColor);
  class_addProperty(cls, "hidden", &UIView::setHidden);
  class_addProperty(cls, "alpha", &UIView::setAlpha);
  class_addProperty(cls, "clipsToBounds", &UIView::setClipsToBounds);
  class_addProperty(cls, "opaque", &UIView::setOpaque);
  class_addProperty(cls, "userInteractionEnabled", &UIView::setUserInteractionEnabled);
  class_addProperty(cls, "tag", &UIView::setTag);
  class_addProperty(cls, "autoresizingMask", &UIView::setAutoresizingMask);
  class_addProperty(cls, "tintColor", &UIView::setTintColor);
  class_addProperty(cls, "accessibilityIdentifier", &UIView::setAccessibilityIdentifier);
}

void UIView::didMoveToSuperviewMethod(id self, SEL) { static_cast<UIView*>(self)->didMoveToSuperview(); }

uint64_t UIView::displayGeneration() { return generation(); }
void UIView::markScreenChanged() {
  wholeScreenChanged() = true;
  ++generation();
}
void UIView::noteChange() { ++generation(); }
bool UIView::takeWholeScreenChange() { return std::exchange(wholeScreenChanged(), false); }

void UIView::contentChanged() {
  needsDisplay_ = true;
  ++generation();
}

void UIView::subtreeChanged() {
  subtreeNeedsDisplay_ = true;
  ++generation();
}

void UIView::forgetDrawn() {
  drawn_.visible = false;
  for (const Ref<UIView>& view : subviews_) view->forgetDrawn();
}

UIView::UIView() = default;
UIView::UIView(CGRect frame) : frame_(frame) {}

UIView::~UIView() {
  // Subviews another owner keeps alive must not point at a view that is gone.
  for (const Ref<UIView>& view : subviews_) view->superview_ = nullptr;
}

void UIView::setFrame(CGRect frame) {
  if (frame == frame_) return;
  const CGSize oldSize = frame_.size;
  UIViewAnimationRecorder::willChangeFrame(this, frame);
  frame_ = frame;
  if (!(oldSize == frame.size)) {
    resizeSubviews(oldSize);
    setNeedsLayout();
  }
  contentChanged();
}

void UIView::setBounds(CGRect bounds) {
  const CGSize oldSize = frame_.size;
  if (!(bounds.origin == boundsOrigin_)) UIViewAnimationRecorder::willChangeBoundsOrigin(this, bounds.origin);
  boundsOrigin_ = bounds.origin;
  if (!(oldSize == bounds.size)) {
    // The size changes about the centre, as the platform's bounds do.
    const CGPoint c = center();
    frame_.size = bounds.size;
    setCenter(c);
    resizeSubviews(oldSize);
    setNeedsLayout();
  }
  contentChanged();
}

CGPoint UIView::center() const {
  return CGPointMake(frame_.origin.x + frame_.size.width / 2, frame_.origin.y + frame_.size.height / 2);
}

void UIView::setCenter(CGPoint c) {
  setFrame(CGRectMake(c.x - frame_.size.width / 2, c.y - frame_.size.height / 2, frame_.size.width,
                      frame_.size.height));
}

// Each flexible part of a subview's frame takes a share of the change in this view's size in
// proportion to its own extent, as the platform's autoresizing does.
void UIView::resizeSubviews(CGSize oldSize) {
  if (!autoresizesSubviews_) return;
  auto distribute = [](double delta, bool flexLow, bool flexSize, bool flexHigh, double low, double size,
                       double high, double& newLow, double& newSize) {
    const double total = (flexLow ? low : 0) + (flexSize ? size : 0) + (flexHigh ? high : 0);
    const int parts = int(flexLow) + int(flexSize) + int(flexHigh);
    newLow = low;
    newSize = size;
    if (parts == 0) return;
    auto share = [&](bool flexible, double extent) {
      if (!flexible) return 0.0;
      return total > 0 ? delta * extent / total : delta / parts;
    };
    newLow = low + share(flexLow, low);
    newSize = size + share(flexSize, size);
  };
  const CGSize now = frame_.size;
  for (const Ref<UIView>& view : subviews_) {
    const UIViewAutoresizing m = view->autoresizingMask_;
    if (m == UIViewAutoresizingNone) continue;
    const CGRect f = view->frame_;
    CGRect r = f;
    distribute(now.width - oldSize.width, m & UIViewAutoresizingFlexibleLeftMargin,
               m & UIViewAutoresizingFlexibleWidth, m & UIViewAutoresizingFlexibleRightMargin, f.origin.x,
               f.size.width, oldSize.width - f.origin.x - f.size.width, r.origin.x, r.size.width);
    distribute(now.height - oldSize.height, m & UIViewAutoresizingFlexibleTopMargin,
               m & UIViewAutoresizingFlexibleHeight, m & UIViewAutoresizingFlexibleBottomMargin, f.origin.y,
               f.size.height, oldSize.height - f.origin.y - f.size.height, r.origin.y, r.size.height);
    view->setFrame(r);
  }
}

// The tree.

void UIView::detachFromSuperview() {
  if (superview_ == nullptr) return;
  superview_->willRemoveSubview(this);
  auto& siblings = superview_->subviews_;
  auto it = std::find_if(siblings.begin(), siblings.end(),
                         [this](const Ref<UIView>& v) { return v.get() == this; });
  if (drawn_.visible) superview_->lostSubviews_ = CGRectUnion(superview_->lostSubviews_, drawn_.extent);
  forgetDrawn();
  superview_ = nullptr;
  if (it != siblings.end()) siblings.erase(it);  // the caller holds its own reference
}

void UIView::addSubview(UIView* view) { insertSubviewAtIndex(view, NSInteger(subviews_.size())); }

void UIView::insertSubviewAtIndex(UIView* view, NSInteger index) {
  if (view == nullptr || view == this) return;
  Ref<UIView> keep(view);
  UIWindow* windowBefore = view->window();
  view->detachFromSuperview();
  const size_t at = std::min<size_t>(size_t(std::max<NSInteger>(index, 0)), subviews_.size());
  subviews_.insert(subviews_.begin() + static_cast<std::ptrdiff_t>(at), keep);
  view->superview_ = this;
  noteChange();
  didAddSubview(view);
  msgSend<void>(view, didMoveToSuperviewSelector());
  view->notifyWindowChange(windowBefore);
}

void UIView::insertSubviewBelowSubview(UIView* view, UIView* sibling) {
  auto it = std::find_if(subviews_.begin(), subviews_.end(), [sibling](const Ref<UIView>& v) { return v.get() == sibling; });
  UIView::insertSubviewAtIndex(view, it == subviews_.end() ? NSInteger(subviews_.size()) : NSInteger(it - subviews_.begin()));
}

void UIView::insertSubviewAboveSubview(UIView* view, UIView* sibling) {
  auto it = std::find_if(subviews_.begin(), subviews_.end(), [sibling](const Ref<UIView>& v) { return v.get() == sibling; });
  UIView::insertSubviewAtIndex(view, it == subviews_.end() ? NSInteger(subviews_.size()) : NSInteger(it - subviews_.begin()) + 1);
}

void UIView::exchangeSubviewAtIndex(NSInteger index1, NSInteger index2) {
  const auto n = NSInteger(subviews_.size());
  if (index1 < 0 || index2 < 0 || index1 >= n || index2 >= n) return;
  std::swap(subviews_[size_t(index1)], subviews_[size_t(index2)]);
  subtreeChanged();
}

void UIView::bringSubviewToFront(UIView* view) {
  auto it = std::find_if(subviews_.begin(), subviews_.end(), [view](const Ref<UIView>& v) { return v.get() == view; });
  if (it == subviews_.end()) return;
  Ref<UIView> keep = *it;
  subviews_.erase(it);
  subviews_.push_back(keep);
  subtreeChanged();
}

void UIView::sendSubviewToBack(UIView* view) {
  auto it = std::find_if(subviews_.begin(), subviews_.end(), [view](const Ref<UIView>& v) { return v.get() == view; });
  if (it == subviews_.end()) return;
  Ref<UIView> keep = *it;
  subviews_.erase(it);
  subviews_.insert(subviews_.begin(), keep);
  subtreeChanged();
}

void UIView::removeFromSuperview() {
  if (superview_ == nullptr) return;
  Ref<UIView> keep(this);
  UIWindow* windowBefore = window();
  detachFromSuperview();
  noteChange();
  msgSend<void>(this, didMoveToSuperviewSelector());
  notifyWindowChange(windowBefore);
}

// A view that leaves the window gives up the keyboard, as on the platform; every view of the
// subtree hears about the change.
void UIView::notifyWindowChange(UIWindow* before) {
  if (window() == before) return;
  std::vector<UIView*> stack{this};
  while (!stack.empty()) {
    UIView* v = stack.back();
    stack.pop_back();
    if (v->isFirstResponder() && v->window() == nullptr) v->resignFirstResponder();
    v->didMoveToWindow();
    for (const Ref<UIView>& s : v->subviews_) stack.push_back(s.get());
  }
}

UIWindow* UIView::window() const {
  for (const UIView* v = this; v != nullptr; v = v->superview_)
    if (v->isKindOfClass(UIWindow::runtimeClass())) return static_cast<UIWindow*>(const_cast<UIView*>(v));
  return nullptr;
}

bool UIView::isDescendantOfView(const UIView* view) const {
  for (const UIView* v = this; v != nullptr; v = v->superview_)
    if (v == view) return true;
  return false;
}

UIView* UIView::viewWithTag(NSInteger tag) {
  if (tag_ == tag) return this;
  for (const Ref<UIView>& view : subviews_)
    if (UIView* found = view->viewWithTag(tag)) return found;
  return nullptr;
}

// Appearance.

void UIView::setBackgroundColor(UIColor* color) {
  backgroundColor_ = Ref<UIColor>(color);
  contentChanged();
}

void UIView::setHidden(bool hidden) {
  if (hidden == hidden_) return;
  hidden_ = hidden;
  noteChange();
}

void UIView::setAlpha(double alpha) {
  alpha = std::clamp(alpha, 0.0, 1.0);
  if (alpha == alpha_) return;
  UIViewAnimationRecorder::willChangeAlpha(this, alpha);
  alpha_ = alpha;
  noteChange();
}

void UIView::setClipsToBounds(bool clips) {
  clipsToBounds_ = clips;
  subtreeChanged();
}

UIColor* UIView::tintColor() const {
  for (const UIView* v = this; v != nullptr; v = v->superview_)
    if (v->tintColor_) return v->tintColor_.get();
  // A shade darker than the system blue, so tinted text reads at 4.5:1 on white and on the
  // light bars.
  static UIColor* readableBlue = UIColor::colorWithRed(0, 100 / 255.0, 210 / 255.0, 1).detach();
  return readableBlue;
}

void UIView::setTintColor(UIColor* color) {
  tintColor_ = Ref<UIColor>(color);
  subtreeChanged();
}

// Drawing and layout.

void UIView::setNeedsDisplay() { contentChanged(); }
void UIView::drawRect(CGContext&, CGRect) {}

void UIView::setNeedsLayout() {
  needsLayout_ = true;
  noteChange();
}

void UIView::layoutIfNeeded() {
  if (needsLayout_) {
    needsLayout_ = false;
    layoutSubviews();
  }
  const std::vector<Ref<UIView>> children = subviews_;  // layout may change the list
  for (const Ref<UIView>& view : children) view->layoutIfNeeded();
}

void UIView::sizeToFit() {
  const CGSize size = sizeThatFits(frame_.size);
  setFrame(CGRect{frame_.origin, size});
}

// Hit-testing.

bool UIView::pointInside(CGPoint point, UIEvent*) const { return CGRectContainsPoint(bounds(), point); }

UIView* UIView::hitTest(CGPoint point, UIEvent* event) {
  if (hidden_ || !userInteractionEnabled_ || alpha_ < 0.01) return nullptr;
  if (!pointInside(point, event)) return nullptr;
  for (auto it = subviews_.rbegin(); it != subviews_.rend(); ++it) {
    UIView* sub = it->get();
    const CGPoint inSub = sub->convertPointFromView(point, this);
    if (UIView* hit = sub->hitTest(inSub, event)) return hit;
  }
  return this;
}

// A point of this view in its superview's coordinates, and back.
namespace {
CGPoint toSuperview(const UIView* v, CGPoint p) {
  const CGRect f = v->frame();
  const CGPoint o = v->bounds().origin;
  return CGPointMake(p.x - o.x + f.origin.x, p.y - o.y + f.origin.y);
}
CGPoint fromSuperview(const UIView* v, CGPoint p) {
  const CGRect f = v->frame();
  const CGPoint o = v->bounds().origin;
  return CGPointMake(p.x - f.origin.x + o.x, p.y - f.origin.y + o.y);
}
// The point in the coordinates of the top of this view's tree (its window, or its root view).
CGPoint toTop(const UIView* v, CGPoint p) {
  for (; v->superview() != nullptr; v = v->superview()) p = toSuperview(v, p);
  return p;
}
CGPoint fromTop(const UIView* v, CGPoint p) {
  std::vector<const UIView*> chain;
  for (; v->superview() != nullptr; v = v->superview()) chain.push_back(v);
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) p = fromSuperview(*it, p);
  return p;
}
}  // namespace

CGPoint UIView::convertPointToView(CGPoint point, const UIView* view) const {
  const CGPoint top = toTop(this, point);
  return view == nullptr ? top : fromTop(view, top);
}

CGPoint UIView::convertPointFromView(CGPoint point, const UIView* view) const {
  const CGPoint top = view == nullptr ? point : toTop(view, point);
  return fromTop(this, top);
}

CGRect UIView::convertRectToView(CGRect rect, const UIView* view) const {
  return CGRect{convertPointToView(rect.origin, view), rect.size};
}

CGRect UIView::convertRectFromView(CGRect rect, const UIView* view) const {
  return CGRect{convertPointFromView(rect.origin, view), rect.size};
}

UIResponder* UIView::nextResponder() const {
  if (UIViewController* controller = viewController_.get()) return controller;
  return superview_;
}

void UIView::setViewController(UIViewController* controller) { viewController_ = Weak<UIViewController>(controller); }
