// Core Audio's stream description and buffer list, with the platform's published layouts.
#pragma once

#include <cstdint>

using OSStatus = int32_t;
using UInt32 = uint32_t;
using Float64 = double;
using CMItemCount = long;

enum : OSStatus { noErr = 0, kAudio_ParamError = -50 };

enum : UInt32 {
  kAudioFormatLinearPCM = 0x6C70636D,  // 'lpcm'
};

enum : UInt32 {
  kAudioFormatFlagIsFloat = 1u << 0,
  kAudioFormatFlagIsBigEndian = 1u << 1,
  kAudioFormatFlagIsSignedInteger = 1u << 2,
  kAudioFormatFlagIsPacked = 1u << 3,
  kAudioFormatFlagIsNonInterleaved = 1u << 5,
};

struct AudioStreamBasicDescription {
  Float64 mSampleRate;
  UInt32 mFormatID;
  UInt32 mFormatFlags;
  UInt32 mBytesPerPacket;
  UInt32 mFramesPerPacket;
  UInt32 mBytesPerFrame;
  UInt32 mChannelsPerFrame;
  UInt32 mBitsPerChannel;
  UInt32 mReserved;
};

struct AudioBuffer {
  UInt32 mNumberChannels;
  UInt32 mDataByteSize;
  void* mData;
};

// Variable length: mBuffers holds mNumberBuffers entries.
struct AudioBufferList {
  UInt32 mNumberBuffers;
  AudioBuffer mBuffers[1];
};
