// The transport in offline rendering, end to end through the built `tunely` command: a session
// script pauses, seeks and skips at block boundaries of the media clock, and the rendered file is
// compared bit for bit with what the engine makes of the same audio.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <regex>

#include "CommandHarness.h"
#include "Lowtide/engine/EngineTesting.h"
#include "Lowtide/engine/Equalizer.h"

namespace {

using host::DecodedAudio;
using namespace tunely_test;

constexpr double kRate = 44100;
constexpr int64_t kBlock = 4096;

// A last state that boosts the bass and puts a 6 dB high shelf at 2222 Hz; the controls load it
// at 2.0 s of media time.
const std::map<std::string, std::string> kBassBoost{
    {"bassgain", "0.800000"}, {"bassfreq", "80.000000"},   {"bassintens", "2.000000"},
    {"filtgain", "6.000000"}, {"filtfreq", "2222.000000"}, {"filtbw", "5.000000"},
    {"filttype", "2"}};

// The output frame at which the turn due at `seconds` of media time comes, while every block is
// whole: the clock adds each block's length as the player's clock does.
int64_t boundary(double seconds) {
  double clock = 0;
  int64_t frame = 0;
  for (; clock < seconds; frame += kBlock) clock += double(kBlock) / kRate;
  return frame;
}

// Frames [from, to) of the audio.
std::vector<float> frames(const DecodedAudio& audio, int64_t from, int64_t to) {
  return {audio.samples.begin() + from * audio.channels, audio.samples.begin() + to * audio.channels};
}

void append(std::vector<float>& to, const std::vector<float>& more) {
  to.insert(to.end(), more.begin(), more.end());
}

// What the engine makes of `samples` (interleaved stereo) when kBassBoost is loaded at frame
// `from`: unchanged before, then main filter and bass boost from a zero state, walked through one
// shared state with nothing reset in between.
std::vector<float> throughBassBoost(std::vector<float> samples, int64_t from) {
  using namespace lowtide;
  resetEngineForTesting();
  prepareEq(kRate);
  bassgain = 0.8;
  bassfreq = 80.0;
  bassintens = 2.0;
  freq = 2222.0;
  gain = 6.0;
  bandwidth = 5.0;
  eqType = 2;
  bassenabled = true;
  enabled = true;
  selectKernel(case1);
  updateEq();
  for (size_t i = size_t(from) * 2; i < samples.size(); ++i) samples[i] = performFilters.load()(samples[i]);
  resetEngineForTesting();
  return samples;
}

bool bitIdentical(const std::vector<float>& a, const std::vector<float>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

// The summary's tracks in order: file name and seconds played.
std::vector<std::pair<std::string, std::string>> summaryTracks(const std::string& output) {
  std::vector<std::pair<std::string, std::string>> tracks;
  const std::regex line(R"(\d+\. \S*/(\w+\.wav) \(([0-9.]+) s,)");
  for (std::sregex_iterator i(output.begin(), output.end(), line), end; i != end; ++i)
    tracks.emplace_back((*i)[1], (*i)[2]);
  return tracks;
}

std::string seconds(int64_t frames) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", double(frames) / kRate);
  return text;
}

class OfflineTransportTest : public ::testing::Test {
 protected:
  const DecodedAudio& writeTrack(const std::string& name, double length, unsigned seed) {
    tracks_[name] = testSignal(kRate, 2, length, seed);
    writeFloatWav(temp_.file(name), tracks_[name]);
    return tracks_[name];
  }

  // Renders the tracks under the script; the output file's samples land in `rendered`.
  CommandResult render(const std::vector<std::string>& names, const std::string& script) {
    std::ofstream(temp_.file("session.script")) << script;
    std::vector<std::string> args{"play", "--device-root", temp_.file("device"), "--script",
                                  temp_.file("session.script"), "--output", temp_.file("out.wav")};
    for (const std::string& name : names) args.push_back(temp_.file(name));
    const CommandResult result = runTunely(args, temp_.path());
    rendered = readWav(temp_.file("out.wav")).samples;
    return result;
  }

  void useBassBoost() { writeLastState(temp_.file("device"), kBassBoost); }

  std::vector<float> rendered;

 private:
  TempFolder temp_;
  std::map<std::string, DecodedAudio> tracks_;
};

TEST_F(OfflineTransportTest, APauseWritesSilenceOfItsLengthAndTheFilterCarriesOnAfterIt) {
  const DecodedAudio& song = writeTrack("song.wav", 5.0, 3);
  useBassBoost();
  const CommandResult r = render({"song.wav"}, "3.0 tap play\n4.0 tap play\n");
  ASSERT_EQ(r.status, 0) << r.output;
  const std::vector<float> filtered = throughBassBoost(song.samples, boundary(2.0));
  const int64_t pausedAt = boundary(3.0), resumedAt = boundary(4.0);
  std::vector<float> expected(filtered.begin(), filtered.begin() + pausedAt * 2);
  expected.resize(size_t(resumedAt) * 2, 0.0f);  // the clock goes on through the silence
  expected.insert(expected.end(), filtered.begin() + pausedAt * 2, filtered.end());
  EXPECT_TRUE(bitIdentical(rendered, expected));
  // The silence is not the track's: it played all of itself.
  EXPECT_EQ(summaryTracks(r.output), (std::vector<std::pair<std::string, std::string>>{
                                         {"song.wav", seconds(song.frames)}}));
}

TEST_F(OfflineTransportTest, ASeekContinuesFromTheSoughtFrameThroughTheSameFilterState) {
  const DecodedAudio& song = writeTrack("song.wav", 5.0, 4);
  useBassBoost();
  // Back to 1.5 s, then ahead to 4.2 s; the slider's values are exact in single precision.
  const CommandResult r =
      render({"song.wav"}, "3.0 slide position 1.5\n4.0 slide position 4.25\n");
  ASSERT_EQ(r.status, 0) << r.output;
  const int64_t back = boundary(3.0), ahead = boundary(4.0);
  const int64_t backTo = std::llround(1.5 * kRate), aheadTo = std::llround(4.25 * kRate);
  std::vector<float> played = frames(song, 0, back);
  append(played, frames(song, backTo, backTo + (ahead - back)));
  append(played, frames(song, aheadTo, song.frames));
  EXPECT_TRUE(bitIdentical(rendered, throughBassBoost(played, boundary(2.0))));
  EXPECT_EQ(summaryTracks(r.output), (std::vector<std::pair<std::string, std::string>>{
                                         {"song.wav", seconds(int64_t(played.size() / 2))}}));
}

TEST_F(OfflineTransportTest, NextAndPreviousMoveThroughTheQueueOrRestartTheTrack) {
  const DecodedAudio& a = writeTrack("a.wav", 6.0, 5);
  const DecodedAudio& b = writeTrack("b.wav", 6.0, 6);
  const DecodedAudio& c = writeTrack("c.wav", 6.0, 7);
  const CommandResult r = render({"a.wav", "b.wav", "c.wav"},
                                 "0.5 tap next\n"       // to b
                                 "4.5 tap previous\n"   // b has played 4 s: it restarts
                                 "5.0 tap previous\n"   // b has played 0.5 s: back to a
                                 "5.5 tap previous\n"   // a is the first track: it restarts
                                 "6.0 tap next\n"       // to b
                                 "6.5 tap next\n"       // to c
                                 "7.0 tap next\n");     // past the end: the session ends
  ASSERT_EQ(r.status, 0) << r.output;
  const auto span = [](double from, double to) { return boundary(to) - boundary(from); };
  std::vector<float> expected = frames(a, 0, boundary(0.5));
  append(expected, frames(b, 0, span(0.5, 4.5)));
  append(expected, frames(b, 0, span(4.5, 5.0)));
  append(expected, frames(a, 0, span(5.0, 5.5)));
  append(expected, frames(a, 0, span(5.5, 6.0)));
  append(expected, frames(b, 0, span(6.0, 6.5)));
  append(expected, frames(c, 0, span(6.5, 7.0)));
  EXPECT_TRUE(bitIdentical(rendered, expected));
  // Each track change is a new queue item, reported as played so far; a restart is not.
  EXPECT_EQ(summaryTracks(r.output), (std::vector<std::pair<std::string, std::string>>{
                                         {"a.wav", seconds(boundary(0.5))},
                                         {"b.wav", seconds(span(0.5, 5.0))},
                                         {"a.wav", seconds(span(5.0, 6.0))},
                                         {"b.wav", seconds(span(6.0, 6.5))},
                                         {"c.wav", seconds(span(6.5, 7.0))}}));
}

TEST_F(OfflineTransportTest, APauseNothingCanResumeStopsTheSessionWithAMessage) {
  const DecodedAudio& song = writeTrack("song.wav", 3.0, 8);
  const CommandResult r = render({"song.wav"}, "1.0 tap play\n");
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_NE(r.output.find("paused and nothing is left to resume it"), std::string::npos) << r.output;
  EXPECT_TRUE(bitIdentical(rendered, frames(song, 0, boundary(1.0))));  // a valid file, no silence
}

}  // namespace
