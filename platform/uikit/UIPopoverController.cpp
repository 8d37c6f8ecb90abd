#include "uikit/UIPopoverController.h"

#include <algorithm>

#include "uikit/UIBarButtonItem.h"
#include "uikit/UITouch.h"
#include "uikit/UIWindow.h"

OBJC_CLASS(UIPopoverController, NSObject)

namespace {

SEL shouldDismissSelector() {
  static SEL sel = sel_registerName("popoverControllerShouldDismissPopover:");
  return sel;
}
SEL didDismissSelector() {
  static SEL sel = sel_registerName("popoverControllerDidDismissPopover:");
  return sel;
}

// Covers the window under the popover's content and catches the taps that miss it.
class PopoverBackdrop : public UIView {
 public:
  explicit PopoverBackdrop(UIPopoverController* popover) : popover_(popover) {}
  void touchesBegan(const std::set<UITouch*>&, UIEvent*) override {}
  void touchesMoved(const std::set<UITouch*>&, UIEvent*) override {}
  void touchesCancelled(const std::set<UITouch*>&, UIEvent*) override {}
  void touchesEnded(const std::set<UITouch*>& touches, UIEvent*) override {
    if (touches.empty()) return;
    const CGPoint at = (*touches.begin())->locationInView(this);
    for (const Ref<UIView>& content : allSubviews())
      if (CGRectContainsPoint(content->frame(), at)) return;
    if (Ref<UIPopoverController> popover = popover_.lock()) popover->touchedOutside();
  }

 private:
  Weak<UIPopoverController> popover_;
};

}  // namespace

UIPopoverController::~UIPopoverController() {
  if (backdrop_) backdrop_->removeFromSuperview();
}

UIPopoverController* UIPopoverController::initWithContentViewController(UIViewController* controller) {
  content_ = Ref<UIViewController>(controller);
  return this;
}

void UIPopoverController::setContentViewController(UIViewController* controller, bool) {
  if (controller == content_.get()) return;
  UIView* shown = backdrop_ && content_ && content_->isViewLoaded() ? content_->view() : nullptr;
  if (shown != nullptr && shown->superview() == backdrop_.get()) shown->removeFromSuperview();
  content_ = Ref<UIViewController>(controller);
  if (backdrop_) layoutContent();
}

CGSize UIPopoverController::popoverContentSize() const {
  if (contentSizeSet_) return contentSize_;
  if (content_ && content_->isViewLoaded()) return content_->view()->frame().size;
  return CGSizeMake(320, 480);
}

void UIPopoverController::setPopoverContentSize(CGSize size, bool) {
  contentSize_ = size;
  contentSizeSet_ = true;
  if (backdrop_) layoutContent();
}

// The content centred over the backdrop, no larger than the window.
void UIPopoverController::layoutContent() {
  UIView* view = content_ ? content_->view() : nullptr;
  if (view == nullptr) return;
  const CGSize area = backdrop_->bounds().size;
  const CGSize wanted = popoverContentSize();
  const CGSize size = CGSizeMake(std::min(wanted.width, area.width), std::min(wanted.height, area.height));
  if (view->superview() != backdrop_.get()) backdrop_->addSubview(view);
  view->setFrame(CGRectMake((area.width - size.width) / 2, (area.height - size.height) / 2, size.width, size.height));
}

void UIPopoverController::presentPopoverFromRect(CGRect, UIView* view, UIPopoverArrowDirection, bool) {
  UIWindow* window = view ? view->window() : nullptr;
  if (window == nullptr || !content_ || content_->view() == nullptr) return;
  if (!backdrop_) {
    backdrop_ = make<PopoverBackdrop>(this);
    backdrop_->setBackgroundColor(UIColor::colorWithWhite(0, 0.2).get());
  }
  backdrop_->setFrame(window->bounds());
  backdrop_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
  window->addSubview(backdrop_.get());
  layoutContent();
}

void UIPopoverController::presentPopoverFromBarButtonItem(UIBarButtonItem* item, UIPopoverArrowDirection directions,
                                                          bool animated) {
  UIView* button = item ? item->view() : nullptr;
  if (button != nullptr) presentPopoverFromRect(button->bounds(), button, directions, animated);
}

void UIPopoverController::dismissPopoverAnimated(bool) {
  if (!backdrop_) return;
  Ref<UIView> backdrop = std::move(backdrop_);
  backdrop->removeFromSuperview();
  // The content leaves with the backdrop, so a later presentation starts afresh.
  if (content_ && content_->isViewLoaded() && content_->view()->superview() == backdrop.get())
    content_->view()->removeFromSuperview();
}

void UIPopoverController::touchedOutside() {
  if (!backdrop_) return;
  Ref<UIPopoverController> keep(this);
  Ref<NSObject> delegate = delegate_.lock();
  if (delegate && delegate->respondsToSelector(shouldDismissSelector()) &&
      !msgSend<bool>(delegate.get(), shouldDismissSelector(), this))
    return;
  dismissPopoverAnimated(true);
  if (delegate && delegate->respondsToSelector(didDismissSelector()))
    msgSend<void>(delegate.get(), didDismissSelector(), this);
}
