#include "Lowtide/settings/LastState.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <functional>

#include "Lowtide/engine/Equalizer.h"
#include "Lowtide/engine/biquad.h"
#include "Lowtide/settings/SettingsFiles.h"
#include "SettingsFixture.h"
#include "BinaryPlist.h"
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
  writeHostFile(kLastStatePath, BinaryPlist::nestedArrays(30'000));  // would overflow the stack
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
  eq::writeLastState(eq::resetValues());
  const std::string good = readHostFile(kLastStatePath);
  for (auto step : {FileStep::CreateTemporary, FileStep::WriteTemporary, FileStep::Rename,
                    FileStep::CreateDirectory}) {
    FileLayerClearFaults();
    UIAlertViewForgetVisibleAlerts();
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

// What sits at the path but cannot be read as a file (a FIFO, a device, a link that leads
// nowhere or loops, a file too large to be one) is the user's: reading it changes nothing and never
// waits, and closing the panel says so and leaves it exactly as it was.
class LastStateThatCannotBeRead : public LastState {
 protected:
  void expectLeftAlone(const std::function<void()>& check, const std::string& reason) {
    const Parameters before = parameters();
    eq::readLastState();
    EXPECT_EQ(parameters(), before);
    check();
    eq::writeLastState(eq::resetValues());
    check();
    EXPECT_EQ(alertMessages(), std::vector<std::string>{"I could not save to preset file.\nError: " +
                                                        std::string(kLastStatePath) + ": " + reason +
                                                        ". It was left unchanged.\nsize: 1"});
    EXPECT_EQ(listFolder(lowtide::kDataFolder), std::vector<std::string>{"last.plist"});
    UIAlertViewForgetVisibleAlerts();
  }
  void linkTo(const std::string& target) {
    std::filesystem::remove(host(kLastStatePath));
    std::filesystem::create_symlink(target, host(kLastStatePath));
  }
  void expectLinkTo(const std::string& target) {
    EXPECT_TRUE(std::filesystem::is_symlink(host(kLastStatePath)));
    EXPECT_EQ(std::filesystem::read_symlink(host(kLastStatePath)), target);
  }
  void SetUp() override {
    LastState::SetUp();
    std::filesystem::create_directories(host(lowtide::kDataFolder));
  }
};

TEST_F(LastStateThatCannotBeRead, AFifoADeviceOrAnOversizedFileIsLeftAlone) {
  ASSERT_EQ(::mkfifo(host(kLastStatePath).c_str(), 0644), 0);  // waited on for ever if opened blocking
  expectLeftAlone([&] { EXPECT_TRUE(std::filesystem::is_fifo(host(kLastStatePath))); },
                  "could not read the file: not a regular file");
  std::filesystem::remove(host(kLastStatePath));

  linkTo("/dev/zero");  // read without end until memory runs out
  expectLeftAlone([&] { expectLinkTo("/dev/zero"); }, "could not read the file: not a regular file");
  std::filesystem::remove(host(kLastStatePath));

  writeHostFile(kLastStatePath, "");
  std::filesystem::resize_file(host(kLastStatePath), kFileReadLimit + 1);
  expectLeftAlone([&] { EXPECT_EQ(std::filesystem::file_size(host(kLastStatePath)), kFileReadLimit + 1); },
                  "could not read the file: File too large (more than the 64 MiB a file may have)");
}

TEST_F(LastStateThatCannotBeRead, ALinkThatLeadsNowhereIsNeverReplaced) {
  linkTo("gone.plist");
  expectLeftAlone([&] { expectLinkTo("gone.plist"); },
                  "could not open the file: No such file or directory");
  linkTo("last.plist");  // itself
  expectLeftAlone([&] { expectLinkTo("last.plist"); },
                  "could not open the file: Too many levels of symbolic links");
}

TEST_F(LastState, ALinkToARegularFileIsReadAndWrittenThrough) {
  const std::string target = "/var/mobile/Documents/tunely-last.plist";
  writeHostFile(target, "");
  std::filesystem::create_directories(host(lowtide::kDataFolder));
  std::filesystem::create_symlink(host(target), host(kLastStatePath));
  eq::writeLastState(1, 80, 0, 3, 1500, 5, 1);
  EXPECT_TRUE(alertMessages().empty());
  EXPECT_TRUE(std::filesystem::is_symlink(host(kLastStatePath)));
  EXPECT_NE(readHostFile(target).find("<string>1500.000000</string>"), std::string::npos);
  eq::prepareEq(44100);
  eq::readLastState();
  EXPECT_EQ(parameters(), (Parameters{1, 80, 0, 3, 1500, 5, 1, true, true, eq::case1}));
}

}  // namespace
