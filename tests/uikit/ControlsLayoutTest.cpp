// A layout holding each of the controls, loaded as the panel's will be: every property a layout
// may give them takes, whatever order the loader sets them in, and connections and actions land.
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "ControlsTestSupport.h"
#include "foundation/DeviceRoot.h"
#include "uikit/UIImageView.h"
#include "uikit/UINib.h"
#include "uikit/UIPickerView.h"
#include "uikit/UIScrollView.h"
#include "uikit/UISegmentedControl.h"
#include "uikit/UISlider.h"
#include "uikit/UISwitch.h"

namespace {

const char* kLayout = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
  <key>class</key><string>UIView</string>
  <key>frame</key><string>{{0, 0}, {320, 480}}</string>
  <key>subviews</key><array>
    <dict><key>class</key><string>UIScrollView</string><key>name</key><string>scroll</string>
      <key>frame</key><string>{{0, 0}, {320, 206}}</string>
      <key>properties</key><dict>
        <key>contentSize</key><string>{640, 206}</string>
        <key>pagingEnabled</key><true/><key>bounces</key><false/><key>scrollEnabled</key><true/>
        <key>showsHorizontalScrollIndicator</key><false/><key>showsVerticalScrollIndicator</key><false/>
      </dict>
      <key>connections</key><dict><key>delegate</key><string>owner</string></dict>
      <key>subviews</key><array>
        <dict><key>class</key><string>UISlider</string><key>name</key><string>gain</string>
          <key>frame</key><string>{{20, 20}, {280, 34}}</string>
          <key>properties</key><dict><key>minimumValue</key><real>-12</real><key>maximumValue</key><real>-2</real>
            <key>value</key><real>-5</real><key>continuous</key><false/></dict>
          <key>actions</key><dict><key>valueChanged</key><string>changed:</string></dict></dict>
        <dict><key>class</key><string>UISwitch</string><key>name</key><string>power</string>
          <key>frame</key><string>{{20, 70}, {100, 100}}</string>
          <key>properties</key><dict><key>on</key><true/></dict></dict>
        <dict><key>class</key><string>UISegmentedControl</string><key>name</key><string>type</string>
          <key>frame</key><string>{{20, 120}, {280, 29}}</string>
          <key>properties</key><dict><key>titles</key><array><string>Low</string><string>High</string><string>Shelf</string></array>
            <key>selectedSegmentIndex</key><integer>2</integer><key>momentary</key><false/></dict></dict>
        <dict><key>class</key><string>UIPickerView</string><key>name</key><string>picker</string>
          <key>connections</key><dict><key>dataSource</key><string>owner</string><key>delegate</key><string>owner</string></dict></dict>
        <dict><key>class</key><string>UIImageView</string><key>name</key><string>art</string>
          <key>properties</key><dict><key>imageFile</key><string>/nowhere.png</string></dict></dict>
      </array></dict>
  </array>
</dict></plist>
)";

UIView* named(UIView* root, const std::string& name) {
  if (root->accessibilityIdentifier() == name) return root;
  for (const Ref<UIView>& sub : root->allSubviews())
    if (UIView* found = named(sub.get(), name)) return found;
  return nullptr;
}

TEST(ControlsLayout, EveryControlTakesItsLayoutPropertiesConnectionsAndActions) {
  char pattern[] = "/tmp/tunely-controls-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  DeviceRootSet(pattern);
  std::filesystem::create_directories(DevicePathToHost("/Layouts"));
  std::ofstream(DevicePathToHost("/Layouts/Controls.plist")) << kLayout;

  Ref<controls_test::ControlsActionLog> owner = make<controls_test::ControlsActionLog>();
  Ref<NSBundle> bundle = NSBundle::bundleWithPath("/Layouts");
  Ref<UINib> nib = UINib::nibWithNibName("Controls", bundle.get());
  std::string error;
  Ref<UIView> root = nib->instantiateWithOwner(owner.get(), error);
  std::filesystem::remove_all(pattern);
  ASSERT_TRUE(root) << error;

  auto* scroll = dynamic_cast<UIScrollView*>(named(root.get(), "scroll"));
  ASSERT_NE(scroll, nullptr);
  EXPECT_EQ(scroll->contentSize(), CGSizeMake(640, 206));
  EXPECT_TRUE(scroll->isPagingEnabled());
  EXPECT_FALSE(scroll->bounces());
  EXPECT_FALSE(scroll->showsHorizontalScrollIndicator());
  EXPECT_EQ(scroll->delegate(), owner.get());

  auto* gain = dynamic_cast<UISlider*>(named(root.get(), "gain"));
  ASSERT_NE(gain, nullptr);
  EXPECT_EQ(gain->minimumValue(), -12);
  EXPECT_EQ(gain->maximumValue(), -2);
  EXPECT_EQ(gain->value(), -5);
  EXPECT_FALSE(gain->isContinuous());
  EXPECT_EQ(gain->actionsForTarget(owner.get(), UIControlEventValueChanged),
            std::vector<SEL>{controls_test::ControlsActionLog::changedSelector()});

  auto* power = dynamic_cast<UISwitch*>(named(root.get(), "power"));
  ASSERT_NE(power, nullptr);
  EXPECT_TRUE(power->isOn());
  EXPECT_EQ(power->frame().size, UISwitch::kSize);

  auto* type = dynamic_cast<UISegmentedControl*>(named(root.get(), "type"));
  ASSERT_NE(type, nullptr);
  EXPECT_EQ(type->numberOfSegments(), 3u);
  EXPECT_EQ(type->titleForSegmentAtIndex(2), "Shelf");
  EXPECT_EQ(type->selectedSegmentIndex(), 2);

  auto* picker = dynamic_cast<UIPickerView*>(named(root.get(), "picker"));
  ASSERT_NE(picker, nullptr);
  EXPECT_EQ(picker->dataSource(), owner.get());
  auto* art = dynamic_cast<UIImageView*>(named(root.get(), "art"));
  ASSERT_NE(art, nullptr);
  EXPECT_EQ(art->image(), nullptr);
  EXPECT_FALSE(art->isUserInteractionEnabled());
}

}  // namespace
