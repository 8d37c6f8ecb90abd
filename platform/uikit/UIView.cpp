#include "uikit/UIView.h"

#include <algorithm>

#include "uikit/UIWindow.h"

namespace {
SEL didMoveToSuperviewSelector() {
  static SEL sel = sel_registerName("didMoveToSuperview");
  return sel;
}
}  // namespace

Class UIView::runtimeClass() {
  static Class cls = [] {
    Class c = objc_registerClass("UIView", objc_rootClass());
    class_addMethod(c, didMoveToSuperviewSelector(), &UIView::didMoveToSuperviewMethod, "v@:");
    return c;
  }();
  return cls;
}

void UIView::didMoveToSuperviewMethod(id self, SEL) { static_cast<UIView*>(self)->didMoveToSuperview(); }

UIView::UIView() { isa = runtimeClass(); }
UIView::UIView(CGRect frame) : UIView() { frame_ = frame; }

UIView::~UIView() {
  // Subviews another owner keeps alive must not point at a view that is gone.
  for (const Ref<UIView>& view : subviews_) view->superview_ = nullptr;
}

void UIView::detachFromSuperview() {
  if (superview_ == nullptr) return;
  auto& siblings = superview_->subviews_;
  auto it = std::find_if(siblings.begin(), siblings.end(),
                         [this](const Ref<UIView>& v) { return v.get() == this; });
  superview_ = nullptr;
  if (it != siblings.end()) siblings.erase(it);  // the caller holds its own reference
}

void UIView::addSubview(UIView* view) { insertSubviewAtIndex(view, subviews_.size()); }

void UIView::insertSubviewAtIndex(UIView* view, std::size_t index) {
  if (view == nullptr || view == this) return;
  Ref<UIView> keep(view);
  view->detachFromSuperview();
  index = std::min(index, subviews_.size());
  subviews_.insert(subviews_.begin() + static_cast<std::ptrdiff_t>(index), keep);
  view->superview_ = this;
  msgSend<void>(view, didMoveToSuperviewSelector());
}

void UIView::removeFromSuperview() {
  if (superview_ == nullptr) return;
  Ref<UIView> keep(this);
  detachFromSuperview();
  msgSend<void>(this, didMoveToSuperviewSelector());
}

UIWindow* UIView::window() const {
  for (const UIView* v = this; v != nullptr; v = v->superview_)
    if (v->isKindOfClass(UIWindow::runtimeClass())) return static_cast<UIWindow*>(const_cast<UIView*>(v));
  return nullptr;
}
