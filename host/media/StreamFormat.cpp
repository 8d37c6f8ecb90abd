#include "host/media/StreamFormat.h"

namespace host {

AudioStreamBasicDescription floatStreamDescription(double sampleRate, int channels,
                                                   SampleLayout layout) {
  const UInt32 bytesPerSample = sizeof(float);
  const bool split = layout == SampleLayout::NonInterleaved;
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
