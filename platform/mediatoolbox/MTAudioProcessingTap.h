// MediaToolbox's audio processing tap: a reference-counted object that carries five client
// callbacks and the storage the init callback returns. The media pipeline drives it with the
// calls in MTAudioProcessingTapDriver.h.
#pragma once

#include <functional>

#include "coreaudio/CoreAudioTypes.h"
#include "objc/NSObject.h"

class MTAudioProcessingTap;
using MTAudioProcessingTapRef = MTAudioProcessingTap*;
using CFAllocatorRef = const void*;
constexpr CFAllocatorRef kCFAllocatorDefault = nullptr;

using MTAudioProcessingTapFlags = UInt32;
using MTAudioProcessingTapCreationFlags = UInt32;
enum : MTAudioProcessingTapCreationFlags {
  kMTAudioProcessingTapCreationFlag_PreEffects = 1u << 0,
  kMTAudioProcessingTapCreationFlag_PostEffects = 1u << 1,
};
enum : int { kMTAudioProcessingTapCallbacksVersion_0 = 0 };

// A time range is never asked for in this system; the type exists for the signature.
struct CMTimeRange;

using MTAudioProcessingTapInitCallback = void (*)(MTAudioProcessingTapRef tap, void* clientInfo,
                                                  void** tapStorageOut);
using MTAudioProcessingTapFinalizeCallback = void (*)(MTAudioProcessingTapRef tap);
using MTAudioProcessingTapPrepareCallback = void (*)(MTAudioProcessingTapRef tap,
                                                     CMItemCount maxFrames,
                                                     const AudioStreamBasicDescription* processingFormat);
using MTAudioProcessingTapUnprepareCallback = void (*)(MTAudioProcessingTapRef tap);
using MTAudioProcessingTapProcessCallback = void (*)(MTAudioProcessingTapRef tap,
                                                     CMItemCount numberFrames,
                                                     MTAudioProcessingTapFlags flags,
                                                     AudioBufferList* bufferListInOut,
                                                     CMItemCount* numberFramesOut,
                                                     MTAudioProcessingTapFlags* flagsOut);

struct MTAudioProcessingTapCallbacks {
  int version;
  void* clientInfo;
  MTAudioProcessingTapInitCallback init;
  MTAudioProcessingTapFinalizeCallback finalize;
  MTAudioProcessingTapPrepareCallback prepare;
  MTAudioProcessingTapUnprepareCallback unprepare;
  MTAudioProcessingTapProcessCallback process;
};

// Where a tap's source audio comes from (see MTAudioProcessingTapSetSource in
// MTAudioProcessingTapDriver.h).
using MTAudioProcessingTapSource =
    std::function<OSStatus(CMItemCount frames, AudioBufferList* buffers,
                           MTAudioProcessingTapFlags* flagsOut, CMItemCount* framesOut)>;

// The tap object. An NSObject, so that whoever keeps a tap (a player item's audio mix) holds it
// by Ref<>; CFRetain and CFRelease are retain and release. Made only by MTAudioProcessingTapCreate.
class MTAudioProcessingTap final : public NSObject {
 public:
  ~MTAudioProcessingTap() override;  // runs the finalize callback

 private:
  MTAudioProcessingTap(const MTAudioProcessingTapCallbacks& callbacks,
                       MTAudioProcessingTapCreationFlags flags);

  MTAudioProcessingTapCallbacks callbacks_;
  MTAudioProcessingTapCreationFlags flags_;
  void* storage_ = nullptr;
  MTAudioProcessingTapSource source_;

  friend struct MTAudioProcessingTapAccess;
};

// Creates a tap (count 1, owned by the caller) and runs its init callback at once.
// Finalize runs when the last reference is released (CFRelease).
OSStatus MTAudioProcessingTapCreate(CFAllocatorRef allocator,
                                    const MTAudioProcessingTapCallbacks* callbacks,
                                    MTAudioProcessingTapCreationFlags flags,
                                    MTAudioProcessingTapRef* tapOut);

// The storage the init callback returned.
void* MTAudioProcessingTapGetStorage(MTAudioProcessingTapRef tap);

// Fills the buffer list with the next block of source audio; called from the process callback.
OSStatus MTAudioProcessingTapGetSourceAudio(MTAudioProcessingTapRef tap, CMItemCount numberFrames,
                                            AudioBufferList* bufferListInOut,
                                            MTAudioProcessingTapFlags* flagsOut,
                                            CMTimeRange* timeRangeOut,
                                            CMItemCount* numberFramesOut);

void CFRetain(MTAudioProcessingTapRef tap);
void CFRelease(MTAudioProcessingTapRef tap);
