#include "host/media/DeviceSink.h"

#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>

#include "coreaudio/AudioThread.h"
#include "host/media/SoundDeviceLimits.h"

namespace host {
namespace {

void ignoreAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

// ALSA's library reports every step of a failed device search on stderr, ahead of the player's
// own one-line reason. SDL loads it at run time; the player loads the same library first and
// gives it a handler that keeps quiet. Without ALSA there is nothing to quieten.
void quietenAlsa() {
  static const bool done = [] {
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    void* alsa = dlopen("libasound.so.2", RTLD_LAZY | RTLD_GLOBAL);
    if (alsa == nullptr) return false;
    auto setHandler = reinterpret_cast<int (*)(Handler)>(dlsym(alsa, "snd_lib_error_set_handler"));
    if (setHandler != nullptr) setHandler(&ignoreAlsaMessage);
    return true;
  }();
  (void)done;
}

}  // namespace

DeviceSink::~DeviceSink() { close(); }

bool DeviceSink::open(double sampleRate, int channels, int64_t blockFrames, std::string& error) {
  close();
  // Refused here, before the channel count is narrowed to SDL's 8 bits.
  if (std::string refusal = soundDeviceRefusal(sampleRate, channels); !refusal.empty()) {
    error = refusal;
    return false;
  }
  // SDL's audio brings up its event loop, which by default takes over SIGINT and SIGTERM and
  // turns them into a quit event that nothing reads here: the player's own handlers must see
  // them (see StopRequest).
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  quietenAlsa();
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    error = SDL_GetError();
    return false;
  }
  subsystemStarted_ = true;
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
  // The player reopens the device for a track of another channel count until the counts agree:
  // a device that would not take the count must say so instead.
  if (obtained_.channels != channels) {
    error = "the sound device opened with " + std::to_string(obtained_.channels) +
            " channels instead of " + std::to_string(channels);
    close();
    return false;
  }
  feed_.configure(obtained_.channels, blockFrames, double(obtained_.freq));
  return true;
}

void DeviceSink::start() {
  if (!device_) return;
  SDL_PauseAudioDevice(device_, 0);
  started_ = true;
}

void DeviceSink::hold() {
  feed_.requestHold();
  // SDL calls back every buffer's time once started, whether the hardware is there or not; a
  // device not started calls back not at all, so nothing renders.
  while (started_ && !feed_.holdAcknowledged())
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void DeviceSink::close() {
  if (device_) SDL_CloseAudioDevice(device_);  // waits for the callback to return
  device_ = 0;
  started_ = false;
  feed_.forgetTracks();
  if (subsystemStarted_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  subsystemStarted_ = false;
}

double DeviceSink::bufferSeconds() const {
  return obtained_.freq > 0 ? double(obtained_.samples) / double(obtained_.freq) : 0.0;
}

void SDLCALL DeviceSink::callback(void* self, Uint8* stream, int len) {
  auto* sink = static_cast<DeviceSink*>(self);
  AudioThreadEnableFlushToZero();
  const int64_t frameBytes = int64_t(sizeof(float)) * sink->obtained_.channels;
  sink->feed_.fill(reinterpret_cast<float*>(stream), len / frameBytes);
}

}  // namespace host
