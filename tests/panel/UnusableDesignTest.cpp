// Controls that ask for a design the shared filter state cannot run (a frequency of 0 Hz, a
// bandwidth of 0, the all-zero preset): the sound goes on through the design in force before,
// bit for bit, instead of turning to NaN or growing without bound for the rest of the process.
#include <cmath>
#include <cstring>

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
    eq::enabled = true;  // the main filter alone: case2
    eq::freq = 1000;
    eq::bandwidth = 1;
    eq::prepareEq(44100);
    ASSERT_EQ(eq::performFilters.load(), &eq::case2);
    std::vector<float> warmUp = music(512, 1);
    eq::walkKernel(warmUp.data(), nullptr, warmUp.size());
  }

  // The section as it is now, coefficients and history, in a copy of its own.
  void keepReference() {
    const eq::biquad& s = *eq::mainFilter.load();
    for (auto [to, from] : {std::pair{&reference_.c0, &s.c0}, {&reference_.c1, &s.c1}, {&reference_.c2, &s.c2},
                            {&reference_.c3, &s.c3}, {&reference_.c4, &s.c4}, {&reference_.x1, &s.x1},
                            {&reference_.x2, &s.x2}, {&reference_.y1, &s.y1}, {&reference_.y2, &s.y2}})
      to->store(from->load());
    reference_.coefCopy = referenceCopy_;
  }

  // A block through the kernel in force equals, bit for bit, the same block through the
  // reference section, and is finite.
  void expectTheDesignBefore() {
    const std::vector<float> input = music(1024, 1);
    std::vector<float> output = input;
    eq::walkKernel(output.data(), nullptr, output.size());
    for (size_t i = 0; i < input.size(); ++i) {
      const float expected = eq::bq(input[i], &reference_);
      ASSERT_TRUE(std::isfinite(output[i])) << i;
      ASSERT_EQ(std::memcmp(&output[i], &expected, sizeof(float)), 0) << i << ": " << output[i] << " vs " << expected;
    }
  }

  void sendWithSlider(const char* action, Weak<UISlider>& slider, float value) {
    slider->setValue(value);
    msgSend<void, id>(lowtide::view.get(), sel_registerName(action), slider.get());
  }

 private:
  eq::biquad reference_;
  std::atomic<float> referenceCopy_[5];
};

TEST_F(UnusableDesign, FrequencySliderAtZero) {
  eq::eqView& panel = openPanel();
  keepReference();
  sendWithSlider("freqChanged:", panel.freqSlider, 0.0f);
  ASSERT_EQ(eq::freq.load(), 0.0);
  EXPECT_EQ(eq::omega.load(), 0.0f);  // the design ran; only its section was refused
  expectTheDesignBefore();
}

TEST_F(UnusableDesign, BandwidthSliderAtZero) {
  eq::eqView& panel = openPanel();
  keepReference();
  sendWithSlider("bwchanged:", panel.BWSlider, 0.0f);
  ASSERT_EQ(eq::bandwidth.load(), 0.0);
  EXPECT_EQ(eq::alpha.load(), 0.0f);
  expectTheDesignBefore();
}

TEST_F(UnusableDesign, TheAllZeroPresetLoaded) {
  writePresets(presetEntry("Zero", "0.000000", "0.000000", "0.000000", "0.000000", "0.000000", "0.000000", "0"));
  openPanel();
  keepReference();
  EXPECT_EQ(tap("\"Options\""), "");
  EXPECT_EQ(tap("\"Load\""), "");
  EXPECT_EQ(tap("\"Zero\""), "");
  ASSERT_EQ(eq::freq.load(), 0.0);
  ASSERT_EQ(eq::bandwidth.load(), 0.0);
  expectTheDesignBefore();
}

}  // namespace
