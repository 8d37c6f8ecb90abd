#include "host/demo/DemoSong.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>

#include "host/media/WavFileSink.h"

namespace host {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kBeatsPerMinute = 100;
constexpr int kBars = 12;
constexpr int kBeatsPerBar = 4;

double noteFrequency(int midiNote) { return 440.0 * std::pow(2.0, (midiNote - 69) / 12.0); }

// One chord per bar: A minor, F major, C major, G major (MIDI note numbers, root first).
constexpr int kChords[4][3] = {{57, 60, 64}, {53, 57, 60}, {48, 52, 55}, {55, 59, 62}};
// The bass plays the chord's root two octaves down, in eighth notes with this octave pattern.
constexpr int kBassOctave[8] = {0, 0, 12, 0, 0, 12, 0, 7};

// A small linear congruential generator: the hi-hats' noise, identical everywhere.
class Noise {
 public:
  double next() {
    state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
    return double(state_ >> 11) / double(1ull << 53) * 2.0 - 1.0;
  }

 private:
  uint64_t state_ = 0x5EED;
};

// A sine whose pitch falls from 120 Hz to 45 Hz: the phase is the integral of that sweep.
double kick(double t) {  // t: seconds since the hit
  const double phase = 2 * kPi * (45.0 * t + 75.0 * (1 - std::exp(-t * 30.0)) / 30.0);
  return std::sin(phase) * std::exp(-t * 7.0);
}

double bass(double t, double frequency, double length) {  // a soft sawtooth, plucked
  double s = 0;
  for (int h = 1; h <= 6; ++h) s += std::sin(2 * kPi * frequency * h * t) / h;
  const double attack = std::min(1.0, t / 0.005);
  const double release = std::min(1.0, std::max(0.0, (length - t) / 0.02));
  return s * 0.5 * attack * release * std::exp(-t * 3.0);
}

double pad(double t, double frequency) {  // two detuned sines per note
  return 0.5 * (std::sin(2 * kPi * frequency * t) + std::sin(2 * kPi * frequency * 1.003 * t));
}

}  // namespace

DecodedAudio synthesizeDemoSong() {
  const double beat = 60.0 / kBeatsPerMinute;
  const double bar = beat * kBeatsPerBar;
  const double eighth = beat / 2;
  DecodedAudio song;
  song.sampleRate = kDemoSampleRate;
  song.channels = kDemoChannels;
  song.frames = int64_t(std::llround(kBars * bar * kDemoSampleRate));
  song.samples.assign(size_t(song.frames) * kDemoChannels, 0.0f);

  Noise noise;
  double hatState = 0;  // high-pass memory of the hi-hat noise
  for (int64_t i = 0; i < song.frames; ++i) {
    const double t = double(i) / kDemoSampleRate;
    const int barIndex = int(t / bar);
    const int* chord = kChords[barIndex % 4];
    const double inBeat = std::fmod(t, beat);
    const double inEighth = std::fmod(t, eighth);
    const int eighthIndex = int(std::fmod(t, bar) / eighth);
    const double inBar = std::fmod(t, bar);

    const double k = kick(inBeat);
    const double b =
        bass(inEighth, noteFrequency(chord[0] - 24 + kBassOctave[eighthIndex]), eighth);
    double chords = 0;
    for (int n = 0; n < 3; ++n) chords += pad(t, noteFrequency(chord[n]));
    chords *= std::min(1.0, inBar / 0.3) * std::min(1.0, (bar - inBar) / 0.05);
    // Hi-hats on the off-beats: noise through a one-pole high pass, fast decay.
    const double white = noise.next();
    const double hat = white - hatState;
    hatState = white;
    const bool offBeat = eighthIndex % 2 == 1;
    const double hatLevel = offBeat ? std::exp(-inEighth * 60.0) : 0.0;
    // The first two bars build up: chords and bass first, drums join in bar 3.
    const double drums = barIndex >= 2 ? 1.0 : 0.0;

    const double centre = 0.30 * drums * k + 0.22 * b + 0.045 * chords;
    const double left = centre + 0.04 * drums * hatLevel * hat * 0.6;
    const double right = centre + 0.04 * drums * hatLevel * hat;
    song.samples[size_t(i) * 2] = float(left);
    song.samples[size_t(i) * 2 + 1] = float(right);
  }
  return song;
}

namespace {

// Appends a LIST/INFO chunk with the song's title and artist to a closed RIFF WAV file and grows
// the RIFF size to take it in, so players that read tags show them.
bool appendInfoTags(const std::string& path, const std::string& title, const std::string& artist, std::string& error) {
  auto le32 = [](uint32_t v) {
    return std::string{char(v & 0xff), char((v >> 8) & 0xff), char((v >> 16) & 0xff), char(v >> 24)};
  };
  auto entry = [&](const char* id, const std::string& text) {
    std::string body = text + '\0';
    if (body.size() % 2) body += '\0';  // chunks are word aligned
    return std::string(id, 4) + le32(uint32_t(text.size() + 1)) + body;
  };
  const std::string info = "INFO" + entry("INAM", title) + entry("IART", artist);
  const std::string chunk = "LIST" + le32(uint32_t(info.size())) + info;
  std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
  char head[8] = {};
  if (!file.read(head, 8) || std::string(head, 4) != "RIFF") {
    error = "not a RIFF file";
    return false;
  }
  const uint32_t size = uint32_t(uint8_t(head[4])) | uint32_t(uint8_t(head[5])) << 8 |
                        uint32_t(uint8_t(head[6])) << 16 | uint32_t(uint8_t(head[7])) << 24;
  file.seekp(0, std::ios::end);
  file.write(chunk.data(), std::streamsize(chunk.size()));
  file.seekp(4);
  file << le32(uint32_t(size + chunk.size()));
  if (!file.flush()) {
    error = "cannot write the song's tags";
    return false;
  }
  return true;
}

}  // namespace

bool writeDemoSong(const std::string& path, std::string& error) {
  std::error_code ec;
  if (std::filesystem::exists(path, ec)) return true;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  const DecodedAudio song = synthesizeDemoSong();
  // Written next to its final name and renamed, so an interrupted run leaves no half song.
  const std::string partial = path + ".partial";
  {
    WavFileSink sink;
    if (!sink.open(partial, song.sampleRate, song.channels, error)) return false;
    if (!sink.write(song.samples.data(), song.frames, error)) return false;
    if (!sink.close(error)) return false;
  }
  if (!appendInfoTags(partial, kDemoSongTitle, kDemoSongArtist, error)) return false;
  std::filesystem::rename(partial, path, ec);
  if (ec) {
    error = ec.message();
    return false;
  }
  return true;
}

}  // namespace host
