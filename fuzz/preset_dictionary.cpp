// Arbitrary bytes read as a property list, exactly as dictionaryWithContentsOfFile reads a file,
// then built into a preset. Beyond the sanitizers' checks it traps when:
//  - a preset read from a dictionary has a value outside its range, or NaN;
//  - re-reading a preset's own dictionary does not settle after one rounding to six decimals;
//  - a dictionary that encodes as XML does not read back with exactly its keys, or a second XML
//    round trip changes it;
//  - a dictionary that does not encode as XML gives no reason.
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "Lowtide/settings/EQPreset.h"
#include "foundation/NSDictionary.h"
#include "foundation/NSPropertyListSerialization.h"

using lowtide::EQPreset;

namespace {

void require(bool condition) {
  if (!condition) __builtin_trap();
}

bool within(double v, double upper) { return !std::isnan(v) && v >= 0 && v <= upper; }

void checkRanges(const EQPreset* p) {
  require(within(p->bassgain(), 1.5) && within(p->bassfreq(), 200) &&
          within(p->bassintens(), 10) && within(p->filtgain(), 24) &&
          within(p->filtfreq(), 6000) && within(p->filtbw(), 10));
  require(p->filttype() >= 0 && p->filttype() <= 2);
  require(p->returnSettings()->count() == 7);
}

bool sameValues(const EQPreset* a, const EQPreset* b) {
  return a->bassgain() == b->bassgain() && a->bassfreq() == b->bassfreq() &&
         a->bassintens() == b->bassintens() && a->filtgain() == b->filtgain() &&
         a->filtfreq() == b->filtfreq() && a->filtbw() == b->filtbw() &&
         a->filttype() == b->filttype();
}

Ref<NSDictionary> xmlRoundTrip(const NSDictionary* dict, Ref<NSString>* error = nullptr) {
  Ref<NSData> xml =
      NSPropertyListSerialization::dataFromPropertyList(dict, NSPropertyListXMLFormat_v1_0, error);
  return xml ? NSDictionary::dictionaryWithContentsOfData(xml) : nullptr;
}

bool sameKeys(const NSDictionary* a, const NSDictionary* b) {
  if (a->count() != b->count()) return false;
  for (auto x = a->entries().begin(), y = b->entries().begin(); x != a->entries().end(); ++x, ++y)
    if (x->first != y->first) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Ref<NSData> bytes = NSData::dataWithBytes(data, size);
  Ref<NSDictionary> dict = NSDictionary::dictionaryWithContentsOfData(bytes);

  Ref<EQPreset> first = EQPreset::presetForDict(dict);
  checkRanges(first);
  Ref<NSDictionary> firstSettings = first->returnSettings();
  Ref<EQPreset> second = EQPreset::presetForDict(firstSettings);
  Ref<NSDictionary> secondSettings = second->returnSettings();
  Ref<EQPreset> third = EQPreset::presetForDict(secondSettings);
  checkRanges(second);
  require(sameValues(second, third));

  if (dict) {
    // What was read holds only property-list objects: it is written and read back with every key
    // unchanged, unless it holds text or a date that XML cannot hold, which is then said.
    Ref<NSString> error;
    Ref<NSDictionary> once = xmlRoundTrip(dict, &error);
    if (!once) {
      require(error && !error->string().empty());
      return 0;
    }
    require(sameKeys(once, dict));
    Ref<NSDictionary> twice = xmlRoundTrip(once);
    require(twice && twice->isEqualToDictionary(once));
  }
  return 0;
}
