#include "avfoundation/AVAudioMix.h"

Ref<AVMutableAudioMixInputParameters> AVMutableAudioMixInputParameters::audioMixInputParametersWithTrack(
    AVAssetTrack* track) {
  Ref<AVMutableAudioMixInputParameters> params = make<AVMutableAudioMixInputParameters>();
  params->trackID_ = track != nullptr ? track->trackID() : 0;
  return params;
}

Ref<AVMutableAudioMix> AVMutableAudioMix::audioMix() { return make<AVMutableAudioMix>(); }
