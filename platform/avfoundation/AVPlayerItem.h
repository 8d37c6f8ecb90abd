// What a player plays: an asset and, optionally, the audio mix to play it with.
#pragma once

#include "avfoundation/AVAsset.h"
#include "avfoundation/AVAudioMix.h"
#include "objc/NSObject.h"

class AVPlayerItem : public NSObject {
 public:
  static Ref<AVPlayerItem> playerItemWithAsset(AVAsset* asset);

  AVAsset* asset() const { return asset_.get(); }
  AVAudioMix* audioMix() const { return audioMix_.get(); }
  void setAudioMix(AVAudioMix* mix) { audioMix_ = Ref<AVAudioMix>(mix); }

 private:
  Ref<AVAsset> asset_;
  Ref<AVAudioMix> audioMix_;
};
