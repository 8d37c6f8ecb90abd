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

TEST(UIAlertView, ShowRecordsTheAlertUntilCleared) {
  UIAlertViewClearShownAlerts();
  auto alert = make<UIAlertView>(str("Title"), str("line one\nline two"), nullptr, str("OK"));
  EXPECT_FALSE(alert->isVisible());
  EXPECT_TRUE(UIAlertViewShownAlerts().empty());
  alert->show();
  auto shown = UIAlertViewShownAlerts();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].get(), alert.get());
  EXPECT_EQ(shown[0]->title()->string(), "Title");
  EXPECT_EQ(shown[0]->message()->string(), "line one\nline two");
  EXPECT_TRUE(alert->isVisible());
  UIAlertViewClearShownAlerts();
  EXPECT_TRUE(UIAlertViewShownAlerts().empty());
}

TEST(UIAlertView, ButtonsAndDelegate) {
  RecordingDelegate delegate;
  auto alert = make<UIAlertView>(str("T"), nullptr, &delegate, str("Cancel"),
                                 std::vector<Ref<NSString>>{str("Save"), nullptr, str("Delete")});
  EXPECT_EQ(alert->numberOfButtons(), 3);
  EXPECT_EQ(alert->cancelButtonIndex(), 0);
  EXPECT_EQ(alert->buttonTitleAtIndex(2)->string(), "Delete");
  EXPECT_EQ(alert->buttonTitleAtIndex(3), nullptr);

  alert->dismissWithClickedButtonIndex(1, true);  // not shown yet: nothing to dismiss
  EXPECT_EQ(delegate.clicked, nullptr);
  alert->show();
  alert->dismissWithClickedButtonIndex(1, true);
  EXPECT_EQ(delegate.clicked, alert.get());
  EXPECT_EQ(delegate.button, 1);
  EXPECT_FALSE(alert->isVisible());
  UIAlertViewClearShownAlerts();

  auto noCancel = make<UIAlertView>(str("T"), str("m"), nullptr, nullptr);
  EXPECT_EQ(noCancel->cancelButtonIndex(), -1);
  EXPECT_EQ(noCancel->numberOfButtons(), 0);
}

}  // namespace
