#include "mediatoolbox/MTAudioProcessingTap.h"

#include <atomic>
#include <new>
#include <utility>

#include "mediatoolbox/MTAudioProcessingTapDriver.h"

// The one place allowed inside the tap object.
struct MTAudioProcessingTapAccess {
  static MTAudioProcessingTap* make(const MTAudioProcessingTapCallbacks& callbacks,
                                    MTAudioProcessingTapCreationFlags flags) {
    return new (std::nothrow) MTAudioProcessingTap(callbacks, flags);
  }
  static void*& storage(MTAudioProcessingTap* tap) { return tap->storage_; }
  static MTAudioProcessingTapSource& source(MTAudioProcessingTap* tap) { return tap->source_; }
  static const MTAudioProcessingTapCallbacks& callbacks(MTAudioProcessingTap* tap) {
    return tap->callbacks_;
  }
  static MTAudioProcessingTapCreationFlags flags(MTAudioProcessingTap* tap) { return tap->flags_; }
};

namespace {
std::atomic<OSStatus> nextCreateFailure{noErr};
}  // namespace

MTAudioProcessingTap::MTAudioProcessingTap(const MTAudioProcessingTapCallbacks& callbacks,
                                           MTAudioProcessingTapCreationFlags flags)
    : callbacks_(callbacks), flags_(flags) {}

MTAudioProcessingTap::~MTAudioProcessingTap() {
  if (callbacks_.finalize != nullptr) callbacks_.finalize(this);
}

OSStatus MTAudioProcessingTapCreate(CFAllocatorRef, const MTAudioProcessingTapCallbacks* callbacks,
                                    MTAudioProcessingTapCreationFlags flags,
                                    MTAudioProcessingTapRef* tapOut) {
  if (tapOut == nullptr) return kAudio_ParamError;
  *tapOut = nullptr;
  if (const OSStatus failure = nextCreateFailure.exchange(noErr); failure != noErr) return failure;
  if (callbacks == nullptr || callbacks->version != kMTAudioProcessingTapCallbacksVersion_0 ||
      callbacks->process == nullptr) {
    return kAudio_ParamError;
  }
  MTAudioProcessingTap* tap = MTAudioProcessingTapAccess::make(*callbacks, flags);
  if (tap == nullptr) return kAudio_ParamError;
  if (callbacks->init != nullptr) {
    callbacks->init(tap, callbacks->clientInfo, &MTAudioProcessingTapAccess::storage(tap));
  }
  *tapOut = tap;
  return noErr;
}

void* MTAudioProcessingTapGetStorage(MTAudioProcessingTapRef tap) {
  return tap != nullptr ? MTAudioProcessingTapAccess::storage(tap) : nullptr;
}

OSStatus MTAudioProcessingTapGetSourceAudio(MTAudioProcessingTapRef tap, CMItemCount numberFrames,
                                            AudioBufferList* bufferListInOut,
                                            MTAudioProcessingTapFlags* flagsOut,
                                            CMTimeRange* /*timeRangeOut*/,
                                            CMItemCount* numberFramesOut) {
  CMItemCount delivered = 0;
  MTAudioProcessingTapFlags flags = 0;
  OSStatus status = kAudio_ParamError;
  if (tap != nullptr && bufferListInOut != nullptr && numberFrames >= 0) {
    const MTAudioProcessingTapSource& source = MTAudioProcessingTapAccess::source(tap);
    if (source) status = source(numberFrames, bufferListInOut, &flags, &delivered);
  }
  if (numberFramesOut != nullptr) *numberFramesOut = delivered;
  if (flagsOut != nullptr) *flagsOut = flags;
  return status;
}

void CFRetain(MTAudioProcessingTapRef tap) {
  if (tap != nullptr) tap->retain();
}

void CFRelease(MTAudioProcessingTapRef tap) {
  if (tap != nullptr) tap->release();
}

void MTAudioProcessingTapSetSource(MTAudioProcessingTapRef tap, MTAudioProcessingTapSource source) {
  if (tap != nullptr) MTAudioProcessingTapAccess::source(tap) = std::move(source);
}

void MTAudioProcessingTapPrepare(MTAudioProcessingTapRef tap, CMItemCount maxFrames,
                                 const AudioStreamBasicDescription& format) {
  if (tap == nullptr) return;
  if (auto prepare = MTAudioProcessingTapAccess::callbacks(tap).prepare) prepare(tap, maxFrames, &format);
}

void MTAudioProcessingTapProcess(MTAudioProcessingTapRef tap, CMItemCount numberFrames,
                                 AudioBufferList* bufferList, CMItemCount* numberFramesOut,
                                 MTAudioProcessingTapFlags* flagsOut) {
  if (tap == nullptr) return;
  MTAudioProcessingTapAccess::callbacks(tap).process(tap, numberFrames, 0, bufferList,
                                                     numberFramesOut, flagsOut);
}

void MTAudioProcessingTapUnprepare(MTAudioProcessingTapRef tap) {
  if (tap == nullptr) return;
  if (auto unprepare = MTAudioProcessingTapAccess::callbacks(tap).unprepare) unprepare(tap);
}

const MTAudioProcessingTapCallbacks& MTAudioProcessingTapGetCallbacks(MTAudioProcessingTapRef tap) {
  return MTAudioProcessingTapAccess::callbacks(tap);
}

MTAudioProcessingTapCreationFlags MTAudioProcessingTapGetCreationFlags(MTAudioProcessingTapRef tap) {
  return MTAudioProcessingTapAccess::flags(tap);
}

void MTAudioProcessingTapFailNextCreate(OSStatus status) { nextCreateFailure.store(status); }
