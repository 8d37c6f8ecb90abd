#include "Lowtide/panel/eqView.h"

#include "Lowtide/panel/AboutText.h"
#include "Lowtide/panel/LoadPresetViewController.h"
#include "Lowtide/panel/PanelLayoutCheck.h"
#include "Lowtide/panel/PresetGlue.h"
#include "Lowtide/panel/SaveFailureAlert.h"
#include "Lowtide/panel/SavePresetViewController.h"
#include "Lowtide/settings/ApplySettings.h"
#include "Lowtide/settings/LastState.h"
#include "Lowtide/settings/SettingsFiles.h"
#include "foundation/NSFileManager.h"

namespace lowtide {

Ref<eqView> activePanel;
Ref<PresetManager> presetStore;
BoundParameters boundParameters;
Ref<NSString> presetNameSlot;

namespace {

constexpr auto relaxed = std::memory_order_relaxed;

// The runtime method of an action: "v@:@", the sender being the control (or nil).
template <void (eqView::*Handler)(id)>
void action(id self, SEL, id sender) {
  (static_cast<eqView*>(self)->*Handler)(sender);
}

void actionSheetClicked(id self, SEL, id sheet, NSInteger index) {
  static_cast<eqView*>(self)->actionSheetClickedButtonAtIndex(dynamic_cast<UIActionSheet*>(sheet), index);
}

bool shouldDismissPopover(id self, SEL, id popover) {
  return static_cast<eqView*>(self)->popoverControllerShouldDismissPopover(dynamic_cast<UIPopoverController*>(popover));
}

void updateVarsMethod(id self, SEL) { static_cast<eqView*>(self)->updateVars(); }

// A read-out: the value through a printf format.
void show(UILabel* label, const char* format, double value) {
  if (label == nullptr) return;
  label->setText(NSString::stringWithFormat(format, value)->string());
}

// A slider's value as a message to it answers: 0 for an absent slider.
float valueOf(const UISlider* slider) { return slider ? slider->value() : 0.0f; }

// A switch's on state as the sender of an action; nil (or another object) reads as off.
bool isOn(id sender) {
  const auto* s = dynamic_cast<const UISwitch*>(sender);
  return s != nullptr && s->isOn();
}

template <class T>
void store(std::atomic<T>* parameter, T value) {
  if (parameter != nullptr) parameter->store(value, relaxed);
}

template <class T>
T load(const std::atomic<T>* parameter) {
  return parameter != nullptr ? parameter->load(relaxed) : T{};
}

// The slider and read-out of each real value.
struct ValueControl {
  Parameter id;
  Weak<UISlider> eqView::*slider;
  Weak<UILabel> eqView::*label;
  const char* outlet;  // the slider's outlet name, as a layout refusal names it
};
constexpr ValueControl kValueControls[] = {
    {Parameter::bassgain, &eqView::bassGainSlider, &eqView::bassGainLabel, "bassGainSlider"},
    {Parameter::bassfreq, &eqView::bassFrequencySlider, &eqView::bassFrequencyLabel, "bassFrequencySlider"},
    {Parameter::bassintens, &eqView::bassIntensitySlider, &eqView::bassIntensityLabel, "bassIntensitySlider"},
    {Parameter::filtgain, &eqView::gainSlider, &eqView::gainLabel, "gainSlider"},
    {Parameter::filtfreq, &eqView::freqSlider, &eqView::freqLabel, "freqSlider"},
    {Parameter::filtbw, &eqView::BWSlider, &eqView::bandwidthLabel, "BWSlider"},
};

const ValueControl& controlOf(Parameter p) {
  for (const ValueControl& c : kValueControls)
    if (c.id == p) return c;
  return kValueControls[0];  // every real value has a row
}

}  // namespace

double BoundParameters::load(Parameter p) const {
  if (p == Parameter::filttype) return double(lowtide::load(type));
  return lowtide::load(real[static_cast<size_t>(p)]);
}

void BoundParameters::store(Parameter p, double value) const {
  if (p == Parameter::filttype) lowtide::store(type, static_cast<int32_t>(value));
  else lowtide::store(real[static_cast<size_t>(p)], value);
}

ParameterValues BoundParameters::values() const {
  ParameterValues v;
  for (const ParameterRow& s : kParameters) v[s.id] = load(s.id);
  return v;
}

OBJC_CLASS_WITH_MEMBERS(eqView, UIViewController)

void eqView::registerMembers(Class cls) {
  class_addOutlet(cls, "navigationItem", &eqView::navigationItem);
  class_addOutlet(cls, "presetView", &eqView::presetView);
  class_addOutlet(cls, "presetPickerView", &eqView::presetPickerView);
  class_addOutlet(cls, "eqplusbtn", &eqView::eqplusbtn);
  class_addOutlet(cls, "gainLabel", &eqView::gainLabel);
  class_addOutlet(cls, "freqLabel", &eqView::freqLabel);
  class_addOutlet(cls, "bandwidthLabel", &eqView::bandwidthLabel);
  class_addOutlet(cls, "gainSlider", &eqView::gainSlider);
  class_addOutlet(cls, "freqSlider", &eqView::freqSlider);
  class_addOutlet(cls, "BWSlider", &eqView::BWSlider);
  class_addOutlet(cls, "typeControl", &eqView::typeControl);
  class_addOutlet(cls, "powerSwitch", &eqView::powerSwitch);
  class_addOutlet(cls, "bassSwitch", &eqView::bassSwitch);
  class_addOutlet(cls, "bassGainSlider", &eqView::bassGainSlider);
  class_addOutlet(cls, "bassIntensitySlider", &eqView::bassIntensitySlider);
  class_addOutlet(cls, "bassFrequencySlider", &eqView::bassFrequencySlider);
  class_addOutlet(cls, "bassGainLabel", &eqView::bassGainLabel);
  class_addOutlet(cls, "bassIntensityLabel", &eqView::bassIntensityLabel);
  class_addOutlet(cls, "bassFrequencyLabel", &eqView::bassFrequencyLabel);
  class_addOutlet(cls, "versionL", &eqView::versionL);
  class_addOutlet(cls, "scrollView", &eqView::scrollView);
  class_addOutlet(cls, "plus32", &eqView::plus32);
  class_addOutlet(cls, "plus128", &eqView::plus128);
  class_addOutlet(cls, "plus512", &eqView::plus512);
  class_addOutlet(cls, "plus2048", &eqView::plus2048);
  class_addOutlet(cls, "plus8192", &eqView::plus8192);
  class_addOutlet(cls, "plus16k", &eqView::plus16k);
  class_addOutlet(cls, "curveView", &eqView::curveView);

  const std::pair<const char*, void (*)(id, SEL, id)> actions[] = {
      {"gainChanged:", &action<&eqView::gainChanged>},
      {"freqChanged:", &action<&eqView::freqChanged>},
      {"bwchanged:", &action<&eqView::bwchanged>},
      {"typeChanged:", &action<&eqView::typeChanged>},
      {"enabledChanged:", &action<&eqView::enabledChanged>},
      {"bassEnabledChanged:", &action<&eqView::bassEnabledChanged>},
      {"bassGainChanged:", &action<&eqView::bassGainChanged>},
      {"bassIntensityChanged:", &action<&eqView::bassIntensityChanged>},
      {"bassFrequencyChanged:", &action<&eqView::bassFrequencyChanged>},
      {"plusOn:", &action<&eqView::plusOn>},
      {"ch32:", [](id self, SEL, id) { static_cast<eqView*>(self)->bandChanged(static_cast<eqView*>(self)->plus32, 32); }},
      {"ch128:", [](id self, SEL, id) { static_cast<eqView*>(self)->bandChanged(static_cast<eqView*>(self)->plus128, 128); }},
      {"ch512:", [](id self, SEL, id) { static_cast<eqView*>(self)->bandChanged(static_cast<eqView*>(self)->plus512, 512); }},
      {"ch2k:", [](id self, SEL, id) { static_cast<eqView*>(self)->bandChanged(static_cast<eqView*>(self)->plus2048, 2048); }},
      {"ch8k:", [](id self, SEL, id) { static_cast<eqView*>(self)->bandChanged(static_cast<eqView*>(self)->plus8192, 8192); }},
      {"ch16k:", [](id self, SEL, id) { static_cast<eqView*>(self)->bandChanged(static_cast<eqView*>(self)->plus16k, 16384); }},
      {"eqplusopen:", &action<&eqView::eqplusopen>},
      {"close:", &action<&eqView::close>},
      {"infoButtonClick:", &action<&eqView::infoButtonClick>},
      {"moreHit:", &action<&eqView::moreHit>},
      {"updateVars:", [](id, SEL, id) {}},
  };
  for (const auto& [name, imp] : actions) class_addMethod(cls, sel_registerName(name), imp, "v@:@");
  class_addMethod(cls, sel_registerName("updateVars"), &updateVarsMethod, "v@:");
  class_addMethod(cls, sel_registerName("actionSheet:clickedButtonAtIndex:"), &actionSheetClicked, "v@:@q");
  class_addMethod(cls, sel_registerName("popoverControllerShouldDismissPopover:"), &shouldDismissPopover, "B@:@");
}

eqView::eqView() = default;
eqView::~eqView() = default;

bool eqView::initWithNibName(const std::string& nibName, NSBundle* bundle) {
  if (!UIViewController::initWithNibName(nibName, bundle)) return false;
  if (UIScrollView* area = scrollView.get()) area->setContentSize(CGSizeMake(640, 206));
  return true;
}

std::string eqView::layoutRefusal(UIView* root) {
  for (const ValueControl& control : kValueControls) {
    const ParameterRow& p = parameterRow(control.id);
    const std::string why = sliderRangeRefusal((this->*control.slider).get(), control.outlet, {0, p.highest});
    if (!why.empty()) return why;
  }
  return doneRefusal(root, this);
}

std::string filterTypeTitle(int32_t type) {
  const FilterTypeRow* row = filterType(type);
  return row && row->title ? row->title : std::string();
}

void eqView::setTitleForType(int32_t type) {
  const std::string title = filterTypeTitle(type);
  if (!title.empty() && navigationItem) navigationItem->setTitle(title);
}

void eqView::setVars(std::atomic<double>* gain, std::atomic<double>* freq, std::atomic<double>*,
                     std::atomic<double>* bandwidth, std::atomic<bool>* power, std::atomic<int32_t>* type,
                     std::atomic<bool>* bassOn, std::atomic<double>* bassGain,
                     std::atomic<double>* bassIntensity, std::atomic<double>* bassFrequency,
                     UIPopoverController* popover, UpdateFunction updateFunc,
                     UpdatePlusFunction updatePlusFunc, std::atomic<bool>* plusEnabled,
                     std::atomic<Kernel>* processingFunc, Kernel kernel1, Kernel kernel2, Kernel kernel3,
                     Kernel kernel4) {
  activePanel = Ref<eqView>(this);
  if (UIScrollView* area = scrollView.get()) area->setContentSize(CGSizeMake(640, 206));
  setSaveFailureReport(&showSaveFailureAlert);
  presetStore = make<PresetManager>();
  presetStore->loadPresetsFromFile();
  if (NSFileManager::defaultManager()->fileExistsAtPath(kDebugMarkerPath) && eqplusbtn)
    eqplusbtn->setHidden(false);
  aboutString = NSString::stringWithUTF8String(kAboutText);

  boundParameters.real = {bassGain, bassFrequency, bassIntensity, gain, freq, bandwidth, nullptr};
  boundParameters.type = type;
  enabled = power;
  bassenabled = bassOn;
  parent = Weak<UIPopoverController>(popover);
  update = updateFunc;
  updatePlus = updatePlusFunc;
  pluson = plusEnabled;
  process = processingFunc;
  case1 = kernel1;
  case2 = kernel2;
  case3 = kernel3;
  case4 = kernel4;

  // The controls show the engine's values; setting them from code sends no action. The
  // read-outs are formed in double from the parameters.
  for (const ValueControl& c : kValueControls) {
    const double value = boundParameters.load(c.id);
    if (UISlider* slider = (this->*c.slider).get()) slider->setValue(float(value), false);
    show((this->*c.label).get(), parameterRow(c.id).readOut, value * parameterRow(c.id).readOutScale);
  }
  if (powerSwitch) powerSwitch->setOn(load(power), false);
  if (typeControl) typeControl->setSelectedSegmentIndex(load(type));
  if (bassSwitch) bassSwitch->setOn(load(bassOn), false);
  if (versionL) versionL->setTitle(kTunelyVersion);
  setTitleForType(load(type));
}

// After a move the read-out is formed in single precision from the slider's value, then widened.
void eqView::valueMoved(Parameter parameter) {
  const ValueControl& c = controlOf(parameter);
  const ParameterRow& s = parameterRow(parameter);
  const float value = valueOf((this->*c.slider).get());
  show((this->*c.label).get(), s.movedReadOut, double(value * s.readOutScale));
  boundParameters.store(parameter, double(value));
  // The bass values are read by the kernel on every sample: nothing to recompute for them.
  if (s.redesigns && update) update();
  refreshCurve();
}

void eqView::gainChanged(id) { valueMoved(Parameter::filtgain); }
void eqView::freqChanged(id) { valueMoved(Parameter::filtfreq); }
void eqView::bwchanged(id) { valueMoved(Parameter::filtbw); }
void eqView::bassGainChanged(id) { valueMoved(Parameter::bassgain); }
void eqView::bassIntensityChanged(id) { valueMoved(Parameter::bassintens); }
void eqView::bassFrequencyChanged(id) { valueMoved(Parameter::bassfreq); }

void eqView::showSettings(const ParameterValues& values) {
  const ParameterValues positions = asSliderValues(values);
  for (const ValueControl& c : kValueControls)
    if (UISlider* slider = (this->*c.slider).get()) slider->setValue(float(positions[c.id]), false);
  if (typeControl) typeControl->setSelectedSegmentIndex(static_cast<int32_t>(values[Parameter::filttype]));
  runChangeHandlers(*this);
}

// The segment index is the engine's type code, untranslated.
void eqView::typeChanged(id) {
  const auto index = int32_t(typeControl ? typeControl->selectedSegmentIndex() : 0);
  boundParameters.store(Parameter::filttype, index);
  setTitleForType(index);
  if (update) update();
  refreshCurve();
}

void eqView::enabledChanged(id sender) {
  store(enabled, isOn(sender));
  setFunc();
  refreshCurve();
}

void eqView::bassEnabledChanged(id sender) {
  store(bassenabled, isOn(sender));
  setFunc();
  refreshCurve();
}

// The graphic equalizer's switch is recorded only: no kernel runs the bands.
void eqView::plusOn(id sender) { store(pluson, isOn(sender)); }

void eqView::bandChanged(UISlider* slider, int32_t band) {
  if (updatePlus) updatePlus(band, double(valueOf(slider)));
}

void eqView::refreshCurve() {
  if (curveView) curveView->refresh();
}

void eqView::setFunc() {
  if (process == nullptr) return;
  const bool filter = load(enabled), bass = load(bassenabled);
  process->store(filter ? (bass ? case1 : case2) : (bass ? case3 : case4), relaxed);
}

void eqView::eqplusopen(id) {
  if (UIScrollView* area = scrollView.get()) area->setContentOffset(CGPointMake(scInd ? 0 : 320, 0), true);
  scInd = !scInd;
}

void eqView::close(id) {
  if (UIView* panel = view()) panel->setFrame(CGRectMake(0, 7000, 320, 460));
  saveState();
}

void eqView::saveState() {
  writeLastState(boundParameters.values());
}

void eqView::viewDidUnload() {
  gainLabel = nullptr;
  freqLabel = nullptr;
  bandwidthLabel = nullptr;
  gainSlider = nullptr;
  freqSlider = nullptr;
  BWSlider = nullptr;
  typeControl = nullptr;
  powerSwitch = nullptr;
  bassSwitch = nullptr;
  bassGainSlider = nullptr;
  bassIntensitySlider = nullptr;
  bassFrequencySlider = nullptr;
  bassGainLabel = nullptr;
  bassIntensityLabel = nullptr;
  bassFrequencyLabel = nullptr;
  navigationItem = nullptr;
  versionL = nullptr;
  presetView = nullptr;
  presetPickerView = nullptr;
  UIViewController::viewDidUnload();
}

}  // namespace lowtide
