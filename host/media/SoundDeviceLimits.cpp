#include "host/media/SoundDeviceLimits.h"

#include <cstdio>

namespace host {

std::string soundDeviceRefusal(double sampleRate, int channels) {
  char text[160];
  if (channels < 1 || channels > kMaxDeviceChannels) {
    std::snprintf(text, sizeof text, "it has %d channels; a sound device plays 1 to %d", channels,
                  kMaxDeviceChannels);
    return text;
  }
  if (!(sampleRate >= kLowestDeviceRate && sampleRate <= kHighestDeviceRate)) {
    std::snprintf(text, sizeof text,
                  "its sample rate is %.0f Hz; a sound device plays %g kHz to %g kHz",
                  sampleRate, kLowestDeviceRate / 1000, kHighestDeviceRate / 1000);
    return text;
  }
  return {};
}

}  // namespace host
