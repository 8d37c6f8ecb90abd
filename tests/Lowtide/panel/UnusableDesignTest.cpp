// Controls that ask for a design the shared filter state cannot run (a frequency of 0 Hz, a
// bandwidth of 0, the all-zero preset): the sound goes on through the design in force before,
// bit for bit, instead of turning to NaN or growing without bound for the rest of the process.
#include <cmath>
#include <cstring>
#include <functional>

#include "Lowtide/engine/DesignValues.h"
#include "Lowtide/engine/KernelWalk.h"
#include "Lowtide/engine/biquad.h"
#include "PanelFixture.h"

namespace {

namespace eq = lowtide;

class UnusableDesign : public PanelTest {
 protected:
  void SetUp() override {
    PanelTest::SetUp();
    EngineState{1, 80, 0, 0, 1000, 1, 0, true, false}.apply();  // a low pass alone: case2
    eq::prepareEq(44100);
    ASSERT_EQ(eq::performFilters.load(), &eq::case2);
    std::vector<float> warmUp = music(512, 1);
    eq::walkKernel(warmUp.data(), nullptr, warmUp.size());
    writePresets({{"Zero", {"0", "0", "0", "0", "0", "0", "0"}}});
    panel_ = &openPanel();
  }

  // A block run through the kernel in force before and after the change, from the same section
  // state, comes out finite and the same to the bit.
  void expectTheDesignBefore(const std::function<void()>& change) {
    eq::biquad& s = *eq::mainFilter.load();
    const float history[] = {s.x1, s.x2, s.y1, s.y2};
    std::vector<float> before = music(1024, 1), after = before;
    eq::walkKernel(before.data(), nullptr, before.size());
    s.x1 = history[0], s.x2 = history[1], s.y1 = history[2], s.y2 = history[3];
    change();
    eq::walkKernel(after.data(), nullptr, after.size());
    for (float y : after) ASSERT_TRUE(std::isfinite(y));
    EXPECT_EQ(std::memcmp(before.data(), after.data(), after.size() * sizeof(float)), 0);
  }
  void moveToZero(const char* action, Weak<UISlider>& slider) {
    slider->setValue(0.0f);
    msgSend<void, id>(panel_, sel_registerName(action), slider.get());
  }

  eq::eqView* panel_ = nullptr;
};

TEST_F(UnusableDesign, FrequencySliderAtZero) {
  expectTheDesignBefore([&] { moveToZero("freqChanged:", panel_->freqSlider); });
  EXPECT_EQ(eq::freq.load(), 0.0);
  EXPECT_EQ(eq::omega.load(), 0.0f);  // the design ran; only its section was refused
}

TEST_F(UnusableDesign, BandwidthSliderAtZero) {
  expectTheDesignBefore([&] { moveToZero("bwchanged:", panel_->BWSlider); });
  EXPECT_EQ(eq::bandwidth.load(), 0.0);
  EXPECT_EQ(eq::alpha.load(), 0.0f);
}

TEST_F(UnusableDesign, TheAllZeroPresetLoaded) {
  expectTheDesignBefore([&] { EXPECT_EQ(steps({tap("\"Options\""), tap("\"Load\""), tap("\"Zero\"")}), ""); });
  EXPECT_EQ(eq::freq.load(), 0.0);
  EXPECT_EQ(eq::bandwidth.load(), 0.0);
}

}  // namespace
