#include "Lowtide/engine/ProcessingTap.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <new>

#include "Lowtide/engine/Equalizer.h"
#include "Lowtide/engine/KernelWalk.h"
#include "Lowtide/engine/NonFiniteGuard.h"
#include "foundation/NSLog.h"

namespace lowtide {
namespace {

TapContext* contextOf(MTAudioProcessingTapRef tap) {
  return static_cast<TapContext*>(MTAudioProcessingTapGetStorage(tap));
}

size_t floatsIn(const AudioBuffer& buffer) {
  return buffer.mData != nullptr ? buffer.mDataByteSize / sizeof(float) : 0;
}

// Zeroes samples [from, to) of a buffer, so that what the source left there (stale memory when
// it delivered fewer frames than asked for) never reaches the shared filter state.
void clearTail(const AudioBuffer& buffer, size_t from, size_t to) {
  if (from < to) std::fill(static_cast<float*>(buffer.mData) + from, static_cast<float*>(buffer.mData) + to, 0.0f);
}

}  // namespace

void tap_InitCallback(MTAudioProcessingTapRef, void* clientInfo, void** tapStorageOut) {
  auto* context = new (std::nothrow) TapContext{};
  if (context != nullptr) {
    context->formatSupported = false;
    context->nonInterleaved = false;
    context->sampleRate = std::numeric_limits<double>::quiet_NaN();
    context->audioUnit = nullptr;
    context->sampleCount = 0.0;
    context->leftVolume = 0.0f;
    context->rightVolume = 0.0f;
    context->clientInfo = clientInfo;
  }
  if (tapStorageOut != nullptr) *tapStorageOut = context;
}

void tap_FinalizeCallback(MTAudioProcessingTapRef tap) { delete contextOf(tap); }

void tap_PrepareCallback(MTAudioProcessingTapRef tap, CMItemCount,
                         const AudioStreamBasicDescription* processingFormat) {
  TapContext* context = contextOf(tap);
  if (context == nullptr || processingFormat == nullptr) return;
  const AudioStreamBasicDescription& format = *processingFormat;
  context->sampleRate = format.mSampleRate;
  context->formatSupported = true;
  if (format.mFormatID != kAudioFormatLinearPCM) {
    NSLog("Unsupported audio format ID for audioProcessingTap. LinearPCM only.");
    context->formatSupported = false;
  }
  if ((format.mFormatFlags & kAudioFormatFlagIsFloat) == 0) {
    NSLog("Unsupported audio format flag for audioProcessingTap. Float only.");
    context->formatSupported = false;
  }
  if ((format.mFormatFlags & kAudioFormatFlagIsNonInterleaved) != 0) context->nonInterleaved = true;
  prepareEq(format.mSampleRate);
}

void tap_UnprepareCallback(MTAudioProcessingTapRef tap) {
  TapContext* context = contextOf(tap);
  if (context == nullptr || context->audioUnit == nullptr) return;
  AudioUnitUninitialize(context->audioUnit);
  AudioComponentInstanceDispose(context->audioUnit);
  context->audioUnit = nullptr;
}

void tap_ProcessCallback(MTAudioProcessingTapRef tap, CMItemCount numberFrames,
                         MTAudioProcessingTapFlags, AudioBufferList* bufferListInOut,
                         CMItemCount* numberFramesOut, MTAudioProcessingTapFlags* flagsOut) {
  // Runs on the audio thread: its log lines are only queued, the logging thread writes them.
  const NSLogRealTimeScope realTime;
  const TapContext* context = contextOf(tap);
  if (context == nullptr || !context->formatSupported) {
    NSLog("Unsupported tap processing format.");
    return;
  }
  CMItemCount delivered = 0;
  CMItemCount* deliveredOut = numberFramesOut != nullptr ? numberFramesOut : &delivered;
  const OSStatus status = MTAudioProcessingTapGetSourceAudio(tap, numberFrames, bufferListInOut,
                                                             flagsOut, nullptr, deliveredOut);

  const UInt32 buffers = bufferListInOut != nullptr ? bufferListInOut->mNumberBuffers : 0;
  if ((buffers == 1 || buffers == 2) && numberFrames > 0) {
    const AudioBuffer* list = bufferListInOut->mBuffers;
    // The walk covers the frames asked for, counted in samples of one buffer, but never goes
    // beyond what a buffer holds (for two buffers, the smaller one).
    const uint64_t samplesPerFrame = context->nonInterleaved ? 1 : list[0].mNumberChannels;
    uint64_t count = static_cast<uint64_t>(numberFrames) * samplesPerFrame;
    for (UInt32 b = 0; b < buffers; ++b) count = std::min<uint64_t>(count, floatsIn(list[b]));
    const uint64_t framesDelivered =
        static_cast<uint64_t>(std::clamp<CMItemCount>(*deliveredOut, 0, numberFrames));
    const uint64_t samplesDelivered = std::min(count, framesDelivered * samplesPerFrame);
    // Neither stale memory past the delivered frames nor a NaN or infinity in the source may
    // reach the shared filter state; a state that overflows anyway is reset after the block.
    for (UInt32 b = 0; b < buffers; ++b) {
      clearTail(list[b], samplesDelivered, count);
      silenceNonFiniteSamples(static_cast<float*>(list[b].mData), samplesDelivered);
    }
    walkKernel(static_cast<float*>(list[0].mData),
               buffers == 2 ? static_cast<float*>(list[1].mData) : nullptr, count);
    resetNonFiniteFilterState();
  }

  if (status != noErr) NSLog("MTAudioProcessingTapGetSourceAudio: %d", static_cast<int>(status));
}

}  // namespace lowtide
