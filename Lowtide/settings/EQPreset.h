// One preset: a name and the seven values of the main filter and the bass boost, with their
// dictionary form (seven strings) in which presets and the last state are stored.
#pragma once

#include <cstdint>
#include <string>

#include "Lowtide/engine/ParameterSet.h"
#include "foundation/NSDictionary.h"
#include "foundation/NSString.h"
#include "objc/NSObject.h"

namespace lowtide {

class EQPreset : public NSObject {
 public:
  // Makes a preset from the values as given: nothing is checked or limited here.
  static Ref<EQPreset> initWithName(NSString* name, double bassgain, double bassfreq,
                                    double bassintens, double filtgain, double filtfreq,
                                    double filtbw, int32_t filttype);
  static Ref<EQPreset> initWithName(const std::string& name, double bassgain, double bassfreq,
                                    double bassintens, double filtgain, double filtfreq,
                                    double filtbw, int32_t filttype);
  static Ref<EQPreset> initWithName(NSString* name, const ParameterValues& values);
  static Ref<EQPreset> initWithName(const std::string& name, const ParameterValues& values);

  // Reads a preset dictionary (nil reads as empty) into a preset named "Just Loaded", each value
  // limited to its range. Never fails: missing or unreadable entries read as 0.
  static Ref<EQPreset> presetForDict(const NSDictionary* dict);

  // An immutable copy of the preset dictionary.
  Ref<NSDictionary> returnSettings() const { return settings_->copy(); }
  NSString* returnName() const { return presetName_.get(); }

  // The setters change the typed value only; the dictionary keeps what the preset was made with.
  const ParameterValues& values() const { return values_; }
  double value(Parameter p) const { return values_[p]; }
  double bassgain() const { return values_[Parameter::bassgain]; }
  double bassfreq() const { return values_[Parameter::bassfreq]; }
  double bassintens() const { return values_[Parameter::bassintens]; }
  double filtgain() const { return values_[Parameter::filtgain]; }
  double filtfreq() const { return values_[Parameter::filtfreq]; }
  double filtbw() const { return values_[Parameter::filtbw]; }
  int32_t filttype() const { return static_cast<int32_t>(values_[Parameter::filttype]); }
  void setValue(Parameter p, double v) { values_[p] = v; }
  void setBassgain(double v) { values_[Parameter::bassgain] = v; }
  void setBassfreq(double v) { values_[Parameter::bassfreq] = v; }
  void setBassintens(double v) { values_[Parameter::bassintens] = v; }
  void setFiltgain(double v) { values_[Parameter::filtgain] = v; }
  void setFiltfreq(double v) { values_[Parameter::filtfreq] = v; }
  void setFiltbw(double v) { values_[Parameter::filtbw] = v; }
  void setFilttype(int32_t v) { values_[Parameter::filttype] = v; }

 private:
  EQPreset() = default;

  Ref<NSString> presetName_;
  Ref<NSMutableDictionary> settings_;
  ParameterValues values_;
};

}  // namespace lowtide
