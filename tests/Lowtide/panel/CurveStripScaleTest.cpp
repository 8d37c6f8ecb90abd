// The panel's curve strip, as the installed layout sizes it on every device, is tall enough to
// name its whole scale: +24, 0 and -24 dB, and the decades under it.
#include <set>
#include <string>

#include "Lowtide/panel/ResponseCurveView.h"
#include "PanelFixture.h"

namespace {

class CurveStripScale : public PanelTest, public ::testing::WithParamInterface<const char*> {
 protected:
  CurveStripScale() { deviceProfile_ = GetParam(); }
};

TEST_P(CurveStripScale, TheStripNamesItsLevelsAndDecadesOnEveryDevice) {
  openPanel();
  std::set<std::string> drawn;
  CGSetTextRecorder([&](const CGTextRecord& t) {
    if (dynamic_cast<lowtide::ResponseCurveView*>(UIWindow::viewBeingDrawn()) != nullptr) drawn.insert(t.text);
  });
  window()->snapshot(1);
  CGSetTextRecorder({});
  for (const char* label : {"+24", "0", "\u221224", "100", "1k", "10k"}) EXPECT_EQ(drawn.count(label), 1u) << label;
}

INSTANTIATE_TEST_SUITE_P(Profiles, CurveStripScale, ::testing::Values("ios6", "ios7", "ios8"));

}  // namespace
