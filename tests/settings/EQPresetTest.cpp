#include "Lowtide/settings/EQPreset.h"

#include <gtest/gtest.h>

#include <cmath>

#include "foundation/NSArray.h"
#include "foundation/NSNumber.h"

using lowtide::EQPreset;

namespace {

std::string entry(const NSDictionary* d, const char* key) {
  auto s = dynamic_cast<const NSString*>(d->objectForKey(key));
  return s ? s->string() : "<missing>";
}

// A preset dictionary with the given entries (others missing).
Ref<NSDictionary> dict(std::initializer_list<std::pair<const char*, Ref<NSObject>>> entries) {
  auto d = NSMutableDictionary::dictionary();
  for (const auto& [k, v] : entries) d->setObject(v, k);
  return d;
}
Ref<NSObject> s(const char* t) { return NSString::stringWithUTF8String(t); }
Ref<NSObject> real(double v) { return NSNumber::numberWithDouble(v); }

void expectValues(const EQPreset* p, double bg, double bf, double bi, double fg, double ff,
                  double bw, int32_t type) {
  EXPECT_EQ(p->bassgain(), bg);
  EXPECT_EQ(p->bassfreq(), bf);
  EXPECT_EQ(p->bassintens(), bi);
  EXPECT_EQ(p->filtgain(), fg);
  EXPECT_EQ(p->filtfreq(), ff);
  EXPECT_EQ(p->filtbw(), bw);
  EXPECT_EQ(p->filttype(), type);
}

TEST(EQPreset, MakingStoresSevenStringsAndTheValuesAsGiven) {
  auto p = EQPreset::initWithName("Reset", 1, 80, 0, 0, 2222, 5, 2);
  EXPECT_EQ(p->returnName()->string(), "Reset");
  expectValues(p, 1, 80, 0, 0, 2222, 5, 2);
  Ref<NSDictionary> d = p->returnSettings();
  EXPECT_EQ(d->count(), 7u);
  EXPECT_EQ(entry(d, "bassgain"), "1.000000");
  EXPECT_EQ(entry(d, "bassfreq"), "80.000000");
  EXPECT_EQ(entry(d, "bassintens"), "0.000000");
  EXPECT_EQ(entry(d, "filtgain"), "0.000000");
  EXPECT_EQ(entry(d, "filtfreq"), "2222.000000");
  EXPECT_EQ(entry(d, "filtbw"), "5.000000");
  EXPECT_EQ(entry(d, "filttype"), "2");

  // Nothing is limited when making: out-of-range values are stored as given.
  auto wild = EQPreset::initWithName("w", -3, 250, 11, -6, 8000, 1.23456789, 7);
  expectValues(wild, -3, 250, 11, -6, 8000, 1.23456789, 7);
  EXPECT_EQ(entry(wild->returnSettings(), "bassgain"), "-3.000000");
  EXPECT_EQ(entry(wild->returnSettings(), "bassfreq"), "250.000000");
  EXPECT_EQ(entry(wild->returnSettings(), "filtbw"), "1.234568");
  EXPECT_EQ(entry(wild->returnSettings(), "filttype"), "7");
}

TEST(EQPreset, SettingsAreACopyAndSettersLeaveThemAlone) {
  auto p = EQPreset::initWithName("p", 1, 80, 0, 0, 2222, 5, 2);
  auto copy = p->returnSettings()->mutableCopy();
  copy->setObject(NSString::stringWithUTF8String("9"), "filttype");
  p->setFilttype(0);
  p->setBassfreq(10);
  EXPECT_EQ(entry(p->returnSettings(), "filttype"), "2");
  EXPECT_EQ(entry(p->returnSettings(), "bassfreq"), "80.000000");
  EXPECT_EQ(p->filttype(), 0);
  EXPECT_EQ(p->bassfreq(), 10.0);
}

TEST(EQPreset, RoundTripGivesTheValuesToSixDecimals) {
  auto p = EQPreset::initWithName("mine", 1.23456789, 123.4567891, 9.9999999, 23.5, 5999.0000004,
                                  0.0000004, 1);
  auto back = EQPreset::presetForDict(p->returnSettings());
  EXPECT_EQ(back->returnName()->string(), "Just Loaded");
  expectValues(back, 1.234568, 123.456789, 10.0, 23.5, 5999.0, 0.0, 1);
  EXPECT_EQ(entry(back->returnSettings(), "bassgain"), "1.234568");
}

TEST(EQPreset, ReadingLimitsEachValueUpperBoundThenZero) {
  auto back = EQPreset::presetForDict(EQPreset::initWithName("x", 2, 250, 11, 30, 8000, 12, 7)->returnSettings());
  expectValues(back, 1.5, 200, 10, 24, 6000, 10, 2);
  EXPECT_EQ(entry(back->returnSettings(), "bassfreq"), "200.000000");
  EXPECT_EQ(entry(back->returnSettings(), "filttype"), "2");

  auto negative = EQPreset::presetForDict(EQPreset::initWithName("x", -1, -80, -2, -6, -1, -5, -1)->returnSettings());
  expectValues(negative, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(EQPreset::presetForDict(dict({{"filtgain", s("-6.000000")}}))->filtgain(), 0.0);
  EXPECT_EQ(EQPreset::presetForDict(dict({{"bassfreq", s("0")}}))->bassfreq(), 0.0);
}

TEST(EQPreset, FilterTypeTextReadsAsADecimalInteger) {
  auto type = [](Ref<NSObject> v) { return EQPreset::presetForDict(dict({{"filttype", v}}))->filttype(); };
  EXPECT_EQ(type(s("2.0")), 2);
  EXPECT_EQ(type(s("1.9")), 1);
  EXPECT_EQ(type(s(" 1")), 1);
  EXPECT_EQ(type(s("High Shelf")), 0);
  EXPECT_EQ(type(s("")), 0);
  EXPECT_EQ(type(s("99999999999999")), 2);
  EXPECT_EQ(type(s("-99999999999999")), 0);
}

TEST(EQPreset, NumbersReadLikeTheirText) {
  auto fromText = EQPreset::presetForDict(dict({{"bassgain", s("0.75")}, {"bassfreq", s("80.5")},
                                                {"filtfreq", s("1000")}, {"filttype", s("1")}}));
  auto fromNumbers = EQPreset::presetForDict(
      dict({{"bassgain", real(0.75)}, {"bassfreq", real(80.5)},
            {"filtfreq", NSNumber::numberWithInt(1000)}, {"filttype", NSNumber::numberWithInt(1)}}));
  expectValues(fromNumbers, fromText->bassgain(), fromText->bassfreq(), 0, 0, fromText->filtfreq(), 0,
               fromText->filttype());
  EXPECT_EQ(fromNumbers->filttype(), 1);
  // A real filter type is cut to its integer part, then limited.
  EXPECT_EQ(EQPreset::presetForDict(dict({{"filttype", real(1.9)}}))->filttype(), 1);
  EXPECT_EQ(EQPreset::presetForDict(dict({{"filttype", real(1e30)}}))->filttype(), 2);
  EXPECT_EQ(EQPreset::presetForDict(dict({{"filtfreq", real(HUGE_VAL)}}))->filtfreq(), 6000.0);
  EXPECT_EQ(EQPreset::presetForDict(dict({{"filtfreq", s("1e999")}}))->filtfreq(), 6000.0);
}

TEST(EQPreset, MissingOddAndNotANumberEntriesReadAsZero) {
  Ref<NSDictionary> empty = NSDictionary::dictionary();
  for (NSDictionary* d : {static_cast<NSDictionary*>(nullptr), empty.get()}) {
    auto p = EQPreset::presetForDict(d);
    EXPECT_EQ(p->returnName()->string(), "Just Loaded");
    expectValues(p, 0, 0, 0, 0, 0, 0, 0);
  }
  auto odd = EQPreset::presetForDict(dict({
      {"bassgain", real(NAN)},
      {"bassfreq", s("nan")},
      {"bassintens", NSDictionary::dictionary()},
      {"filtgain", make<NSArray>(std::vector<Ref<NSObject>>{s("5")})},
      {"filtfreq", NSData::dataWithBytes("1000", 4)},
      {"filtbw", real(-HUGE_VAL)},
      {"filttype", real(NAN)},
  }));
  expectValues(odd, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(entry(odd->returnSettings(), "bassgain"), "0.000000");
}

}  // namespace
