// The panel's binding and handlers: what the panel shows of the engine, what each control
// writes, and which engine function it calls.
#include <filesystem>

#include "Lowtide/engine/biquad.h"
#include "Lowtide/settings/SettingsFiles.h"
#include "uikit/UIAlertView.h"
#include "PanelFixture.h"

namespace {

namespace eq = lowtide;

int updates = 0;
std::vector<std::pair<int32_t, double>> bandCalls;
void countUpdate() { ++updates; }
void countBand(int32_t band, double gainDb) { bandCalls.emplace_back(band, gainDb); }

void send(eq::eqView& panel, const char* action, id sender) { msgSend<void, id>(&panel, sel_registerName(action), sender); }

class PanelBinding : public PanelTest {
 protected:
  // Binds the panel again, to the engine's parameters but with counting update functions.
  static eq::eqView& counting(eq::eqView& panel) {
    updates = 0;
    bandCalls.clear();
    panel.setVars(&eq::gain, &eq::freq, &eq::srate, &eq::bandwidth, &eq::enabled, &eq::eqType, &eq::bassenabled,
                  &eq::bassgain, &eq::bassintens, &eq::bassfreq, nullptr, &countUpdate, &countBand,
                  &eq::plusenabled, &eq::performFilters, &eq::case1, &eq::case2, &eq::case3, &eq::case4);
    return panel;
  }
};

TEST_F(PanelBinding, ShowsTheEngineAndChangesNothingInIt) {
  eq::enabled = true;
  eq::prepareEq(44100);
  EngineState{1.2, 80, 3.5, 6, 1000, 2.5, 1, true, false}.apply();  // not yet designed
  eq::performFilters = &eq::case3;  // not what the switches choose
  const float c0 = eq::mainFilter.load()->c0, c4 = eq::mainFilter.load()->c4;
  const EngineState before = EngineState::now();

  eq::eqView& p = openPanel();
  EXPECT_EQ((std::vector<float>{p.bassGainSlider->value(), p.bassFrequencySlider->value(),
                                p.bassIntensitySlider->value(), p.gainSlider->value(), p.freqSlider->value(),
                                p.BWSlider->value()}),
            (std::vector<float>{1.2f, 80, 3.5f, 6, 1000, 2.5f}));
  EXPECT_TRUE(p.powerSwitch->isOn() && !p.bassSwitch->isOn());
  EXPECT_EQ(p.typeControl->selectedSegmentIndex(), 1);
  EXPECT_EQ(p.navigationItem->title(), "High Pass Filter");
  EXPECT_EQ(p.versionL->title(), "1.4.2");
  EXPECT_EQ(readOuts(p), (std::vector<std::string>{"60.00 %", "1000 Hz", "25.00 %", "120.00 %", "35.00 %", "80 Hz"}));
  EXPECT_EQ(EngineState::now(), before);
  EXPECT_TRUE(eq::mainFilter.load()->c0 == c0 && eq::mainFilter.load()->c4 == c4);

  send(p, "bassFrequencyChanged:", p.bassFrequencySlider.get());  // after a move: two decimals
  EXPECT_EQ(p.bassFrequencyLabel->text(), "80.00 Hz");
}

TEST_F(PanelBinding, FilterControlsCallUpdateEqOnceAndBassSlidersNothing) {
  eq::eqView& p = counting(openPanel());
  p.gainSlider->setValue(12.5f);
  send(p, "gainChanged:", nil);  // no sender: the slider's value, as a move gives it
  EXPECT_EQ(eq::gain.load(), 12.5);
  EXPECT_EQ(p.gainLabel->text(), "125.00 %");
  EXPECT_EQ(updates, 1);
  send(p, "freqChanged:", p.freqSlider.get());
  send(p, "bwchanged:", p.BWSlider.get());
  EXPECT_EQ(updates, 3);

  for (const char* slider : {"bassGainSlider", "bassIntensitySlider", "bassFrequencySlider"})
    EXPECT_EQ(slide(slider, 0.75), "") << slider;
  EXPECT_EQ(eq::bassfreq.load(), double(p.bassFrequencySlider->value()));
  EXPECT_EQ(eq::bassgain.load(), double(p.bassGainSlider->value()));
  EXPECT_NE(eq::bassgain.load(), 1.0);
  EXPECT_EQ(updates, 3);

  EXPECT_EQ(segment("typeControl", 1), "");
  EXPECT_EQ(eq::eqType.load(), 1);
  EXPECT_EQ(p.navigationItem->title(), "High Pass Filter");
  EXPECT_EQ(updates, 4);
  p.typeControl->insertSegmentWithTitle("Peaking", 3, false);  // an index without a title
  EXPECT_EQ(segment("typeControl", 3), "");
  EXPECT_EQ(eq::eqType.load(), 3);
  EXPECT_EQ(p.navigationItem->title(), "High Pass Filter");
  EXPECT_EQ(updates, 5);
  EXPECT_TRUE(bandCalls.empty());
}

TEST_F(PanelBinding, TheTwoSwitchesChooseTheKernel) {
  eq::prepareEq(44100);
  openPanel();
  const std::tuple<bool, bool, eq::Kernel> rows[] = {
      {true, true, &eq::case1}, {true, false, &eq::case2}, {false, true, &eq::case3}, {false, false, &eq::case4}};
  for (const auto& [power, bass, kernel] : rows) {
    EXPECT_EQ(steps({flip("powerSwitch", power), flip("bassSwitch", bass)}), "");
    EXPECT_EQ(eq::performFilters.load(), kernel) << power << bass;
  }
}

TEST_F(PanelBinding, TheMarkerShowsTheBandsPageWhoseControlsOnlyRecordAndReport) {
  EXPECT_TRUE(openPanel().eqplusbtn->isHidden());
  writeDeviceFile(lowtide::kDebugMarkerPath, "");
  EXPECT_FALSE(openPanel().eqplusbtn->isHidden());
  std::filesystem::remove(hostPath(lowtide::kDebugMarkerPath));
  std::filesystem::create_directory(hostPath(lowtide::kDebugMarkerPath));
  eq::eqView& p = counting(openPanel());
  eq::performFilters = &eq::case2;
  EngineState before = EngineState::now();

  EXPECT_EQ(tap("\"Bands\""), "");
  EXPECT_EQ(p.scrollView->contentOffset(), CGPointMake(320, 0));
  EXPECT_EQ(flip("plusSwitch", true), "");
  before.plusenabled = true;
  EXPECT_EQ(EngineState::now(), before);
  EXPECT_EQ(steps({slide("plus2048", 6), slide("plus16k", -6)}), "");
  ASSERT_FALSE(bandCalls.empty());
  EXPECT_EQ(bandCalls.front().first, 2048);
  EXPECT_EQ(bandCalls.back(), std::make_pair(int32_t(16384), double(p.plus16k->value())));
  for (const auto& [band, gainDb] : bandCalls) EXPECT_TRUE(band == 2048 || band == 16384) << band;
  EXPECT_EQ(updates, 0);

  EXPECT_EQ(tap("\"Bands\""), "");
  EXPECT_FALSE(p.scInd);
  EXPECT_EQ(p.scrollView->contentOffset(), CGPointMake(0, 0));
}

TEST_F(PanelBinding, DoneMovesThePanelAwayAndAlwaysWritesTheState) {
  EngineState{1.23456789, 60, 2, 6, 2222, 5, 1}.apply();
  writeDeviceFile(lowtide::kLastStatePath, "stale");
  eq::eqView& p = openPanel();
  EXPECT_EQ(tap("\"Done\""), "");
  EXPECT_EQ(p.view()->frame(), CGRectMake(0, 7000, 320, 460));
  const Strings saved = presetStrings("", {"1.234568", "60.000000", "2.000000", "6.000000", "2222.000000", "5.000000", "1"});
  EXPECT_EQ(fileStrings(lowtide::kLastStatePath), saved);
  std::filesystem::remove(hostPath(lowtide::kLastStatePath));
  send(p, "close:", nil);
  EXPECT_EQ(fileStrings(lowtide::kLastStatePath), saved);
}

}  // namespace

// The sliders' ranges come from the layout, the limits of a settings file's values from the
// parameter table: a preset that loads within its limits must fit its sliders, or a load would
// move a slider somewhere other than the value saved.
TEST_F(PanelBinding, EachSliderSpansItsParameterRange) {
  eq::eqView& p = openPanel();
  const std::pair<eq::Parameter, UISlider*> sliders[] = {
      {eq::Parameter::bassgain, p.bassGainSlider.get()},   {eq::Parameter::bassfreq, p.bassFrequencySlider.get()},
      {eq::Parameter::bassintens, p.bassIntensitySlider.get()}, {eq::Parameter::filtgain, p.gainSlider.get()},
      {eq::Parameter::filtfreq, p.freqSlider.get()},       {eq::Parameter::filtbw, p.BWSlider.get()}};
  for (const auto& [parameter, slider] : sliders) {
    ASSERT_NE(slider, nullptr) << eq::parameterRow(parameter).key;
    EXPECT_EQ(slider->minimumValue(), 0.0f) << eq::parameterRow(parameter).key;
    EXPECT_EQ(slider->maximumValue(), float(eq::parameterRow(parameter).highest)) << eq::parameterRow(parameter).key;
  }
  EXPECT_EQ(p.typeControl->numberOfSegments(), NSUInteger(eq::parameterRow(eq::Parameter::filttype).highest) + 1);
}

// The settings code draws nothing: the bound panel shows what it reports.
TEST_F(PanelBinding, SettingsFailuresReachTheAlertOnceThePanelIsBound) {
  eq::setSaveFailureReport(nullptr);
  eq::reportSaveFailure(NSString::stringWithUTF8String("before").get(), 1);
  EXPECT_TRUE(UIAlertViewVisibleAlerts().empty());
  openPanel();
  eq::reportSaveFailure(NSString::stringWithUTF8String("disk full").get(), 3);
  const auto alerts = UIAlertViewVisibleAlerts();
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_EQ(alerts[0]->title()->string(), "Fatal Error - Tunely");
  EXPECT_EQ(alerts[0]->message()->string(), "I could not save to preset file.\nError: disk full\nsize: 3");
  alerts[0]->dismissWithClickedButtonIndex(0, false);
}
