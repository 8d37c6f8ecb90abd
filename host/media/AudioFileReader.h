// Reads audio files through libsndfile (WAV, AIFF, FLAC, Ogg, MP3, ...): the format first, so a
// queue can be checked before anything plays, then the track as float frames, either block by
// block as it plays or all at once.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "host/media/DecodedAudio.h"

struct sf_private_tag;

namespace host {

class BufferedFileInput;

struct AudioFileInfo {
  double sampleRate = 0;
  int channels = 0;
  int64_t frames = 0;  // as the file announces it; what decodes may be less
  std::string title, artist;  // the file's tags, where it has them
  bool seekable = false;      // libsndfile can move decoding to any frame
};

// Either a value or the reason there is none, worded for a message that names the file.
template <class T>
struct Outcome {
  std::optional<T> value;
  std::string error;
  explicit operator bool() const { return value.has_value(); }
};

// An open file, decoded a block at a time. Used by one thread at a time.
class AudioFileStream {
 public:
  static Outcome<std::unique_ptr<AudioFileStream>> open(const std::string& path);
  ~AudioFileStream();
  AudioFileStream(const AudioFileStream&) = delete;
  AudioFileStream& operator=(const AudioFileStream&) = delete;

  const AudioFileInfo& info() const { return info_; }
  // Decodes up to `frames` frames, channels interleaved, into `out`. Fewer only at the end of the
  // audio or at a decode error; then failed() tells which.
  int64_t read(float* out, int64_t frames);
  bool failed() const { return !error_.empty(); }
  const std::string& error() const { return error_; }  // libsndfile's reason, once failed()
  int64_t position() const { return position_; }       // the frame the next read() starts at

  // Moves decoding to `frame` and forgets an earlier decode error (a damaged stretch may lie
  // behind the new position). False with libsndfile's reason when the file cannot go there;
  // decoding then goes on from where it was.
  bool seek(int64_t frame, std::string& error);

 private:
  AudioFileStream(sf_private_tag* file, std::unique_ptr<BufferedFileInput> input,
                  AudioFileInfo info);
  std::unique_ptr<BufferedFileInput> input_;  // what libsndfile reads the file through
  sf_private_tag* file_;
  AudioFileInfo info_;
  int64_t position_ = 0;
  std::string error_;
};

Outcome<AudioFileInfo> probeAudioFile(const std::string& path);
Outcome<DecodedAudio> decodeAudioFile(const std::string& path);

}  // namespace host
