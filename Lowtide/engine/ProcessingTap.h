// The audio processing tap's five callbacks: where the music reaches the equalizer. One tap per
// player item; every tap runs its samples through the one process-wide engine.
#pragma once

#include "audiotoolbox/AudioUnit.h"
#include "mediatoolbox/MTAudioProcessingTap.h"

namespace lowtide {

// What one tap knows of its stream. Touched only by that tap's callbacks.
struct TapContext {
  bool formatSupported;         // the last prepare accepted the format; process works only then
  bool nonInterleaved;          // a prepare saw the non-interleaved flag (never cleared)
  double sampleRate;            // from the last prepare; NaN before
  AudioComponentInstance audioUnit;  // none in this system; unprepare releases one if held
  double sampleCount;           // kept at 0
  float leftVolume;             // kept at 0
  float rightVolume;            // kept at 0
  void* clientInfo;             // the client information the tap was created with
};

void tap_InitCallback(MTAudioProcessingTapRef tap, void* clientInfo, void** tapStorageOut);
void tap_FinalizeCallback(MTAudioProcessingTapRef tap);
void tap_PrepareCallback(MTAudioProcessingTapRef tap, CMItemCount maxFrames,
                         const AudioStreamBasicDescription* processingFormat);
void tap_UnprepareCallback(MTAudioProcessingTapRef tap);
void tap_ProcessCallback(MTAudioProcessingTapRef tap, CMItemCount numberFrames,
                         MTAudioProcessingTapFlags flags, AudioBufferList* bufferListInOut,
                         CMItemCount* numberFramesOut, MTAudioProcessingTapFlags* flagsOut);

}  // namespace lowtide
