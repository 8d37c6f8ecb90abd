#include "host/media/AudioFileReader.h"

#include <sndfile.h>

#include <memory>

namespace host {
namespace {

struct SndfileCloser {
  void operator()(SNDFILE* f) const { sf_close(f); }
};
using SndfileHandle = std::unique_ptr<SNDFILE, SndfileCloser>;

// Opens for reading and refuses what cannot be played: no channels, no rate, no frames at all.
SndfileHandle openForReading(const std::string& path, SF_INFO& info, std::string& error) {
  info = {};
  SndfileHandle file(sf_open(path.c_str(), SFM_READ, &info));
  if (!file) {
    error = sf_strerror(nullptr);
    return nullptr;
  }
  if (info.channels < 1 || info.samplerate < 1) {
    error = "the file declares no channels or no sample rate";
    return nullptr;
  }
  if (info.frames < 1) {
    error = "the file holds no audio frames";
    return nullptr;
  }
  return file;
}

}  // namespace

Outcome<AudioFileInfo> probeAudioFile(const std::string& path) {
  Outcome<AudioFileInfo> out;
  SF_INFO info;
  if (!openForReading(path, info, out.error)) return out;
  out.value = AudioFileInfo{double(info.samplerate), info.channels, int64_t(info.frames)};
  return out;
}

Outcome<DecodedAudio> decodeAudioFile(const std::string& path) {
  Outcome<DecodedAudio> out;
  SF_INFO info;
  SndfileHandle file = openForReading(path, info, out.error);
  if (!file) return out;
  DecodedAudio audio;
  audio.sampleRate = info.samplerate;
  audio.channels = info.channels;
  // Integer formats come back scaled to -1 ... 1 (1/32768 for 16 bit), without clipping.
  audio.samples.resize(size_t(info.frames) * size_t(info.channels));
  sf_count_t got = sf_readf_float(file.get(), audio.samples.data(), info.frames);
  if (sf_error(file.get()) != SF_ERR_NO_ERROR) {
    out.error = sf_strerror(file.get());
    return out;
  }
  if (got < 1) {
    out.error = "no audio frames could be decoded";
    return out;
  }
  // Some containers announce more frames than they hold; play what was decoded.
  audio.frames = got;
  audio.samples.resize(size_t(got) * size_t(info.channels));
  out.value = std::move(audio);
  return out;
}

}  // namespace host
