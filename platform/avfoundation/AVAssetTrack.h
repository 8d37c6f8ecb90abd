// One track of an asset: its media type and, for audio, the format the file stores it in.
#pragma once

#include <cstdint>
#include <string>

#include "objc/NSObject.h"

inline const std::string AVMediaTypeAudio = "soun";
inline const std::string AVMediaTypeVideo = "vide";

class AVAssetTrack : public NSObject {
 public:
  AVAssetTrack(int32_t trackID, std::string mediaType, double sampleRate, uint32_t channelCount,
               int64_t frameCount)
      : trackID_(trackID), mediaType_(std::move(mediaType)), sampleRate_(sampleRate),
        channelCount_(channelCount), frameCount_(frameCount) {}

  int32_t trackID() const { return trackID_; }
  const std::string& mediaType() const { return mediaType_; }
  double sampleRate() const { return sampleRate_; }
  uint32_t channelCount() const { return channelCount_; }
  int64_t frameCount() const { return frameCount_; }

 private:
  int32_t trackID_;
  std::string mediaType_;
  double sampleRate_;
  uint32_t channelCount_;
  int64_t frameCount_;
};
