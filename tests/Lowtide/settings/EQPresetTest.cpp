#include "Lowtide/settings/EQPreset.h"

#include <gtest/gtest.h>

#include <cmath>

#include "foundation/NSNumber.h"

using lowtide::EQPreset;

namespace {

using Entries = std::initializer_list<std::pair<const char*, Ref<NSObject>>>;

Ref<EQPreset> read(Entries entries) {
  auto d = NSMutableDictionary::dictionary();
  for (const auto& [k, v] : entries) d->setObject(v, k);
  return EQPreset::presetForDict(d);
}
Ref<NSObject> s(const char* t) { return NSString::stringWithUTF8String(t); }
Ref<NSObject> num(double v) { return NSNumber::numberWithDouble(v); }

std::vector<double> values(const EQPreset* p) {
  return {p->bassgain(), p->bassfreq(), p->bassintens(), p->filtgain(), p->filtfreq(), p->filtbw(),
          static_cast<double>(p->filttype())};
}
std::map<std::string, std::string> strings(const NSDictionary* d) {
  std::map<std::string, std::string> out;
  for (const auto& [k, v] : d->entries()) out[k] = static_cast<NSString*>(v.get())->string();
  return out;
}

TEST(EQPreset, MakingStoresSevenStringsAndTheValuesUnchecked) {
  auto reset = EQPreset::initWithName("Reset", 1, 80, 0, 0, 2222, 5, 2);
  EXPECT_EQ(reset->returnName()->string(), "Reset");
  EXPECT_EQ(strings(reset->returnSettings().get()),
            (std::map<std::string, std::string>{{"bassgain", "1.000000"}, {"bassfreq", "80.000000"},
                                                {"bassintens", "0.000000"}, {"filtgain", "0.000000"},
                                                {"filtfreq", "2222.000000"}, {"filtbw", "5.000000"},
                                                {"filttype", "2"}}));
  auto wild = EQPreset::initWithName("w", -3, 250, 11, -6, 8000, 1.23456789, 7);
  EXPECT_EQ(values(wild), (std::vector<double>{-3, 250, 11, -6, 8000, 1.23456789, 7}));
  auto d = strings(wild->returnSettings().get());
  EXPECT_EQ(d["bassgain"] + " " + d["bassfreq"] + " " + d["filtbw"] + " " + d["filttype"],
            "-3.000000 250.000000 1.234568 7");

  // The settings are a copy, and setters leave them alone.
  reset->returnSettings()->mutableCopy()->setObject(s("9"), "filttype");
  reset->setFilttype(0);
  EXPECT_EQ(strings(reset->returnSettings().get())["filttype"], "2");
  EXPECT_EQ(reset->filttype(), 0);
}

TEST(EQPreset, ReadingBackRoundsToSixDecimalsAndLimitsUpperBoundThenZero) {
  auto p = EQPreset::presetForDict(
      EQPreset::initWithName("mine", 1.23456789, 123.4567891, 9.9999999, 23.5, 5999.0000004, 4e-7, 1)
          ->returnSettings().get());
  EXPECT_EQ(p->returnName()->string(), "Just Loaded");
  EXPECT_EQ(values(p), (std::vector<double>{1.234568, 123.456789, 10, 23.5, 5999, 0, 1}));

  auto high = EQPreset::presetForDict(EQPreset::initWithName("x", 2, 250, 11, 30, 8000, 12, 7)->returnSettings().get());
  EXPECT_EQ(values(high), (std::vector<double>{1.5, 200, 10, 24, 6000, 10, 2}));
  EXPECT_EQ(strings(high->returnSettings().get())["bassfreq"], "200.000000");
  auto low = EQPreset::presetForDict(EQPreset::initWithName("x", -1, -80, -2, -6, -1, -5, -1)->returnSettings().get());
  EXPECT_EQ(values(low), std::vector<double>(7, 0.0));
  EXPECT_EQ(read({{"filtgain", s("-6.000000")}})->filtgain(), 0.0);
}

TEST(EQPreset, FilterTypeReadsAsADecimalInteger) {
  const std::pair<Ref<NSObject>, int32_t> cases[] = {
      {s("2.0"), 2}, {s("1.9"), 1}, {s(" 1"), 1}, {s("High"), 0}, {s(""), 0},
      {s("99999999999999"), 2}, {s("-99999999999999"), 0}, {num(1.9), 1}, {num(1e30), 2},
      {NSNumber::numberWithInt(1), 1}};
  for (const auto& [value, type] : cases) EXPECT_EQ(read({{"filttype", value}})->filttype(), type);
}

TEST(EQPreset, NumbersReadLikeTheirText) {
  auto fromText = read({{"bassgain", s("0.75")}, {"bassfreq", s("80.5")}, {"filtfreq", s("1000")}});
  auto fromNumbers = read({{"bassgain", num(0.75)}, {"bassfreq", num(80.5)},
                           {"filtfreq", NSNumber::numberWithInt(1000)}});
  EXPECT_EQ(values(fromNumbers), values(fromText));
  EXPECT_EQ(read({{"filtfreq", num(HUGE_VAL)}})->filtfreq(), 6000.0);
  EXPECT_EQ(read({{"filtfreq", s("1e999")}})->filtfreq(), 6000.0);
}

TEST(EQPreset, MissingOddAndNotANumberEntriesReadAsZero) {
  EXPECT_EQ(values(EQPreset::presetForDict(nullptr).get()), std::vector<double>(7, 0.0));
  EXPECT_EQ(EQPreset::presetForDict(nullptr)->returnName()->string(), "Just Loaded");
  auto odd = read({{"bassgain", num(NAN)},
                   {"bassfreq", s("nan")},
                   {"bassintens", NSDictionary::dictionary()},
                   {"filtgain", make<NSArray>(std::vector<Ref<NSObject>>{s("5")})},
                   {"filtfreq", NSData::dataWithBytes("1000", 4)},
                   {"filtbw", num(-HUGE_VAL)},
                   {"filttype", num(NAN)}});
  EXPECT_EQ(values(odd), std::vector<double>(7, 0.0));
  EXPECT_EQ(strings(odd->returnSettings().get())["bassgain"], "0.000000");
}

}  // namespace
