// A sheet of choices that slides up from the bottom of the screen over a dimmed window, as on an
// iOS 7 phone: the title in small grey, the buttons in one rounded white group (the destructive
// one in red, the others in the tint colour), the cancel button bold in a group of its own below.
//
// Button indices are the platform's: the destructive button first (if any), then the other
// buttons in order, then the cancel button last; buttons added later follow. A tap on a button
// takes the sheet (and its dimming) off the screen and then tells the delegate, which is held
// weakly and reached through the runtime, each operation optional:
//   actionSheet:clickedButtonAtIndex:       void(id, SEL, id, NSInteger)
//   actionSheet:willDismissWithButtonIndex: void(id, SEL, id, NSInteger)
//   actionSheet:didDismissWithButtonIndex:  void(id, SEL, id, NSInteger)
// dismissWithClickedButtonIndex:animated: from code sends only the two dismissal messages, as on
// the platform. A tap on the dimmed area outside the sheet does nothing, as on the phone.
//
// Each button is a real UIButton subview titled with its title, so tests and scripts find it.
#pragma once

#include <string>
#include <vector>

#include "uikit/UIButton.h"
#include "uikit/UIView.h"

class UIActionSheet : public UIView {
 public:
  static Class runtimeClass();  // "UIActionSheet", a subclass of "UIView"
  static void registerMembers(Class cls);
  UIActionSheet() = default;
  // initWithTitle:delegate:cancelButtonTitle:destructiveButtonTitle:otherButtonTitles:. An empty
  // title or button title means none.
  UIActionSheet(const std::string& title, NSObject* delegate, const std::string& cancelButtonTitle,
                const std::string& destructiveButtonTitle, const std::vector<std::string>& otherButtonTitles);

  const std::string& title() const { return title_; }
  void setTitle(const std::string& title);
  NSObject* delegate() const { return delegate_.get(); }
  void setDelegate(NSObject* delegate) { delegate_ = Weak<NSObject>(delegate); }

  NSInteger addButtonWithTitle(const std::string& title);  // answers its index
  NSInteger numberOfButtons() const { return NSInteger(titles_.size()); }
  std::string buttonTitleAtIndex(NSInteger index) const;  // empty outside the range
  NSInteger cancelButtonIndex() const { return cancelIndex_; }  // -1: none
  void setCancelButtonIndex(NSInteger index);
  NSInteger destructiveButtonIndex() const { return destructiveIndex_; }  // -1: none
  void setDestructiveButtonIndex(NSInteger index);
  NSInteger firstOtherButtonIndex() const;  // -1: none
  // The button showing that index while the sheet is on screen, else nil.
  UIButton* buttonAtIndex(NSInteger index) const;

  bool isVisible() const { return superview() != nullptr; }
  // Covers the view's window (or, outside a window, the top of its tree) with a dimming layer
  // and slides the sheet up from the bottom. Hit-testing finds the buttons where they end up at
  // once.
  void showInView(UIView* view);
  void dismissWithClickedButtonIndex(NSInteger buttonIndex, bool animated);

  void layoutSubviews() override;
  void drawRect(CGContext& context, CGRect rect) override;

 protected:
  void didMoveToSuperview() override;

 private:
  struct Layout {
    double height = 0;
    CGRect mainGroup{}, cancelGroup{}, titleArea{};
    std::vector<CGRect> buttonFrames;  // by index
  };
  Layout layoutForWidth(double width) const;
  void makeButtons();
  void dismiss(NSInteger buttonIndex, bool clicked);
  void tellDelegate(const char* selector, NSInteger buttonIndex);
  static void buttonTapped(id self, SEL, id sender);

  std::string title_;
  Weak<NSObject> delegate_;
  std::vector<std::string> titles_;
  NSInteger cancelIndex_ = -1;
  NSInteger destructiveIndex_ = -1;
  std::vector<Ref<UIButton>> buttons_;  // by index, while shown
  Ref<UIView> dimmingView_;
};
