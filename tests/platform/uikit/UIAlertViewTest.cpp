#include "uikit/UIAlertView.h"

#include <gtest/gtest.h>

namespace {

// A delegate as the system's objects are: a runtime method by the platform's selector.
struct RecordingDelegate : NSObject {
  UIAlertView* clicked = nullptr;
  long button = -2;
  static void clickedButton(id self, SEL, id alert, NSInteger index) {
    auto* me = static_cast<RecordingDelegate*>(self);
    me->clicked = static_cast<UIAlertView*>(alert);
    me->button = index;
  }
  static Class cls() {
    static Class c = [] {
      Class k = objc_registerClass("AlertRecordingDelegate", objc_rootClass());
      class_addMethod(k, sel_registerName("alertView:clickedButtonAtIndex:"), &clickedButton, "v@:@q");
      return k;
    }();
    return c;
  }
};

Ref<NSString> str(const char* s) { return NSString::stringWithUTF8String(s); }

TEST(UIAlertView, ShowRecordsTheAlertUntilClearedAndDismissTellsTheDelegate) {
  UIAlertViewForgetVisibleAlerts();
  Ref<RecordingDelegate> delegate = objc_make<RecordingDelegate>(RecordingDelegate::cls());
  auto alert = make<UIAlertView>(str("Title"), str("one\ntwo"), delegate.get(), str("Cancel"),
                                 std::vector<Ref<NSString>>{str("Save"), nullptr, str("Delete")});
  EXPECT_EQ(alert->buttonTitleAtIndex(2)->string(), "Delete");  // the nil title is skipped
  alert->dismissWithClickedButtonIndex(1, true);  // not shown: nothing to dismiss
  EXPECT_EQ(delegate->clicked, nullptr);
  EXPECT_TRUE(UIAlertViewVisibleAlerts().empty());

  alert->show();
  auto shown = UIAlertViewVisibleAlerts();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].get(), alert.get());
  EXPECT_EQ(shown[0]->message()->string(), "one\ntwo");
  alert->dismissWithClickedButtonIndex(1, true);
  EXPECT_EQ(delegate->clicked, alert.get());
  EXPECT_EQ(delegate->button, 1);
  EXPECT_FALSE(alert->isVisible());
  EXPECT_TRUE(UIAlertViewVisibleAlerts().empty());  // a dismissed alert leaves the list

  alert->show();
  ASSERT_EQ(UIAlertViewVisibleAlerts().size(), 1u);
  UIAlertViewForgetVisibleAlerts();
  EXPECT_TRUE(UIAlertViewVisibleAlerts().empty());
}

}  // namespace
