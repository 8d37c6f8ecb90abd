#include "host/media/DeviceSink.h"

#include <algorithm>
#include <cstring>

#include "coreaudio/AudioThread.h"
#include "host/media/TrackPlayback.h"

namespace host {

DeviceSink::~DeviceSink() { close(); }

bool DeviceSink::open(double sampleRate, int channels, int64_t blockFrames, std::string& error) {
  close();
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    error = SDL_GetError();
    return false;
  }
  subsystemStarted_ = true;
  blockFrames_ = blockFrames;
  SDL_AudioSpec want{};
  want.freq = int(sampleRate);
  want.format = AUDIO_F32SYS;
  want.channels = Uint8(channels);
  want.samples = Uint16(std::clamp<int64_t>(blockFrames, 256, 8192));
  want.callback = &DeviceSink::callback;
  want.userdata = this;
  // SDL converts to whatever the hardware takes: the callback always sees this rate and layout.
  device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &obtained_, SDL_AUDIO_ALLOW_SAMPLES_CHANGE);
  if (device_ == 0) {
    error = SDL_GetError();
    close();
    return false;
  }
  return true;
}

void DeviceSink::start() {
  if (device_) SDL_PauseAudioDevice(device_, 0);
}

void DeviceSink::close() {
  if (device_) SDL_CloseAudioDevice(device_);  // waits for the callback to return
  device_ = 0;
  current_ = nullptr;
  next_.store(nullptr, std::memory_order_relaxed);
  if (subsystemStarted_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  subsystemStarted_ = false;
}

double DeviceSink::bufferSeconds() const {
  return obtained_.freq > 0 ? double(obtained_.samples) / double(obtained_.freq) : 0.0;
}

bool DeviceSink::handOver(TrackPlayback* track) {
  TrackPlayback* expected = nullptr;
  return next_.compare_exchange_strong(expected, track, std::memory_order_release,
                                       std::memory_order_relaxed);
}

void SDLCALL DeviceSink::callback(void* self, Uint8* stream, int len) {
  auto* sink = static_cast<DeviceSink*>(self);
  const int64_t frameBytes = int64_t(sizeof(float)) * sink->obtained_.channels;
  sink->fill(reinterpret_cast<float*>(stream), len / frameBytes);
}

void DeviceSink::fill(float* out, int64_t frames) noexcept {
  AudioThreadEnableFlushToZero();
  const int64_t ch = obtained_.channels;
  while (frames > 0) {
    if (!current_) current_ = next_.exchange(nullptr, std::memory_order_acquire);
    bool ended = false;
    const int64_t n = current_ ? current_->play(out, std::min(frames, blockFrames_), &ended) : 0;
    if (ended) current_ = nullptr;  // the main thread may now finish it
    if (n == 0 && !ended) {         // nothing to play, or decoding fell behind: silence
      std::memset(out, 0, size_t(frames * ch) * sizeof(float));
      return;
    }
    out += n * ch;
    frames -= n;
  }
}

}  // namespace host
