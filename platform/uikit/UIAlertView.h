// A modal alert: a title, a message and buttons. Showing one records it in a process-wide list
// of the alerts showing, until it is dismissed (which releases it), and prints it to standard error as one line
// so a user of the command-line player sees it. When there is a key window it also goes on
// screen as on iOS 7: the window dimmed, and in its centre a white rounded box with the title in
// bold, the message wrapped below it, and the buttons under hairlines (two side by side, more
// stacked, the cancel button bold). A message too long for the screen is cut with an ellipsis.
//
// A tap on a button, or dismissWithClickedButtonIndex:animated: from code, takes the alert off
// the screen and then tells the delegate, which is held weakly and reached through the runtime,
// each operation optional:
//   alertView:clickedButtonAtIndex:       void(id, SEL, id, NSInteger)
//   alertView:didDismissWithButtonIndex:  void(id, SEL, id, NSInteger)
//
// Each button is a real UIButton subview titled with its title, so tests and scripts find it.
#pragma once

#include <string>
#include <vector>

#include "foundation/NSString.h"
#include "uikit/UIButton.h"
#include "uikit/UIView.h"

class UIAlertView : public UIView {
 public:
  static Class runtimeClass();  // "UIAlertView", a subclass of "UIView"
  static void registerMembers(Class cls);
  UIAlertView() = default;
  // initWithTitle:message:delegate:cancelButtonTitle:otherButtonTitles:. The cancel button (if
  // any) has index 0, the other buttons follow; nil titles are skipped.
  UIAlertView(Ref<NSString> title, Ref<NSString> message, NSObject* delegate, Ref<NSString> cancelButtonTitle,
              std::vector<Ref<NSString>> otherButtonTitles = {});

  NSString* title() const { return title_.get(); }
  NSString* message() const { return message_.get(); }
  NSObject* delegate() const { return delegate_.get(); }
  void setDelegate(NSObject* delegate) { delegate_ = Weak<NSObject>(delegate); }
  long cancelButtonIndex() const { return cancelButtonTitle_ ? 0 : -1; }
  long numberOfButtons() const { return static_cast<long>(buttons_.size()); }
  NSString* buttonTitleAtIndex(long index) const;
  // The button showing that index while the alert is on screen, else nil.
  UIButton* buttonAtIndex(long index) const;
  // From show until dismissed, on screen or not.
  bool isVisible() const { return visible_; }

  void show();
  // Whether show() prints the alert to standard error (it does by default): a front end that
  // shows the screen to a person turns it off while it does.
  static void setEchoesToStandardError(bool echoes);
  // Dismisses the alert as a tap on the button would, telling the delegate.
  void dismissWithClickedButtonIndex(long buttonIndex, bool animated);

  void layoutSubviews() override;
  void drawRect(CGContext& context, CGRect rect) override;

 protected:
  void didMoveToSuperview() override;

 private:
  struct Layout {
    CGSize size{};
    CGRect title{}, message{};
    std::string messageText;  // the message, or as much of it as fits, ending in an ellipsis
    double buttonsTop = 0;
    bool sideBySide = false;
    std::vector<CGRect> buttonFrames;  // by index
  };
  Layout layoutWithin(double maxHeight) const;
  void putOnScreen(UIView* window);
  void tellDelegate(const char* selector, long buttonIndex);
  static void buttonTapped(id self, SEL, id sender);

  Ref<NSString> title_;
  Ref<NSString> message_;
  Weak<NSObject> delegate_;
  Ref<NSString> cancelButtonTitle_;
  std::vector<Ref<NSString>> buttons_;
  bool visible_ = false;
  double maxHeight_ = 0;  // the room the alert had when it went on screen
  mutable std::string fittedMessage_;  // the message cut to the room it had last
  mutable double fittedFor_ = -1;
  std::vector<Ref<UIButton>> buttonViews_;
  Ref<UIView> dimmingView_;
};

// The alerts showing: shown and not yet dismissed (on screen or, without a key window, only
// printed), oldest first.
std::vector<Ref<UIAlertView>> UIAlertViewVisibleAlerts();
// Drops them from the list without dismissing them (between tests).
void UIAlertViewForgetVisibleAlerts();
