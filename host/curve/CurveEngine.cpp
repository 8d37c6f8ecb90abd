#include "host/curve/CurveEngine.h"

#include <cstdio>

#include "Lowtide/engine/DesignValues.h"
#include "Lowtide/engine/Equalizer.h"
#include "Lowtide/engine/biquad.h"
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

// The seven values into the parameters, then the main section recomputed.
void storeSettings(double bassgain, double bassfreq, double bassintens, double gain, double freq, double bandwidth,
           int32_t type) {
  eq::bassgain.store(bassgain, relaxed);
  eq::bassfreq.store(bassfreq, relaxed);
  eq::bassintens.store(bassintens, relaxed);
  eq::gain.store(gain, relaxed);
  eq::freq.store(freq, relaxed);
  eq::bandwidth.store(bandwidth, relaxed);
  eq::eqType.store(type, relaxed);
  eq::updateEq();
}

bool loadLastState(std::string& error) {
  if (!hasFile(eq::kLastStatePath, error, "last state")) return false;
  eq::readLastState();
  // The loader switches both stages on whenever it takes the file.
  if (eq::enabled.load(relaxed)) return true;
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

// As the panel loads a preset: its values, limited to their ranges, go through the sliders (so
// in single precision) into the parameters.
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
  const Ref<eq::EQPreset> p = eq::EQPreset::presetForDict(entry);
  auto slider = [](double v) { return double(float(v)); };
  storeSettings(slider(p->bassgain()), slider(p->bassfreq()), slider(p->bassintens()), slider(p->filtgain()),
        slider(p->filtfreq()), slider(p->filtbw()), p->filttype());
  return true;
}

// updateEq keeps the section as it was when the design it made cannot run; the design values
// it leaves behind tell.
bool filterDesignTaken() {
  const float a0 = eq::a0.load(relaxed);
  return eq::isUsableDesign(eq::b0.load(relaxed) / a0, eq::b1.load(relaxed) / a0, eq::b2.load(relaxed) / a0,
                            eq::a1.load(relaxed) / a0, eq::a2.load(relaxed) / a0);
}

const char* filterName(int32_t type) {
  switch (type) {
    case 0: return "Low pass";
    case 1: return "High pass";
    case 2: return "High shelf";
    default: return "Peaking";
  }
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
    storeSettings(o.bassgain, o.bassfreq, o.bassintens, o.filtgain, o.filtfreq, o.filtbw, o.filttype);
  }
  eq::enabled.store(!o.noFilter, relaxed);
  eq::bassenabled.store(!o.noBass, relaxed);
  eq::setFunc();
  if (!o.noFilter && !filterDesignTaken()) {
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
