// The equalizer panel: the screen on which the listener switches the filter and the bass boost,
// picks the filter type and moves the sliders. The panel owns no audio state: the binding hands
// it the addresses of the engine's parameters and the engine's functions, and every control
// writes straight into the engine, so a change is heard at once. Closing the panel moves it out
// of sight and saves the last state.
//
// The view tree comes from the layout "eqView"; the controls reach the panel through outlets and
// actions (runtime methods, "v@:@", the sender being the control). The slider handlers read
// their outlet rather than the sender, so they may be sent with no sender.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "Lowtide/engine/Equalizer.h"
#include "Lowtide/panel/ResponseCurveView.h"
#include "Lowtide/settings/PresetManager.h"
#include "foundation/NSString.h"
#include "uikit/UIActionSheet.h"
#include "uikit/UIAlertView.h"
#include "uikit/UIBarButtonItem.h"
#include "uikit/UIButton.h"
#include "uikit/UILabel.h"
#include "uikit/UINavigationItem.h"
#include "uikit/UIPickerView.h"
#include "uikit/UIPopoverController.h"
#include "uikit/UIScrollView.h"
#include "uikit/UISegmentedControl.h"
#include "uikit/UISlider.h"
#include "uikit/UISwitch.h"
#include "uikit/UIViewController.h"

namespace lowtide {

class LoadPresetViewController;
class SavePresetViewController;

using UpdateFunction = void (*)();
using UpdatePlusFunction = void (*)(int32_t band, double gainDb);

// The version shown in the panel's bar.
inline constexpr const char* kTunelyVersion = "1.4.2";
// The file whose presence (file or folder) un-hides the graphic-equalizer page.
inline constexpr const char* kDebugMarkerPath = "/var/mobile/Library/Application Support/Tunely/DEBUG";
// Where the panel's and the dialogs' layouts are installed.
inline constexpr const char* kResourceFolder = "/Library/Application Support/Tunely";

class eqView : public UIViewController {
 public:
  static Class runtimeClass();  // "eqView", a subclass of "UIViewController"
  static void registerMembers(Class cls);
  eqView();
  ~eqView() override;

  // initWithNibName:bundle: the base initialisation, then the scroll area's content size (which
  // only takes once the view is loaded; the binding sets it again).
  bool initWithNibName(const std::string& nibName, NSBundle* bundle) override;

  // The binding, setVars:freq:srate:bandwidth:power:type:bassOn:bassGain:bassIntensity:
  // bassFrequency:popover:updateFunc:updatePlusFunc:plusEnabled:processingFunc:case1:case2:
  // case3:case4: shows the engine's state in every control and read-out and changes nothing in
  // the engine.
  void setVars(std::atomic<double>* gain, std::atomic<double>* freq, std::atomic<double>* srate,
               std::atomic<double>* bandwidth, std::atomic<bool>* power, std::atomic<int32_t>* type,
               std::atomic<bool>* bassOn, std::atomic<double>* bassGain,
               std::atomic<double>* bassIntensity, std::atomic<double>* bassFrequency,
               UIPopoverController* popover, UpdateFunction updateFunc,
               UpdatePlusFunction updatePlusFunc, std::atomic<bool>* plusEnabled,
               std::atomic<Kernel>* processingFunc, Kernel case1, Kernel case2, Kernel case3,
               Kernel case4);

  // Stores the kernel the two switches choose into the engine's kernel slot.
  void setFunc();
  // Writes the last-state file from the values behind the parameter pointers.
  void saveState();
  void updateVars() {}

  void viewDidUnload() override;
  // A layout is refused when a slider's range goes beyond what the settings keep, or nothing
  // closes the panel.
  std::string layoutRefusal(UIView* root) override;

  // Fields, in declared order.
  Ref<UIActionSheet> moreSheet;
  std::atomic<bool>* enabled = nullptr;
  std::atomic<bool>* bassenabled = nullptr;
  std::atomic<bool>* pluson = nullptr;
  Weak<UIPopoverController> parent;
  Ref<UIAlertView> alert;
  Ref<SavePresetViewController> spvc;
  Ref<LoadPresetViewController> lpvc;
  Ref<NSString> aboutString;
  UpdateFunction update = nullptr;
  std::atomic<Kernel>* process = nullptr;
  bool scInd = false;
  Kernel case1 = nullptr, case2 = nullptr, case3 = nullptr, case4 = nullptr;
  UpdatePlusFunction updatePlus = nullptr;

  // Outlets, in declared order: presetView is retained, the others are held weakly (the view
  // tree owns its controls).
  Weak<UINavigationItem> navigationItem;
  Ref<UIView> presetView;
  Weak<UIPickerView> presetPickerView;
  Weak<UIButton> eqplusbtn;
  Weak<UILabel> gainLabel, freqLabel, bandwidthLabel;
  Weak<UISlider> gainSlider, freqSlider, BWSlider;
  Weak<UISegmentedControl> typeControl;
  Weak<UISwitch> powerSwitch;
  Weak<UISwitch> bassSwitch;
  Weak<UISlider> bassGainSlider, bassIntensitySlider, bassFrequencySlider;
  Weak<UILabel> bassGainLabel, bassIntensityLabel, bassFrequencyLabel;
  Weak<UIBarButtonItem> versionL;
  Weak<UIScrollView> scrollView;
  Weak<UISlider> plus32, plus128, plus512, plus2048, plus8192, plus16k;
  // The response curve on the first page; every handler of a control that changes the chain
  // asks it to follow at once.
  Weak<ResponseCurveView> curveView;

  // The handlers, as the controls send them (also callable directly; `sender` may be nil).
  void gainChanged(id sender);
  void freqChanged(id sender);
  void bwchanged(id sender);
  void typeChanged(id sender);
  void enabledChanged(id sender);
  void bassEnabledChanged(id sender);
  void bassGainChanged(id sender);
  void bassIntensityChanged(id sender);
  void bassFrequencyChanged(id sender);
  void plusOn(id sender);
  void eqplusopen(id sender);
  void close(id sender);
  // The about box, the options sheet and its commands.
  void infoButtonClick(id sender);
  void moreHit(id sender);
  void actionSheetClickedButtonAtIndex(UIActionSheet* sheet, NSInteger index);
  bool popoverControllerShouldDismissPopover(UIPopoverController*) const { return false; }

 private:
  void resetToDefaults();
  void openLoadDialog();
  void openSaveDialog();
  void setTitleForType(int32_t type);
  void refreshCurve();
  void bandChanged(UISlider* slider, int32_t band);
};

// What the panel's plain callback functions reach the panel and the engine through; the binding
// fills them.
extern Ref<eqView> activePanel;
extern Ref<PresetManager> presetStore;
extern std::atomic<double>* gainPtr;
extern std::atomic<double>* freqPtr;
extern std::atomic<double>* bandwidthPtr;
extern std::atomic<int32_t>* eqTypePtr;
extern std::atomic<double>* bassgainPtr;
extern std::atomic<double>* bassfreqPtr;
extern std::atomic<double>* bassintensPtr;
// The slot the preset dialogs write a preset name into.
extern Ref<NSString> presetNameSlot;

// The title the panel's bar shows for a filter type; empty for a type without one.
std::string filterTypeTitle(int32_t type);

}  // namespace lowtide
