// How the tracks of a player item are mixed: per track input parameters, of which the audio
// processing tap is the one this system uses. The input parameters hold a reference to their tap.
#pragma once

#include <cstdint>
#include <vector>

#include "avfoundation/AVAssetTrack.h"
#include "mediatoolbox/MTAudioProcessingTap.h"
#include "objc/NSObject.h"

class AVAudioMixInputParameters : public NSObject {
 public:
  int32_t trackID() const { return trackID_; }
  MTAudioProcessingTapRef audioTapProcessor() const { return tap_.get(); }

 protected:
  int32_t trackID_ = 0;
  Ref<MTAudioProcessingTap> tap_;
};

class AVMutableAudioMixInputParameters : public AVAudioMixInputParameters {
 public:
  static Ref<AVMutableAudioMixInputParameters> audioMixInputParametersWithTrack(AVAssetTrack* track);
  void setTrackID(int32_t trackID) { trackID_ = trackID; }
  void setAudioTapProcessor(MTAudioProcessingTapRef tap) { tap_ = Ref<MTAudioProcessingTap>(tap); }
};

class AVAudioMix : public NSObject {
 public:
  const std::vector<Ref<AVAudioMixInputParameters>>& inputParameters() const { return inputs_; }

 protected:
  std::vector<Ref<AVAudioMixInputParameters>> inputs_;
};

class AVMutableAudioMix : public AVAudioMix {
 public:
  static Ref<AVMutableAudioMix> audioMix();  // a new mix without input parameters
  void setInputParameters(std::vector<Ref<AVAudioMixInputParameters>> inputs) {
    inputs_ = std::move(inputs);
  }
};
