// Screenshots of a screen holding every control, loaded from a layout file as an app's screen
// would be, drawn at 1x and 2x and compared with the reference images in tests/platform/uikit/reference/
// (see ImageCompare.h; TUNELY_UPDATE_REFERENCES=1 makes them anew). A second state shows an
// action sheet and an alert over the same screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "ImageCompare.h"
#include "UIKitFixture.h"
#include "foundation/NSIndexPath.h"
#include "foundation/NSString.h"
#include "uikit/UIActionSheet.h"
#include "uikit/UIAlertView.h"
#include "uikit/UIButton.h"
#include "uikit/UILabel.h"
#include "uikit/UINib.h"
#include "uikit/UIPickerView.h"
#include "uikit/UIScrollView.h"
#include "uikit/UISwitch.h"
#include "uikit/UITableView.h"

namespace {

// The screen's owner: the table's and picker's data source, and the target of its actions.
class ScreenshotOwner : public NSObject {
 public:
  static Class runtimeClass();
  static void registerMembers(Class cls) {
    class_addMethod(cls, sel_registerName("tapped:"), +[](id, SEL, id) {}, "v@:@");
    class_addMethod(cls, sel_registerName("tableView:numberOfRowsInSection:"),
                    +[](id self, SEL, id, NSInteger) { return NSInteger(of(self)->rows.size()); }, "q@:@q");
    class_addMethod(cls, sel_registerName("tableView:cellForRowAtIndexPath:"), &cellForRow, "@@:@@");
    class_addMethod(cls, sel_registerName("numberOfComponentsInPickerView:"), +[](id, SEL, id) { return NSInteger(1); },
                    "q@:@");
    class_addMethod(cls, sel_registerName("pickerView:numberOfRowsInComponent:"),
                    +[](id self, SEL, id, NSInteger) { return NSInteger(of(self)->pickerRows.size()); }, "q@:@q");
    class_addMethod(cls, sel_registerName("pickerView:titleForRow:forComponent:"),
                    +[](id self, SEL, id, NSInteger row, NSInteger) {
                      return objc_autorelease(NSString::stringWithUTF8String(of(self)->pickerRows.at(size_t(row)).c_str()).get());
                    },
                    "@@:@qq");
  }
  std::vector<std::string> rows{"Flat", "Bass Boost", "Vocal"};
  std::vector<std::string> pickerRows{"32 Hz", "64 Hz", "125 Hz", "250 Hz", "500 Hz", "1 kHz"};

 private:
  static ScreenshotOwner* of(id self) { return static_cast<ScreenshotOwner*>(self); }
  static id cellForRow(id self, SEL, id tableView, id indexPath) {
    Ref<UITableViewCell> cell(static_cast<UITableView*>(tableView)->dequeueReusableCellWithIdentifier("row"));
    if (!cell) cell = make<UITableViewCell>(UITableViewCellStyle::Default, "row");
    cell->textLabel()->setText(of(self)->rows.at(size_t(static_cast<NSIndexPath*>(indexPath)->row())));
    return objc_autorelease(cell.get());
  }
};
OBJC_CLASS_WITH_MEMBERS(ScreenshotOwner, NSObject)

// Elements of the layout, to keep the screen's description readable.
std::string element(const std::string& cls, const std::string& frame, const std::string& properties,
                    const std::string& extra = "") {
  return "<dict><key>class</key><string>" + cls + "</string><key>frame</key><string>" + frame +
         "</string><key>properties</key><dict>" + properties + "</dict>" + extra + "</dict>\n";
}
std::string text(const std::string& key, const std::string& value) {
  return "<key>" + key + "</key><string>" + value + "</string>";
}
std::string number(const std::string& key, double value) {
  return "<key>" + key + "</key><real>" + std::to_string(value) + "</real>";
}
std::string flag(const std::string& key, bool value) { return "<key>" + key + "</key>" + (value ? "<true/>" : "<false/>"); }
std::string label(const std::string& frame, const std::string& title, const std::string& more = "") {
  return element("UILabel", frame, text("text", title) + more);
}
std::string barItem(const std::string& properties) {
  return "<dict><key>class</key><string>UIBarButtonItem</string><key>properties</key><dict>" + properties +
         "</dict><key>actions</key><dict><key>action</key><string>tapped:</string></dict></dict>";
}
const std::string kTapped = "<key>actions</key><dict><key>touchUpInside</key><string>tapped:</string></dict>";

// A 320 x 568 screen: a navigation bar, then rows of controls, a table beside a scroll view, a
// picker beside an image, and a toolbar over coloured tiles at the bottom.
std::string screenLayout(const std::string& imagePath) {
  std::string tiles;
  const char* colours[] = {"#FF3B30", "#FF9500", "#4CD964", "#34AADC", "#5856D6"};
  for (int i = 0; i < 5; ++i)
    tiles += element("UIView", "{{" + std::to_string(i * 64) + ", 500}, {64, 68}}", text("backgroundColor", colours[i]));
  std::string content;
  const char* contentColours[] = {"#FFCC00", "#FF2D55", "#007AFF", "#8E8E93"};
  for (int i = 0; i < 4; ++i) {
    const std::string origin = "{" + std::to_string((i % 2) * 144) + ", " + std::to_string((i / 2) * 132) + "}";
    content += element("UIView", "{" + origin + ", {144, 132}}", text("backgroundColor", contentColours[i]),
                       "<key>subviews</key><array>" +
                           label("{{0, 54}, {144, 24}}", "Page " + std::to_string(i + 1),
                                 number("boldFontSize", 17) + text("textColor", "white") +
                                     "<key>textAlignment</key><integer>1</integer>") +
                           "</array>");
  }
  return "<dict><key>class</key><string>UIView</string><key>frame</key><string>{{0, 0}, {320, 568}}</string>"
         "<key>properties</key><dict>" + text("backgroundColor", "white") + "</dict><key>subviews</key><array>\n" +
         tiles +
         // Navigation bar reaching up under the status bar, a title between two items.
         element("UINavigationBar", "{{0, 0}, {320, 64}}", "",
                 "<key>items</key><array><dict><key>class</key><string>UINavigationItem</string>"
                 "<key>properties</key><dict>" + text("title", "Controls") + "</dict>"
                 "<key>leftBarButtonItems</key><array>" + barItem("<key>systemItem</key><integer>1</integer>") + "</array>"
                 "<key>rightBarButtonItems</key><array>" + barItem("<key>systemItem</key><integer>0</integer>") + "</array>"
                 "</dict></array>") +
         // Slider, switches, segments.
         element("UILabel", "{{16, 72}, {70, 31}}", text("text", "Volume"), "<key>name</key><string>volume</string>") +
         element("UISlider", "{{92, 72}, {212, 31}}", number("value", 0.6), kTapped) +
         label("{{16, 111}, {80, 31}}", "Shuffle") +
         element("UISwitch", "{{92, 111}, {51, 31}}", flag("on", true), "<key>name</key><string>shuffle</string>") +
         label("{{169, 111}, {80, 31}}", "Repeat") +
         element("UISwitch", "{{253, 111}, {51, 31}}", flag("on", false), "<key>name</key><string>repeat</string>") +
         element("UISegmentedControl", "{{16, 150}, {288, 29}}",
                 "<key>titles</key><array><string>Low</string><string>Mid</string><string>High</string></array>"
                 "<key>selectedSegmentIndex</key><integer>1</integer>") +
         // Text fields: a placeholder, and text.
         element("UITextField", "{{16, 187}, {140, 31}}",
                 text("placeholder", "Preset name") + "<key>borderStyle</key><integer>3</integer>") +
         element("UITextField", "{{164, 187}, {140, 31}}",
                 text("text", "Bass Boost") + "<key>borderStyle</key><integer>3</integer>") +
         // Buttons: system, disabled, info; a caption in grey.
         element("UIButton", "{{16, 226}, {60, 30}}", "<key>buttonType</key><integer>1</integer>" + text("title", "Save"),
                 kTapped) +
         element("UIButton", "{{84, 226}, {60, 30}}",
                 "<key>buttonType</key><integer>1</integer>" + text("title", "Reset") + flag("enabled", false)) +
         element("UIButton", "{{152, 230}, {22, 22}}", "<key>buttonType</key><integer>3</integer>",
                 kTapped + "<key>name</key><string>info</string>") +
         label("{{184, 226}, {120, 30}}", "Two lines of small grey text",
               number("fontSize", 11) + text("textColor", "gray") + "<key>numberOfLines</key><integer>2</integer>") +
         // A table beside a scroll view over four coloured pages.
         element("UITableView", "{{0, 264}, {168, 132}}", "",
                 "<key>name</key><string>table</string>"
                 "<key>connections</key><dict><key>dataSource</key><string>owner</string></dict>") +
         element("UIScrollView", "{{176, 264}, {144, 132}}", "<key>contentSize</key><string>{288, 264}</string>",
                 "<key>name</key><string>scroll</string><key>subviews</key><array>" + content + "</array>") +
         // A picker beside an image.
         element("UIPickerView", "{{0, 400}, {200, 96}}", "",
                 "<key>name</key><string>picker</string><key>connections</key><dict>"
                 "<key>dataSource</key><string>owner</string><key>delegate</key><string>owner</string></dict>") +
         element("UIImageView", "{{216, 404}, {88, 88}}", text("imageFile", imagePath)) +
         // A toolbar over the tiles: they show through its material, blurred.
         element("UIToolbar", "{{0, 524}, {320, 44}}", "",
                 "<key>items</key><array>" + barItem("<key>systemItem</key><integer>19</integer>") +
                     barItem("<key>systemItem</key><integer>5</integer>") +
                     barItem("<key>systemItem</key><integer>17</integer>") +
                     barItem("<key>systemItem</key><integer>5</integer>") +
                     barItem("<key>systemItem</key><integer>20</integer>") + "</array>") +
         "</array></dict>";
}

bool contains(CGRect outer, CGRect inner) {
  return inner.origin.x >= outer.origin.x && inner.origin.y >= outer.origin.y &&
         CGRectGetMaxX(inner) <= CGRectGetMaxX(outer) && CGRectGetMaxY(inner) <= CGRectGetMaxY(outer);
}

template <class T>
T* named(UIView* root, const std::string& name) {
  if (root->accessibilityIdentifier() == name) return dynamic_cast<T*>(root);
  for (const Ref<UIView>& sub : root->allSubviews())
    if (T* found = named<T>(sub.get(), name)) return found;
  return nullptr;
}

class Screenshot : public UIKitFixture {
 protected:
  void SetUp() override {
    UIKitFixture::SetUp();
    UIAlertViewForgetVisibleAlerts();
    writeImage();
    writeLayout("Screen", screenLayout(std::string(kBundle) + "/Record@2x.png"));
    owner = make<ScreenshotOwner>();
    std::string error;
    screen = UINib::nibWithNibName("Screen", bundle().get())->instantiateWithOwner(owner.get(), error);
    ASSERT_TRUE(screen) << error;
    window->addSubview(screen);
    window->layoutIfNeeded();
    // The scroll view part way over its pages, its indicators showing as after a scroll.
    auto* scroll = named<UIScrollView>(screen.get(), "scroll");
    ASSERT_NE(scroll, nullptr);
    scroll->setContentOffset(CGPointMake(24, 30));
    scroll->flashScrollIndicators();
    auto* picker = named<UIPickerView>(screen.get(), "picker");
    ASSERT_NE(picker, nullptr);
    picker->selectRow(2, 0, false);
    // A finger resting on the table's second row highlights it.
    auto* table = named<UITableView>(screen.get(), "table");
    ASSERT_NE(table, nullptr);
    rowCentre = table->convertPointToView(CGPointMake(84, 44 + 22), nullptr);
    touch(UITouchPhase::Began, rowCentre.x, rowCentre.y);
    fingerDown = true;
    now += UITableView::kHighlightDelay + 0.01;
    NSRunLoop::mainRunLoop()->fireDueTimers();
    ASSERT_TRUE(table->visibleCells().at(1)->isHighlighted());
  }

  void TearDown() override {
    liftFinger();
    UIAlertViewForgetVisibleAlerts();
    screen = nullptr;
    UIKitFixture::TearDown();
  }

  // A picture of a record, drawn at 2x and saved as "Record@2x.png" in the bundle: what the
  // image view shows, scaled to fit.
  void writeImage() {
    CGBitmapContext bitmap(CGSizeMake(60, 60), 2);
    CGContext& ctx = bitmap.context();
    ctx.setFillColor(CGColor{0.1, 0.1, 0.12, 1});
    ctx.fillEllipseInRect(CGRectMake(0, 0, 60, 60));
    ctx.setStrokeColor(CGColor{0.35, 0.35, 0.4, 1});
    ctx.setLineWidth(0.5);
    for (double inset = 4; inset < 20; inset += 3) ctx.strokeEllipseInRect(CGRectInset(CGRectMake(0, 0, 60, 60), inset, inset));
    ctx.setFillColor(CGColor{1, 0.23, 0.19, 1});
    ctx.fillEllipseInRect(CGRectMake(20, 20, 20, 20));
    ctx.setFillColor(CGColor{1, 1, 1, 1});
    ctx.fillEllipseInRect(CGRectMake(28, 28, 4, 4));
    std::string error;
    ASSERT_TRUE(bitmap.writePNG(DevicePathToHost(std::string(kBundle) + "/Record@2x.png"), error)) << error;
  }

  // Both scales of what the window shows, against "<name>@1x.png" and "<name>@2x.png".
  void expectMatchesReferences(const std::string& name) {
    const std::string folder = std::string(TUNELY_SOURCE_DIR) + "/tests/platform/uikit/reference/";
    for (int scale : {1, 2}) {
      SCOPED_TRACE("scale " + std::to_string(scale));
      const CGImage shot = window->snapshot(scale);
      ASSERT_EQ(shot.width, 320u * scale);
      EXPECT_TRUE(image_compare::MatchesReference(shot, folder + name + "@" + std::to_string(scale) + "x.png"));
    }
  }

  void liftFinger() {
    if (fingerDown) touch(UITouchPhase::Ended, rowCentre.x, rowCentre.y);
    fingerDown = false;
  }

  Ref<ScreenshotOwner> owner;
  Ref<UIView> screen;
  CGPoint rowCentre{};
  bool fingerDown = false;
};

TEST_F(Screenshot, EveryControlOnOneScreen) { expectMatchesReferences("controls"); }

TEST_F(Screenshot, AnActionSheetAndAnAlertOverTheScreen) {
  liftFinger();  // the row is selected
  Ref<UIActionSheet> sheet = make<UIActionSheet>("Reset the equalizer to flat?", nullptr, "Cancel", "Reset",
                                                 std::vector<std::string>{"Save as Preset"});
  sheet->showInView(screen.get());
  Ref<UIAlertView> alert = make<UIAlertView>(NSString::stringWithUTF8String("Preset Saved"),
                                             NSString::stringWithUTF8String("\"Bass Boost\" is now in your presets."),
                                             nullptr, NSString::stringWithUTF8String("OK"));
  alert->show();
  // The clock moves on until the sheet and the alert are in place (and the indicators faded).
  for (int step = 0; step < 20 && (step == 0 || UIView::animationsRunning()); ++step) advance(0.25);
  ASSERT_FALSE(UIView::animationsRunning());
  expectMatchesReferences("sheet-and-alert");
  alert->dismissWithClickedButtonIndex(0, false);
  sheet->dismissWithClickedButtonIndex(sheet->cancelButtonIndex(), false);
}

// The tolerance lets noise through and catches what a user would see, on this very screen: a
// drawing repeated is the same to the pixel; small differences everywhere and a few stray
// pixels pass; a control moved by one point, a letter changed, a control missing or recoloured
// fails, with the box around what changed. A failed comparison leaves the image drawn and the
// difference beside the test program.
TEST_F(Screenshot, TheComparisonPassesNoiseAndCatchesWhatAUserWouldSee) {
  auto* repeat = named<UISwitch>(screen.get(), "repeat");
  auto* shuffle = named<UISwitch>(screen.get(), "shuffle");
  auto* volume = named<UILabel>(screen.get(), "volume");
  auto* info = named<UIButton>(screen.get(), "info");
  ASSERT_TRUE(repeat && shuffle && volume && info);
  const image_compare::Tolerance tolerance;
  for (int scale : {1, 2}) {
    SCOPED_TRACE("scale " + std::to_string(scale));
    const CGImage base = window->snapshot(scale);
    EXPECT_EQ(image_compare::Compare(window->snapshot(scale), base).largest, 0);

    // Noise: every channel nudged by up to the tolerance, and as many pixels as allowed wrong.
    CGImage noisy = base;
    for (size_t i = 0; i < noisy.rgba.size(); ++i)
      noisy.rgba[i] = uint8_t(std::clamp(int(noisy.rgba[i]) + int(i % 3 == 0 ? tolerance.channel : -tolerance.channel), 0, 255));
    const image_compare::Difference all = image_compare::Compare(noisy, base);
    const size_t allowed = all.allowed(tolerance);
    ASSERT_GT(allowed, 0u);
    auto spoil = [&](size_t p) { noisy.rgba[(p * 7919 % (size_t(noisy.width) * noisy.height)) * 4] += 128; };
    for (size_t p = 0; p < allowed; ++p) spoil(p);
    const image_compare::Difference noise = image_compare::Compare(noisy, base);
    EXPECT_TRUE(noise.within(tolerance)) << noise.describe(tolerance);
    spoil(allowed);  // one more is too many
    EXPECT_FALSE(image_compare::Compare(noisy, base).within(tolerance));

    auto expectCaught = [&](const std::string& change, CGRect where) {
      const image_compare::Difference d = image_compare::Compare(window->snapshot(scale), base);
      EXPECT_FALSE(d.within(tolerance)) << change << ": " << d.describe(tolerance);
      // The box around the differing pixels lies on the change (give or take a shadow).
      const CGRect box = CGRectMake(d.left, d.top, double(d.right) - d.left, double(d.bottom) - d.top);
      EXPECT_TRUE(contains(CGRectInset(where, -4 * scale, -4 * scale), box)) << change;
    };
    auto inPixels = [&](const UIView* view) {
      const CGRect r = view->convertRectToView(view->bounds(), nullptr);
      return CGRectMake(r.origin.x * scale, r.origin.y * scale, r.size.width * scale, r.size.height * scale);
    };
    const CGRect switchFrame = repeat->frame();
    repeat->setFrame(CGRectOffset(switchFrame, 1, 0));
    const CGRect moved = inPixels(repeat);
    expectCaught("an off switch moved by a point", CGRectMake(moved.origin.x - scale, moved.origin.y, moved.size.width + scale, moved.size.height));
    repeat->setFrame(switchFrame);
    volume->setText("Volumes");
    expectCaught("a letter more", inPixels(volume));
    volume->setText("Volume");
    info->setHidden(true);
    expectCaught("the info button missing", inPixels(info));
    info->setHidden(false);
    shuffle->setOnTintColor(UIColor::systemBlueColor());
    expectCaught("a switch recoloured", inPixels(shuffle));
    shuffle->setOnTintColor(nullptr);
    EXPECT_EQ(image_compare::Compare(window->snapshot(scale), base).largest, 0);  // all is back

    // A failure against a reference leaves the image drawn and the difference to look at.
    if (scale == 1 && !image_compare::UpdatingReferences()) {
      const std::string reference = root_ + "/selftest-reference.png";
      std::string error;
      ASSERT_TRUE(CGImageWritePNG(base, reference, error)) << error;
      EXPECT_TRUE(image_compare::MatchesReference(window->snapshot(scale), reference));
      info->setHidden(true);
      const ::testing::AssertionResult failed = image_compare::MatchesReference(window->snapshot(scale), reference);
      info->setHidden(false);
      EXPECT_FALSE(failed);
      const auto folder = image_compare::OutputFolder();
      CGImage written;
      for (const char* file : {"selftest-reference.actual.png", "selftest-reference.diff.png"}) {
        EXPECT_NE(std::string(failed.message()).find((folder / file).string()), std::string::npos) << failed.message();
        EXPECT_TRUE(CGImageReadPNG((folder / file).string(), written)) << file;
        EXPECT_EQ(written.width, base.width);
        std::filesystem::remove(folder / file);
      }
    }
  }
}

}  // namespace
