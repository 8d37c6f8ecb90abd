// Layout files: a good one makes its views, fills the owner's outlets and wires its actions; a
// bad one is refused whole with one message naming the file and the place.
#include <gtest/gtest.h>

#include "UIKitFixture.h"
#include "foundation/FileLayer.h"
#include "uikit/UIButton.h"
#include "uikit/UILabel.h"
#include "uikit/UIViewController.h"

namespace {

class LayoutOwner : public UIViewController {
 public:
  static Class runtimeClass();
  static void registerMembers(Class cls) {
    class_addOutlet(cls, "titleLabel", &LayoutOwner::titleLabel);
    class_addOutlet(cls, "okButton", &LayoutOwner::okButton);
    class_addOutlet(cls, "footer", &LayoutOwner::footer);
    class_addMethod(cls, sel_registerName("okHit:"), &okHit, "v@:@");
    class_addMethod(cls, sel_registerName("reset"), &reset, "v@:");
  }
  Weak<UILabel> titleLabel;
  Weak<UIButton> okButton;
  Ref<UIView> footer;  // retained
  int okHits = 0, resets = 0;
  id lastSender = nullptr;

 private:
  static void okHit(id self, SEL, id sender) {
    static_cast<LayoutOwner*>(self)->okHits++;
    static_cast<LayoutOwner*>(self)->lastSender = sender;
  }
  static void reset(id self, SEL) { static_cast<LayoutOwner*>(self)->resets++; }
};
OBJC_CLASS_WITH_MEMBERS(LayoutOwner, UIViewController)

const char* kGoodLayout = R"(<dict>
  <key>class</key><string>UIView</string>
  <key>frame</key><string>{{0, 20}, {320, 548}}</string>
  <key>properties</key><dict><key>backgroundColor</key><string>#FFFFFF</string></dict>
  <key>subviews</key><array>
    <dict><key>class</key><string>UILabel</string>
      <key>frame</key><string>{{10, 10}, {300, 30}}</string>
      <key>outlet</key><string>titleLabel</string>
      <key>properties</key><dict><key>text</key><string>Hello</string>
        <key>numberOfLines</key><integer>2</integer></dict></dict>
    <dict><key>class</key><string>UIView</string>
      <key>frame</key><string>{{0, 100}, {320, 100}}</string>
      <key>outlet</key><string>footer</string>
      <key>subviews</key><array>
        <dict><key>class</key><string>UIButton</string>
          <key>frame</key><string>{{20, 20}, {100, 44}}</string>
          <key>outlet</key><string>okButton</string>
          <key>properties</key><dict><key>title</key><string>OK</string>
            <key>buttonType</key><integer>1</integer></dict>
          <key>actions</key><dict><key>touchUpInside</key><string>okHit:</string>
            <key>touchDown</key><string>reset</string></dict></dict>
        <dict><key>class</key><string>UIView</string><key>name</key><string>spacer</string></dict>
      </array></dict>
  </array>
</dict>)";

class LayoutLoaderTest : public UIKitFixture {
 protected:
  Ref<LayoutOwner> load(const std::string& body) {
    writeLayout("Panel", body);
    Ref<LayoutOwner> owner = make<LayoutOwner>();
    owner->initWithNibName("Panel", bundle().get());
    return owner;
  }
};

TEST_F(LayoutLoaderTest, AGoodLayoutMakesItsViewsFillsOutletsAndWiresActions) {
  Ref<LayoutOwner> owner = load(kGoodLayout);
  EXPECT_FALSE(owner->isViewLoaded());  // nothing is loaded before the view is asked for
  UIView* root = owner->view();
  ASSERT_NE(root, nullptr) << owner->layoutError();
  EXPECT_EQ(root->frame(), CGRectMake(0, 20, 320, 548));
  EXPECT_EQ(root->backgroundColor()->cgColor(), (CGColor{1, 1, 1, 1}));
  ASSERT_TRUE(owner->titleLabel);
  EXPECT_EQ(owner->titleLabel->text(), "Hello");
  EXPECT_EQ(owner->titleLabel->numberOfLines(), 2);
  EXPECT_EQ(owner->titleLabel->accessibilityIdentifier(), "titleLabel");
  ASSERT_TRUE(owner->footer);
  EXPECT_EQ(owner->footer->superview(), root);
  ASSERT_TRUE(owner->okButton);
  EXPECT_EQ(owner->okButton->superview(), owner->footer.get());
  EXPECT_EQ(owner->okButton->titleForState(UIControlStateNormal), "OK");
  EXPECT_EQ(owner->footer->allSubviews().at(1)->accessibilityIdentifier(), "spacer");
  EXPECT_EQ(root->nextResponder(), owner.get());

  // The wiring works through a real touch: down sends reset, up inside sends okHit: with the button.
  window->addSubview(root);
  tap(20 + 50, 20 + 100 + 20 + 22);
  EXPECT_EQ(owner->resets, 1);
  EXPECT_EQ(owner->okHits, 1);
  EXPECT_EQ(owner->lastSender, owner->okButton.get());
  EXPECT_TRUE(log.empty());
}

TEST_F(LayoutLoaderTest, WeakOutletsLetGoWhileTheRetainedOneKeepsItsView) {
  Ref<LayoutOwner> owner = load(kGoodLayout);
  ASSERT_NE(owner->view(), nullptr);
  Ref<UIView> footer = owner->footer;
  owner->setView(nullptr);  // the tree goes, but for what the owner retains
  EXPECT_FALSE(owner->titleLabel);
  EXPECT_TRUE(owner->okButton);  // kept alive by the retained footer
  owner->footer = nullptr;
  footer = nullptr;
  EXPECT_FALSE(owner->okButton);
}

// Each fault, and the one message that names the file and the place.
TEST_F(LayoutLoaderTest, EachKindOfBadLayoutIsRefusedWholeWithItsMessage) {
  const std::string label = R"(<dict><key>class</key><string>UILabel</string><key>outlet</key><string>titleLabel</string></dict>)";
  auto root = [&](const std::string& third) {
    return "<dict><key>class</key><string>UIView</string><key>subviews</key><array>" + label +
           R"(<dict><key>class</key><string>UIButton</string><key>outlet</key><string>okButton</string></dict>)" + third +
           "</array></dict>";
  };
  const std::pair<std::string, std::string> cases[] = {
      {"<dict><key>class</key>", "Panel: not a property list"},
      {root(R"(<dict><key>class</key><string>UISlidr</string></dict>)"),
       "Panel: subviews[2].class: unknown class \"UISlidr\""},
      {root(R"(<dict><key>class</key><string>UILabel</string><key>properties</key><dict><key>numberOfLines</key><string>two</string></dict></dict>)"),
       "Panel: subviews[2].numberOfLines: expected a number"},
      {root(R"(<dict><key>class</key><string>UILabel</string><key>properties</key><dict><key>maximumValue</key><real>1</real></dict></dict>)"),
       "Panel: subviews[2].maximumValue: a UILabel has no property \"maximumValue\""},
      {root(R"(<dict><key>class</key><string>UIView</string><key>frame</key><string>{{0, 0}, {1}}</string></dict>)"),
       "Panel: subviews[2].frame: expected a rectangle \"{{x, y}, {width, height}}\""},
      {root(R"(<dict><key>class</key><string>UIView</string><key>outlet</key><string>gainSlider</string></dict>)"),
       "Panel: subviews[2].outlet: the owner (LayoutOwner) has no outlet \"gainSlider\""},
      {root(R"(<dict><key>class</key><string>UIButton</string><key>actions</key><dict><key>touchUpInside</key><string>gainChanged:</string></dict></dict>)"),
       "Panel: subviews[2].actions.touchUpInside: the owner (LayoutOwner) has no action gainChanged:"},
      {root(R"(<dict><key>class</key><string>UIButton</string><key>actions</key><dict><key>swiped</key><string>okHit:</string></dict></dict>)"),
       "Panel: subviews[2].actions.swiped: a UIButton has no event \"swiped\""},
      {root(R"(<dict><key>class</key><string>UIView</string><key>colour</key><string>red</string></dict>)"),
       "Panel: subviews[2].colour: unknown key"},
      // The outlet exists but wants another class: refused after every view was made.
      {R"(<dict><key>class</key><string>UIView</string><key>subviews</key><array>
           <dict><key>class</key><string>UIButton</string><key>outlet</key><string>okButton</string></dict>
           <dict><key>class</key><string>UIView</string><key>outlet</key><string>titleLabel</string></dict>
         </array></dict>)",
       "Panel: subviews[1].outlet: expected a UILabel"},
  };
  for (const auto& [body, message] : cases) {
    log.clear();
    Ref<LayoutOwner> owner = load(body);
    EXPECT_EQ(owner->view(), nullptr) << message;
    EXPECT_EQ(owner->layoutError().substr(0, message.size()), message);
    EXPECT_FALSE(owner->titleLabel) << message;  // nothing reached the owner
    EXPECT_FALSE(owner->okButton) << message;
    EXPECT_FALSE(owner->footer) << message;
    ASSERT_EQ(log.size(), 1u) << message;
    EXPECT_NE(log[0].find(message), std::string::npos) << log[0];
  }
}

TEST_F(LayoutLoaderTest, AMissingLayoutLeavesTheViewNilAndTriesAgainWhenAskedAgain) {
  Ref<LayoutOwner> owner = make<LayoutOwner>();
  owner->initWithNibName("Absent", bundle().get());
  EXPECT_EQ(owner->view(), nullptr);
  EXPECT_EQ(owner->layoutError(), "Absent: the layout file cannot be found");
  writeLayout("Absent", kGoodLayout);
  EXPECT_NE(owner->view(), nullptr);
  EXPECT_TRUE(owner->layoutError().empty());
}

// A layout past the size a file may have is called too large, not missing.
TEST_F(LayoutLoaderTest, ALayoutOverTheSizeLimitIsCalledTooLarge) {
  writeLayout("Huge", kGoodLayout);
  std::filesystem::resize_file(DevicePathToHost(std::string(kBundle) + "/Huge.plist"), kFileReadLimit + 1);
  Ref<LayoutOwner> owner = make<LayoutOwner>();
  owner->initWithNibName("Huge", bundle().get());
  EXPECT_EQ(owner->view(), nullptr);
  EXPECT_EQ(owner->layoutError().rfind("Huge: the layout file cannot be read: ", 0), 0u) << owner->layoutError();
  EXPECT_NE(owner->layoutError().find("more than the 64 MiB a file may have"), std::string::npos) << owner->layoutError();
}

}  // namespace
