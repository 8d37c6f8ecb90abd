// A layout's read-out: a label bound to a slider shows the slider's value in the layout's format
// when the layout loads, while a finger drags the thumb and when code sets the value; a read-out
// that names no slider, a view that is not one, or a format that cannot write a number, refuses
// the whole layout with a message naming the place.
#include <gtest/gtest.h>

#include "TouchSteps.h"
#include "UIKitFixture.h"
#include "uikit/SliderReadout.h"
#include "uikit/UILabel.h"
#include "uikit/UISlider.h"
#include "uikit/UIViewController.h"

namespace {

class ReadoutOwner : public UIViewController {
 public:
  static Class runtimeClass();
  static void registerMembers(Class cls) {
    class_addOutlet(cls, "band", &ReadoutOwner::band);
    class_addOutlet(cls, "bandValue", &ReadoutOwner::bandValue);
  }
  Weak<UISlider> band;
  Weak<UILabel> bandValue;
};
OBJC_CLASS_WITH_MEMBERS(ReadoutOwner, UIViewController)

// The read-out comes before its slider in the file: names are resolved once all are made.
std::string layoutWithReadout(const std::string& readout) {
  return R"(<dict><key>class</key><string>UIView</string>
    <key>frame</key><string>{{0, 0}, {320, 200}}</string>
    <key>subviews</key><array>
      <dict><key>class</key><string>UILabel</string>
        <key>frame</key><string>{{200, 10}, {100, 16}}</string>
        <key>outlet</key><string>bandValue</string>
        <key>properties</key><dict><key>text</key><string>placeholder</string></dict>)" +
         readout + R"(</dict>
      <dict><key>class</key><string>UIButton</string><key>name</key><string>reset</string></dict>
      <dict><key>class</key><string>UISlider</string>
        <key>frame</key><string>{{20, 100}, {200, 28}}</string>
        <key>outlet</key><string>band</string>
        <key>properties</key><dict><key>minimumValue</key><real>-12</real>
          <key>maximumValue</key><real>12</real><key>value</key><real>-4.5</real></dict></dict>
    </array></dict>)";
}

std::string readout(const std::string& slider, const std::string& format) {
  return "<key>readout</key><dict><key>slider</key><string>" + slider + "</string><key>format</key><string>" +
         format + "</string></dict>";
}

class SliderReadoutTest : public UIKitFixture {
 protected:
  Ref<ReadoutOwner> load(const std::string& body) {
    writeLayout("Bands", body);
    Ref<ReadoutOwner> owner = make<ReadoutOwner>();
    owner->initWithNibName("Bands", bundle().get());
    return owner;
  }
};

TEST_F(SliderReadoutTest, TheLabelFollowsTheSliderOnLoadOnDragAndWhenCodeSetsIt) {
  Ref<ReadoutOwner> owner = load(layoutWithReadout(readout("band", "%+.1f dB")));
  UIView* root = owner->view();
  ASSERT_NE(root, nullptr) << owner->layoutError();
  ASSERT_TRUE(owner->band && owner->bandValue);
  EXPECT_EQ(owner->bandValue->text(), "-4.5 dB");  // the layout's value, not the label's own text

  window->addSubview(root);
  UISlider* slider = owner->band.get();
  const CGPoint thumb = centreInWindow(slider->allSubviews().front().get());
  touchDown(thumb);
  touchMove(CGPointMake(thumb.x + 500, thumb.y));  // past the right end: the maximum
  EXPECT_EQ(owner->bandValue->text(), "+12.0 dB");
  touchMove(CGPointMake(thumb.x - 500, thumb.y));
  touchUp(CGPointMake(thumb.x - 500, thumb.y));
  EXPECT_EQ(owner->bandValue->text(), "-12.0 dB");

  slider->setValue(3.5f);
  EXPECT_EQ(owner->bandValue->text(), "+3.5 dB");
  slider->setValue(7, true);  // animated: the read-out shows where the thumb is going
  EXPECT_EQ(owner->bandValue->text(), "+7.0 dB");
  slider->setMaximumValue(6);  // a narrower range clamps the value
  EXPECT_EQ(owner->bandValue->text(), "+6.0 dB");
  EXPECT_TRUE(log.empty());
}

TEST_F(SliderReadoutTest, ASliderOutlivingItsReadOutGoesOnWithoutIt) {
  Ref<ReadoutOwner> owner = load(layoutWithReadout(readout("band", "%.0f")));
  ASSERT_NE(owner->view(), nullptr) << owner->layoutError();
  Ref<UISlider> slider(owner->band.get());
  owner->setView(nullptr);
  ASSERT_FALSE(owner->bandValue);
  slider->setValue(2);
  EXPECT_EQ(slider->value(), 2);
}

TEST_F(SliderReadoutTest, ABadReadOutRefusesTheLayoutWithAMessageNamingIt) {
  const std::pair<std::string, std::string> cases[] = {
      {readout("bnad", "%.1f dB"), "Bands: subviews[0].readout.slider: no element is named \"bnad\""},
      {readout("reset", "%.1f dB"), "Bands: subviews[0].readout.slider: \"reset\" is a UIButton, not a slider"},
      {readout("bandValue", "%.1f dB"), "Bands: subviews[0].readout.slider: \"bandValue\" is a UILabel, not a slider"},
      {readout("band", "dB"), "Bands: subviews[0].readout.format: \"dB\": expected a format with one number conversion"},
      {readout("band", "%.1f to %.1f"), "Bands: subviews[0].readout.format: \"%.1f to %.1f\": expected a format"},
      {readout("band", "%d dB"), "Bands: subviews[0].readout.format: \"%d dB\": expected a format"},
      {readout("band", "%s"), "Bands: subviews[0].readout.format: \"%s\": expected a format"},
      {readout("band", "%Lf"), "Bands: subviews[0].readout.format: \"%Lf\": expected a format"},
      {readout("band", "%*f"), "Bands: subviews[0].readout.format: \"%*f\": expected a format"},
      {readout("band", "%.1f %"), "Bands: subviews[0].readout.format: \"%.1f %\": expected a format"},
      {readout("band", "%.100f"), "Bands: subviews[0].readout.format: \"%.100\": a width or precision of more than two"},
      {readout("band", "%999f"), "Bands: subviews[0].readout.format: \"%999\": a width or precision of more than two"},
      {"<key>readout</key><dict><key>slider</key><string>band</string></dict>",
       "Bands: subviews[0].readout: a read-out needs a \"format\""},
      {"<key>readout</key><dict><key>format</key><string>%g</string></dict>",
       "Bands: subviews[0].readout: a read-out names its \"slider\""},
      {"<key>readout</key><dict><key>slider</key><string>band</string><key>format</key><string>%g</string>"
       "<key>units</key><string>dB</string></dict>",
       "Bands: subviews[0].readout.units: unknown key"},
      {"<key>readout</key><string>band</string>", "Bands: subviews[0].readout: expected a dictionary"},
  };
  for (const auto& [fault, message] : cases) {
    log.clear();
    Ref<ReadoutOwner> owner = load(layoutWithReadout(fault));
    EXPECT_EQ(owner->view(), nullptr) << message;
    EXPECT_EQ(owner->layoutError().substr(0, message.size()), message);
    EXPECT_FALSE(owner->band) << message;  // nothing reached the owner
    EXPECT_FALSE(owner->bandValue) << message;
    ASSERT_EQ(log.size(), 1u) << message;
  }

  // Only a label reads out a value.
  log.clear();
  Ref<ReadoutOwner> owner = load(R"(<dict><key>class</key><string>UIView</string><key>subviews</key><array>
      <dict><key>class</key><string>UISlider</string><key>outlet</key><string>band</string></dict>
      <dict><key>class</key><string>UIButton</string>)" + readout("band", "%g") + R"(</dict>
    </array></dict>)");
  EXPECT_EQ(owner->view(), nullptr);
  EXPECT_EQ(owner->layoutError(), "Bands: subviews[1].readout: only a label reads out a slider");
  EXPECT_FALSE(owner->band);
}

TEST(SliderReadoutFormat, PercentSignsFlagsAndWidthsAreWrittenAsPrintfWritesThem) {
  EXPECT_EQ(sliderReadoutFormatRefusal("%+05.1f%% of 100%%"), "");
  EXPECT_EQ(sliderReadoutText("%+05.1f%% of 100%%", 2.25f), "+02.2% of 100%");
  EXPECT_EQ(sliderReadoutText("%-6g|", 0.5f), "0.5   |");
  EXPECT_EQ(sliderReadoutText("%.2e", -1500), "-1.50e+03");
}

}  // namespace
