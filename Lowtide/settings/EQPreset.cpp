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

// The upper bound first, then zero.
template <class T>
T limited(T value, T upper) {
  if (value > upper) value = upper;
  if (value < 0) value = 0;
  return value;
}

}  // namespace

Ref<EQPreset> EQPreset::initWithName(NSString* name, const ParameterValues& values) {
  Ref<EQPreset> preset = Ref<EQPreset>::adopt(new EQPreset);
  preset->presetName_ = Ref<NSString>(name);
  preset->settings_ = NSMutableDictionary::dictionary();
  for (const ParameterRow& p : kParameters) {
    const double v = values[p.id];
    preset->settings_->setObject(
        p.whole ? NSString::stringWithFormat("%i", static_cast<int32_t>(v)) : NSString::stringWithFormat("%f", v),
        p.key);
  }
  preset->values_ = values;
  // The filter type is held as the whole number the record says.
  preset->values_[Parameter::filttype] = static_cast<int32_t>(values[Parameter::filttype]);
  return preset;
}

Ref<EQPreset> EQPreset::initWithName(const std::string& name, const ParameterValues& values) {
  const Ref<NSString> text = NSString::stringWithString(name);
  return initWithName(text.get(), values);
}

namespace {
ParameterValues listed(double bassgain, double bassfreq, double bassintens, double filtgain, double filtfreq,
                       double filtbw, int32_t filttype) {
  return ParameterValues{{bassgain, bassfreq, bassintens, filtgain, filtfreq, filtbw, double(filttype)}};
}
}  // namespace

Ref<EQPreset> EQPreset::initWithName(NSString* name, double bassgain, double bassfreq,
                                     double bassintens, double filtgain, double filtfreq,
                                     double filtbw, int32_t filttype) {
  return initWithName(name, listed(bassgain, bassfreq, bassintens, filtgain, filtfreq, filtbw, filttype));
}

Ref<EQPreset> EQPreset::initWithName(const std::string& name, double bassgain, double bassfreq,
                                     double bassintens, double filtgain, double filtfreq,
                                     double filtbw, int32_t filttype) {
  return initWithName(name, listed(bassgain, bassfreq, bassintens, filtgain, filtfreq, filtbw, filttype));
}

Ref<EQPreset> EQPreset::presetForDict(const NSDictionary* dict) {
  ParameterValues values;
  for (const ParameterRow& p : kParameters) {
    values[p.id] = p.whole ? limited(readInt(dict, p.key), static_cast<int32_t>(p.highest))
                           : limited(readDouble(dict, p.key), p.highest);
  }
  return initWithName("Just Loaded", values);
}

}  // namespace lowtide
