// A tap with the engine's five callbacks, fed from a test-controlled source.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

#include "Lowtide/engine/ProcessingTap.h"
#include "mediatoolbox/MTAudioProcessingTapDriver.h"

// What the test's source hands out on every fetch.
struct SourceScript {
  std::vector<float> samples;  // copied, from the start, into the buffers' space
  CMItemCount framesDelivered = -1;  // -1: as many as asked for
  OSStatus status = noErr;
  int fetches = 0;
};

inline MTAudioProcessingTapCallbacks engineCallbacks(void* clientInfo = nullptr) {
  return {kMTAudioProcessingTapCallbacksVersion_0, clientInfo,
          lowtide::tap_InitCallback,     lowtide::tap_FinalizeCallback,
          lowtide::tap_PrepareCallback,  lowtide::tap_UnprepareCallback,
          lowtide::tap_ProcessCallback};
}

inline AudioStreamBasicDescription streamFormat(UInt32 formatId, UInt32 flags, double rate = 44100.0,
                                                UInt32 channels = 2) {
  AudioStreamBasicDescription f{};
  f.mSampleRate = rate;
  f.mFormatID = formatId;
  f.mFormatFlags = flags;
  f.mChannelsPerFrame = channels;
  f.mBitsPerChannel = 32;
  return f;
}

// Owns a tap and the buffer list handed to it.
class TapHarness {
 public:
  explicit TapHarness(void* clientInfo = nullptr) {
    const MTAudioProcessingTapCallbacks callbacks = engineCallbacks(clientInfo);
    MTAudioProcessingTapCreate(kCFAllocatorDefault, &callbacks,
                               kMTAudioProcessingTapCreationFlag_PostEffects, &tap_);
    MTAudioProcessingTapSetSource(tap_, [this](CMItemCount frames, AudioBufferList* list,
                                               MTAudioProcessingTapFlags*, CMItemCount* out) {
      ++script.fetches;
      size_t next = 0;
      for (UInt32 b = 0; b < list->mNumberBuffers; ++b) {
        auto* data = static_cast<float*>(list->mBuffers[b].mData);
        const size_t room = std::min<size_t>(list->mBuffers[b].mDataByteSize / sizeof(float),
                                             static_cast<size_t>(frames) * list->mBuffers[b].mNumberChannels);
        for (size_t i = 0; i < room && next < script.samples.size(); ++i) data[i] = script.samples[next++];
      }
      *out = script.framesDelivered < 0 ? frames : script.framesDelivered;
      return script.status;
    });
  }
  ~TapHarness() { CFRelease(tap_); }
  TapHarness(const TapHarness&) = delete;
  TapHarness& operator=(const TapHarness&) = delete;

  MTAudioProcessingTapRef tap() const { return tap_; }
  lowtide::TapContext& context() const {
    return *static_cast<lowtide::TapContext*>(MTAudioProcessingTapGetStorage(tap_));
  }
  void prepare(const AudioStreamBasicDescription& format) { MTAudioProcessingTapPrepare(tap_, 4096, format); }

  // Buffers of `floatsEach` samples, each filled with `fill`, in a list of `count` buffers.
  void makeBuffers(UInt32 count, size_t floatsEach, UInt32 channelsEach, float fill = 7.0f) {
    storage_.assign(count, std::vector<float>(floatsEach, fill));
    listBytes_.assign(sizeof(AudioBufferList) + sizeof(AudioBuffer) * (count > 0 ? count - 1 : 0), 0);
    list()->mNumberBuffers = count;
    for (UInt32 b = 0; b < count; ++b) {
      list()->mBuffers[b] = {channelsEach, static_cast<UInt32>(floatsEach * sizeof(float)), storage_[b].data()};
    }
  }
  AudioBufferList* list() { return reinterpret_cast<AudioBufferList*>(listBytes_.data()); }
  std::vector<float>& buffer(size_t b) { return storage_[b]; }

  CMItemCount process(CMItemCount frames) {
    CMItemCount delivered = -99;
    MTAudioProcessingTapFlags flags = 0;
    MTAudioProcessingTapProcess(tap_, frames, list(), &delivered, &flags);
    return delivered;
  }

  SourceScript script;

 private:
  MTAudioProcessingTapRef tap_ = nullptr;
  std::vector<std::vector<float>> storage_;
  std::vector<unsigned char> listBytes_;
};

inline std::vector<float> testSignal(size_t n, float phase = 0.0f) {
  std::vector<float> s(n);
  for (size_t i = 0; i < n; ++i) s[i] = 0.6f * std::sin(0.037f * static_cast<float>(i) + phase);
  return s;
}
