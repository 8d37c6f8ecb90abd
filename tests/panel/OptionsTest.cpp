// The options menu, the about box, the two preset dialogs and the glue that joins them to the
// preset store and the panel, worked with the finger.
#include <filesystem>

#include "Lowtide/engine/biquad.h"
#include "Lowtide/panel/LoadPresetViewController.h"
#include "Lowtide/panel/SavePresetViewController.h"
#include "PanelFixture.h"

namespace {

namespace eq = lowtide;

struct Settings {
  double bassgain, bassfreq, bassintens, gain, freq, bandwidth;
  int32_t type;
  bool enabled, bassenabled, plusenabled;
  eq::Kernel kernel;
  bool operator==(const Settings&) const = default;
};
Settings settings() {
  return {eq::bassgain, eq::bassfreq, eq::bassintens, eq::gain,          eq::freq,         eq::bandwidth,
          eq::eqType,   eq::enabled,  eq::bassenabled, eq::plusenabled, eq::performFilters};
}

using Strings = std::map<std::string, std::string>;
Strings preset(const std::string& name, Strings values) {
  Strings out;
  for (const auto& [k, v] : values) out[name + "/" + k] = v;
  return out;
}

class PanelOptions : public PanelTest {
 protected:
  std::string choose(const std::string& command) {
    const std::string options = tap("\"Options\"");
    return options.empty() ? tap("\"" + command + "\"") : options;
  }
  static bool onScreen(UIViewController* dialog) {
    return dialog && dialog->isViewLoaded() && dialog->view()->superview() != nullptr;
  }
  static std::string slot() { return eq::presetNameSlot ? eq::presetNameSlot->string() : "<nil>"; }
};

TEST_F(PanelOptions, ResetWithTheFilterOffShowsTheDefaultsAndKeepsTheKernel) {
  eq::bassenabled = true;
  eq::prepareEq(44100);
  ASSERT_EQ(eq::performFilters.load(), &eq::case3);
  eq::bassgain = 0.5;
  eq::bassfreq = 120;
  eq::bassintens = 3;
  eq::gain = 6;
  eq::freq = 1000;
  eq::bandwidth = 2;
  eq::updateEq();
  const float c0 = eq::mainFilter.load()->c0;
  eq::eqView& panel = openPanel();
  EXPECT_EQ(choose("Reset to defaults"), "");
  EXPECT_EQ(settings(), (Settings{1.0, 80.0, 0.0, 0.0, 2222.0, 5.0, 2, false, true, false, &eq::case3}));
  EXPECT_NE(eq::mainFilter.load()->c0, c0);  // the coefficients follow the new values
  EXPECT_EQ(panel.bassFrequencyLabel->text(), "80.00 Hz");
  EXPECT_EQ(panel.bassGainLabel->text(), "100.00 %");
  EXPECT_EQ(panel.navigationItem->title(), "High Shelf Filter");
  EXPECT_FALSE(panel.moreSheet->isVisible());
  EXPECT_FALSE(std::filesystem::exists(hostPath(eq::kLastStatePath)));
}

TEST_F(PanelOptions, CancelAndIndicesAbove2ChangeNothing) {
  eq::eqView& panel = openPanel();
  const Settings before = settings();
  const size_t windowViews = window()->allSubviews().size();
  EXPECT_EQ(choose("Cancel"), "");
  for (NSInteger index : {3, 4, 99}) panel.actionSheetClickedButtonAtIndex(panel.moreSheet.get(), index);
  EXPECT_EQ(settings(), before);
  EXPECT_FALSE(panel.lpvc || panel.spvc);
  EXPECT_EQ(window()->allSubviews().size(), windowViews);
}

TEST_F(PanelOptions, SavingUnderAnExistingNameReplacesItWithTheParametersOnly) {
  writePresets(presetEntry("Mine", "1.0", "1.0", "1.0", "1.0", "1.0", "1.0", "0") +
               presetEntry("Other", "0.500000", "90.000000", "1.000000", "2.000000", "300.000000", "4.000000", "0"));
  eq::bassgain = 0.8;
  eq::bassfreq = 60;
  eq::bassintens = 4;
  eq::gain = 3;
  eq::freq = 1500;
  eq::bandwidth = 2;
  eq::eqType = 0;
  eq::enabled = true;
  eq::plusenabled = true;
  eq::eqView& panel = openPanel();
  EXPECT_EQ(choose("Save"), "");
  EXPECT_EQ(slot(), "");
  EXPECT_EQ(type("nameField", "Mine"), "");
  EXPECT_EQ(tap("\"Save\""), "");
  EXPECT_FALSE(onScreen(panel.spvc.get()));
  Strings expected = preset("Mine", {{"bassgain", "0.800000"}, {"bassfreq", "60.000000"}, {"bassintens", "4.000000"},
                                     {"filtgain", "3.000000"}, {"filtfreq", "1500.000000"}, {"filtbw", "2.000000"},
                                     {"filttype", "0"}});
  expected.merge(preset("Other", {{"bassgain", "0.500000"}, {"bassfreq", "90.000000"}, {"bassintens", "1.000000"},
                                  {"filtgain", "2.000000"}, {"filtfreq", "300.000000"}, {"filtbw", "4.000000"},
                                  {"filttype", "0"}}));
  EXPECT_EQ(fileStrings(eq::kPresetsPath), expected);
}

TEST_F(PanelOptions, AnEmptyNameIsIgnoredOneSpaceIsKeptAndCancelCallsNothing) {
  eq::eqView& panel = openPanel();
  EXPECT_EQ(choose("Save"), "");
  EXPECT_EQ(tap("\"Save\""), "");
  EXPECT_TRUE(onScreen(panel.spvc.get()));
  EXPECT_EQ(fileStrings(eq::kPresetsPath), Strings{});
  EXPECT_EQ(type("nameField", " "), "");
  EXPECT_EQ(tap("\"Save\""), "");
  EXPECT_FALSE(onScreen(panel.spvc.get()));
  EXPECT_EQ(fileStrings(eq::kPresetsPath).count(" /filtfreq"), 1u);

  const Settings before = settings();
  EXPECT_EQ(choose("Save"), "");
  EXPECT_EQ(type("nameField", "Gone"), "");
  EXPECT_EQ(tap("\"Cancel\""), "");
  EXPECT_FALSE(onScreen(panel.spvc.get()));
  EXPECT_EQ(choose("Load"), "");
  EXPECT_EQ(tap("\"Cancel\""), "");
  EXPECT_FALSE(onScreen(panel.lpvc.get()));
  EXPECT_EQ(slot(), "");
  EXPECT_EQ(fileStrings(eq::kPresetsPath).count("Gone/filtfreq"), 0u);
  EXPECT_EQ(settings(), before);
}

TEST_F(PanelOptions, LoadingClampsTheTypeAndEachOpeningStartsAfresh) {
  writePresets(presetEntry("Seven", "1.100000", "250.000000", "2.000000", "4.000000", "900.000000", "3.000000", "7"));
  eq::eqView& panel = openPanel();
  EXPECT_EQ(choose("Load"), "");
  EXPECT_EQ(slot(), "");
  EXPECT_EQ(tap("\"Seven\""), "");
  EXPECT_FALSE(onScreen(panel.lpvc.get()));
  EXPECT_EQ(slot(), "Seven");
  EXPECT_EQ(eq::eqType.load(), 2);
  EXPECT_EQ(panel.typeControl->selectedSegmentIndex(), 2);
  EXPECT_EQ(panel.navigationItem->title(), "High Shelf Filter");
  EXPECT_EQ(eq::bassfreq.load(), 200.0);
  EXPECT_EQ(eq::freq.load(), 900.0);

  eq::presetStore->addPreset(eq::EQPreset::initWithName("Later", 1, 80, 0, 0, 2222, 5, 2).get());
  const Ref<eq::LoadPresetViewController> first = panel.lpvc;
  EXPECT_EQ(choose("Load"), "");
  EXPECT_NE(panel.lpvc, first);
  EXPECT_EQ(slot(), "");
  EXPECT_EQ(panel.lpvc->presetListTable()->numberOfRowsInSection(0), 2);
}

TEST_F(PanelOptions, DeletingTheLastPresetLeavesTheDialogOpenAndEmpty) {
  writePresets(presetEntry("Only", "1.000000", "80.000000", "0.000000", "0.000000", "2222.000000", "5.000000", "2"));
  eq::eqView& panel = openPanel();
  const Settings before = settings();
  EXPECT_EQ(choose("Load"), "");
  EXPECT_EQ(swipeDelete("\"Only\""), "");
  EXPECT_EQ(fileStrings(eq::kPresetsPath), Strings{});
  EXPECT_TRUE(onScreen(panel.lpvc.get()));
  EXPECT_EQ(panel.lpvc->presetListTable()->numberOfRowsInSection(0), 0);
  EXPECT_EQ(slot(), "");
  EXPECT_EQ(settings(), before);
}

TEST_F(PanelOptions, AboutShowsTheFixedTextUntilDismissed) {
  openPanel();
  EXPECT_EQ(tap("\"About\""), "");
  ASSERT_EQ(UIAlertViewShownAlerts().size(), 1u);
  UIAlertView* about = UIAlertViewShownAlerts().back().get();
  EXPECT_EQ(about->title()->string(), "About Tunely");
  ASSERT_EQ(about->numberOfButtons(), 1);
  EXPECT_EQ(about->buttonTitleAtIndex(0)->string(), "Dismiss");
  std::vector<std::string> paragraphs;
  const std::string text = about->message()->string();
  for (size_t at = 0, end; at != std::string::npos; at = end == std::string::npos ? end : end + 2) {
    end = text.find("\n\n", at);
    paragraphs.push_back(text.substr(at, end - at));
  }
  ASSERT_EQ(paragraphs.size(), 5u);
  EXPECT_EQ(paragraphs[1], "I am not responsible for any damage this software may do to your ears, device, etc.");
  EXPECT_EQ(tap("\"Dismiss\""), "");
  EXPECT_FALSE(about->isVisible());
}

}  // namespace
