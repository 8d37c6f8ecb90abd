#include "uikit/UIPickerView.h"

#include <map>

#include "ControlsTestSupport.h"
#include "foundation/NSString.h"

namespace {

// A data source of two wheels (5 and 3 rows) and a delegate that titles rows "c:r", keeping the
// strings it hands out alive as the platform's +0 results require.
class ControlsPickerSource : public NSObject {
 public:
  static Class runtimeClass();
  static void registerMembers(Class cls) {
    class_addMethod(cls, sel_registerName("numberOfComponentsInPickerView:"),
                    +[](id self, SEL, id) -> NSInteger { return NSInteger(static_cast<ControlsPickerSource*>(self)->rows.size()); },
                    "q@:@");
    class_addMethod(cls, sel_registerName("pickerView:numberOfRowsInComponent:"),
                    +[](id self, SEL, id, NSInteger c) -> NSInteger { return static_cast<ControlsPickerSource*>(self)->rows.at(size_t(c)); },
                    "q@:@q");
  }
  std::vector<NSInteger> rows{5, 3};
};
OBJC_CLASS_WITH_MEMBERS(ControlsPickerSource, NSObject)

class ControlsPickerTitles : public NSObject {
 public:
  static Class runtimeClass();
  static void registerMembers(Class cls) {
    class_addMethod(cls, sel_registerName("pickerView:titleForRow:forComponent:"),
                    +[](id self, SEL, id, NSInteger row, NSInteger c) -> id {
                      Ref<NSString>& kept = static_cast<ControlsPickerTitles*>(self)->titles[{c, row}];
                      kept = NSString::stringWithFormat("%ld:%ld", c, row);
                      return kept.get();
                    },
                    "@@:@qq");
  }
  std::map<std::pair<NSInteger, NSInteger>, Ref<NSString>> titles;
};
OBJC_CLASS_WITH_MEMBERS(ControlsPickerTitles, NSObject)

using controls_test::TouchTest;
using UIPickerViewTest = TouchTest;

TEST_F(UIPickerViewTest, ReloadAsksTheDataSourceAndTakesTitlesOnlyFromADelegateThatGivesThem) {
  Ref<UIPickerView> picker = make<UIPickerView>();
  Ref<ControlsPickerSource> source = make<ControlsPickerSource>();
  picker->setDataSource(source.get());
  picker->setDelegate(log.get());  // answers no title
  picker->reloadAllComponents();
  ASSERT_EQ(picker->numberOfComponents(), 2);
  EXPECT_EQ(picker->numberOfRowsInComponent(1), 3);
  EXPECT_EQ(picker->titleForRow(2, 0), "");

  Ref<ControlsPickerTitles> titles = make<ControlsPickerTitles>();
  picker->setDelegate(titles.get());
  picker->selectRow(4, 0, false);
  picker->reloadAllComponents();
  EXPECT_EQ(picker->titleForRow(4, 0), "0:4");
  EXPECT_EQ(picker->titleForRow(2, 1), "1:2");
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
  source->rows = {5};
  Ref<ControlsPickerTitles> titles = make<ControlsPickerTitles>();
  picker->setDataSource(source.get());
  window->addSubview(picker);  // loads on appearing
  auto darkInMiddle = [&] {
    const CGImage shot = window->snapshot(1);
    int dark = 0;
    for (uint32_t y = 216 / 2 - 10; y < 216 / 2 + 10; ++y)
      for (uint32_t x = 0; x < 320; ++x) {
        const uint8_t* p = &shot.rgba[(y * shot.width + x) * 4];
        dark += p[0] < 80 && p[1] < 80 && p[2] < 80 && p[3] > 200;
      }
    return dark;
  };
  EXPECT_EQ(darkInMiddle(), 0);
  picker->setDelegate(titles.get());
  EXPECT_GT(darkInMiddle(), 20);
}

}  // namespace
