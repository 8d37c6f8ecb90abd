// AudioToolbox's audio unit instances, as far as a tap's context may hold one.
#pragma once

#include "coreaudio/CoreAudioTypes.h"

struct OpaqueAudioComponent;
using AudioComponent = OpaqueAudioComponent*;
struct OpaqueAudioComponentInstance;
using AudioComponentInstance = OpaqueAudioComponentInstance*;
using AudioUnit = AudioComponentInstance;

// Makes an instance of `component` (any component, null included, gives a generic unit).
OSStatus AudioComponentInstanceNew(AudioComponent component, AudioComponentInstance* out);
OSStatus AudioUnitInitialize(AudioUnit unit);
OSStatus AudioUnitUninitialize(AudioUnit unit);
// Releases the instance; the handle is invalid afterwards.
OSStatus AudioComponentInstanceDispose(AudioComponentInstance instance);
// Whether the unit is initialised (for inspection by tests).
bool AudioUnitIsInitialized(AudioUnit unit);
