#include "host/curve/CurveEngine.h"

#include <cstdio>

#include "Lowtide/engine/Equalizer.h"
#include "Lowtide/engine/ParameterSet.h"
#include "Lowtide/settings/ApplySettings.h"
#include "Lowtide/settings/EQPreset.h"
#include "Lowtide/settings/LastState.h"
#include "Lowtide/settings/SettingsFiles.h"
#include "foundation/DeviceRoot.h"
#include "foundation/NSArray.h"
#include "foundation/NSDictionary.h"
#include "foundation/NSFileManager.h"
#include "host/text/MessageText.h"

namespace host {
namespace {

namespace eq = lowtide;
constexpr auto relaxed = std::memory_order_relaxed;

std::string format(const char* pattern, double value) {
  char text[64];
  std::snprintf(text, sizeof text, pattern, value);
  return text;
}

bool hasFile(const char* devicePath, std::string& error, const char* what) {
  if (NSFileManager::defaultManager()->fileExistsAtPath(devicePath)) return true;
  error = std::string("no ") + what + " at " + quotedPath(DevicePathToHost(devicePath));
  return false;
}

bool loadLastState(std::string& error) {
  if (!hasFile(eq::kLastStatePath, error, "last state")) return false;
  if (eq::readLastState()) return true;
  error = "the last state at " + quotedPath(DevicePathToHost(eq::kLastStatePath)) +
          " holds no filter frequency, so the player does not load it";
  return false;
}

std::string presetNames(const NSDictionary& stored) {
  const Ref<NSArray> keys = stored.allKeys();
  std::string names;
  for (size_t i = 0; i < keys->count(); ++i) {
    if (auto* name = dynamic_cast<NSString*>(keys->objectAtIndex(i)))
      names += (names.empty() ? "" : ", ") + quotedWord(name->string());
  }
  return names.empty() ? "it holds none" : "it holds " + names;
}

// As the panel loads a preset: its values, limited to their ranges, go through the sliders into
// the parameters.
bool loadPreset(const std::string& name, std::string& error) {
  if (!hasFile(eq::kPresetsPath, error, "preset store")) return false;
  const std::string path = DevicePathToHost(eq::kPresetsPath);
  const Ref<NSDictionary> stored = NSDictionary::dictionaryWithContentsOfFile(eq::kPresetsPath);
  if (!stored) {
    error = "cannot read the preset store " + quotedPath(path) + " as a property list of presets";
    return false;
  }
  const auto* entry = dynamic_cast<const NSDictionary*>(stored->objectForKey(name));
  if (entry == nullptr) {
    error = "no preset " + quotedWord(name) + " in " + quotedPath(path) + " (" + presetNames(*stored) + ")";
    return false;
  }
  eq::applyAsPanelLoad(eq::EQPreset::presetForDict(entry)->values());
  return true;
}

const char* filterName(int32_t type) {
  const eq::FilterTypeRow* row = eq::filterType(type);
  return row ? row->name : "An unknown filter";
}

}  // namespace

bool settleEngine(const CurveOptions& o, std::string& error) {
  // The stream comes first: the player prepares the first track as it starts and loads the last
  // state two seconds later.
  eq::prepareEq(o.rate);
  if (o.lastState) {
    if (!loadLastState(error)) return false;
  } else if (!o.preset.empty()) {
    if (!loadPreset(o.preset, error)) return false;
  } else {
    eq::ParameterValues values = o.values;
    values[eq::Parameter::filttype] = o.filttype;
    eq::applyParameters(values);
  }
  eq::enabled.store(!o.noFilter, relaxed);
  eq::bassenabled.store(!o.noBass, relaxed);
  eq::setFunc();
  if (!o.noFilter && !eq::lastDesignTaken()) {
    error = "no stable filter can be designed at " + format("%g Hz", eq::freq.load(relaxed)) + " with a bandwidth of " +
            format("%g octaves", eq::bandwidth.load(relaxed)) + " for a stream at " + format("%g Hz", o.rate) +
            "; the player would keep the filter it had";
    return false;
  }
  return true;
}

std::string passThroughReason(const CurveOptions& o, const eq::EqualizerChain& chain) {
  if ((o.noFilter && o.noBass) || !chain.isFlat()) return {};
  return "at " + format("%g Hz", o.rate) +
         " the equalizer cannot design all its filter sections, so it passes the stream through unchanged";
}

std::string describeSettings(const eq::EqualizerChain& chain) {
  if (!chain.known) return "A kernel the curve does not know";
  if (chain.isFlat()) return "Both stages off: the stream passes unchanged";
  std::string text;
  if (chain.filter) {
    const int32_t type = eq::eqType.load(relaxed);
    text = std::string(filterName(type)) + format(" %g Hz", eq::freq.load(relaxed));
    if (type >= 2) text += format(", %+g dB", eq::gain.load(relaxed));
    if (type != 2) text += format(", bandwidth %g octaves", eq::bandwidth.load(relaxed));
  }
  if (chain.bass) {
    text += text.empty() ? "Bass boost" : "; then bass boost";
    text += format(": gain %g", chain.bass->gain) + format(", intensity %g", chain.bass->intensity) +
            format(", frequency %g", chain.bass->k);
  }
  return text;
}

std::string describeStream(const eq::EqualizerChain& chain) {
  const std::string rate = format("%g Hz", chain.sampleRate);
  switch (chain.channels) {
    case 1: return "Mono at " + rate;
    case 2: return "Stereo at " + rate + ": the left channel for a centred signal; crosstalk from the right";
    default:
      return std::to_string(chain.channels) + " channels at " + rate +
             ": the first channel for the same signal in all; crosstalk from the others";
  }
}

}  // namespace host
