// One preset: a name and the seven values of the main filter and the bass boost, with their
// dictionary form (seven strings) in which presets and the last state are stored.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/NSDictionary.h"
#include "foundation/NSString.h"
#include "objc/NSObject.h"

namespace lowtide {

// The range a stored value is limited to when a preset or the last state is read: anything the
// panel may set must lie in it, or it would not survive a save and a read.
struct StoredRange {
  double lower, upper;
};
inline constexpr StoredRange kBassgainRange{0, 1.5};
inline constexpr StoredRange kBassfreqRange{0, 200};
inline constexpr StoredRange kBassintensRange{0, 10};
inline constexpr StoredRange kFiltgainRange{0, 24};
inline constexpr StoredRange kFiltfreqRange{0, 6000};
inline constexpr StoredRange kFiltbwRange{0, 10};
inline constexpr int32_t kLastFilterType = 2;

class EQPreset : public NSObject {
 public:
  // Makes a preset from the values as given: nothing is checked or limited here.
  static Ref<EQPreset> initWithName(NSString* name, double bassgain, double bassfreq,
                                    double bassintens, double filtgain, double filtfreq,
                                    double filtbw, int32_t filttype);
  static Ref<EQPreset> initWithName(const std::string& name, double bassgain, double bassfreq,
                                    double bassintens, double filtgain, double filtfreq,
                                    double filtbw, int32_t filttype);

  // Reads a preset dictionary (nil reads as empty) into a preset named "Just Loaded", each value
  // limited to its range. Never fails: missing or unreadable entries read as 0.
  static Ref<EQPreset> presetForDict(const NSDictionary* dict);

  // An immutable copy of the preset dictionary.
  Ref<NSDictionary> returnSettings() const { return settings_->copy(); }
  NSString* returnName() const { return presetName_.get(); }

  // The setters change the typed value only; the dictionary keeps what the preset was made with.
  double bassgain() const { return bassgain_; }
  double bassfreq() const { return bassfreq_; }
  double bassintens() const { return bassintens_; }
  double filtgain() const { return filtgain_; }
  double filtfreq() const { return filtfreq_; }
  double filtbw() const { return filtbw_; }
  int32_t filttype() const { return filttype_; }
  void setBassgain(double v) { bassgain_ = v; }
  void setBassfreq(double v) { bassfreq_ = v; }
  void setBassintens(double v) { bassintens_ = v; }
  void setFiltgain(double v) { filtgain_ = v; }
  void setFiltfreq(double v) { filtfreq_ = v; }
  void setFiltbw(double v) { filtbw_ = v; }
  void setFilttype(int32_t v) { filttype_ = v; }

 private:
  EQPreset() = default;

  Ref<NSString> presetName_;
  Ref<NSMutableDictionary> settings_;
  double bassgain_ = 0;
  double bassfreq_ = 0;
  double bassintens_ = 0;
  double filtgain_ = 0;
  double filtfreq_ = 0;
  double filtbw_ = 0;
  int32_t filttype_ = 0;
};

}  // namespace lowtide
