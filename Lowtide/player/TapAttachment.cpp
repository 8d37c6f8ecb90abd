#include "Lowtide/player/TapAttachment.h"

#include "Lowtide/engine/Equalizer.h"
#include "Lowtide/engine/ProcessingTap.h"
#include "Lowtide/player/ControlsHooks.h"
#include "Lowtide/player/HookRegistry.h"

namespace lowtide {

std::mutex attachmentMutex;
Ref<MTAudioProcessingTap> tap;
Ref<AVMutableAudioMix> audioMixx;
MTAudioProcessingTapCallbacks callbacks;
std::atomic<OSStatus> err{noErr};

namespace {

void* equalizerButtonForTap() {
  std::lock_guard lock(btnMutex);
  return btn.get();
}

AVAsset* assetOf(id playerItem) {
  auto* item = dynamic_cast<AVPlayerItem*>(playerItem);
  return item != nullptr ? item->asset() : nullptr;
}

}  // namespace

Ref<AVPlayerItem> itemFromAsset(AVAsset* asset) {
  if (asset == nullptr) return nullptr;
  std::lock_guard lock(attachmentMutex);
  // The previous item keeps its own mix and tap; the module lets go of its references.
  if (tap) {
    audioMixx = nullptr;
    tap = nullptr;
  }
  Ref<AVPlayerItem> item = AVPlayerItem::playerItemWithAsset(asset);
  // An asset without tracks has nothing to tap: the player's own item plays unchanged.
  if (asset->tracks().empty()) return nullptr;
  AVAssetTrack* track = asset->tracks().front().get();
  Ref<AVMutableAudioMixInputParameters> params =
      AVMutableAudioMixInputParameters::audioMixInputParametersWithTrack(track);

  callbacks.version = kMTAudioProcessingTapCallbacksVersion_0;
  callbacks.clientInfo = equalizerButtonForTap();
  callbacks.init = tap_InitCallback;
  callbacks.prepare = tap_PrepareCallback;
  callbacks.process = tap_ProcessCallback;
  callbacks.unprepare = tap_UnprepareCallback;
  callbacks.finalize = tap_FinalizeCallback;
  MTAudioProcessingTapRef created = nullptr;
  const OSStatus status = MTAudioProcessingTapCreate(
      kCFAllocatorDefault, &callbacks, kMTAudioProcessingTapCreationFlag_PreEffects, &created);
  tap = Ref<MTAudioProcessingTap>::adopt(created);  // creation hands over one reference
  err = status;
  if (status != noErr || !tap) return nullptr;
  streamChannels.store(track->channelCount(), std::memory_order_relaxed);

  params->setAudioTapProcessor(tap.get());
  audioMixx = AVMutableAudioMix::audioMix();
  audioMixx->setInputParameters({Ref<AVAudioMixInputParameters>(params)});
  item->setAudioMix(audioMixx.get());
  return item;
}

void setPlayerItem(id self, SEL cmd, id playerItem) {
  Ref<AVPlayerItem> built = itemFromAsset(assetOf(playerItem));
  if (previous.setPlayerItem != nullptr)
    previous.setPlayerItem(self, cmd, built ? static_cast<id>(built.get()) : playerItem);
}

void loadAssetAndPlayerItem(id self, SEL cmd) {
  if (previous.loadAssetAndPlayerItem != nullptr) previous.loadAssetAndPlayerItem(self, cmd);
  Ivar ivar = class_getInstanceVariable(object_getClass(self), "_avPlayerItem");
  if (ivar == nullptr) return;
  id stored = object_getIvar(self, ivar);
  // The player's method returns nothing, so the item built here has no one to go to; building
  // it still makes it the module's latest tap and mix.
  itemFromAsset(assetOf(stored));
}

}  // namespace lowtide
