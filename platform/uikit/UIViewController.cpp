#include "uikit/UIViewController.h"

#include "foundation/NSLog.h"
#include "uikit/UINib.h"
#include "uikit/UIScreen.h"

OBJC_CLASS_WITH_MEMBERS(UIViewController, UIResponder)

void UIViewController::registerMembers(Class cls) { class_addOutlet(cls, "view", &UIViewController::setView); }

UIViewController::~UIViewController() {
  if (view_ && view_->viewController() == this) view_->setViewController(nullptr);
}

bool UIViewController::initWithNibName(const std::string& nibName, NSBundle* bundle) {
  nibName_ = nibName;
  nibBundle_ = Ref<NSBundle>(bundle);
  return true;
}

UIView* UIViewController::view() {
  if (!view_) {
    loadView();
    if (view_) viewDidLoad();
  }
  return view_.get();
}

void UIViewController::setView(UIView* view) {
  if (view_ && view_->viewController() == this) view_->setViewController(nullptr);
  view_ = Ref<UIView>(view);
  if (view_) view_->setViewController(this);
}

void UIViewController::loadView() {
  if (nibName_.empty()) {
    Ref<UIView> plain = make<UIView>(UIScreen::mainScreen()->bounds());
    setView(plain.get());
    return;
  }
  Ref<UINib> nib = UINib::nibWithNibName(nibName_, nibBundle_.get());
  Ref<UIView> root = nib->instantiateWithOwner(this, layoutError_, [this](UIView* tree) { return layoutRefusal(tree); });
  if (!root) {
    NSLog("Layout refused: %s", layoutError_.c_str());
    return;
  }
  setView(root.get());
}

void UIViewController::didReceiveMemoryWarning() {
  if (view_ && view_->window() == nullptr) {
    setView(nullptr);
    viewDidUnload();
  }
}

UIResponder* UIViewController::nextResponder() const { return view_ ? view_->superview() : nullptr; }
