// Gives a player item an audio mix whose one input carries a tap made from `callbacks`, as the
// system's hook does for every item; for tests that stand in for the system with a tap of
// their own. Returns the tap (the mix holds it).
#pragma once

#include "avfoundation/AVAsset.h"
#include "avfoundation/AVAudioMix.h"
#include "avfoundation/AVPlayerItem.h"

namespace tunely_test {

inline MTAudioProcessingTapRef attachTap(AVPlayerItem* item, const MTAudioProcessingTapCallbacks& callbacks) {
  MTAudioProcessingTapRef tap = nullptr;
  MTAudioProcessingTapCreate(kCFAllocatorDefault, &callbacks, 0, &tap);
  auto input = AVMutableAudioMixInputParameters::audioMixInputParametersWithTrack(item->asset()->tracks()[0].get());
  input->setAudioTapProcessor(Ref<MTAudioProcessingTap>::adopt(tap).get());
  Ref<AVMutableAudioMix> mix = AVMutableAudioMix::audioMix();
  mix->setInputParameters({Ref<AVAudioMixInputParameters>(input)});
  item->setAudioMix(mix.get());
  return tap;
}

}  // namespace tunely_test
