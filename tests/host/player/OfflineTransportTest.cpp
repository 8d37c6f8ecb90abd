// The transport offline, end to end through the `tunely` command: a script pauses, seeks and
// skips at block boundaries of the media clock, and the file must be what the engine makes of
// the audio so played, bit for bit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <regex>

#include "CommandHarness.h"
#include "Lowtide/engine/EngineTesting.h"
#include "Lowtide/engine/Equalizer.h"

namespace {

using namespace tunely_test;
using Audio = std::vector<float>;
constexpr double kRate = 44100;

// The output frame where the turn due at `seconds` comes, every block (4096 frames) whole.
int64_t boundary(double seconds) {
  double clock = 0;
  int64_t frame = 0;
  for (; clock < seconds; frame += 4096) clock += 4096 / kRate;
  return frame;
}

Audio frames(const host::DecodedAudio& a, int64_t from, int64_t to) {
  return {a.samples.begin() + from * 2, a.samples.begin() + to * 2};
}

Audio joined(std::initializer_list<Audio> parts) {
  Audio all;
  for (const Audio& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

// The engine with the bass boost of the last state below loaded at frame `from` (the controls
// load it at 2.0 s), one filter state throughout.
Audio throughBassBoost(Audio samples, int64_t from) {
  using namespace lowtide;
  resetEngineForTesting();
  prepareEq(kRate);
  bassgain = 0.8, bassfreq = 80.0, bassintens = 2.0, freq = 2222.0, gain = 6.0, bandwidth = 5.0;
  eqType = 2, bassenabled = true, enabled = true;
  selectKernel(case1);
  updateEq();
  for (size_t i = size_t(from) * 2; i < samples.size(); ++i) samples[i] = performFilters.load()(samples[i]);
  resetEngineForTesting();
  return samples;
}

class OfflineTransportTest : public ::testing::Test {
 protected:
  const host::DecodedAudio& track(const std::string& name, unsigned seed, double seconds = 5.0) {
    audio_[name] = testSignal(kRate, 2, seconds, seed);
    writeFloatWav(temp_.file(name), audio_[name]);
    return audio_[name];
  }
  void bassBoost() {
    writeLastState(temp_.file("device"), {{"bassgain", "0.800000"}, {"bassfreq", "80.000000"},
                                          {"bassintens", "2.000000"}, {"filtgain", "6.000000"},
                                          {"filtfreq", "2222.000000"}, {"filtbw", "5.000000"}, {"filttype", "2"}});
  }
  // Renders the tracks under the script: the exit status, and whether the file is `expected`.
  int render(const std::vector<std::string>& names, const std::string& script, const Audio& expected) {
    std::ofstream(temp_.file("s.script")) << script;
    std::vector<std::string> args{"play", "--device-root", temp_.file("device"), "--script", temp_.file("s.script"),
                                  "--output", temp_.file("out.wav")};
    for (const std::string& name : names) args.push_back(temp_.file(name));
    const CommandResult result = runTunely(args, temp_.path());
    output = result.output;
    const Audio out = readWav(temp_.file("out.wav")).samples;
    EXPECT_TRUE(out.size() == expected.size() && std::memcmp(out.data(), expected.data(), out.size() * 4) == 0);
    return result.status;
  }
  std::string output;
  const TempFolder& temp() const { return temp_; }

 private:
  TempFolder temp_;
  std::map<std::string, host::DecodedAudio> audio_;
};

TEST_F(OfflineTransportTest, PauseAndSeeksContinueBitForBitThroughOneFilterState) {
  bassBoost();
  const host::DecodedAudio& s = track("s.wav", 3);
  // Paused from 2.5 s to 3.0 s, then back to 1.5 s at 3.5 s, ahead to 4.25 s at 4.0 s.
  const int64_t pause = boundary(2.5), resume = boundary(3.0), back = boundary(3.5), ahead = boundary(4.0);
  const int64_t backTo = 66150, aheadTo = 187425;
  const Audio played = throughBassBoost(  // the tap never sees the silence
      joined({frames(s, 0, pause + back - resume), frames(s, backTo, backTo + ahead - back), frames(s, aheadTo, s.frames)}),
      boundary(2.0));
  const Audio expected = joined({Audio(played.begin(), played.begin() + pause * 2), Audio((resume - pause) * 2, 0.0f),
                                 Audio(played.begin() + pause * 2, played.end())});
  EXPECT_EQ(render({"s.wav"}, "2.5 tap play\n3.0 tap play\n3.5 slide position 1.5\n4.0 slide position 4.25\n", expected),
            0) << output;
}

TEST_F(OfflineTransportTest, NextAndPreviousMoveThroughTheQueueOrRestartTheTrack) {
  const auto &a = track("a.wav", 5, 6), &b = track("b.wav", 6, 6), &c = track("c.wav", 7, 6);
  const auto span = [](double from, double to) { return boundary(to) - boundary(from); };
  const Audio expected = joined({frames(a, 0, boundary(0.5)), frames(b, 0, span(0.5, 4.5)), frames(b, 0, span(4.5, 5.0)),
                                 frames(a, 0, span(5.0, 5.5)), frames(a, 0, span(5.5, 6.0)), frames(b, 0, span(6.0, 6.5)),
                                 frames(c, 0, span(6.5, 7.0))});
  EXPECT_EQ(render({"a.wav", "b.wav", "c.wav"},
                   "0.5 tap next\n"      // to b
                   "4.5 tap previous\n"  // b has played 4 s: it restarts
                   "5.0 tap previous\n"  // b has played 0.5 s: back to a
                   "5.5 tap previous\n"  // a is the first track: it restarts
                   "6.0 tap next\n6.5 tap next\n"
                   "7.0 tap next\n",     // past the end: the session ends
                   expected),
            0) << output;
  // A track change makes a new queue item, reported as played so far; a restart does not.
  const std::regex item(R"(\d\. \S*/(\w)\.wav \()");
  std::string order;
  for (std::sregex_iterator i(output.begin(), output.end(), item), end; i != end; ++i) order += (*i)[1].str();
  EXPECT_EQ(order, "ababc");
}

TEST_F(OfflineTransportTest, APauseNothingCanResumeStopsTheSessionWithAMessage) {
  const host::DecodedAudio& s = track("s.wav", 8, 3.0);
  EXPECT_EQ(render({"s.wav"}, "1.0 tap play\n", frames(s, 0, boundary(1.0))), 1) << output;
  EXPECT_NE(output.find("paused and nothing is left to resume it"), std::string::npos) << output;
}

}  // namespace

namespace {

// The tracks the summary lists, by name, in the order they played.
std::string playedOrder(const std::string& output, const char* separator = "") {
  const std::regex item(R"(\d+\. \S*/(\w+)\.wav \()");
  std::string order;
  for (std::sregex_iterator i(output.begin(), output.end(), item), end; i != end; ++i)
    order += (order.empty() ? "" : separator) + (*i)[1].str();
  return order;
}

TEST_F(OfflineTransportTest, RepeatAllThenOneThenOffChangesWhatPlaysNext) {
  const auto &a = track("a.wav", 12, 1.0), &b = track("b.wav", 13, 1.0);
  // All from 0.2 s: a b, then a again; One at 2.5 s: a once more; off at 3.5 s: b, and the end.
  const Audio expected = joined({a.samples, b.samples, a.samples, a.samples, b.samples});
  EXPECT_EQ(render({"a.wav", "b.wav"}, "0.2 tap repeat\n2.5 tap repeat\n3.5 tap repeat\n4.5 screenshot s.png\n", expected), 0)
      << output;
  EXPECT_EQ(playedOrder(output), "abaab");
  EXPECT_EQ(output.find("Repeat ends"), std::string::npos) << output;
}

TEST_F(OfflineTransportTest, RepeatNothingCanSwitchOffEndsWithTheQueueAndSaysSo) {
  const auto &a = track("a.wav", 14, 1.0), &b = track("b.wav", 15, 1.0);
  EXPECT_EQ(render({"a.wav", "b.wav"}, "0.2 tap repeat\n", joined({a.samples, b.samples})), 0) << output;
  EXPECT_NE(output.find("Repeat ends with the queue: nothing is left to switch it off"), std::string::npos) << output;
}

TEST_F(OfflineTransportTest, ShufflePlaysTheRestOfTheQueueOnceInANewOrder) {
  std::vector<std::string> names;
  std::map<std::string, const host::DecodedAudio*> byName;
  for (int i = 0; i < 10; ++i) {
    names.push_back(std::string(1, char('a' + i)) + ".wav");
    byName[names.back().substr(0, 1)] = &track(names.back(), 20 + i, 0.25);
  }
  // Switched on while the first track plays: it plays on, the nine others follow dealt at
  // random (the chance that a deal is the queue's own order is one in 362880).
  std::ofstream(temp().file("s.script")) << "0.1 tap shuffle\n";
  std::vector<std::string> args{"play", "--device-root", temp().file("device"), "--script", temp().file("s.script"),
                                "--output", temp().file("out.wav")};
  for (const std::string& name : names) args.push_back(temp().file(name));
  const CommandResult result = runTunely(args, temp().path());
  ASSERT_EQ(result.status, 0) << result.output;
  const std::string order = playedOrder(result.output);
  ASSERT_EQ(order.size(), 10u) << result.output;
  EXPECT_EQ(order[0], 'a');
  EXPECT_NE(order, "abcdefghij");
  std::string sorted = order;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(sorted, "abcdefghij");
  // What the file holds is the tracks whole, in that order, without a gap.
  Audio expected;
  for (char name : order) expected = joined({expected, byName[std::string(1, name)]->samples});
  const Audio out = readWav(temp().file("out.wav")).samples;
  EXPECT_TRUE(out == expected);
}

}  // namespace
