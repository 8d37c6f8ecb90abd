#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TouchSteps.h"
#include "UIKitFixture.h"
#include "uikit/UIAlertView.h"

namespace {

struct AlertDelegate : NSObject {
  std::vector<std::string> log;
  bool alertGoneWhenTold = false;
  static void clicked(id self, SEL, id alert, NSInteger index) {
    auto* me = static_cast<AlertDelegate*>(self);
    me->log.push_back("clicked " + std::to_string(index));
    me->alertGoneWhenTold = static_cast<UIAlertView*>(alert)->superview() == nullptr;
  }
  static Class cls() {
    static Class c = [] {
      Class k = objc_registerClass("ListsAlertTestDelegate", objc_rootClass());
      class_addMethod(k, sel_registerName("alertView:clickedButtonAtIndex:"), &clicked, "v@:@q");
      return k;
    }();
    return c;
  }
};

Ref<NSString> str(const std::string& s) { return NSString::stringWithString(s); }

class AlertOnScreen : public UIKitFixture {
 protected:
  void SetUp() override {
    UIKitFixture::SetUp();
    UIAlertViewForgetVisibleAlerts();
    delegate = objc_make<AlertDelegate>(AlertDelegate::cls());
  }
  void TearDown() override {
    UIAlertViewForgetVisibleAlerts();
    UIKitFixture::TearDown();
  }

  // Paragraphs of about a hundred and sixty characters, separated by empty lines.
  static std::string paragraphs(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
      if (i > 0) text += "\n\n";
      text += "Paragraph " + std::to_string(i + 1) +
              ": the equalizer shapes the sound of every song you play, and this line only makes the "
              "paragraph long enough to wrap.";
    }
    return text;
  }

  Ref<AlertDelegate> delegate;
};

TEST_F(AlertOnScreen, ATapOnAButtonTakesTheAlertAwayAndThenTellsTheDelegate) {
  auto alert = make<UIAlertView>(str("Save preset?"), str("It replaces the one of that name."), delegate.get(),
                                 str("Cancel"), std::vector<Ref<NSString>>{str("Replace")});
  alert->show();
  ASSERT_EQ(alert->superview(), window.get());
  EXPECT_EQ(window->allSubviews().size(), 2u) << "the dimming layer and the alert";
  UIButton* cancel = findButton(window.get(), "Cancel");
  UIButton* replace = findButton(window.get(), "Replace");
  ASSERT_TRUE(cancel && replace);
  EXPECT_LT(cancel->frame().origin.x, replace->frame().origin.x) << "two buttons side by side, cancel left";
  EXPECT_DOUBLE_EQ(cancel->frame().origin.y, replace->frame().origin.y);

  tapAt(centreInWindow(replace));
  EXPECT_FALSE(alert->isVisible());
  EXPECT_EQ(delegate->log, std::vector<std::string>{"clicked 1"});
  EXPECT_TRUE(delegate->alertGoneWhenTold);
  EXPECT_TRUE(window->allSubviews().empty());
  EXPECT_TRUE(UIAlertViewVisibleAlerts().empty());
  // Nothing but this test holds a dismissed alert.
  const Weak<UIAlertView> gone(alert.get());
  alert = Ref<UIAlertView>();
  EXPECT_EQ(gone.get(), nullptr);
}

TEST_F(AlertOnScreen, ALongMessageMakesATallerAlertThatStillFitsTheScreenAndDelegateGoneIsSkipped) {
  auto shortAlert = make<UIAlertView>(str("About"), str("One line."), nullptr, str("Dismiss"));
  auto about = make<UIAlertView>(str("About Tunely"), str(paragraphs(5)), delegate.get(), str("Dismiss"),
                                 std::vector<Ref<NSString>>{str("Visit"), str("Mail")});
  auto endless = make<UIAlertView>(str("Log"), str(paragraphs(60)), nullptr, str("Dismiss"));
  shortAlert->show();
  about->show();
  endless->show();
  const CGRect screen = window->bounds();
  EXPECT_GT(about->frame().size.height, shortAlert->frame().size.height + 100);
  for (UIAlertView* alert : {shortAlert.get(), about.get(), endless.get()}) {
    const CGRect f = alert->frame();
    EXPECT_GE(f.origin.y, 0);
    EXPECT_LE(CGRectGetMaxY(f), CGRectGetMaxY(screen));
    EXPECT_NEAR(CGRectGetMidX(f), CGRectGetMidX(screen), 1);
  }
  // Three buttons stack, the cancel button at the bottom, inside the box.
  const CGRect visit = about->buttonAtIndex(1)->frame(), mail = about->buttonAtIndex(2)->frame();
  const CGRect dismiss = about->buttonAtIndex(0)->frame();
  EXPECT_LT(visit.origin.y, mail.origin.y);
  EXPECT_LT(mail.origin.y, dismiss.origin.y);
  EXPECT_LE(CGRectGetMaxY(dismiss), about->bounds().size.height);

  delegate = nullptr;
  about->dismissWithClickedButtonIndex(0, true);  // the delegate is gone: nothing to tell
  EXPECT_FALSE(about->isVisible());
  EXPECT_EQ(about->superview(), nullptr);
}

}  // namespace
