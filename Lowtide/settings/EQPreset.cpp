#include "Lowtide/settings/EQPreset.h"

#include <cmath>

#include "foundation/NSNumber.h"

namespace lowtide {

namespace {

// A real-valued entry: text parsed as a decimal number, a number taken as it is. Missing entries,
// other kinds of value and NaN read as 0.
double readDouble(const NSDictionary* dict, const char* key) {
  const NSObject* entry = dict ? dict->objectForKey(key) : nullptr;
  double value = 0;
  if (auto text = dynamic_cast<const NSString*>(entry)) value = text->doubleValue();
  else if (auto number = dynamic_cast<const NSNumber*>(entry)) value = number->doubleValue();
  return std::isnan(value) ? 0 : value;
}

// The filter type: text parsed as a decimal integer ("1.9" gives 1), a number cut to its integer
// part; missing entries and other kinds of value read as 0.
int32_t readInt(const NSDictionary* dict, const char* key) {
  const NSObject* entry = dict ? dict->objectForKey(key) : nullptr;
  if (auto text = dynamic_cast<const NSString*>(entry)) return text->intValue();
  if (auto number = dynamic_cast<const NSNumber*>(entry)) return number->intValue();
  return 0;
}

// The upper bound first, then the lower.
template <class T>
T limited(T value, T lower, T upper) {
  if (value > upper) value = upper;
  if (value < lower) value = lower;
  return value;
}

double limited(double value, StoredRange range) { return limited(value, range.lower, range.upper); }

}  // namespace

Ref<EQPreset> EQPreset::initWithName(NSString* name, double bassgain, double bassfreq,
                                     double bassintens, double filtgain, double filtfreq,
                                     double filtbw, int32_t filttype) {
  Ref<EQPreset> preset = Ref<EQPreset>::adopt(new EQPreset);
  preset->presetName_ = Ref<NSString>(name);
  preset->settings_ = NSMutableDictionary::dictionary();
  NSMutableDictionary& s = *preset->settings_;
  s.setObject(NSString::stringWithFormat("%f", bassgain), "bassgain");
  s.setObject(NSString::stringWithFormat("%f", bassfreq), "bassfreq");
  s.setObject(NSString::stringWithFormat("%f", bassintens), "bassintens");
  s.setObject(NSString::stringWithFormat("%f", filtgain), "filtgain");
  s.setObject(NSString::stringWithFormat("%f", filtfreq), "filtfreq");
  s.setObject(NSString::stringWithFormat("%f", filtbw), "filtbw");
  s.setObject(NSString::stringWithFormat("%i", filttype), "filttype");
  preset->bassgain_ = bassgain;
  preset->bassfreq_ = bassfreq;
  preset->bassintens_ = bassintens;
  preset->filtgain_ = filtgain;
  preset->filtfreq_ = filtfreq;
  preset->filtbw_ = filtbw;
  preset->filttype_ = filttype;
  return preset;
}

Ref<EQPreset> EQPreset::initWithName(const std::string& name, double bassgain, double bassfreq,
                                     double bassintens, double filtgain, double filtfreq,
                                     double filtbw, int32_t filttype) {
  const Ref<NSString> text = NSString::stringWithString(name);
  return initWithName(text.get(), bassgain, bassfreq, bassintens, filtgain,
                      filtfreq, filtbw, filttype);
}

Ref<EQPreset> EQPreset::presetForDict(const NSDictionary* dict) {
  return initWithName("Just Loaded",
                      limited(readDouble(dict, "bassgain"), kBassgainRange),
                      limited(readDouble(dict, "bassfreq"), kBassfreqRange),
                      limited(readDouble(dict, "bassintens"), kBassintensRange),
                      limited(readDouble(dict, "filtgain"), kFiltgainRange),
                      limited(readDouble(dict, "filtfreq"), kFiltfreqRange),
                      limited(readDouble(dict, "filtbw"), kFiltbwRange),
                      limited(readInt(dict, "filttype"), int32_t{0}, kLastFilterType));
}

}  // namespace lowtide
