// Every player item the player stores gets the equalizer: a fresh player item for the same asset
// whose audio mix carries a new audio processing tap running the engine.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "avfoundation/AVPlayerItem.h"
#include "mediatoolbox/MTAudioProcessingTap.h"
#include "objc/runtime.h"

namespace lowtide {

// What the most recent build made. The player may call from any thread, so builds take
// attachmentMutex while they touch these.
extern std::mutex attachmentMutex;
extern Ref<MTAudioProcessingTap> tap;
extern Ref<AVMutableAudioMix> audioMixx;
extern MTAudioProcessingTapCallbacks callbacks;
extern std::atomic<OSStatus> err;  // status of the last tap creation

// A new player item for `asset` with the tap attached; nil for a nil asset, an asset without
// tracks or a failed tap creation.
Ref<AVPlayerItem> itemFromAsset(AVAsset* asset);

// Replacements of MPAVItem's methods.
void setPlayerItem(id self, SEL cmd, id playerItem);
void loadAssetAndPlayerItem(id self, SEL cmd);

}  // namespace lowtide
