#include "uikit/UIAlertView.h"

#include <gtest/gtest.h>

namespace {

struct RecordingDelegate : UIAlertViewDelegate {
  void alertViewClickedButtonAtIndex(UIAlertView* alert, long index) override {
    clicked = alert;
    button = index;
  }
  UIAlertView* clicked = nullptr;
  long button = -2;
};

Ref<NSString> str(const char* s) { return NSString::stringWithUTF8String(s); }

TEST(UIAlertView, ShowRecordsTheAlertUntilClearedAndDismissTellsTheDelegate) {
  UIAlertViewClearShownAlerts();
  RecordingDelegate delegate;
  auto alert = make<UIAlertView>(str("Title"), str("one\ntwo"), &delegate, str("Cancel"),
                                 std::vector<Ref<NSString>>{str("Save"), nullptr, str("Delete")});
  EXPECT_EQ(alert->buttonTitleAtIndex(2)->string(), "Delete");  // the nil title is skipped
  alert->dismissWithClickedButtonIndex(1, true);  // not shown: nothing to dismiss
  EXPECT_EQ(delegate.clicked, nullptr);
  EXPECT_TRUE(UIAlertViewShownAlerts().empty());

  alert->show();
  auto shown = UIAlertViewShownAlerts();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].get(), alert.get());
  EXPECT_EQ(shown[0]->message()->string(), "one\ntwo");
  alert->dismissWithClickedButtonIndex(1, true);
  EXPECT_EQ(delegate.clicked, alert.get());
  EXPECT_EQ(delegate.button, 1);
  EXPECT_FALSE(alert->isVisible());
  UIAlertViewClearShownAlerts();
  EXPECT_TRUE(UIAlertViewShownAlerts().empty());
}

}  // namespace
