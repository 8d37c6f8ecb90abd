// End-to-end: the built `tunely` command, with the real Lowtide.dylib loaded from a device root,
// playing generated audio into a WAV file or through SDL's disk audio driver.
#include <gtest/gtest.h>

#include <sndfile.h>
#include <soxr.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>

#include "CommandHarness.h"
#include "Lowtide/engine/EngineTesting.h"
#include "Lowtide/engine/Equalizer.h"

namespace {

namespace fs = std::filesystem;
using host::DecodedAudio;
using namespace tunely_test;

// A last state that boosts the bass and puts a 6 dB high shelf at 2222 Hz.
const std::map<std::string, std::string> kBassBoost{
    {"bassgain", "0.800000"}, {"bassfreq", "80.000000"},   {"bassintens", "2.000000"},
    {"filtgain", "6.000000"}, {"filtfreq", "2222.000000"}, {"filtbw", "5.000000"},
    {"filttype", "2"}};

DecodedAudio concatenate(const std::vector<DecodedAudio>& tracks) {
  DecodedAudio all = tracks.front();
  for (size_t i = 1; i < tracks.size(); ++i) {
    all.samples.insert(all.samples.end(), tracks[i].samples.begin(), tracks[i].samples.end());
    all.frames += tracks[i].frames;
  }
  return all;
}

// What the engine makes of the queue when kBassBoost is loaded at `boundary`: unchanged before
// (the first preparation leaves the kernel at pass-through), then main filter and bass boost from
// a zero filter state, samples walked in interleaved order through one shared state.
std::vector<float> expectedWithBassBoost(const DecodedAudio& queue, int64_t boundary) {
  using namespace lowtide;
  resetEngineForTesting();
  prepareEq(queue.sampleRate);
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
  std::vector<float> out = queue.samples;
  for (size_t i = size_t(boundary) * size_t(queue.channels); i < out.size(); ++i)
    out[i] = performFilters.load()(out[i]);
  resetEngineForTesting();
  return out;
}

// Reads what the raw file SDL's disk driver wrote: the device's float frames as they played.
std::vector<float> readRaw(const std::string& path) {
  std::vector<float> played(fs::file_size(path) / sizeof(float));
  std::ifstream in(path, std::ios::binary);
  in.read(reinterpret_cast<char*>(played.data()), std::streamsize(played.size() * sizeof(float)));
  return played;
}

// Writes 16-bit FLAC, then cuts the file to `keep` of its length: damaged in the middle.
void writeCutFlac(const std::string& path, const DecodedAudio& audio, double keep) {
  SF_INFO info{};
  info.samplerate = int(audio.sampleRate);
  info.channels = audio.channels;
  info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  ASSERT_NE(f, nullptr) << sf_strerror(nullptr);
  sf_writef_float(f, audio.samples.data(), audio.frames);
  sf_close(f);
  fs::resize_file(path, uintmax_t(double(fs::file_size(path)) * keep));
}

// The frames libsndfile decodes from a file before it ends or fails.
std::vector<float> decodableSamples(const std::string& path) {
  SF_INFO info{};
  SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
  std::vector<float> all, block(4096 * size_t(info.channels));
  for (sf_count_t n; f && (n = sf_readf_float(f, block.data(), 4096)) > 0;)
    all.insert(all.end(), block.begin(), block.begin() + n * info.channels);
  if (f) sf_close(f);
  return all;
}

// The loudness figures of the summary's input and output lines, in order.
std::vector<double> loudnessFigures(const std::string& output) {
  std::vector<double> figures;
  const std::regex figure("loudness +(-?[0-9.]+) LUFS");
  for (std::sregex_iterator i(output.begin(), output.end(), figure), end; i != end; ++i)
    figures.push_back(std::stod((*i)[1]));
  return figures;
}

size_t occurrences(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

bool bitIdentical(const std::vector<float>& a, const std::vector<float>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

// Index of the first sample that differs in bits, or the common length.
size_t firstDifference(const std::vector<float>& a, const std::vector<float>& b) {
  size_t i = 0;
  while (i < a.size() && i < b.size() && std::memcmp(&a[i], &b[i], sizeof(float)) == 0) ++i;
  return i;
}

class PlayCommandTest : public ::testing::Test {
 protected:
  std::string root() const { return temp_.file("device"); }
  std::string file(const std::string& name) const { return temp_.file(name); }

  std::string writeTrack(const std::string& name, double rate, int channels, double seconds,
                         unsigned seed = 1) {
    tracks_[name] = testSignal(rate, channels, seconds, seed);
    writeFloatWav(file(name), tracks_[name]);
    return file(name);
  }
  const DecodedAudio& track(const std::string& name) { return tracks_.at(name); }

  CommandResult run(const std::vector<std::string>& args,
                    const std::map<std::string, std::string>& environment = {}) {
    return runTunely(args, temp_.path(), environment);
  }

  CommandResult play(std::vector<std::string> args,
                     const std::map<std::string, std::string>& environment = {}) {
    args.insert(args.begin(), {"play", "--device-root", root()});
    return run(args, environment);
  }

 private:
  TempFolder temp_;
  std::map<std::string, DecodedAudio> tracks_;
};

TEST_F(PlayCommandTest, WithoutLastStateTheOutputIsTheInputAndAnEmptyLastStateAppears) {
  const std::string in = writeTrack("in.wav", 44100, 2, 3.0);
  const CommandResult r = play({in, "--output", file("out.wav")});
  ASSERT_EQ(r.status, 0) << r.output;
  const DecodedAudio out = readWav(file("out.wav"));
  EXPECT_EQ(out.sampleRate, 44100);
  EXPECT_EQ(out.channels, 2);
  EXPECT_TRUE(bitIdentical(out.samples, track("in.wav").samples));

  ASSERT_TRUE(fs::exists(lastStatePath(root())));
  EXPECT_EQ(fs::file_size(lastStatePath(root())), 0u);
  // The device root was laid out like an installed package.
  EXPECT_TRUE(
      fs::is_regular_file(root() + "/Library/MobileSubstrate/DynamicLibraries/Lowtide.dylib"));
  EXPECT_TRUE(fs::is_regular_file(root() + "/Library/Application Support/Tunely/Tunely.png"));
  EXPECT_NE(r.output.find("Loaded Lowtide.dylib"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("beyond full scale: 0 samples"), std::string::npos) << r.output;
}

TEST_F(PlayCommandTest,
       LastStateFiltersFromTheFirstBlockAtTwoSecondsAndTheNextTrackStartsFiltered) {
  writeLastState(root(), kBassBoost);
  const std::string first = writeTrack("first.wav", 44100, 2, 2.5, 1);
  const std::string second = writeTrack("second.wav", 44100, 2, 1.0, 2);
  const CommandResult r = play({first, second, "--output", file("out.wav")});
  ASSERT_EQ(r.status, 0) << r.output;

  const std::vector<DecodedAudio> queue{track("first.wav"), track("second.wav")};
  const DecodedAudio input = concatenate(queue);
  const int64_t boundary = firstBlockAtOrAfter(2.0, queue, 4096);
  ASSERT_EQ(boundary, 22 * 4096);
  const DecodedAudio out = readWav(file("out.wav"));
  ASSERT_EQ(out.frames, input.frames);
  EXPECT_EQ(firstDifference(out.samples, input.samples), size_t(boundary) * 2);
  const std::vector<float> expected = expectedWithBassBoost(input, boundary);
  EXPECT_EQ(firstDifference(out.samples, expected), expected.size());
  // The second track differs from its input from its very first sample.
  const size_t secondStart = size_t(queue[0].frames) * 2;
  EXPECT_NE(out.samples[secondStart], input.samples[secondStart]);
}

// At 32 kHz the 16384 Hz band lies above the Nyquist frequency, at 16 kHz the 8192 Hz band too:
// bands no kernel runs, which must not keep the next track from the equalizer.
TEST_F(PlayCommandTest, AtRatesTheTopBandsCannotReachTheSecondTrackIsFilteredAsTheFirst) {
  writeLastState(root(), kBassBoost);
  for (const double rate : {32000.0, 16000.0}) {
    SCOPED_TRACE(rate);
    const std::string tag = std::to_string(int(rate));
    const std::string first = writeTrack("first" + tag + ".wav", rate, 2, 2.5, 1);
    const std::string second = writeTrack("second" + tag + ".wav", rate, 2, 1.0, 2);
    const std::string out = file("out" + tag + ".wav");
    const CommandResult r = play({first, second, "--output", out});
    ASSERT_EQ(r.status, 0) << r.output;

    const std::vector<DecodedAudio> queue{track("first" + tag + ".wav"),
                                          track("second" + tag + ".wav")};
    const DecodedAudio input = concatenate(queue);
    const int64_t boundary = firstBlockAtOrAfter(2.0, queue, 4096);
    const DecodedAudio rendered = readWav(out);
    ASSERT_EQ(rendered.frames, input.frames);
    const std::vector<float> expected = expectedWithBassBoost(input, boundary);
    const size_t secondStart = size_t(queue[0].frames) * 2;
    EXPECT_GE(firstDifference(rendered.samples, expected), expected.size())
        << "first difference at " << firstDifference(rendered.samples, expected)
        << ", the second track starts at " << secondStart;
  }
}

TEST_F(PlayCommandTest, InterleavedLayoutAndAnotherBlockSizeFilterAlike) {
  writeLastState(root(), kBassBoost);
  const std::string in = writeTrack("in.wav", 48000, 2, 2.5);
  const CommandResult r =
      play({in, "--layout", "interleaved", "--block-frames", "1000", "--output", file("out.wav")});
  ASSERT_EQ(r.status, 0) << r.output;
  const int64_t boundary = firstBlockAtOrAfter(2.0, {track("in.wav")}, 1000);
  EXPECT_GE(boundary, 96000);
  EXPECT_LE(boundary, 97000);
  const DecodedAudio out = readWav(file("out.wav"));
  EXPECT_EQ(firstDifference(out.samples, track("in.wav").samples), size_t(boundary) * 2);
  EXPECT_TRUE(bitIdentical(out.samples, expectedWithBassBoost(track("in.wav"), boundary)));
}

TEST_F(PlayCommandTest, NoTweaksPlaysUnfilteredDespiteALastState) {
  writeLastState(root(), kBassBoost);
  const std::string in = writeTrack("in.wav", 44100, 1, 3.0);
  const CommandResult r = play({in, "--no-tweaks", "--output", file("out.wav")});
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_TRUE(bitIdentical(readWav(file("out.wav")).samples, track("in.wav").samples));
  EXPECT_EQ(r.output.find("Loaded"), std::string::npos) << r.output;
}

TEST_F(PlayCommandTest, MismatchedFormatsAreRefusedBeforeAnythingIsWritten) {
  const std::string a = writeTrack("a.wav", 44100, 2, 0.5);
  const std::string rate = writeTrack("rate.wav", 48000, 2, 0.5);
  const std::string mono = writeTrack("mono.wav", 44100, 1, 0.5);
  for (const std::string& odd : {rate, mono}) {
    const CommandResult r = play({a, odd, "--output", file("out.wav")});
    EXPECT_NE(r.status, 0) << r.output;
    EXPECT_NE(r.output.find(odd), std::string::npos) << r.output;
    EXPECT_FALSE(fs::exists(file("out.wav")));
  }
  // Neither may the output be one of the tracks: it would be emptied before it is read.
  const CommandResult r = play({a, "--output", a});
  EXPECT_NE(r.status, 0) << r.output;
  EXPECT_EQ(readWav(a).frames, track("a.wav").frames);
}

TEST_F(PlayCommandTest, UnreadableFilesAreNamedAndTheRestOfTheQueuePlays) {
  const std::string one = writeTrack("one.wav", 44100, 2, 0.6, 3);
  const std::string two = writeTrack("two.wav", 44100, 2, 0.4, 4);
  std::ofstream(file("text.wav")) << "not audio at all";
  const std::string missing = file("missing.wav");
  const CommandResult r = play({one, missing, file("text.wav"), two, "--output", file("out.wav")});
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_NE(r.output.find("cannot play \"" + missing + "\""), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("cannot play \"" + file("text.wav") + "\""), std::string::npos)
      << r.output;
  const DecodedAudio both = concatenate({track("one.wav"), track("two.wav")});
  EXPECT_TRUE(bitIdentical(readWav(file("out.wav")).samples, both.samples));
}

TEST_F(PlayCommandTest, SoundDevicePlaysTheQueueWithoutGapsThroughSdl) {
  const std::string one = writeTrack("one.wav", 44100, 2, 0.7, 5);
  const std::string two = writeTrack("two.wav", 44100, 2, 0.7, 6);
  const std::string raw = file("device.raw");
  const CommandResult r =
      play({one, two}, {{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", raw}});
  ASSERT_EQ(r.status, 0) << r.output;
  // The disk driver writes the device's float frames as they are played.
  std::vector<float> played(fs::file_size(raw) / sizeof(float));
  std::ifstream in(raw, std::ios::binary);
  in.read(reinterpret_cast<char*>(played.data()), std::streamsize(played.size() * sizeof(float)));
  // SDL writes silence while the device waits for the player to start; the test signal starts
  // away from zero, so the music begins at the first non-zero sample.
  const auto start = std::find_if(played.begin(), played.end(), [](float x) { return x != 0.0f; });
  ASSERT_NE(start, played.end());
  EXPECT_EQ((start - played.begin()) % 2, 0);
  played.erase(played.begin(), start);
  const DecodedAudio both = concatenate({track("one.wav"), track("two.wav")});
  ASSERT_GE(played.size(), both.samples.size());
  EXPECT_EQ(firstDifference(played, both.samples), both.samples.size());
  EXPECT_TRUE(std::all_of(played.begin() + ptrdiff_t(both.samples.size()), played.end(),
                          [](float x) { return x == 0.0f; }));
}

TEST_F(PlayCommandTest, WithoutASoundDeviceItSaysSoAndSuggestsAFile) {
  const std::string in = writeTrack("in.wav", 44100, 2, 0.2);
  const CommandResult r = play({in}, {{"SDL_AUDIODRIVER", "no-such-driver"}});
  EXPECT_EQ(r.status, 69) << r.output;
  EXPECT_NE(r.output.find("no sound device"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("--output"), std::string::npos) << r.output;
  // ALSA's own account of its failed search does not come before ours.
  const CommandResult alsa = play({in}, {{"SDL_AUDIODRIVER", "alsa"}, {"ALSA_CARD", "NoSuchCard"}});
  EXPECT_EQ(alsa.status, 69) << alsa.output;
  EXPECT_EQ(alsa.output.find("ALSA lib"), std::string::npos) << alsa.output;
  EXPECT_EQ(alsa.output.rfind("tunely: no sound device", 0), 0u) << alsa.output;
}

TEST_F(PlayCommandTest, DemoSongIsPlayedWhenNoFileIsGiven) {
  const CommandResult r = play({"--output", file("demo.wav")});
  ASSERT_EQ(r.status, 0) << r.output;
  const DecodedAudio demo = readWav(file("demo.wav"));
  EXPECT_EQ(demo.channels, 2);
  EXPECT_GT(double(demo.frames) / demo.sampleRate, 20.0);
  EXPECT_NE(r.output.find("Tunely Demo.wav"), std::string::npos) << r.output;
}

TEST_F(PlayCommandTest, CommandLineMistakesAreRefusedWithAMessage) {
  EXPECT_EQ(run({"--help"}).status, 0);
  EXPECT_NE(run({"play", "--help"}).output.find("--block-frames"), std::string::npos);
  EXPECT_EQ(run({}).status, 2);
  for (const std::vector<std::string>& bad : {std::vector<std::string>{"--layout", "planar"},
                                              {"--block-frames", "0"},
                                              {"--device-profile", "ios99"},
                                              {"--no-such-option"}}) {
    const CommandResult r = play(bad);
    EXPECT_EQ(r.status, 2) << bad[0];
    EXPECT_NE(r.output.find(bad[0]), std::string::npos) << r.output;
  }
}

// The pipeline overlaps decoding, the tap and writing, but every turn of the run loop still comes
// at the same block boundary: a two-track queue with a last state renders exactly as the
// equalizer computes it, for either layout and block sizes that do and do not divide the tracks.
TEST_F(PlayCommandTest, RenderingIsBitIdenticalForBothLayoutsAndManyBlockSizes) {
  writeLastState(root(), kBassBoost);
  const std::string first = writeTrack("first.wav", 44100, 2, 2.5, 7);
  const std::string second = writeTrack("second.wav", 44100, 2, 1.0, 8);
  const std::vector<DecodedAudio> queue{track("first.wav"), track("second.wav")};
  const DecodedAudio input = concatenate(queue);
  for (const std::string layout : {"noninterleaved", "interleaved"}) {
    for (const int64_t block : {256, 1000, 4096, 65536}) {
      const CommandResult r = play({first, second, "--layout", layout, "--block-frames",
                                    std::to_string(block), "--output", file("out.wav")});
      ASSERT_EQ(r.status, 0) << r.output;
      const int64_t boundary = firstBlockAtOrAfter(2.0, queue, block);
      const std::vector<float> expected = expectedWithBassBoost(input, boundary);
      const DecodedAudio out = readWav(file("out.wav"));
      EXPECT_EQ(firstDifference(out.samples, expected), expected.size()) << layout << " " << block;
      EXPECT_EQ(out.samples.size(), expected.size()) << layout << " " << block;
    }
  }
}

TEST_F(PlayCommandTest, AFileDamagedInTheMiddlePlaysUpToTheDamageAndTheQueueGoesOn) {
  writeCutFlac(file("cut.flac"), testSignal(44100, 2, 4.0, 9), 0.5);
  const std::vector<float> decodable = decodableSamples(file("cut.flac"));
  ASSERT_GT(decodable.size(), 44100u);
  ASSERT_LT(decodable.size(), 4u * 44100 * 2);
  // A WAV file cut short: its header promises more than it holds.
  writeTrack("short.wav", 44100, 2, 1.0, 10);
  fs::resize_file(file("short.wav"), fs::file_size(file("short.wav")) / 2);
  const std::vector<float> shortPart = decodableSamples(file("short.wav"));
  const std::string next = writeTrack("next.wav", 44100, 2, 0.5, 11);

  const CommandResult r =
      play({file("cut.flac"), file("short.wav"), next, "--output", file("out.wav")});
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_NE(r.output.find("\"" + file("cut.flac") + "\" is damaged " ), std::string::npos)
      << r.output;
  const std::string frames = "(frame " + std::to_string(decodable.size() / 2) + ")";
  EXPECT_NE(r.output.find(frames), std::string::npos) << r.output;
  std::vector<float> expected = decodable;
  expected.insert(expected.end(), shortPart.begin(), shortPart.end());
  expected.insert(expected.end(), track("next.wav").samples.begin(), track("next.wav").samples.end());
  EXPECT_TRUE(bitIdentical(readWav(file("out.wav")).samples, expected));
  EXPECT_EQ(occurrences(r.output, "through the tap"), 3u) << r.output;
}

TEST_F(PlayCommandTest, EightChannelsAreFilteredByDefaultAndReportedUnprocessedInSeparateBuffers) {
  writeLastState(root(), kBassBoost);
  const std::string in = writeTrack("eight.wav", 48000, 8, 2.5, 12);
  const CommandResult filtered = play({in, "--output", file("filtered.wav")});
  ASSERT_EQ(filtered.status, 0) << filtered.output;
  // One interleaved buffer: the samples walk through the filters in interleaved order.
  const int64_t boundary = firstBlockAtOrAfter(2.0, {track("eight.wav")}, 4096);
  EXPECT_TRUE(bitIdentical(readWav(file("filtered.wav")).samples,
                           expectedWithBassBoost(track("eight.wav"), boundary)));
  EXPECT_NE(filtered.output.find("8 ch, through the tap"), std::string::npos) << filtered.output;
  EXPECT_EQ(filtered.output.find("unprocessed"), std::string::npos) << filtered.output;

  const CommandResult separate =
      play({in, in, "--layout", "noninterleaved", "--output", file("separate.wav")});
  ASSERT_EQ(separate.status, 0) << separate.output;
  EXPECT_TRUE(bitIdentical(readWav(file("separate.wav")).samples,
                           concatenate({track("eight.wav"), track("eight.wav")}).samples));
  EXPECT_EQ(occurrences(separate.output, "leaves a stream of more than two channels unprocessed"),
            1u)
      << separate.output;
  EXPECT_EQ(occurrences(separate.output, "8 ch, unprocessed)"), 2u) << separate.output;
}

TEST_F(PlayCommandTest, ATrackOfAnotherRatePlaysLiveResampledRightAfterTheFirst) {
  const std::string one = writeTrack("one.wav", 44100, 2, 0.7, 13);
  const std::string two = writeTrack("two.wav", 48000, 2, 0.7, 14);
  const std::string raw = file("device.raw");
  const CommandResult r =
      play({one, two}, {{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", raw}});
  ASSERT_EQ(r.status, 0) << r.output;
  std::vector<float> played = readRaw(raw);
  const auto start = std::find_if(played.begin(), played.end(), [](float x) { return x != 0.0f; });
  ASSERT_NE(start, played.end());
  played.erase(played.begin(), start);
  // The first track as it is, at the device's rate.
  const std::vector<float>& first = track("one.wav").samples;
  ASSERT_GT(played.size(), first.size());
  EXPECT_EQ(firstDifference(played, first), first.size());
  // Then the second, with no gap, converted to 44.1 kHz as libsoxr converts it in one go after a
  // stretch of silence (4800 frames, which make 4410 at the new rate).
  const DecodedAudio& second = track("two.wav");
  std::vector<float> padded(4800 * 2, 0.0f);
  padded.insert(padded.end(), second.samples.begin(), second.samples.end());
  const size_t frames = size_t(std::llround(double(second.frames) * 44100 / 48000));
  std::vector<float> converted((4410 + frames) * 2);
  const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
  const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
  size_t done = 0;
  ASSERT_EQ(soxr_oneshot(48000, 44100, 2, padded.data(), padded.size() / 2, nullptr,
                         converted.data(), converted.size() / 2, &done, &io, &quality, nullptr),
            nullptr);
  ASSERT_EQ(done, converted.size() / 2);
  converted.erase(converted.begin(), converted.begin() + 4410 * 2);
  ASSERT_GE(played.size(), first.size() + converted.size());
  double worst = 0;
  for (size_t i = 0; i < converted.size(); ++i)
    worst = std::max(worst, double(std::fabs(played[first.size() + i] - converted[i])));
  EXPECT_LT(worst, 1e-5);
  EXPECT_TRUE(std::all_of(played.begin() + ptrdiff_t(first.size() + converted.size()),
                          played.end(), [](float x) { return x == 0.0f; }));
}

TEST_F(PlayCommandTest, TheSummaryReadsTheEbuReferenceSineAtMinus23Lufs) {
  // EBU Tech 3341, case 1: a stereo 1 kHz sine with a peak of -23 dBFS in both channels.
  DecodedAudio sine;
  sine.sampleRate = 48000;
  sine.channels = 2;
  sine.frames = 48000 * 10;
  const double amplitude = std::pow(10.0, -23.0 / 20);
  for (int64_t i = 0; i < sine.frames; ++i)
    for (int c = 0; c < 2; ++c)
      sine.samples.push_back(float(amplitude * std::sin(2 * M_PI * 1000 * double(i) / 48000)));
  writeFloatWav(file("sine.wav"), sine);
  const CommandResult r = play({file("sine.wav"), "--output", file("out.wav")});
  ASSERT_EQ(r.status, 0) << r.output;
  const std::vector<double> figures = loudnessFigures(r.output);
  ASSERT_EQ(figures.size(), 2u) << r.output;
  EXPECT_NEAR(figures[0], -23.0, 0.1 + 1e-9) << r.output;  // what went into the tap
  EXPECT_NEAR(figures[1], -23.0, 0.1 + 1e-9) << r.output;  // no last state: unchanged
  EXPECT_NE(r.output.find("loudness change +0.0 LU"), std::string::npos) << r.output;
}

}  // namespace
