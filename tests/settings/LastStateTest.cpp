#include "Lowtide/settings/LastState.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "Lowtide/engine/Equalizer.h"
#include "Lowtide/engine/biquad.h"
#include "Lowtide/settings/SettingsFiles.h"
#include "SettingsFixture.h"
#include "foundation/NSNumber.h"

using lowtide::kLastStatePath;
namespace eq = lowtide;

namespace {

constexpr auto relaxed = std::memory_order_relaxed;

struct Parameters {
  double bassgain, bassfreq, bassintens, gain, freq, bandwidth;
  int32_t eqType;
  bool enabled, bassenabled;
  eq::Kernel kernel;
  bool operator==(const Parameters&) const = default;
};

Parameters parameters() {
  return {eq::bassgain.load(), eq::bassfreq.load(), eq::bassintens.load(), eq::gain.load(),
          eq::freq.load(),     eq::bandwidth.load(), eq::eqType.load(),    eq::enabled.load(),
          eq::bassenabled.load(), eq::performFilters.load()};
}

std::vector<float> mainCoefficients() {
  eq::biquad* s = eq::mainFilter.load();
  return {s->c0.load(relaxed), s->c1.load(relaxed), s->c2.load(relaxed), s->c3.load(relaxed),
          s->c4.load(relaxed)};
}

class LastState : public SettingsTest {
 protected:
  static void writeState(std::initializer_list<std::pair<const char*, Ref<NSObject>>> entries) {
    auto d = NSMutableDictionary::dictionary();
    for (const auto& [k, v] : entries) d->setObject(v, k);
    std::filesystem::create_directories(host(lowtide::kDataFolder));
    ASSERT_TRUE(d->writeToFile(kLastStatePath, true));
  }
  static Ref<NSObject> s(const char* t) { return NSString::stringWithUTF8String(t); }
};

TEST_F(LastState, NoFileCreatesAnEmptyOneAndChangesNothing) {
  const Parameters before = parameters();
  eq::readLastState();
  EXPECT_TRUE(std::filesystem::is_regular_file(host(kLastStatePath)));
  EXPECT_EQ(readHostFile(kLastStatePath), "");
  eq::readLastState();  // the empty file reads as no settings
  EXPECT_EQ(parameters(), before);
}

TEST_F(LastState, AFileWithoutAPositiveFilterFrequencyIsIgnoredWhole) {
  const Parameters before = parameters();
  writeState({{"bassgain", s("1.200000")}, {"bassfreq", s("100.000000")}, {"filttype", s("1")}});
  eq::readLastState();
  EXPECT_EQ(parameters(), before);
  for (const char* freq : {"0.000000", "-500.000000", "none"}) {
    writeState({{"bassgain", s("1.200000")}, {"filtfreq", s(freq)}});
    eq::readLastState();
    EXPECT_EQ(parameters(), before) << freq;
  }
  writeHostFile(kLastStatePath, "damaged");
  eq::readLastState();
  EXPECT_EQ(parameters(), before);
}

TEST_F(LastState, AFileLoadsWithLimitsSwitchesBothStagesOnAndSelectsCase1) {
  eq::prepareEq(44100);
  eq::enabled = false;
  eq::setFunc();
  const std::vector<float> oldCoefficients = mainCoefficients();
  writeState({{"bassgain", s("1.250000")}, {"bassfreq", s("250.000000")}, {"bassintens", s("3.5")},
              {"filtgain", s("-6.000000")}, {"filtfreq", s("8000.000000")}, {"filtbw", s("2.000000")},
              {"filttype", s("3")}});
  eq::readLastState();
  EXPECT_EQ(parameters(), (Parameters{1.25, 200, 3.5, 0, 6000, 2, 2, true, true, eq::case1}));
  const std::vector<float> restored = mainCoefficients();  // recomputed from the new values
  EXPECT_NE(restored, oldCoefficients);
  eq::updateEq();
  EXPECT_EQ(mainCoefficients(), restored);
}

TEST_F(LastState, NumbersInsteadOfStringsLoadTheSameAndMissingEntriesAsZero) {
  eq::prepareEq(48000);
  writeState({{"bassgain", NSNumber::numberWithDouble(0.5)}, {"bassfreq", NSNumber::numberWithInt(90)},
              {"filtgain", NSNumber::numberWithDouble(6)}, {"filtfreq", NSNumber::numberWithDouble(3000.5)},
              {"filtbw", NSNumber::numberWithInt(4)}, {"filttype", NSNumber::numberWithDouble(1.9)}});
  eq::readLastState();
  EXPECT_EQ(parameters(), (Parameters{0.5, 90, 0, 6, 3000.5, 4, 1, true, true, eq::case1}));
}

TEST_F(LastState, BeforeTheFirstPreparationTheSelectionFallsBackToPassThrough) {
  writeState({{"filtfreq", s("1000.000000")}});
  eq::readLastState();
  EXPECT_EQ(eq::freq.load(), 1000.0);
  EXPECT_TRUE(eq::enabled.load() && eq::bassenabled.load());
  EXPECT_EQ(eq::performFilters.load(), eq::case4);  // no main section yet
}

TEST_F(LastState, TheWrittenFileHoldsExactlySevenStringsAndReadsBack) {
  eq::writeLastState(1.23456789, 80, 0, -3, 2222, 5, 2);
  Ref<NSDictionary> file = NSDictionary::dictionaryWithContentsOfFile(kLastStatePath);
  std::map<std::string, std::string> entries;
  for (const auto& [k, v] : file->entries()) entries[k] = text(v);
  EXPECT_EQ(entries, (std::map<std::string, std::string>{
                         {"bassgain", "1.234568"}, {"bassfreq", "80.000000"}, {"bassintens", "0.000000"},
                         {"filtgain", "-3.000000"}, {"filtfreq", "2222.000000"}, {"filtbw", "5.000000"},
                         {"filttype", "2"}}));
  eq::writeLastState(1, 80, 0, 0, 1000, 5, 0);  // over an existing file
  eq::prepareEq(44100);
  eq::readLastState();
  EXPECT_EQ(parameters(), (Parameters{1, 80, 0, 0, 1000, 5, 0, true, true, eq::case1}));
  EXPECT_TRUE(alertMessages().empty());
}

TEST_F(LastState, AFailedWriteIsShownAndKeepsTheOldFile) {
  eq::writeLastState(1, 80, 0, 0, 2222, 5, 2);
  const std::string good = readHostFile(kLastStatePath);
  for (auto step : {FileStep::CreateTemporary, FileStep::WriteTemporary, FileStep::Rename,
                    FileStep::CreateDirectory}) {
    FileLayerClearFaults();
    UIAlertViewClearShownAlerts();
    FileLayerInjectFault(step, EIO);
    eq::writeLastState(0.5, 50, 1, 1, 500, 1, 0);
    EXPECT_EQ(readHostFile(kLastStatePath), good);
    EXPECT_EQ(listFolder(lowtide::kDataFolder), std::vector<std::string>{"last.plist"});
    auto messages = alertMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("I could not save to preset file.\nError: /var/mobile/", 0), 0u);
    EXPECT_TRUE(messages[0].ends_with("Input/output error\nsize: 1")) << messages[0];
  }
}

}  // namespace
