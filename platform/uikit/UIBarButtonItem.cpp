#include "uikit/UIBarButtonItem.h"

#include <algorithm>
#include <cmath>

#include "uikit/UIApplication.h"
#include "uikit/UIEvent.h"

OBJC_CLASS_WITH_MEMBERS(UIBarButtonItem, UIBarItem)

namespace {

// Room on each side of an item's title, inside its button, so the finger has some margin.
constexpr double kTitlePadding = 6;

SEL buttonTappedSelector() {
  static SEL sel = sel_registerName("_barButtonTapped:withEvent:");
  return sel;
}

// The titles that stand for the system's items (the platform draws some of them as icons).
const char* systemTitle(UIBarButtonSystemItem item) {
  switch (item) {
    case UIBarButtonSystemItem::Done: return "Done";
    case UIBarButtonSystemItem::Cancel: return "Cancel";
    case UIBarButtonSystemItem::Edit: return "Edit";
    case UIBarButtonSystemItem::Save: return "Save";
    case UIBarButtonSystemItem::Add: return "+";
    case UIBarButtonSystemItem::FlexibleSpace:
    case UIBarButtonSystemItem::FixedSpace: return "";
    case UIBarButtonSystemItem::Compose: return "Compose";
    case UIBarButtonSystemItem::Reply: return "Reply";
    case UIBarButtonSystemItem::Action: return "Share";
    case UIBarButtonSystemItem::Organize: return "Organize";
    case UIBarButtonSystemItem::Bookmarks: return "Bookmarks";
    case UIBarButtonSystemItem::Search: return "Search";
    case UIBarButtonSystemItem::Refresh: return "Refresh";
    case UIBarButtonSystemItem::Stop: return "Stop";
    case UIBarButtonSystemItem::Camera: return "Camera";
    case UIBarButtonSystemItem::Trash: return "Trash";
    case UIBarButtonSystemItem::Play: return "Play";
    case UIBarButtonSystemItem::Pause: return "Pause";
    case UIBarButtonSystemItem::Rewind: return "Rewind";
    case UIBarButtonSystemItem::FastForward: return "Fast Forward";
    case UIBarButtonSystemItem::Undo: return "Undo";
    case UIBarButtonSystemItem::Redo: return "Redo";
    case UIBarButtonSystemItem::PageCurl: return "Page";
  }
  return "";
}

}  // namespace

void UIBarButtonItem::registerMembers(Class cls) {
  class_addMethod(cls, buttonTappedSelector(), &UIBarButtonItem::buttonTapped, "v@:@@");
  class_addProperty(cls, "style", &UIBarButtonItem::setStyleNumber);
  class_addProperty(cls, "width", &UIBarButtonItem::setWidth);
  class_addProperty(cls, "systemItem", &UIBarButtonItem::setSystemItemNumber);
  class_addEvent(cls, "action", &UIBarButtonItem::connectAction);
}

UIBarButtonItem* UIBarButtonItem::initWithTitle(const std::string& title, UIBarButtonItemStyle style, id target,
                                                SEL action) {
  setTitle(title);
  setStyle(style);
  setTarget(target);
  setAction(action);
  return this;
}

UIBarButtonItem* UIBarButtonItem::initWithBarButtonSystemItem(UIBarButtonSystemItem item, id target, SEL action) {
  setSystemItem(item);
  setTarget(target);
  setAction(action);
  return this;
}

Ref<UIBarButtonItem> UIBarButtonItem::itemWithTitle(const std::string& title, UIBarButtonItemStyle style, id target,
                                                    SEL action) {
  Ref<UIBarButtonItem> item = make<UIBarButtonItem>();
  item->initWithTitle(title, style, target, action);
  return item;
}

Ref<UIBarButtonItem> UIBarButtonItem::itemWithSystemItem(UIBarButtonSystemItem item, id target, SEL action) {
  Ref<UIBarButtonItem> made = make<UIBarButtonItem>();
  made->initWithBarButtonSystemItem(item, target, action);
  return made;
}

void UIBarButtonItem::connectAction(UIBarButtonItem& item, id target, SEL action) {
  item.setTarget(target);
  item.setAction(action);
}

void UIBarButtonItem::setStyle(UIBarButtonItemStyle style) {
  style_ = style;
  itemDidChange();
}

void UIBarButtonItem::setStyleNumber(long style) { setStyle(UIBarButtonItemStyle(std::clamp(style, 0L, 2L))); }

void UIBarButtonItem::setWidth(double width) {
  width_ = std::isfinite(width) ? std::max(0.0, width) : 0.0;
  itemDidChange();
}

void UIBarButtonItem::setTarget(id target) {
  target_ = Weak<NSObject>(target);
  hasTarget_ = target != nullptr;
}

void UIBarButtonItem::setSystemItem(UIBarButtonSystemItem item) {
  systemItem_ = item;
  itemDidChange();
}

// A number the platform does not define leaves the item as it was.
void UIBarButtonItem::setSystemItemNumber(long item) {
  if (item >= 0 && item <= long(UIBarButtonSystemItem::PageCurl)) setSystemItem(UIBarButtonSystemItem(item));
}

std::string UIBarButtonItem::displayedTitle() const {
  if (!title().empty() || !systemItem_) return title();
  return systemTitle(*systemItem_);
}

UIFont* UIBarButtonItem::font() const {
  if (systemItem_ == UIBarButtonSystemItem::Add) return UIFont::systemFontOfSize(24);
  const bool bold = style_ == UIBarButtonItemStyle::Done || systemItem_ == UIBarButtonSystemItem::Done;
  return bold ? UIFont::boldSystemFontOfSize(17) : UIFont::systemFontOfSize(17);
}

double UIBarButtonItem::widthInBar() const {
  if (isFlexibleSpace()) return 0;
  if (width_ > 0 || isSpace()) return width_;
  double content = 0;
  if (UIImage* picture = image()) content = picture->size().width;
  else if (const std::string text = displayedTitle(); !text.empty())
    content = CGTextMeasure(text, font()->cgFont(), 0, CGLineBreak::Clip, 1).width;
  return content + 2 * kTitlePadding;
}

UIButton* UIBarButtonItem::view() {
  if (isSpace()) return nullptr;
  if (!button_) {
    button_ = UIButton::buttonWithType(UIButtonType::System);
    button_->addTarget(this, buttonTappedSelector(), UIControlEventTouchUpInside);
    updateButton();
  }
  return button_.get();
}

void UIBarButtonItem::updateButton() {
  if (!button_) return;
  button_->setTitleForState(image() ? std::string() : displayedTitle(), UIControlStateNormal);
  button_->setImageForState(image(), UIControlStateNormal);
  button_->setTitleFont(font());
  button_->setEnabled(isEnabled());
  button_->setAccessibilityIdentifier(accessibilityIdentifier());
}

void UIBarButtonItem::itemDidChange() {
  updateButton();
  // The item's width may have changed: the bar showing it lays its items out again.
  if (button_ && button_->superview()) button_->superview()->setNeedsLayout();
  if (isSpace() && button_) button_->removeFromSuperview();
}

void UIBarButtonItem::buttonTapped(id self, SEL, id button, id event) {
  static_cast<UIBarButtonItem*>(self)->sendAction(dynamic_cast<UIEvent*>(event), dynamic_cast<UIResponder*>(button));
}

void UIBarButtonItem::sendAction(UIEvent* event, UIResponder* from) {
  if (!isEnabled() || action_ == nullptr) return;
  Ref<UIBarButtonItem> keep(this);
  if (hasTarget_) {
    if (Ref<NSObject> target = target_.lock()) objc_sendAction(target.get(), action_, this, event);
    return;
  }
  const UIResponder* start = UIApplication::sharedApplication()->firstResponder();
  if (start == nullptr) start = from;
  for (const UIResponder* r = start; r != nullptr; r = r->nextResponder()) {
    if (class_respondsToAction(r->isa, action_)) {
      Ref<NSObject> target(const_cast<UIResponder*>(r));
      objc_sendAction(target.get(), action_, this, event);
      return;
    }
  }
}
