// The options menu, the two preset dialogs and the glue between them, the
// preset store and the panel, worked with the finger.
#include <filesystem>

#include "Lowtide/engine/biquad.h"
#include "Lowtide/panel/LoadPresetViewController.h"
#include "Lowtide/panel/SavePresetViewController.h"
#include "PanelFixture.h"

namespace {

namespace eq = lowtide;

class PanelOptions : public PanelTest {
 protected:
  std::string choose(const std::string& command) { return steps({tap("\"Options\""), tap("\"" + command + "\"")}); }
  static bool onScreen(UIViewController* dialog) { return dialog && dialog->view()->superview() != nullptr; }
  static std::string slot() { return eq::presetNameSlot ? eq::presetNameSlot->string() : "<nil>"; }
};

TEST_F(PanelOptions, ResetWithTheFilterOffShowsTheDefaultsAndKeepsTheKernel) {
  eq::bassenabled = true;
  eq::prepareEq(44100);
  EngineState{0.5, 120, 3, 6, 1000, 2, 0, false, true}.apply();
  eq::updateEq();
  const float c0 = eq::mainFilter.load()->c0;
  eq::eqView& p = openPanel();
  EXPECT_EQ(choose("Reset to defaults"), "");
  EXPECT_EQ(EngineState::now(), (EngineState{1, 80, 0, 0, 2222, 5, 2, false, true, false, &eq::case3}));
  EXPECT_NE(eq::mainFilter.load()->c0, c0);
  EXPECT_EQ(readOuts(p), (std::vector<std::string>{"0.00 %", "2222 Hz", "50.00 %", "100.00 %", "0.00 %", "80.00 Hz"}));
  EXPECT_EQ(p.navigationItem->title(), "High Shelf Filter");
  EXPECT_FALSE(std::filesystem::exists(hostPath(eq::kLastStatePath)));
}

TEST_F(PanelOptions, CancelAndIndicesAbove2ChangeNothing) {
  eq::eqView& p = openPanel();
  const EngineState before = EngineState::now();
  const size_t windowViews = window()->allSubviews().size();
  EXPECT_EQ(choose("Cancel"), "");
  for (NSInteger index : {3, 4, 99}) p.actionSheetClickedButtonAtIndex(p.moreSheet.get(), index);
  EXPECT_EQ(EngineState::now(), before);
  EXPECT_FALSE(p.lpvc || p.spvc);
  EXPECT_EQ(window()->allSubviews().size(), windowViews);
}

TEST_F(PanelOptions, SavingUnderAnExistingNameReplacesItWithTheParametersOnly) {
  const Values other = {"0.500000", "90.000000", "1.000000", "2.000000", "300.000000", "4.000000", "0"};
  writePresets({{"Mine", {"1.0", "1.0", "1.0", "1.0", "1.0", "1.0", "1"}}, {"Other", other}});
  EngineState{0.8, 60, 4, 3, 1500, 2, 0, true, true, true}.apply();
  eq::eqView& p = openPanel();
  EXPECT_EQ(choose("Save"), "");
  EXPECT_EQ(slot(), "");
  EXPECT_EQ(steps({type("nameField", "Mine"), tap("\"Save\"")}), "");
  EXPECT_FALSE(onScreen(p.spvc.get()));
  Strings expected = presetStrings("Mine/", {"0.800000", "60.000000", "4.000000", "3.000000", "1500.000000", "2.000000", "0"});
  expected.merge(presetStrings("Other/", other));
  EXPECT_EQ(fileStrings(eq::kPresetsPath), expected);
}

TEST_F(PanelOptions, AnEmptyNameIsIgnoredOneSpaceIsKeptAndCancelCallsNothing) {
  eq::eqView& p = openPanel();
  EXPECT_EQ(steps({choose("Save"), tap("\"Save\"")}), "");
  EXPECT_TRUE(onScreen(p.spvc.get()));
  EXPECT_EQ(fileStrings(eq::kPresetsPath), Strings{});
  EXPECT_EQ(steps({type("nameField", " "), tap("\"Save\"")}), "");
  EXPECT_FALSE(onScreen(p.spvc.get()));
  EXPECT_EQ(fileStrings(eq::kPresetsPath).count(" /filtfreq"), 1u);

  const EngineState before = EngineState::now();
  EXPECT_EQ(steps({choose("Save"), type("nameField", "Gone"), tap("\"Cancel\"")}), "");
  EXPECT_FALSE(onScreen(p.spvc.get()));
  EXPECT_EQ(steps({choose("Load"), tap("\"Cancel\"")}), "");
  EXPECT_FALSE(onScreen(p.lpvc.get()));
  EXPECT_EQ(slot(), "");
  EXPECT_EQ(fileStrings(eq::kPresetsPath).size(), 7u);
  EXPECT_EQ(EngineState::now(), before);
}

TEST_F(PanelOptions, LoadingClampsTheTypeAndEachOpeningStartsAfresh) {
  writePresets({{"Seven", {"1.250000", "250.000000", "2.000000", "4.000000", "900.000000", "3.000000", "7"}}});
  eq::eqView& p = openPanel();
  EXPECT_EQ(choose("Load"), "");
  EXPECT_EQ(slot(), "");
  EXPECT_EQ(tap("\"Seven\""), "");
  EXPECT_FALSE(onScreen(p.lpvc.get()));
  EXPECT_EQ(slot(), "Seven");
  EXPECT_EQ(EngineState::now(), (EngineState{1.25, 200, 2, 4, 900, 3, 2, false, false, false, nullptr}));
  EXPECT_EQ(p.typeControl->selectedSegmentIndex(), 2);
  EXPECT_EQ(p.navigationItem->title(), "High Shelf Filter");

  eq::presetStore->addPreset(eq::EQPreset::initWithName("Later", eq::resetValues()).get());
  const Ref<eq::LoadPresetViewController> first = p.lpvc;
  EXPECT_EQ(choose("Load"), "");
  EXPECT_NE(p.lpvc, first);
  EXPECT_EQ(slot(), "");
  EXPECT_EQ(p.lpvc->presetListTable()->numberOfRowsInSection(0), 2);
}

TEST_F(PanelOptions, DeletingTheLastPresetLeavesTheDialogOpenAndEmpty) {
  writePresets({{"Only", {"1.000000", "80.000000", "0.000000", "0.000000", "2222.000000", "5.000000", "2"}}});
  eq::eqView& p = openPanel();
  const EngineState before = EngineState::now();
  EXPECT_EQ(steps({choose("Load"), swipeDelete("\"Only\"")}), "");
  EXPECT_EQ(fileStrings(eq::kPresetsPath), Strings{});
  EXPECT_TRUE(onScreen(p.lpvc.get()));
  EXPECT_EQ(p.lpvc->presetListTable()->numberOfRowsInSection(0), 0);
  EXPECT_EQ(slot(), "");
  EXPECT_EQ(EngineState::now(), before);
}

}  // namespace
