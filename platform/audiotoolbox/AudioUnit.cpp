#include "audiotoolbox/AudioUnit.h"

#include <atomic>
#include <new>

struct OpaqueAudioComponentInstance {
  AudioComponent component = nullptr;
  std::atomic<bool> initialized{false};
};

OSStatus AudioComponentInstanceNew(AudioComponent component, AudioComponentInstance* out) {
  if (out == nullptr) return kAudio_ParamError;
  *out = new (std::nothrow) OpaqueAudioComponentInstance;
  if (*out == nullptr) return kAudio_ParamError;
  (*out)->component = component;
  return noErr;
}

OSStatus AudioUnitInitialize(AudioUnit unit) {
  if (unit == nullptr) return kAudio_ParamError;
  unit->initialized.store(true);
  return noErr;
}

OSStatus AudioUnitUninitialize(AudioUnit unit) {
  if (unit == nullptr) return kAudio_ParamError;
  unit->initialized.store(false);
  return noErr;
}

OSStatus AudioComponentInstanceDispose(AudioComponentInstance instance) {
  if (instance == nullptr) return kAudio_ParamError;
  delete instance;
  return noErr;
}

bool AudioUnitIsInitialized(AudioUnit unit) { return unit != nullptr && unit->initialized.load(); }
