// A button on a navigation bar or toolbar: a title (or one of the system's items) that sends
// its action to its target when tapped, or a space that separates the other items.
//
// The target is held weakly: a target that went away is skipped, never called. With no target
// the action goes up the responder chain, from the first responder (else from the item's
// button) to the first object that answers it. The bar shows the item through the item's own
// button (`view()`), so hit-testing, scripts and tests find and tap it like any button; every
// change of the item shows on the bar's next layout.
#pragma once

#include <optional>
#include <string>

#include "uikit/UIBarItem.h"
#include "uikit/UIButton.h"
#include "uikit/UIFont.h"

class UIEvent;
class UIResponder;

enum class UIBarButtonItemStyle : NSInteger { Plain = 0, Bordered = 1, Done = 2 };

enum class UIBarButtonSystemItem : NSInteger {
  Done = 0, Cancel = 1, Edit = 2, Save = 3, Add = 4, FlexibleSpace = 5, FixedSpace = 6,
  Compose = 7, Reply = 8, Action = 9, Organize = 10, Bookmarks = 11, Search = 12, Refresh = 13,
  Stop = 14, Camera = 15, Trash = 16, Play = 17, Pause = 18, Rewind = 19, FastForward = 20,
  Undo = 21, Redo = 22, PageCurl = 23,
};

class UIBarButtonItem : public UIBarItem {
 public:
  static Class runtimeClass();  // "UIBarButtonItem", a subclass of "UIBarItem"
  static void registerMembers(Class cls);
  UIBarButtonItem() = default;

  // initWithTitle:style:target:action: and initWithBarButtonSystemItem:target:action:, for an
  // item made with make<UIBarButtonItem>(); each answers the item.
  UIBarButtonItem* initWithTitle(const std::string& title, UIBarButtonItemStyle style, id target, SEL action);
  UIBarButtonItem* initWithBarButtonSystemItem(UIBarButtonSystemItem item, id target = nil, SEL action = nullptr);
  static Ref<UIBarButtonItem> itemWithTitle(const std::string& title, UIBarButtonItemStyle style, id target, SEL action);
  static Ref<UIBarButtonItem> itemWithSystemItem(UIBarButtonSystemItem item, id target = nil, SEL action = nullptr);

  UIBarButtonItemStyle style() const { return style_; }
  void setStyle(UIBarButtonItemStyle style);
  // The item's width in a bar; 0 lets the title decide (a fixed space of width 0 takes none).
  double width() const { return width_; }
  void setWidth(double width);
  NSObject* target() const { return target_.get(); }
  void setTarget(id target);
  SEL action() const { return action_; }
  void setAction(SEL action) { action_ = action; }
  // The system item the item was made as, if any.
  std::optional<UIBarButtonSystemItem> systemItem() const { return systemItem_; }
  void setSystemItem(UIBarButtonSystemItem item);

  bool isFlexibleSpace() const { return systemItem_ == UIBarButtonSystemItem::FlexibleSpace; }
  bool isSpace() const { return isFlexibleSpace() || systemItem_ == UIBarButtonSystemItem::FixedSpace; }
  // What the bar shows: the title, else the system item's; Done items are bold.
  std::string displayedTitle() const;
  UIFont* font() const;
  // The width the item takes in a bar (nothing for a flexible space: the bar shares out what is
  // left among those).
  double widthInBar() const;

  // The button that shows the item in a bar, made on first use; nil for a space.
  UIButton* view();

  // What a tap on the item's button does: nothing while disabled; else the action to the target,
  // skipped when the target went away, or up the responder chain from `from` with no target.
  void sendAction(UIEvent* event, UIResponder* from);

 protected:
  void itemDidChange() override;

 private:
  static void connectAction(UIBarButtonItem& item, id target, SEL action);
  static void buttonTapped(id self, SEL, id button, id event);
  void setStyleNumber(long style);
  void setSystemItemNumber(long item);
  void updateButton();

  UIBarButtonItemStyle style_ = UIBarButtonItemStyle::Plain;
  std::optional<UIBarButtonSystemItem> systemItem_;
  double width_ = 0;
  Weak<NSObject> target_;
  bool hasTarget_ = false;  // a target was given (and may have gone away since)
  SEL action_ = nullptr;
  Ref<UIButton> button_;
};
