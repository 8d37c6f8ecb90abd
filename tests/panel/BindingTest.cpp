// The panel's binding and its handlers: what the panel shows of the engine, and what each
// control writes and calls.
#include <filesystem>

#include "Lowtide/engine/biquad.h"
#include "PanelFixture.h"

namespace {

namespace eq = lowtide;

int updates = 0;
std::vector<std::pair<int32_t, double>> bandCalls;
void countUpdate() { ++updates; }
void countBand(int32_t band, double gainDb) { bandCalls.emplace_back(band, gainDb); }

std::vector<float> mainCoefficients() {
  eq::biquad* s = eq::mainFilter.load();
  return {s->c0.load(), s->c1.load(), s->c2.load(), s->c3.load(), s->c4.load()};
}

void send(eq::eqView& panel, const char* action, id sender) { msgSend<void, id>(&panel, sel_registerName(action), sender); }

class PanelBinding : public PanelTest {
 protected:
  void SetUp() override {
    PanelTest::SetUp();
    updates = 0;
    bandCalls.clear();
  }
  // Binds again with the engine's parameters but counting update functions.
  static void bindCounting(eq::eqView& panel) {
    panel.setVars(&eq::gain, &eq::freq, &eq::srate, &eq::bandwidth, &eq::enabled, &eq::eqType, &eq::bassenabled,
                  &eq::bassgain, &eq::bassintens, &eq::bassfreq, nullptr, &countUpdate, &countBand,
                  &eq::plusenabled, &eq::performFilters, &eq::case1, &eq::case2, &eq::case3, &eq::case4);
  }
  static std::string text(const Weak<UILabel>& label) { return label->text(); }
};

TEST_F(PanelBinding, ShowsTheEngineAndChangesNothingInIt) {
  eq::enabled = true;
  eq::prepareEq(44100);
  eq::gain = 6;
  eq::freq = 1000;
  eq::bandwidth = 2.5;
  eq::eqType = 1;
  eq::bassgain = 1.2;
  eq::bassfreq = 80;
  eq::bassintens = 3.5;
  eq::performFilters = &eq::case3;  // not what the switches would choose
  const std::vector<float> coefficients = mainCoefficients();

  eq::eqView& panel = openPanel();
  EXPECT_EQ(panel.gainSlider->value(), 6.0f);
  EXPECT_EQ(panel.freqSlider->value(), 1000.0f);
  EXPECT_EQ(panel.BWSlider->value(), 2.5f);
  EXPECT_EQ(panel.bassGainSlider->value(), 1.2f);
  EXPECT_EQ(panel.bassFrequencySlider->value(), 80.0f);
  EXPECT_EQ(panel.bassIntensitySlider->value(), 3.5f);
  EXPECT_TRUE(panel.powerSwitch->isOn());
  EXPECT_FALSE(panel.bassSwitch->isOn());
  EXPECT_EQ(panel.typeControl->selectedSegmentIndex(), 1);
  EXPECT_EQ(panel.navigationItem->title(), "High Pass Filter");
  EXPECT_EQ(panel.versionL->title(), "1.4.2");
  EXPECT_EQ(text(panel.gainLabel), "60.00 %");
  EXPECT_EQ(text(panel.freqLabel), "1000 Hz");
  EXPECT_EQ(text(panel.bandwidthLabel), "25.00 %");
  EXPECT_EQ(text(panel.bassGainLabel), "120.00 %");
  EXPECT_EQ(text(panel.bassIntensityLabel), "35.00 %");
  EXPECT_EQ(text(panel.bassFrequencyLabel), "80 Hz");
  EXPECT_EQ(mainCoefficients(), coefficients);
  EXPECT_EQ(eq::performFilters.load(), &eq::case3);
  EXPECT_EQ(eq::freq.load(), 1000.0);

  // After the slider has moved, the bass frequency reads with two decimals.
  send(panel, "bassFrequencyChanged:", panel.bassFrequencySlider.get());
  EXPECT_EQ(text(panel.bassFrequencyLabel), "80.00 Hz");
}

TEST_F(PanelBinding, FilterControlsCallUpdateEqOnceAndBassSlidersNothing) {
  eq::eqView& panel = openPanel();
  bindCounting(panel);

  // A handler sent with no sender works from its slider as a user's move does.
  panel.gainSlider->setValue(12.5f);
  send(panel, "gainChanged:", nil);
  EXPECT_EQ(eq::gain.load(), 12.5);
  EXPECT_EQ(text(panel.gainLabel), "125.00 %");
  EXPECT_EQ(updates, 1);
  panel.freqSlider->setValue(440.0f);
  send(panel, "freqChanged:", panel.freqSlider.get());
  EXPECT_EQ(updates, 2);
  panel.BWSlider->setValue(0.25f);
  send(panel, "bwchanged:", panel.BWSlider.get());
  EXPECT_EQ(eq::bandwidth.load(), 0.25);
  EXPECT_EQ(text(panel.bandwidthLabel), "2.50 %");
  EXPECT_EQ(updates, 3);

  for (const char* slider : {"bassGainSlider", "bassIntensitySlider", "bassFrequencySlider"})
    EXPECT_EQ(slide(slider, 0.75), "") << slider;
  EXPECT_EQ(eq::bassgain.load(), double(panel.bassGainSlider->value()));
  EXPECT_EQ(eq::bassintens.load(), double(panel.bassIntensitySlider->value()));
  EXPECT_EQ(eq::bassfreq.load(), double(panel.bassFrequencySlider->value()));
  EXPECT_NE(eq::bassfreq.load(), 0.0);
  EXPECT_EQ(updates, 3);
  EXPECT_TRUE(bandCalls.empty());

  EXPECT_EQ(segment("typeControl", 1), "");
  EXPECT_EQ(eq::eqType.load(), 1);
  EXPECT_EQ(panel.navigationItem->title(), "High Pass Filter");
  EXPECT_EQ(updates, 4);
  // An index without a title of its own is stored, keeps the title and still updates.
  panel.typeControl->insertSegmentWithTitle("Peaking", 3, false);
  EXPECT_EQ(segment("typeControl", 3), "");
  EXPECT_EQ(eq::eqType.load(), 3);
  EXPECT_EQ(panel.navigationItem->title(), "High Pass Filter");
  EXPECT_EQ(updates, 5);
}

TEST_F(PanelBinding, TheTwoSwitchesChooseTheKernel) {
  eq::prepareEq(44100);
  openPanel();
  const std::pair<bool, bool> positions[] = {{true, true}, {true, false}, {false, true}, {false, false}};
  const eq::Kernel expected[] = {&eq::case1, &eq::case2, &eq::case3, &eq::case4};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(flip("powerSwitch", positions[i].first), "");
    EXPECT_EQ(flip("bassSwitch", positions[i].second), "");
    EXPECT_EQ(eq::enabled.load(), positions[i].first);
    EXPECT_EQ(eq::bassenabled.load(), positions[i].second);
    EXPECT_EQ(eq::performFilters.load(), expected[i]) << i;
  }
}

TEST_F(PanelBinding, TheMarkerShowsTheBandsPageWhoseControlsOnlyRecordAndReport) {
  EXPECT_TRUE(openPanel().eqplusbtn->isHidden());
  EXPECT_NE(tap("\"Bands\""), "");
  writeDeviceFile(lowtide::kDebugMarkerPath, "");
  EXPECT_FALSE(openPanel().eqplusbtn->isHidden());
  std::filesystem::remove(hostPath(lowtide::kDebugMarkerPath));
  std::filesystem::create_directory(hostPath(lowtide::kDebugMarkerPath));
  eq::eqView& panel = openPanel();
  EXPECT_FALSE(panel.eqplusbtn->isHidden());
  bindCounting(panel);
  eq::performFilters = &eq::case2;

  EXPECT_EQ(tap("\"Bands\""), "");
  EXPECT_TRUE(panel.scInd);
  EXPECT_EQ(panel.scrollView->contentOffset(), CGPointMake(320, 0));
  EXPECT_EQ(flip("plusSwitch", true), "");
  EXPECT_TRUE(eq::plusenabled.load());
  EXPECT_EQ(eq::performFilters.load(), &eq::case2);
  EXPECT_EQ(updates, 0);
  EXPECT_TRUE(bandCalls.empty());

  EXPECT_EQ(slide("plus2048", 6), "");
  EXPECT_EQ(slide("plus16k", -6), "");
  ASSERT_FALSE(bandCalls.empty());
  EXPECT_EQ(bandCalls.front().first, 2048);
  EXPECT_EQ(bandCalls.back(), std::make_pair(int32_t(16384), double(panel.plus16k->value())));
  EXPECT_LT(bandCalls.back().second, -5.0);
  for (const auto& [band, gainDb] : bandCalls) EXPECT_TRUE(band == 2048 || band == 16384) << band;

  EXPECT_EQ(tap("\"Bands\""), "");
  EXPECT_FALSE(panel.scInd);
  EXPECT_EQ(panel.scrollView->contentOffset(), CGPointMake(0, 0));
  EXPECT_EQ(updates, 0);
}

TEST_F(PanelBinding, DoneMovesThePanelAwayAndAlwaysWritesTheState) {
  eq::bassgain = 1.23456789;
  eq::bassfreq = 60;
  eq::bassintens = 2;
  eq::gain = 6;
  eq::freq = 2222;
  eq::bandwidth = 5;
  eq::eqType = 1;
  writeDeviceFile(lowtide::kLastStatePath, "stale");
  eq::eqView& panel = openPanel();
  EXPECT_EQ(tap("\"Done\""), "");
  EXPECT_EQ(panel.view()->frame(), CGRectMake(0, 7000, 320, 460));
  const std::map<std::string, std::string> expected = {
      {"bassgain", "1.234568"}, {"bassfreq", "60.000000"},   {"bassintens", "2.000000"}, {"filtgain", "6.000000"},
      {"filtfreq", "2222.000000"}, {"filtbw", "5.000000"}, {"filttype", "1"}};
  EXPECT_EQ(fileStrings(lowtide::kLastStatePath), expected);
  std::filesystem::remove(hostPath(lowtide::kLastStatePath));
  send(panel, "close:", nil);
  EXPECT_EQ(fileStrings(lowtide::kLastStatePath), expected);
}

}  // namespace
