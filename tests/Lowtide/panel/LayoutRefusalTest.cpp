// A panel layout changed by hand: one whose sliders reach beyond what the settings keep, or that
// leaves no way to close the panel, is refused like any bad layout, naming what is wrong.
#include <fstream>
#include <sstream>

#include "PanelFixture.h"

namespace {

using PanelLayoutRefusal = PanelTest;

std::string installedLayout() {
  std::ifstream in(std::string(TUNELY_RESOURCES_DIR) + "/eqView.plist");
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The layout with the first `from` after `anchor` made `to`.
std::string changed(std::string layout, const std::string& anchor, const std::string& from, const std::string& to) {
  const size_t at = layout.find(from, layout.find(anchor));
  EXPECT_NE(at, std::string::npos) << anchor << " / " << from;
  return at == std::string::npos ? layout : layout.replace(at, from.size(), to);
}

// The layout with one more view on top of the others.
std::string withTopView(const std::string& layout, const std::string& frame) {
  const std::string end = "\t</array>\n</dict>\n</plist>";
  std::string out = layout;
  out.insert(out.rfind(end), "<dict><key>class</key><string>UIView</string><key>name</key><string>cover</string>"
                             "<key>frame</key><string>" + frame + "</string></dict>\n");
  return out;
}

TEST_F(PanelLayoutRefusal, SliderRangesBeyondTheSettingsAndAnUnreachableDoneAreRefused) {
  const std::string layout = installedLayout();
  const std::pair<std::string, std::string> cases[] = {
      {changed(layout, "<string>bassGainSlider</string>", "<real>1.5</real>", "<real>1e9</real>"),
       "eqView: bassGainSlider: the range 0 to 1e+09 goes beyond 0 to 1.5, what the settings keep"},
      {changed(layout, "<string>gainChanged:</string>", "<real>0.0</real>", "<real>-24</real>"),  // its minimum
       "eqView: gainSlider: the range -24 to 24 goes beyond 0 to 24, what the settings keep"},
      {changed(layout, "<string>bassIntensityChanged:</string>", "<real>10.0</real>", "<real>10.5</real>"),
       "eqView: bassIntensitySlider: the range 0 to 10.5 goes beyond 0 to 10, what the settings keep"},
      {"<plist><dict><key>class</key><string>UILabel</string></dict></plist>",
       "eqView: there is no button that closes the panel (a bar button item sending close:)"},
      {changed(layout, "<string>close:</string>", "<string>close:</string>", "<string>moreHit:</string>"),
       "eqView: there is no button that closes the panel"},
      {withTopView(layout, "{{0, 0}, {160, 44}}"),
       "eqView: doneButton: a tap at the centre of the button that closes the panel reaches a UIView (\"cover\") instead"},
  };
  for (const auto& [body, message] : cases) {
    writeDeviceFile(std::string(lowtide::kResourceFolder) + "/eqView.plist", body);
    log.clear();
    const EngineState before = EngineState::now();
    lowtide::eqView& panel = openPanel();
    EXPECT_EQ(panel.view(), nullptr) << message;
    EXPECT_EQ(panel.layoutError().substr(0, message.size()), message);
    EXPECT_FALSE(panel.gainSlider || panel.bassGainSlider || panel.navigationItem) << message;  // nothing kept
    ASSERT_FALSE(log.empty()) << message;
    EXPECT_NE(log.front().find("Layout refused: " + message), std::string::npos) << log.front();
    EXPECT_EQ(EngineState::now(), before) << message;
  }

  // The installed layout, and one whose cover leaves the centre of "Done" free, open and close.
  for (const std::string& body : {layout, withTopView(layout, "{{100, 0}, {220, 44}}")}) {
    writeDeviceFile(std::string(lowtide::kResourceFolder) + "/eqView.plist", body);
    lowtide::eqView& panel = openPanel();
    ASSERT_NE(panel.view(), nullptr) << panel.layoutError();
    EXPECT_EQ(tap("\"Done\""), "");
    EXPECT_EQ(panel.view()->frame().origin.y, 7000);
  }
}

}  // namespace
