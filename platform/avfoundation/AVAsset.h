// Media at a location: an asset and its tracks. An AVURLAsset reads its tracks from the file
// when it is made; a file that cannot be read gives an asset without tracks and an error text.
#pragma once

#include <string>
#include <vector>

#include "avfoundation/AVAssetTrack.h"
#include "objc/NSObject.h"

class AVAsset : public NSObject {
 public:
  const std::vector<Ref<AVAssetTrack>>& tracks() const { return tracks_; }
  std::vector<AVAssetTrack*> tracksWithMediaType(const std::string& mediaType) const;

 protected:
  std::vector<Ref<AVAssetTrack>> tracks_;
};

class AVURLAsset : public AVAsset {
 public:
  // `path` is a file on this machine.
  static Ref<AVURLAsset> URLAssetWithURL(const std::string& path);

  const std::string& URL() const { return url_; }
  // Why the file gave no tracks (empty when it was read).
  const std::string& loadError() const { return loadError_; }

 private:
  std::string url_;
  std::string loadError_;
};
