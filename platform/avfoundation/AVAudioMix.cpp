#include "avfoundation/AVAudioMix.h"

AVAudioMixInputParameters::~AVAudioMixInputParameters() {
  if (tap_ != nullptr) CFRelease(tap_);
}

Ref<AVMutableAudioMixInputParameters> AVMutableAudioMixInputParameters::audioMixInputParametersWithTrack(
    AVAssetTrack* track) {
  Ref<AVMutableAudioMixInputParameters> params = make<AVMutableAudioMixInputParameters>();
  params->trackID_ = track != nullptr ? track->trackID() : 0;
  return params;
}

void AVMutableAudioMixInputParameters::setAudioTapProcessor(MTAudioProcessingTapRef tap) {
  if (tap == tap_) return;
  if (tap != nullptr) CFRetain(tap);
  MTAudioProcessingTapRef old = tap_;
  tap_ = tap;
  if (old != nullptr) CFRelease(old);
}

Ref<AVMutableAudioMix> AVMutableAudioMix::audioMix() { return make<AVMutableAudioMix>(); }
