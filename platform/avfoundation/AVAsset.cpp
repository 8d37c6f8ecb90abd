#include "avfoundation/AVAsset.h"

#include <sndfile.h>

std::vector<AVAssetTrack*> AVAsset::tracksWithMediaType(const std::string& mediaType) const {
  std::vector<AVAssetTrack*> result;
  for (const Ref<AVAssetTrack>& track : tracks_)
    if (track->mediaType() == mediaType) result.push_back(track.get());
  return result;
}

Ref<AVURLAsset> AVURLAsset::URLAssetWithURL(const std::string& path) {
  Ref<AVURLAsset> asset = make<AVURLAsset>();
  asset->url_ = path;
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (file == nullptr) {
    asset->loadError_ = sf_strerror(nullptr);
    return asset;
  }
  if (info.channels > 0 && info.samplerate > 0) {
    asset->tracks_.push_back(make<AVAssetTrack>(1, AVMediaTypeAudio, double(info.samplerate),
                                                uint32_t(info.channels), int64_t(info.frames)));
  } else {
    asset->loadError_ = "no audio in the file";
  }
  sf_close(file);
  return asset;
}
