// The media pipeline's side of a tap: what the platform's player does with a tap it finds in a
// player item's audio mix. Not part of the public MediaToolbox API.
#pragma once

#include <functional>

#include "mediatoolbox/MTAudioProcessingTap.h"

// Where MTAudioProcessingTapGetSourceAudio takes its blocks from (MTAudioProcessingTapSource,
// declared with the tap). Called on the audio thread from inside the process callback: it must
// not allocate, lock or log. It fills the buffers with up to `frames` frames, reports the frames
// delivered and returns a status (noErr on success). A tap without a source delivers no frames
// and answers kAudio_ParamError.

// Sets the source before processing starts (not while the process callback may run).
void MTAudioProcessingTapSetSource(MTAudioProcessingTapRef tap, MTAudioProcessingTapSource source);

// Run the client's callbacks.
void MTAudioProcessingTapPrepare(MTAudioProcessingTapRef tap, CMItemCount maxFrames,
                                 const AudioStreamBasicDescription& format);
void MTAudioProcessingTapProcess(MTAudioProcessingTapRef tap, CMItemCount numberFrames,
                                 AudioBufferList* bufferList, CMItemCount* numberFramesOut,
                                 MTAudioProcessingTapFlags* flagsOut);
void MTAudioProcessingTapUnprepare(MTAudioProcessingTapRef tap);

// The callbacks record the tap was created with (for inspection by the player and by tests).
const MTAudioProcessingTapCallbacks& MTAudioProcessingTapGetCallbacks(MTAudioProcessingTapRef tap);
MTAudioProcessingTapCreationFlags MTAudioProcessingTapGetCreationFlags(MTAudioProcessingTapRef tap);

// Test seam: the status the next MTAudioProcessingTapCreate returns instead of creating a tap
// (0 turns the fault off). Lets tests exercise a failing creation.
void MTAudioProcessingTapFailNextCreate(OSStatus status);
