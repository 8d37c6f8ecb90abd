#include "host/media/StreamFormat.h"

namespace host {

SampleLayout layoutFor(SampleLayout requested, int channels) {
  if (requested != SampleLayout::Automatic) return requested;
  return channels > 2 ? SampleLayout::Interleaved : SampleLayout::NonInterleaved;
}

bool equalizerFilters(SampleLayout layout, int channels) {
  return layoutFor(layout, channels) == SampleLayout::Interleaved || channels <= 2;
}

AudioStreamBasicDescription floatStreamDescription(double sampleRate, int channels,
                                                   SampleLayout layout) {
  const UInt32 bytesPerSample = sizeof(float);
  const bool split = layoutFor(layout, channels) == SampleLayout::NonInterleaved;
  AudioStreamBasicDescription d{};
  d.mSampleRate = sampleRate;
  d.mFormatID = kAudioFormatLinearPCM;
  d.mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked |
                   (split ? kAudioFormatFlagIsNonInterleaved : 0u);
  // For non-interleaved audio the sizes describe one channel's buffer.
  d.mBytesPerFrame = split ? bytesPerSample : bytesPerSample * UInt32(channels);
  d.mBytesPerPacket = d.mBytesPerFrame;
  d.mFramesPerPacket = 1;
  d.mChannelsPerFrame = UInt32(channels);
  d.mBitsPerChannel = 32;
  return d;
}

}  // namespace host
