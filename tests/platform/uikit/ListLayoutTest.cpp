// The list widgets as a layout file makes them: their properties and outlets by name.
#include "UIKitFixture.h"
#include "uikit/UINib.h"
#include "uikit/UITableView.h"
#include "uikit/UITextField.h"

namespace {

const char* kLayout = R"(<dict>
  <key>class</key><string>UIView</string>
  <key>frame</key><string>{{0, 0}, {320, 568}}</string>
  <key>subviews</key><array>
    <dict>
      <key>class</key><string>UITextField</string>
      <key>frame</key><string>{{20, 20}, {280, 31}}</string>
      <key>name</key><string>nameField</string>
      <key>properties</key><dict>
        <key>text</key><string>Bass</string>
        <key>placeholder</key><string>Preset name</string>
        <key>borderStyle</key><integer>3</integer>
        <key>fontSize</key><real>20</real>
      </dict>
      <key>connections</key><dict><key>delegate</key><string>owner</string></dict>
    </dict>
    <dict>
      <key>class</key><string>UITableView</string>
      <key>frame</key><string>{{0, 60}, {320, 508}}</string>
      <key>name</key><string>presetListTable</string>
      <key>properties</key><dict><key>rowHeight</key><real>50</real></dict>
      <key>connections</key><dict>
        <key>dataSource</key><string>owner</string>
        <key>delegate</key><string>owner</string>
      </dict>
    </dict>
  </array>
</dict>)";

using ListLayout = UIKitFixture;

TEST_F(ListLayout, ALayoutSetsTheFieldAndTableAndConnectsTheirDelegatesToTheOwner) {
  writeLayout("Lists", kLayout);
  Ref<NSObject> owner = objc_make<NSObject>(objc_rootClass());
  std::string error;
  Ref<UINib> nib = UINib::nibWithNibName("Lists", bundle().get());
  Ref<UIView> root = nib->instantiateWithOwner(owner.get(), error);
  ASSERT_TRUE(root) << error;

  auto* field = dynamic_cast<UITextField*>(root->allSubviews().at(0).get());
  auto* table = dynamic_cast<UITableView*>(root->allSubviews().at(1).get());
  ASSERT_TRUE(field && table);
  EXPECT_EQ(field->text(), "Bass");
  EXPECT_EQ(field->placeholder(), "Preset name");
  EXPECT_EQ(field->borderStyle(), UITextBorderStyle::RoundedRect);
  EXPECT_EQ(field->font()->pointSize(), 20);
  EXPECT_EQ(field->delegate(), owner.get());
  EXPECT_EQ(table->rowHeight(), 50);
  EXPECT_EQ(table->dataSource(), owner.get());
  EXPECT_EQ(table->delegate(), owner.get());
  // The owner answers none of the data source's messages: the table shows no rows.
  root->layoutIfNeeded();
  EXPECT_EQ(table->numberOfRowsInSection(0), 0);
}

}  // namespace
