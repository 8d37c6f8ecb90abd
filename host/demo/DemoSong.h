// The built-in demo song, synthesized: 12 bars of a four-chord loop at 100 beats per minute, with
// a kick drum, a bass line, chords and hi-hats, so there is plenty of bass for the bass boost to
// work on. Deterministic: no clock or random seed goes in, so every run makes the same samples.
#pragma once

#include <string>

#include "host/media/DecodedAudio.h"

namespace host {

constexpr double kDemoSampleRate = 44100;
constexpr int kDemoChannels = 2;

DecodedAudio synthesizeDemoSong();

constexpr const char* kDemoSongTitle = "Tunely Demo";
constexpr const char* kDemoSongArtist = "The Lowtide Quartet";
// Writes the demo song as a 32-bit float WAV file, tagged with its title and artist, unless the
// file is already there.
bool writeDemoSong(const std::string& path, std::string& error);

}  // namespace host
