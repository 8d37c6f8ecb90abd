#include "uikit/UIActionSheet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TouchSteps.h"
#include "UIKitFixture.h"

namespace {

struct SheetDelegate : NSObject {
  NSInteger clicked = -1;
  bool sheetGoneWhenTold = false;
  std::vector<std::string> log;
  static int calls;  // kept outside the object, to see that a delegate gone is never called

  static void clickedButton(id self, SEL, id sheet, NSInteger index) {
    auto* me = static_cast<SheetDelegate*>(self);
    ++calls;
    me->clicked = index;
    me->sheetGoneWhenTold = static_cast<UIActionSheet*>(sheet)->superview() == nullptr;
    me->log.push_back("clicked " + std::to_string(index));
  }
  static void didDismiss(id self, SEL, id, NSInteger index) {
    static_cast<SheetDelegate*>(self)->log.push_back("dismissed " + std::to_string(index));
  }
  static Class cls() {
    static Class c = [] {
      Class k = objc_registerClass("ListsSheetTestDelegate", objc_rootClass());
      class_addMethod(k, sel_registerName("actionSheet:clickedButtonAtIndex:"), &clickedButton, "v@:@q");
      class_addMethod(k, sel_registerName("actionSheet:didDismissWithButtonIndex:"), &didDismiss, "v@:@q");
      return k;
    }();
    return c;
  }
};
int SheetDelegate::calls = 0;

TEST(UIActionSheet, IndicesPutTheDestructiveButtonFirstTheOthersInOrderAndCancelLast) {
  struct Case {
    std::string destructive, cancel;
    std::vector<std::string> others;
    std::vector<std::string> order;  // titles by index, as the platform numbers them
    NSInteger destructiveIndex, firstOther, cancelIndex;
  };
  const std::vector<Case> cases = {
      {"Reset", "Cancel", {"Load", "Save"}, {"Reset", "Load", "Save", "Cancel"}, 0, 1, 3},
      {"Reset", "Cancel", {}, {"Reset", "Cancel"}, 0, -1, 1},
      {"Reset", "", {"Load", "Save"}, {"Reset", "Load", "Save"}, 0, 1, -1},
      {"Reset", "", {}, {"Reset"}, 0, -1, -1},
      {"", "Cancel", {"Load", "Save"}, {"Load", "Save", "Cancel"}, -1, 0, 2},
      {"", "Cancel", {}, {"Cancel"}, -1, -1, 0},
      {"", "", {"Load", "Save"}, {"Load", "Save"}, -1, 0, -1},
      {"", "", {}, {}, -1, -1, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("destructive \"" + c.destructive + "\", cancel \"" + c.cancel + "\", " +
                 std::to_string(c.others.size()) + " others");
    auto sheet = make<UIActionSheet>("Options", nullptr, c.cancel, c.destructive, c.others);
    ASSERT_EQ(sheet->numberOfButtons(), NSInteger(c.order.size()));
    for (size_t i = 0; i < c.order.size(); ++i) EXPECT_EQ(sheet->buttonTitleAtIndex(NSInteger(i)), c.order[i]);
    EXPECT_EQ(sheet->destructiveButtonIndex(), c.destructiveIndex);
    EXPECT_EQ(sheet->firstOtherButtonIndex(), c.firstOther);
    EXPECT_EQ(sheet->cancelButtonIndex(), c.cancelIndex);
    EXPECT_EQ(sheet->buttonTitleAtIndex(NSInteger(c.order.size())), "");
    // A button added later follows every other, and the cancel index stays.
    EXPECT_EQ(sheet->addButtonWithTitle("More"), NSInteger(c.order.size()));
    EXPECT_EQ(sheet->cancelButtonIndex(), c.cancelIndex);
  }
}

class SheetOnScreen : public UIKitFixture {
 protected:
  void SetUp() override {
    UIKitFixture::SetUp();
    panel = make<UIView>(CGRectMake(0, 20, 320, 548));
    window->addSubview(panel);
    delegate = objc_make<SheetDelegate>(SheetDelegate::cls());
    sheet = make<UIActionSheet>("Options", delegate.get(), "Cancel", "Reset to defaults",
                                std::vector<std::string>{"Load", "Save"});
    SheetDelegate::calls = 0;
  }

  Ref<UIView> panel;
  Ref<SheetDelegate> delegate;
  Ref<UIActionSheet> sheet;
};

TEST_F(SheetOnScreen, ATapOnAButtonDismissesTheSheetAndThenTellsTheDelegateItsIndex) {
  sheet->showInView(panel.get());
  EXPECT_EQ(sheet->superview(), window.get()) << "the sheet covers the whole window";
  EXPECT_EQ(window->allSubviews().size(), 3u) << "the panel, the dimming and the sheet";
  EXPECT_DOUBLE_EQ(CGRectGetMaxY(sheet->frame()), 568);

  tapAt(CGPointMake(160, 100));  // the dimmed area: nothing happens on a phone
  EXPECT_TRUE(sheet->isVisible());
  EXPECT_EQ(SheetDelegate::calls, 0);

  // Tapped at once, while the sheet still slides up: the button is hit where it ends up.
  UIButton* save = findButton(window.get(), "Save");
  ASSERT_NE(save, nullptr);
  tapAt(centreInWindow(save));
  EXPECT_FALSE(sheet->isVisible());
  EXPECT_EQ(delegate->clicked, 2);
  EXPECT_TRUE(delegate->sheetGoneWhenTold);
  EXPECT_EQ(delegate->log, (std::vector<std::string>{"clicked 2", "dismissed 2"}));
  ASSERT_EQ(window->allSubviews().size(), 1u) << "the dimming goes with the sheet";
  EXPECT_EQ(window->allSubviews()[0].get(), panel.get());
}

TEST_F(SheetOnScreen, EachButtonIsFoundByItsTitleAndDismissingFromCodeDoesNotClick) {
  sheet->showInView(panel.get());
  const std::vector<std::string> titles = {"Reset to defaults", "Load", "Save", "Cancel"};
  double lastBottom = 0;
  for (size_t i = 0; i < titles.size(); ++i) {
    UIButton* button = findButton(window.get(), titles[i]);
    ASSERT_NE(button, nullptr) << titles[i];
    EXPECT_EQ(button, sheet->buttonAtIndex(NSInteger(i)));
    const CGRect f = button->convertRectToView(button->bounds(), nullptr);
    EXPECT_GE(f.origin.y, lastBottom) << "buttons run down the screen in index order";
    EXPECT_LE(CGRectGetMaxY(f), 568);
    lastBottom = CGRectGetMaxY(f);
  }
  sheet->dismissWithClickedButtonIndex(3, true);
  EXPECT_FALSE(sheet->isVisible());
  EXPECT_EQ(delegate->log, std::vector<std::string>{"dismissed 3"});
}

TEST_F(SheetOnScreen, ADelegateThatWentAwayIsNotCalled) {
  sheet->showInView(panel.get());
  delegate = nullptr;
  EXPECT_EQ(sheet->delegate(), nullptr);
  UIButton* cancel = findButton(window.get(), "Cancel");
  ASSERT_NE(cancel, nullptr);
  tapAt(centreInWindow(cancel));
  EXPECT_FALSE(sheet->isVisible());
  EXPECT_EQ(SheetDelegate::calls, 0);
}

}  // namespace
