// A tap outside a shown popover asks the delegate first: NO keeps it, YES (or a delegate that
// does not answer) dismisses it; a tap on the content asks nothing.
#include <gtest/gtest.h>

#include "TouchSteps.h"
#include "uikit/UIApplication.h"
#include "uikit/UIPopoverController.h"
#include "uikit/UIWindow.h"

namespace bars_popover_test {

class PopoverDelegate : public NSObject {
 public:
  static Class runtimeClass();
  static void registerMembers(Class cls) {
    class_addMethod(cls, sel_registerName("popoverControllerShouldDismissPopover:"), +[](id self, SEL, id popover) {
      auto* d = static_cast<PopoverDelegate*>(self);
      ++d->asked;
      d->askedAbout = popover;
      return d->answer;
    }, "B@:@");
    class_addMethod(cls, sel_registerName("popoverControllerDidDismissPopover:"), +[](id self, SEL, id) {
      ++static_cast<PopoverDelegate*>(self)->dismissed;
    }, "v@:@");
  }
  bool answer = false;
  int asked = 0, dismissed = 0;
  id askedAbout = nullptr;
};
OBJC_CLASS_WITH_MEMBERS(PopoverDelegate, NSObject)

class PopoverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window = make<UIWindow>(CGRectMake(0, 0, 320, 480));
    window->makeKeyAndVisible();
    content = make<UIViewController>();
    content->setView(make<UIView>(CGRectMake(0, 0, 200, 100)).get());
    popover = make<UIPopoverController>();
    popover->initWithContentViewController(content.get());
    popover->setDelegate(delegate.get());
    popover->presentPopoverFromRect(CGRectMake(10, 10, 20, 20), window.get(), UIPopoverArrowDirectionAny, false);
  }
  Ref<UIWindow> window;
  Ref<UIViewController> content;
  Ref<UIPopoverController> popover;
  Ref<PopoverDelegate> delegate = make<PopoverDelegate>();
};

TEST_F(PopoverTest, ShownCentredOverTheWindow) {
  ASSERT_TRUE(popover->isPopoverVisible());
  EXPECT_EQ(content->view()->window(), window.get());
  EXPECT_EQ(content->view()->convertRectToView(content->view()->bounds(), nullptr), CGRectMake(60, 190, 200, 100));
}

TEST_F(PopoverTest, StaysWhenTheDelegateSaysNo) {
  tapAt(CGPointMake(160, 240));  // on the content
  EXPECT_EQ(delegate->asked, 0);
  tapAt(CGPointMake(10, 10));
  EXPECT_EQ(delegate->asked, 1);
  EXPECT_EQ(delegate->askedAbout, popover.get());
  EXPECT_TRUE(popover->isPopoverVisible());
  EXPECT_EQ(content->view()->window(), window.get());
  EXPECT_EQ(delegate->dismissed, 0);

  delegate->answer = true;
  tapAt(CGPointMake(10, 10));
  EXPECT_EQ(delegate->asked, 2);
  EXPECT_FALSE(popover->isPopoverVisible());
  EXPECT_EQ(content->view()->window(), nullptr);
  EXPECT_EQ(delegate->dismissed, 1);
}

TEST_F(PopoverTest, WithoutADelegateATapOutsideDismissesAndCodeDismissesSilently) {
  popover->setDelegate(nullptr);
  tapAt(CGPointMake(300, 460));
  EXPECT_FALSE(popover->isPopoverVisible());

  popover->setDelegate(delegate.get());
  popover->presentPopoverFromRect(CGRectZero, window.get(), UIPopoverArrowDirectionAny, false);
  ASSERT_TRUE(popover->isPopoverVisible());
  popover->dismissPopoverAnimated(false);
  EXPECT_FALSE(popover->isPopoverVisible());
  EXPECT_EQ(delegate->asked, 0);
  EXPECT_EQ(delegate->dismissed, 0);
  tapAt(CGPointMake(300, 460));  // nothing left to catch it
  EXPECT_EQ(delegate->asked, 0);
}

}  // namespace bars_popover_test
