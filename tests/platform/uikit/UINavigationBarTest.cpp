// The navigation bar: the top item's title as drawn follows the item, its bar button items are
// buttons a touch reaches, the back button pops, and a layout fills an owner's navigation item
// outlet and connects a Done item's action.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "foundation/DeviceRoot.h"
#include "TouchSteps.h"
#include "uikit/UIApplication.h"
#include "uikit/UINavigationBar.h"
#include "uikit/UINib.h"
#include "uikit/UIViewController.h"
#include "uikit/UIWindow.h"

namespace bars_navigation_test {

class NavigationOwner : public UIViewController {
 public:
  static Class runtimeClass();
  static void registerMembers(Class cls) {
    class_addOutlet(cls, "navigationItem", &NavigationOwner::navigationItem);
    class_addMethod(cls, sel_registerName("close:"), +[](id self, SEL, id sender) {
      auto* owner = static_cast<NavigationOwner*>(self);
      ++owner->closes;
      owner->sender = sender;
    }, "v@:@");
  }
  Ref<UINavigationItem> navigationItem;
  int closes = 0;
  id sender = nullptr;
};
OBJC_CLASS_WITH_MEMBERS(NavigationOwner, UIViewController)

// A window holding one navigation bar showing `item`.
struct BarInWindow {
  explicit BarInWindow(UINavigationItem* item) {
    window = make<UIWindow>(CGRectMake(0, 0, 320, 100));
    window->setBackgroundColor(UIColor::whiteColor());
    bar = make<UINavigationBar>(CGRectMake(0, 20, 320, 44));
    bar->setItems({Ref<UINavigationItem>(item)});
    window->addSubview(bar);
  }
  Ref<UIWindow> window;
  Ref<UINavigationBar> bar;
};

TEST(NavigationBarTest, TitleChangeShowsOnTheNextDraw) {
  Ref<UINavigationItem> item = make<UINavigationItem>("Equalizer");
  BarInWindow shown(item.get());
  const CGImage before = shown.window->snapshot(1);

  const uint64_t generation = UIView::displayGeneration();
  item->setTitle("Presets");
  EXPECT_NE(UIView::displayGeneration(), generation);  // a window knows to draw again
  const CGImage after = shown.window->snapshot(1);
  EXPECT_NE(after.rgba, before.rgba);

  // It looks exactly like a bar made with that title, and unlike one without a title.
  Ref<UINavigationItem> fresh = make<UINavigationItem>("Presets");
  EXPECT_EQ(after.rgba, BarInWindow(fresh.get()).window->snapshot(1).rgba);
  Ref<UINavigationItem> untitled = make<UINavigationItem>();
  EXPECT_NE(after.rgba, BarInWindow(untitled.get()).window->snapshot(1).rgba);
}

TEST(NavigationBarTest, BarButtonItemsAreTappedThroughTheBar) {
  Ref<NavigationOwner> owner = make<NavigationOwner>();
  Ref<UINavigationItem> item = make<UINavigationItem>("Title");
  Ref<UIBarButtonItem> done = UIBarButtonItem::itemWithSystemItem(UIBarButtonSystemItem::Done, owner.get(), sel_registerName("close:"));
  Ref<UIBarButtonItem> cancel = UIBarButtonItem::itemWithSystemItem(UIBarButtonSystemItem::Cancel);
  item->setRightBarButtonItem(done.get());
  item->setLeftBarButtonItem(cancel.get());
  BarInWindow shown(item.get());
  shown.window->makeKeyAndVisible();
  shown.window->layoutIfNeeded();

  // Right item at the right end, left item at the left end, both within the bar's row.
  EXPECT_GT(done->view()->frame().origin.x, 240);
  EXPECT_LT(cancel->view()->frame().origin.x, 20);
  EXPECT_EQ(cancel->view()->currentTitle(), "Cancel");
  tapAt(centreInWindow(done->view()));
  EXPECT_EQ(owner->closes, 1);
  EXPECT_EQ(owner->sender, done.get());
  tapAt(centreInWindow(cancel->view()));  // no target, no action: nothing happens
  EXPECT_EQ(owner->closes, 1);

  // Items replaced on the navigation item replace the buttons on the bar.
  item->setRightBarButtonItems({});
  shown.window->layoutIfNeeded();
  EXPECT_EQ(done->view()->superview(), nullptr);
}

TEST(NavigationBarTest, BackButtonShowsTheItemBelowAndPops) {
  Ref<UINavigationItem> first = make<UINavigationItem>("Library");
  Ref<UINavigationItem> second = make<UINavigationItem>("Song");
  BarInWindow shown(first.get());
  shown.window->makeKeyAndVisible();
  shown.window->layoutIfNeeded();
  EXPECT_EQ(shown.bar->backButton(), nullptr);

  shown.bar->pushNavigationItem(second.get(), false);
  EXPECT_EQ(shown.bar->topItem(), second.get());
  EXPECT_EQ(shown.bar->backItem(), first.get());
  shown.window->layoutIfNeeded();
  ASSERT_NE(shown.bar->backButton(), nullptr);
  EXPECT_EQ(shown.bar->backButton()->currentTitle(), "Library");
  tapAt(centreInWindow(shown.bar->backButton()));
  EXPECT_EQ(shown.bar->topItem(), first.get());
  shown.window->layoutIfNeeded();
  EXPECT_EQ(shown.bar->backButton(), nullptr);
}

class NavigationBarLayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tunely-bars-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    DeviceRootSet(root_);
    std::filesystem::create_directories(DevicePathToHost("/Layouts"));
  }
  void TearDown() override { std::filesystem::remove_all(root_); }
  static void writeLayout(const std::string& name, const std::string& body) {
    std::ofstream(DevicePathToHost("/Layouts/" + name + ".plist"))
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">" << body << "</plist>\n";
  }
  std::string root_;
};

TEST_F(NavigationBarLayoutTest, LayoutFillsTheNavigationItemOutletAndConnectsItsItems) {
  writeLayout("panel", R"(<dict>
    <key>class</key><string>UIView</string>
    <key>frame</key><string>{{0, 0}, {320, 200}}</string>
    <key>subviews</key><array><dict>
      <key>class</key><string>UINavigationBar</string>
      <key>frame</key><string>{{0, 0}, {320, 44}}</string>
      <key>name</key><string>bar</string>
      <key>properties</key><dict><key>barStyle</key><integer>1</integer></dict>
      <key>items</key><array><dict>
        <key>class</key><string>UINavigationItem</string>
        <key>outlet</key><string>navigationItem</string>
        <key>properties</key><dict><key>title</key><string>Equalizer</string></dict>
        <key>rightBarButtonItems</key><array><dict>
          <key>class</key><string>UIBarButtonItem</string>
          <key>name</key><string>doneItem</string>
          <key>properties</key><dict><key>systemItem</key><integer>0</integer>
            <key>style</key><integer>0</integer><key>width</key><real>70</real></dict>
          <key>actions</key><dict><key>action</key><string>close:</string></dict>
        </dict></array>
      </dict></array>
    </dict></array>
  </dict>)");
  Ref<NavigationOwner> owner = make<NavigationOwner>();
  owner->initWithNibName("panel", NSBundle::bundleWithPath("/Layouts").get());
  UIView* view = owner->view();
  ASSERT_NE(view, nullptr) << owner->layoutError();
  ASSERT_TRUE(owner->navigationItem);
  EXPECT_EQ(owner->navigationItem->title(), "Equalizer");
  auto* bar = dynamic_cast<UINavigationBar*>(view->allSubviews().at(0).get());
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->barStyle(), UIBarStyleBlack);
  EXPECT_EQ(bar->topItem(), owner->navigationItem.get());
  UIBarButtonItem* done = owner->navigationItem->rightBarButtonItem();
  ASSERT_NE(done, nullptr);
  EXPECT_EQ(done->accessibilityIdentifier(), "doneItem");
  EXPECT_EQ(done->displayedTitle(), "Done");
  EXPECT_DOUBLE_EQ(done->width(), 70);

  Ref<UIWindow> window = make<UIWindow>(CGRectMake(0, 0, 320, 200));
  window->addSubview(view);
  window->makeKeyAndVisible();
  window->layoutIfNeeded();
  EXPECT_EQ(done->view()->accessibilityIdentifier(), "doneItem");  // scripts find it by name
  EXPECT_DOUBLE_EQ(done->view()->frame().size.width, 70);
  tapAt(centreInWindow(done->view()));
  EXPECT_EQ(owner->closes, 1);
  EXPECT_EQ(owner->sender, done);
}

TEST_F(NavigationBarLayoutTest, ItemsOfTheWrongClassUnknownActionsAndOutOfRangeNumbersAreRefused) {
  writeLayout("wrongItem", R"(<dict><key>class</key><string>UIToolbar</string>
    <key>items</key><array><dict><key>class</key><string>UINavigationItem</string></dict></array></dict>)");
  writeLayout("badAction", R"(<dict><key>class</key><string>UIToolbar</string>
    <key>items</key><array><dict><key>class</key><string>UIBarButtonItem</string>
    <key>actions</key><dict><key>action</key><string>explode:</string></dict></dict></array></dict>)");
  writeLayout("hugeTag", R"(<dict><key>class</key><string>UIToolbar</string>
    <key>items</key><array><dict><key>class</key><string>UIBarButtonItem</string>
    <key>properties</key><dict><key>tag</key><real>1e300</real></dict></dict></array></dict>)");
  Ref<NSBundle> bundle = NSBundle::bundleWithPath("/Layouts");
  Ref<NavigationOwner> owner = make<NavigationOwner>();
  std::string error;
  EXPECT_FALSE(UINib::nibWithNibName("wrongItem", bundle.get())->instantiateWithOwner(owner.get(), error));
  EXPECT_EQ(error, "wrongItem: items: expected objects of class UIBarButtonItem");
  EXPECT_FALSE(UINib::nibWithNibName("badAction", bundle.get())->instantiateWithOwner(owner.get(), error));
  EXPECT_EQ(error, "badAction: items[0].actions.action: the owner (NavigationOwner) has no action explode:");
  // A number an integer property cannot hold is no number for it.
  EXPECT_FALSE(UINib::nibWithNibName("hugeTag", bundle.get())->instantiateWithOwner(owner.get(), error));
  EXPECT_EQ(error, "hugeTag: items[0].tag: expected a number");
}

}  // namespace bars_navigation_test
