// A layout of the controls loaded as the panel's will be: each property takes whatever order the
// loader sets them in (by name: a slider's maximum before its minimum, a segment's selection
// before its titles), and connections and actions land.
#include "ControlsTestSupport.h"
#include "uikit/UIImageView.h"
#include "uikit/UINib.h"
#include "uikit/UIPickerView.h"
#include "uikit/UIScrollView.h"
#include "uikit/UISegmentedControl.h"
#include "uikit/UISlider.h"
#include "uikit/UISwitch.h"

namespace {

const char* kLayout = R"(<dict><key>class</key><string>UIScrollView</string><key>name</key><string>scroll</string>
  <key>properties</key><dict><key>contentSize</key><string>{640, 206}</string><key>pagingEnabled</key><true/>
    <key>bounces</key><false/><key>scrollEnabled</key><true/><key>showsHorizontalScrollIndicator</key><false/>
    <key>showsVerticalScrollIndicator</key><false/></dict>
  <key>connections</key><dict><key>delegate</key><string>owner</string></dict>
  <key>subviews</key><array>
    <dict><key>class</key><string>UISlider</string><key>name</key><string>gain</string>
      <key>properties</key><dict><key>minimumValue</key><real>-12</real><key>maximumValue</key><real>-2</real>
        <key>value</key><real>-5</real><key>continuous</key><false/></dict>
      <key>actions</key><dict><key>valueChanged</key><string>changed:</string></dict></dict>
    <dict><key>class</key><string>UISwitch</string><key>name</key><string>power</string>
      <key>properties</key><dict><key>on</key><true/></dict></dict>
    <dict><key>class</key><string>UISegmentedControl</string><key>name</key><string>type</string>
      <key>properties</key><dict><key>titles</key><array><string>Low</string><string>High</string><string>Shelf</string></array>
        <key>selectedSegmentIndex</key><integer>2</integer><key>momentary</key><false/></dict></dict>
    <dict><key>class</key><string>UIPickerView</string><key>name</key><string>picker</string>
      <key>connections</key><dict><key>dataSource</key><string>owner</string><key>delegate</key><string>owner</string></dict></dict>
    <dict><key>class</key><string>UIImageView</string><key>properties</key><dict><key>imageFile</key><string>/no.png</string></dict></dict>
  </array></dict>)";

template <class T>
T* named(UIView* root, const std::string& name) {
  for (const Ref<UIView>& sub : root->allSubviews())
    if (sub->accessibilityIdentifier() == name) return dynamic_cast<T*>(sub.get());
  return nullptr;
}

using ControlsLayout = controls_test::TouchTest;

TEST_F(ControlsLayout, EveryControlTakesItsLayoutPropertiesConnectionsAndActions) {
  writeLayout("Controls", kLayout);
  Ref<controls_test::ControlsActionLog> owner = make<controls_test::ControlsActionLog>();
  std::string error;
  Ref<UIView> root = UINib::nibWithNibName("Controls", bundle().get())->instantiateWithOwner(owner.get(), error);
  ASSERT_TRUE(root) << error;

  auto* scroll = dynamic_cast<UIScrollView*>(root.get());
  ASSERT_NE(scroll, nullptr);
  EXPECT_EQ(scroll->contentSize(), CGSizeMake(640, 206));
  EXPECT_TRUE(scroll->isPagingEnabled());
  EXPECT_EQ(scroll->delegate(), owner.get());
  auto* gain = named<UISlider>(root.get(), "gain");
  ASSERT_NE(gain, nullptr);
  EXPECT_EQ(gain->minimumValue(), -12);
  EXPECT_EQ(gain->maximumValue(), -2);
  EXPECT_EQ(gain->value(), -5);
  EXPECT_EQ(gain->actionsForTarget(owner.get(), UIControlEventValueChanged).size(), 1u);
  ASSERT_NE(named<UISwitch>(root.get(), "power"), nullptr);
  EXPECT_TRUE(named<UISwitch>(root.get(), "power")->isOn());
  auto* type = named<UISegmentedControl>(root.get(), "type");
  ASSERT_NE(type, nullptr);
  EXPECT_EQ(type->titleForSegmentAtIndex(2), "Shelf");
  EXPECT_EQ(type->selectedSegmentIndex(), 2);
  ASSERT_NE(named<UIPickerView>(root.get(), "picker"), nullptr);
  EXPECT_EQ(named<UIPickerView>(root.get(), "picker")->dataSource(), owner.get());
}

}  // namespace
