// `tunely sink` on a PipeWire server of the test's own (PrivatePipeWire): what is played into
// "tunely" comes out of the null sink exactly as `tunely play --output` renders the same file with
// the same last state; a slide of the volume or of the equalizer's gain during playback is heard
// from the next cycle on; the graph's rate is followed; the sink refuses to play into itself, by
// name or as the default output; it says when there is no server, and when the server goes away.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <thread>

#include "CommandHarness.h"
#include "PrivatePipeWire.h"
#include "host/media/OutputGain.h"
#include "host/player/PlayerSettings.h"

namespace {

using namespace tunely_test;
using namespace std::chrono_literals;

const std::map<std::string, std::string> kSettings{
    {"bassgain", "0.800000"}, {"bassfreq", "80.000000"},   {"bassintens", "2.000000"},
    {"filtgain", "6.000000"}, {"filtfreq", "2222.000000"}, {"filtbw", "5.000000"},
    {"filttype", "2"}};

// Frames of interleaved stereo from the first one that is not silent.
std::vector<float> fromFirstSound(const host::DecodedAudio& audio) {
  size_t first = 0;
  while (first + 1 < audio.samples.size() && audio.samples[first] == 0.0f && audio.samples[first + 1] == 0.0f)
    first += 2;
  return {audio.samples.begin() + long(first), audio.samples.end()};
}

// Silence long enough for the last state (loaded 2.0 s into a render) to be in force before
// the sound starts, then the test signal, then silence again: pw-play may end a stream before
// its last cycle is heard, and the equalizer rings on into the silence either way.
host::DecodedAudio signalAfterSilence(double rate) {
  host::DecodedAudio audio = testSignal(rate, 2, 1.5, 7);
  audio.samples.insert(audio.samples.begin(), size_t(2.5 * rate) * 2, 0.0f);
  audio.samples.insert(audio.samples.end(), size_t(0.5 * rate) * 2, 0.0f);
  audio.frames += int64_t(3.0 * rate);
  return audio;
}

// For a change made while the sound plays: 2.5 s of silence (the last state loads), 5 s of the
// test signal at half its level (so that, equalized, it stays under the limiter's ceiling and
// the limiter leaves it as it is), then 0.5 s of silence.
host::DecodedAudio longSignalAfterSilence(double rate) {
  host::DecodedAudio audio = testSignal(rate, 2, 5.0, 11);
  for (float& s : audio.samples) s *= 0.5f;
  audio.samples.insert(audio.samples.begin(), size_t(2.5 * rate) * 2, 0.0f);
  audio.samples.insert(audio.samples.end(), size_t(0.5 * rate) * 2, 0.0f);
  audio.frames += int64_t(3.0 * rate);
  return audio;
}

// The first stereo frame at which `a` and `b` differ (the shorter one's length if none does).
size_t firstDifferentFrame(const std::vector<float>& a, const std::vector<float>& b) {
  size_t i = 0;
  while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
  return i / 2;
}

float peakOf(const std::vector<float>& samples) {
  float peak = 0;
  for (float s : samples) peak = std::max(peak, std::fabs(s));
  return peak;
}

// The graph's quantum in the private server: one cycle.
constexpr size_t kCycle = 1024;

// A slide is four moves of the thumb, each heard as it is made; the main thread makes them one
// after another, on a busy machine over a few cycles, and under a sanitizer, many times slower,
// over many. The last one is heard in full from the next cycle on.
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
constexpr size_t kSlideMadeWithin = 48 * kCycle;
#else
constexpr size_t kSlideMadeWithin = 8 * kCycle;
#endif

class PipeWireSinkTest : public ::testing::Test {
 public:
  void SetUp() override {
    if (std::string missing = PrivatePipeWire::missingBinary(); !missing.empty())
      GTEST_SKIP() << "PipeWire is not installed here (no " << missing
                   << "): install pipewire, pipewire-bin, wireplumber and dbus";
  }
  std::vector<std::string> sinkArgs(const std::string& root) const {
    return {"sink", "--no-window", "--device-root", root, "--target", "null-sink"};
  }
  // What `tunely play --output` renders of `input` with the last state of a fresh device root
  // (and `script` and `options`, if any), from its first sound on.
  std::vector<float> rendered(const std::string& input, const std::string& name, const std::string& script = {},
                              const std::vector<std::string>& options = {}) {
    const std::string root = temp.file(name + "-device");
    writeLastState(root, kSettings);
    std::vector<std::string> args{"play", input, "--output", temp.file(name + ".wav"), "--device-root", root};
    args.insert(args.end(), options.begin(), options.end());
    if (!script.empty()) {
      std::ofstream(temp.file(name + ".script")) << script;
      args.insert(args.end(), {"--script", temp.file(name + ".script")});
    }
    const CommandResult result = runTunely(args, temp.path());
    EXPECT_EQ(result.status, 0) << result.output;
    return fromFirstSound(readWav(temp.file(name + ".wav")));
  }
  // `input` played into "tunely" while the null sink is recorded into `recording`: what was
  // heard, from its first sound on.
  std::vector<float> playIntoTheSink(const PrivatePipeWire& server, const std::string& input,
                                     const std::string& recording, int rate = 48000) {
    const pid_t recorder = server.start({"pw-record", "--target", "null-sink", "-P", "{ stream.capture.sink=true }",
                                         "--format", "f32", "--rate", std::to_string(rate), "--channels", "2", recording});
    std::this_thread::sleep_for(1s);
    EXPECT_EQ(server.run({"pw-play", "--target", "tunely", "--format", "f32", input}), 0);
    std::this_thread::sleep_for(1s);
    PrivatePipeWire::finish(recorder);
    return fromFirstSound(readWav(recording));
  }
  // `input` played into the running sink until what the null sink heard of it is `expected`
  // (up to its length) sample for sample. pw-play and pw-record run without real-time priority:
  // on a machine busy with other work one of them can miss a cycle, and then what reached the
  // sink is not the file. Such a run is played again, up to three times in all; a fault of the
  // sink's own differs every time. Empty when one run was right, else where each differed.
  std::string heardAsRendered(const PrivatePipeWire& server, const std::string& input,
                              const std::vector<float>& expected, int rate = 48000) {
    std::string attempts;
    for (int attempt = 1; attempt <= 3; ++attempt) {
      const std::vector<float> heard =
          playIntoTheSink(server, input, temp.file("rec" + std::to_string(attempt) + ".wav"), rate);
      const size_t same = firstDifferentFrame(heard, expected) * 2;
      if (same >= expected.size()) return {};
      attempts += " attempt " + std::to_string(attempt) + ": from sample " + std::to_string(same) + " of " +
                  std::to_string(heard.size()) + " heard;";
    }
    return "samples differ:" + attempts;
  }
  TempFolder temp;
};

TEST_F(PipeWireSinkTest, WhatIsPlayedIntoItComesOutAsThePlayerRendersItSampleForSample) {
  PrivatePipeWire server(temp.file("pw"), 48000);
  ASSERT_TRUE(server.ready()) << fileContents(temp.file("pw/pipewire.log")) << fileContents(temp.file("pw/wireplumber.log"));
  const std::string root = temp.file("device");
  writeLastState(root, kSettings);
  writeFloatWav(temp.file("in.wav"), signalAfterSilence(48000));

  // The sink's limiter is on, as on the sound device: the file goes through it too (this signal,
  // equalized, peaks over its ceiling).
  std::vector<float> expected = rendered(temp.file("in.wav"), "ref", {}, {"--limiter"});
  ASSERT_GT(expected.size(), size_t(48000));
  // What played of the tail: pw-play may stop before its last cycle, after the sound.
  expected.resize(std::min(expected.size(), size_t(2.0 * 48000 * 2)));

  RunningTunely sink(sinkArgs(root), temp.path(), server.environment());
  ASSERT_TRUE(sink.waitForOutput("The graph runs at 48000 Hz", 15)) << sink.output();
  std::this_thread::sleep_for(2500ms);  // the last state is loaded 2.0 s after start
  EXPECT_EQ(heardAsRendered(server, temp.file("in.wav"), expected), "");
  sink.signal(SIGTERM);
  EXPECT_EQ(sink.wait(10).status, 143) << sink.output();
}

// A graph at 44.1 kHz: the tap is prepared for that rate (its filters designed for it) and the
// limiter started again for it, so what comes out is what the player renders of a 44.1 kHz file.
TEST_F(PipeWireSinkTest, FollowsAGraphAt44100AndRefusesToPlayIntoItself) {
  PrivatePipeWire server(temp.file("pw"), 44100);
  ASSERT_TRUE(server.ready());
  writeFloatWav(temp.file("in.wav"), signalAfterSilence(44100));
  std::vector<float> expected = rendered(temp.file("in.wav"), "ref", {}, {"--limiter"});
  expected.resize(std::min(expected.size(), size_t(2.0 * 44100 * 2)));
  const CommandResult itself = runTunely({"sink", "--no-window", "--target", "tunely"}, temp.path(), server.environment());
  EXPECT_EQ(itself.status, 2);
  EXPECT_NE(itself.output.find("cannot play into itself"), std::string::npos) << itself.output;

  const std::string root = temp.file("device");
  writeLastState(root, kSettings);
  RunningTunely sink(sinkArgs(root), temp.path(), server.environment());
  ASSERT_TRUE(sink.waitForOutput("The graph runs at 44100 Hz", 15)) << sink.output();
  std::this_thread::sleep_for(2500ms);
  EXPECT_EQ(heardAsRendered(server, temp.file("in.wav"), expected, 44100), "");
  // A second sink on the same server is refused, naming the one that runs.
  const CommandResult second = runTunely(sinkArgs(temp.file("device2")), temp.path(), server.environment());
  EXPECT_EQ(second.status, 1);
  EXPECT_NE(second.output.find("running on this PipeWire server already"), std::string::npos) << second.output;
  sink.signal(SIGINT);
  EXPECT_EQ(sink.wait(10).status, 130) << sink.output();
}

TEST_F(PipeWireSinkTest, WithoutAServerTheStatusIs69) {
  std::filesystem::create_directories(temp.file("empty"));
  const CommandResult result = runTunely({"sink", "--no-window", "--device-root", temp.file("device")}, temp.path(),
                                         {{"XDG_RUNTIME_DIR", temp.file("empty")}, {"PIPEWIRE_RUNTIME_DIR", temp.file("empty")}});
  EXPECT_EQ(result.status, 69) << result.output;
  EXPECT_NE(result.output.find("no PipeWire server is running"), std::string::npos) << result.output;
}

// A slide made while the sound plays, in a sink of its own (its script runs once) on a fresh
// device root, the sound recorded from the null sink. `heardInFull` answers whether what was
// heard is right, and why not; a run in which pw-play or pw-record missed a cycle is played
// again, up to three times in all, as above.
template <typename Check>
std::string slideDuringPlayback(PipeWireSinkTest& test, TempFolder& temp, const std::string& script, Check heardInFull,
                                std::string* lastRoot = nullptr) {
  PrivatePipeWire server(temp.file("pw"), 48000);
  if (!server.ready()) return "the private server did not start";
  std::ofstream(temp.file("slide.script")) << script;
  std::string failures;
  for (int attempt = 1; attempt <= 3; ++attempt) {
    const std::string root = temp.file("device" + std::to_string(attempt));
    writeLastState(root, kSettings);
    if (lastRoot) *lastRoot = root;
    std::vector<std::string> args = test.sinkArgs(root);
    args.insert(args.end(), {"--script", temp.file("slide.script")});
    RunningTunely sink(args, temp.path(), server.environment());
    if (!sink.waitForOutput("The graph runs at 48000 Hz", 15)) return "the sink did not start: " + sink.output();
    std::this_thread::sleep_for(2500ms);  // the last state is in force
    const std::vector<float> heard =
        test.playIntoTheSink(server, temp.file("in.wav"), temp.file("rec" + std::to_string(attempt) + ".wav"));
    sink.signal(SIGTERM);
    const CommandResult ended = sink.wait(10);
    if (ended.status != 143) return "the sink ended with " + std::to_string(ended.status) + ": " + ended.output;
    const std::string why = heardInFull(heard);
    if (why.empty()) {
      if (!failures.empty()) std::cerr << "played again after" << failures << "\n";
      return {};
    }
    failures += " attempt " + std::to_string(attempt) + ": " + why + ";";
  }
  return failures;
}

// Where `heard` first differs from `before` (the sound as the old setting renders it), which
// must be well inside the sound, and from where, at most one cycle later (plus `making`, the
// time the change itself may take to make), every frame up to the end of the sound is `after`'s
// within `tolerance` (0: bit for bit). Empty when it is so.
std::string changedWithinOneCycle(const std::vector<float>& heard, const std::vector<float>& before,
                                  const std::vector<float>& after, float tolerance, size_t making = 0) {
  const size_t soundEnd = size_t(5.0 * 48000);
  const size_t changed = firstDifferentFrame(heard, before);
  if (changed < 24000 || changed + making + 48000 > soundEnd || heard.size() < soundEnd * 2)
    return "the change was heard at frame " + std::to_string(changed) + " of " + std::to_string(heard.size() / 2);
  for (size_t f = changed + making + kCycle; f < soundEnd; ++f)
    for (size_t c = 0; c < 2; ++c)
      if (!(std::fabs(heard[2 * f + c] - after[2 * f + c]) <= tolerance))
        return "heard from frame " + std::to_string(changed) + ", but frame " + std::to_string(f) + " is " +
               std::to_string(heard[2 * f + c]) + ", not " + std::to_string(after[2 * f + c]);
  return {};
}

// The volume acts after the tap as in the player: the sound up to the slide is the engine's
// output bit for bit, the cycle the new volume arrives in ramps to it, and from the next cycle
// on every sample is the engine's output times the new gain, exactly. The volume is kept.
TEST_F(PipeWireSinkTest, AVolumeSlideDuringPlaybackIsHeardInFullFromTheNextCycleOn) {
  writeFloatWav(temp.file("in.wav"), longSignalAfterSilence(48000));
  const std::vector<float> full = rendered(temp.file("in.wav"), "full");
  // Under the limiter's ceiling throughout, so the limiter leaves every sample as it is.
  ASSERT_LT(peakOf(full), 0.89f);
  const float gain = host::OutputGain::gainForVolume(0.5f);
  std::vector<float> quieter(full);
  for (float& s : quieter) s *= gain;
  std::string root;
  // The sound reaches the sink about 6 s after it starts and lasts 5 s.
  const std::string failures = slideDuringPlayback(
      *this, temp, "7.5 slide volume 0.5\n",
      [&](const std::vector<float>& heard) { return changedWithinOneCycle(heard, full, quieter, 0.0f); }, &root);
  EXPECT_EQ(failures, "");
  EXPECT_EQ(host::readPlayerSettings(host::playerSettingsPath(root)).volume, 0.5f);
}

// A slide of the equalizer's gain slider while the sound plays: up to the change the sound is
// the engine's output with the old gain bit for bit; from the next cycle on it is the engine's
// output with the new gain (rendered with the slide made before the sound starts), but for the
// filters' memory of the old gain, which has died away within that cycle.
TEST_F(PipeWireSinkTest, AGainSlideDuringPlaybackIsHeardFromTheNextCycleOn) {
  writeFloatWav(temp.file("in.wav"), longSignalAfterSilence(48000));
  const std::vector<float> oldGain = rendered(temp.file("in.wav"), "old");
  const std::vector<float> newGain =
      rendered(temp.file("in.wav"), "new", "2.1 tap eq-button\n2.2 slide gainSlider 0\n");
  ASSERT_EQ(oldGain.size(), newGain.size());
  float apart = 0;
  for (size_t i = 0; i < oldGain.size(); ++i) apart = std::max(apart, std::fabs(oldGain[i] - newGain[i]));
  ASSERT_GT(apart, 0.05f) << "the slide changes the sound";
  const std::string failures = slideDuringPlayback(
      *this, temp, "2.5 tap eq-button\n7.5 slide gainSlider 0\n",
      [&](const std::vector<float>& heard) {
        return changedWithinOneCycle(heard, oldGain, newGain, 1e-5f, kSlideMadeWithin);
      });
  EXPECT_EQ(failures, "");
}

// With Tunely as the configured default output (as a listener leaves it for the next login), the
// sink's own output, which has no target, must not follow the default into the sink itself: the
// sound reaches the other sink, filtered exactly as the player renders it.
TEST_F(PipeWireSinkTest, ADefaultOutputThatWouldLoopBackIsNotFollowed) {
  PrivatePipeWire server(temp.file("pw"), 48000);
  ASSERT_TRUE(server.ready());
  ASSERT_EQ(server.run({"pw-metadata", "-n", "default", "0", "default.configured.audio.sink", "{ \"name\": \"tunely\" }"}), 0);
  const std::string root = temp.file("device");
  writeLastState(root, kSettings);
  writeFloatWav(temp.file("in.wav"), signalAfterSilence(48000));
  std::vector<float> expected = rendered(temp.file("in.wav"), "ref", {}, {"--limiter"});
  expected.resize(std::min(expected.size(), size_t(2.0 * 48000 * 2)));

  RunningTunely sink({"sink", "--no-window", "--device-root", root}, temp.path(), server.environment());
  ASSERT_TRUE(sink.waitForOutput("The graph runs at 48000 Hz", 15)) << sink.output();
  EXPECT_NE(sink.output().find("into the default output"), std::string::npos) << sink.output();
  std::this_thread::sleep_for(2500ms);
  // The default really is the sink now.
  EXPECT_EQ(server.run({"pw-metadata", "-n", "default", "0", "default.audio.sink"}), 0);
  EXPECT_NE(fileContents(temp.file("pw/tools.log")).find("tunely"), std::string::npos);
  EXPECT_EQ(heardAsRendered(server, temp.file("in.wav"), expected), "");
  sink.signal(SIGTERM);
  EXPECT_EQ(sink.wait(10).status, 143) << sink.output();
}

// The server ends under a running sink: it says so and ends with status 1 instead of hanging
// on, and the last state it loaded is left as it was.
TEST_F(PipeWireSinkTest, WhenTheServerGoesAwayItSaysSoEndsWithStatus1AndLeavesTheLastState) {
  PrivatePipeWire server(temp.file("pw"), 48000);
  ASSERT_TRUE(server.ready());
  const std::string root = temp.file("device");
  writeLastState(root, kSettings);
  const std::string lastState = fileContents(lastStatePath(root));
  RunningTunely sink(sinkArgs(root), temp.path(), server.environment());
  ASSERT_TRUE(sink.waitForOutput("The graph runs at 48000 Hz", 15)) << sink.output();
  std::this_thread::sleep_for(2500ms);  // the last state is loaded
  server.stopDaemon();
  const CommandResult ended = sink.wait(15);
  EXPECT_EQ(ended.status, 1) << ended.output;
  EXPECT_NE(ended.output.find("the PipeWire server went away"), std::string::npos) << ended.output;
  EXPECT_EQ(fileContents(lastStatePath(root)), lastState);
}

}  // namespace
