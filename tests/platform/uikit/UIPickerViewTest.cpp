#include "uikit/UIPickerView.h"

#include "ControlsTestSupport.h"
#include "foundation/NSString.h"

namespace {

// A data source of wheels with the given row counts, which as a delegate titles rows "c:r"
// (autoreleased, as the platform's +0 results are).
class ControlsPickerSource : public NSObject {
 public:
  static Class runtimeClass();
  static void registerMembers(Class cls) {
    class_addMethod(cls, sel_registerName("numberOfComponentsInPickerView:"),
                    +[](id self, SEL, id) { return NSInteger(static_cast<ControlsPickerSource*>(self)->rows.size()); }, "q@:@");
    class_addMethod(cls, sel_registerName("pickerView:numberOfRowsInComponent:"),
                    +[](id self, SEL, id, NSInteger c) { return static_cast<ControlsPickerSource*>(self)->rows.at(size_t(c)); }, "q@:@q");
    class_addMethod(cls, sel_registerName("pickerView:titleForRow:forComponent:"),
                    +[](id, SEL, id, NSInteger row, NSInteger c) {
                      return objc_autorelease(NSString::stringWithFormat("%ld:%ld", c, row).get());
                    },
                    "@@:@qq");
  }
  std::vector<NSInteger> rows{5, 3};
};
OBJC_CLASS_WITH_MEMBERS(ControlsPickerSource, NSObject)

using UIPickerViewTest = controls_test::TouchTest;

TEST_F(UIPickerViewTest, ReloadAsksTheDataSourceAndTakesTitlesOnlyFromADelegateThatGivesThem) {
  Ref<UIPickerView> picker = make<UIPickerView>();
  Ref<ControlsPickerSource> source = make<ControlsPickerSource>();
  picker->setDataSource(source.get());
  picker->setDelegate(actions.get());  // answers no title
  picker->selectRow(4, 0, false);
  ASSERT_EQ(picker->numberOfComponents(), 2);
  EXPECT_EQ(picker->numberOfRowsInComponent(1), 3);
  EXPECT_EQ(picker->titleForRow(2, 0), "");
  picker->setDelegate(source.get());
  EXPECT_EQ(picker->titleForRow(4, 0), "0:4");
  // Fewer rows: the selection moves to the last one; a data source that went away leaves none.
  source->rows = {2};
  picker->reloadAllComponents();
  EXPECT_EQ(picker->selectedRowInComponent(0), 1);
  source = nullptr;
  picker->reloadAllComponents();
  EXPECT_EQ(picker->numberOfComponents(), 0);
}

// The selected row's title is drawn dark between the hairlines in the middle; blank rows are not.
TEST_F(UIPickerViewTest, DrawsTheSelectedTitleInTheMiddleWhenTheDelegateGivesOne) {
  Ref<UIPickerView> picker = make<UIPickerView>();
  picker->setBackgroundColor(UIColor::whiteColor());
  Ref<ControlsPickerSource> source = make<ControlsPickerSource>();
  picker->setDataSource(source.get());
  window->addSubview(picker);  // loads on appearing
  auto darkInMiddle = [&] {
    const CGImage shot = window->snapshot(1);
    int dark = 0;
    for (uint32_t y = 216 / 2 - 10; y < 216 / 2 + 10; ++y)
      for (uint32_t x = 0; x < 320; ++x) dark += shot.rgba[(y * shot.width + x) * 4 + 1] < 80;
    return dark;
  };
  EXPECT_EQ(darkInMiddle(), 0);
  picker->setDelegate(source.get());
  EXPECT_GT(darkInMiddle(), 20);
}

// A short picker's outer rows turn towards its edges: they are cut there, never drawn over the
// views above and below it.
TEST_F(UIPickerViewTest, RowsNearTheEdgesStayInsideThePicker) {
  Ref<UIPickerView> picker = make<UIPickerView>(CGRectMake(0, 100, 320, 96));
  Ref<ControlsPickerSource> source = make<ControlsPickerSource>();
  picker->setDataSource(source.get());
  picker->setDelegate(source.get());
  window->addSubview(picker);
  picker->selectRow(2, 0, false);  // two rows above and two below
  const CGImage shot = window->snapshot(2);
  int inside = 0, outside = 0;
  for (uint32_t y = 0; y < shot.height; ++y)
    for (uint32_t x = 0; x < shot.width; ++x)
      if (shot.rgba[(y * shot.width + x) * 4 + 3] > 0) ++(y >= 200 && y < 392 ? inside : outside);
  EXPECT_GT(inside, 100);
  EXPECT_EQ(outside, 0);
}

}  // namespace
