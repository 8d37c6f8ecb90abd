// A modal alert: a title, a message and buttons. Showing one records it in a process-wide list,
// where the player's front ends and tests read it, and prints it to standard error as one line
// so a user of the command-line player sees it.
#pragma once

#include <string>
#include <vector>

#include "foundation/NSString.h"
#include "objc/NSObject.h"

class UIAlertView;

// The alert's delegate protocol: told which button dismissed the alert.
class UIAlertViewDelegate {
 public:
  virtual ~UIAlertViewDelegate() = default;
  virtual void alertViewClickedButtonAtIndex(UIAlertView* alertView, long buttonIndex) = 0;
};

class UIAlertView : public NSObject {
 public:
  // initWithTitle:message:delegate:cancelButtonTitle:otherButtonTitles:. The delegate is not
  // owned. The cancel button (if any) has index 0, the other buttons follow.
  UIAlertView(Ref<NSString> title, Ref<NSString> message, UIAlertViewDelegate* delegate,
              Ref<NSString> cancelButtonTitle, std::vector<Ref<NSString>> otherButtonTitles = {});

  NSString* title() const { return title_.get(); }
  NSString* message() const { return message_.get(); }
  UIAlertViewDelegate* delegate() const { return delegate_; }
  long cancelButtonIndex() const { return cancelButtonTitle_ ? 0 : -1; }
  long numberOfButtons() const { return static_cast<long>(buttons_.size()); }
  NSString* buttonTitleAtIndex(long index) const;
  bool isVisible() const { return visible_; }

  void show();
  // Dismisses the alert as a tap on the button would, telling the delegate.
  void dismissWithClickedButtonIndex(long buttonIndex, bool animated);

 private:
  Ref<NSString> title_;
  Ref<NSString> message_;
  UIAlertViewDelegate* delegate_;
  Ref<NSString> cancelButtonTitle_;
  std::vector<Ref<NSString>> buttons_;
  bool visible_ = false;
};

// Every alert shown since the last clear, oldest first.
std::vector<Ref<UIAlertView>> UIAlertViewShownAlerts();
void UIAlertViewClearShownAlerts();
