// Bar button items on a toolbar, worked by touches on a key window as a user would: the action
// reaches the target with the item as sender, a target that went away and a disabled item send
// nothing, and flexible spaces share the bar.
#include <gtest/gtest.h>

#include "TouchSteps.h"
#include "uikit/UIApplication.h"
#include "uikit/UIBarButtonItem.h"
#include "uikit/UIToolbar.h"
#include "uikit/UIWindow.h"

namespace bars_item_test {

class TapTarget : public NSObject {
 public:
  static Class runtimeClass();
  static void registerMembers(Class cls) {
    class_addMethod(cls, sel_registerName("close:"), +[](id self, SEL, id sender) {
      auto* target = static_cast<TapTarget*>(self);
      ++target->closes;
      target->sender = sender;
    }, "v@:@");
  }
  int closes = 0;
  id sender = nullptr;
};
OBJC_CLASS_WITH_MEMBERS(TapTarget, NSObject)

class BarButtonItemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window = make<UIWindow>(CGRectMake(0, 0, 320, 480));
    toolbar = make<UIToolbar>(CGRectMake(0, 436, 320, 44));
    window->addSubview(toolbar);
    window->makeKeyAndVisible();
  }
  Ref<UIWindow> window;
  Ref<UIToolbar> toolbar;
};

TEST_F(BarButtonItemTest, TapOnTheItemsButtonSendsTheActionWithTheItemAsSender) {
  Ref<TapTarget> target = make<TapTarget>();
  Ref<UIBarButtonItem> done = UIBarButtonItem::itemWithSystemItem(UIBarButtonSystemItem::Done, target.get(), sel_registerName("close:"));
  Ref<UIBarButtonItem> flexible = UIBarButtonItem::itemWithSystemItem(UIBarButtonSystemItem::FlexibleSpace);
  Ref<UIBarButtonItem> other = UIBarButtonItem::itemWithTitle("Other", UIBarButtonItemStyle::Plain, nullptr, nullptr);
  toolbar->setItems({other, flexible, done});
  window->layoutIfNeeded();

  ASSERT_NE(done->view(), nullptr);
  EXPECT_EQ(done->view()->superview(), toolbar.get());
  EXPECT_EQ(done->view()->currentTitle(), "Done");
  EXPECT_TRUE(done->view()->titleFont()->isBold());
  // What the finger hits is the item's own button.
  EXPECT_EQ(window->hitTest(centreInWindow(done->view()), nullptr), done->view());
  tapAt(centreInWindow(done->view()));
  EXPECT_EQ(target->closes, 1);
  EXPECT_EQ(target->sender, done.get());

  // A tap on the other item, or on the empty stretch between them, sends nothing to it.
  tapAt(centreInWindow(other->view()));
  tapAt(CGPointMake(160, 458));
  EXPECT_EQ(target->closes, 1);
}

TEST_F(BarButtonItemTest, ATargetThatWentAwayOrADisabledItemIsSkipped) {
  Ref<TapTarget> target = make<TapTarget>();
  Ref<UIBarButtonItem> item = UIBarButtonItem::itemWithTitle("Close", UIBarButtonItemStyle::Plain, target.get(), sel_registerName("close:"));
  toolbar->setItems({item});
  window->layoutIfNeeded();
  const CGPoint at = centreInWindow(item->view());

  item->setEnabled(false);
  tapAt(at);
  EXPECT_EQ(target->closes, 0);
  item->setEnabled(true);
  tapAt(at);
  EXPECT_EQ(target->closes, 1);

  target = nullptr;  // the target goes away; the item still names its action
  EXPECT_EQ(item->target(), nullptr);
  tapAt(at);  // would abort (or touch freed memory) if the item sent to it
  EXPECT_EQ(item->action(), sel_registerName("close:"));
}

TEST_F(BarButtonItemTest, FlexibleSpacesShareTheBarAndTitleChangesRelayout) {
  Ref<UIBarButtonItem> flexibleA = UIBarButtonItem::itemWithSystemItem(UIBarButtonSystemItem::FlexibleSpace);
  Ref<UIBarButtonItem> flexibleB = UIBarButtonItem::itemWithSystemItem(UIBarButtonSystemItem::FlexibleSpace);
  Ref<UIBarButtonItem> middle = UIBarButtonItem::itemWithTitle("Middle", UIBarButtonItemStyle::Plain, nullptr, nullptr);
  toolbar->setItems({flexibleA, middle, flexibleB});
  window->layoutIfNeeded();
  EXPECT_NEAR(CGRectGetMidX(middle->view()->frame()), 160, 0.5);
  EXPECT_EQ(flexibleA->view(), nullptr);  // spaces show nothing

  const double before = middle->view()->frame().size.width;
  middle->setTitle("A much longer title");
  window->layoutIfNeeded();
  EXPECT_GT(middle->view()->frame().size.width, before);
  EXPECT_EQ(middle->view()->currentTitle(), "A much longer title");
  EXPECT_NEAR(CGRectGetMidX(middle->view()->frame()), 160, 0.5);

  // A fixed space keeps its width; with no flexible space the items keep to the left.
  Ref<UIBarButtonItem> fixed = UIBarButtonItem::itemWithSystemItem(UIBarButtonSystemItem::FixedSpace);
  fixed->setWidth(50);
  Ref<UIBarButtonItem> first = UIBarButtonItem::itemWithTitle("First", UIBarButtonItemStyle::Plain, nullptr, nullptr);
  toolbar->setItems({first, fixed, middle});
  window->layoutIfNeeded();
  EXPECT_LT(first->view()->frame().origin.x, 20);
  EXPECT_DOUBLE_EQ(middle->view()->frame().origin.x, CGRectGetMaxX(first->view()->frame()) + 50);
  // The button of an item no longer shown leaves the bar.
  toolbar->setItems({first});
  window->layoutIfNeeded();
  EXPECT_EQ(middle->view()->superview(), nullptr);
}

}  // namespace bars_item_test
