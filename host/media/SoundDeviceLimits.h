// What the sound device can be asked to play. SDL2 opens 1 to 8 channels and converts them to
// what the hardware has; sound devices run between 1 kHz (below it a file of a few thousand
// frames would play for hours) and 768 kHz, the highest rate audio interfaces offer.
#pragma once

#include <string>

namespace host {

constexpr int kMaxDeviceChannels = 8;
constexpr double kLowestDeviceRate = 1000;
constexpr double kHighestDeviceRate = 768000;

// Empty when a stream of this format can go to the sound device (resampled to its rate if need
// be); otherwise why not, naming the value, worded to follow a file's name.
std::string soundDeviceRefusal(double sampleRate, int channels);

}  // namespace host
