#include "host/media/AudioFileReader.h"

#include <fcntl.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "host/media/BufferedFileInput.h"

namespace host {
namespace {

// Opens the file without waiting on it and answers its descriptor, or -1 with the reason. Only
// a regular file is audio to play: a FIFO or a device would block the open or hand its data to
// one reader only, and a folder holds no audio.
int openRegularFile(const std::string& path, std::string& error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    error = std::strerror(errno);
    return -1;
  }
  struct stat status {};
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    error = "not a regular file";
    ::close(fd);
    return -1;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

// Why libsndfile could not open a file, in words for the listener. A header whose sample rate
// is no positive 32-bit number (0 Hz, 4 GHz) gets libsndfile's internal "SF_INFO struct
// incomplete"; the parse log, which ends with the fields it read, tells that case.
std::string openFailure() {
  std::string reason = sf_strerror(nullptr);
  char log[4096] = {};
  sf_command(nullptr, SFC_GET_LOG_INFO, log, sizeof log);
  if (const char* field = std::strstr(log, "\n Sample rate :")) {
    long long rate = 0;
    if (std::sscanf(field, "\n Sample rate : %lld", &rate) == 1 && rate < 1)
      reason = "its sample rate is invalid";
  }
  return reason;
}

// Opens for reading and refuses what cannot be played: no channels, no rate, no frames at all.
SNDFILE* openForReading(const std::string& path, SF_INFO& info,
                        std::unique_ptr<BufferedFileInput>& input, std::string& error) {
  info = {};
  const int fd = openRegularFile(path, error);
  if (fd < 0) return nullptr;
  input = std::make_unique<BufferedFileInput>(fd);
  SNDFILE* file = sf_open_virtual(&BufferedFileInput::callbacks(), SFM_READ, &info, input.get());
  if (!file) {
    error = input->error().empty() ? openFailure() : input->error();
    input.reset();
    return nullptr;
  }
  if (info.channels < 1 || info.samplerate < 1) {
    error = "the file declares no channels or no sample rate";
  } else if (info.frames < 1) {
    error = "the file holds no audio frames";
  } else {
    return file;
  }
  sf_close(file);
  input.reset();
  return nullptr;
}

}  // namespace

Outcome<std::unique_ptr<AudioFileStream>> AudioFileStream::open(const std::string& path) {
  Outcome<std::unique_ptr<AudioFileStream>> out;
  SF_INFO info;
  std::unique_ptr<BufferedFileInput> input;
  SNDFILE* file = openForReading(path, info, input, out.error);
  if (!file) return out;
  auto tag = [file](int which) {
    const char* text = sf_get_string(file, which);
    return std::string(text ? text : "");
  };
  out.value.emplace(new AudioFileStream(
      file, std::move(input),
      AudioFileInfo{double(info.samplerate), info.channels, int64_t(info.frames), tag(SF_STR_TITLE),
                    tag(SF_STR_ARTIST), info.seekable != 0}));
  return out;
}

AudioFileStream::AudioFileStream(sf_private_tag* file, std::unique_ptr<BufferedFileInput> input,
                                 AudioFileInfo info)
    : input_(std::move(input)), file_(file), info_(std::move(info)) {}

AudioFileStream::~AudioFileStream() { sf_close(file_); }  // before input_ goes

int64_t AudioFileStream::read(float* out, int64_t frames) {
  int64_t done = 0;
  // Integer formats come back scaled to -1 ... 1 (1/32768 for 16 bit), without clipping. A
  // decoder may deliver less than asked before the end: ask again until it delivers nothing.
  while (done < frames && !failed()) {
    const sf_count_t got = sf_readf_float(file_, out + done * info_.channels, frames - done);
    if (got > 0) done += got;
    if (sf_error(file_) != SF_ERR_NO_ERROR) error_ = sf_strerror(file_);
    if (!input_->error().empty()) error_ = input_->error();  // libsndfile took it for the end
    if (got <= 0) break;
  }
  position_ += done;
  return done;
}

bool AudioFileStream::seek(int64_t frame, std::string& error) {
  if (!info_.seekable) {
    error = "its format does not allow seeking";
    return false;
  }
  if (sf_seek(file_, sf_count_t(frame), SEEK_SET) < 0) {
    error = sf_strerror(file_);
    // libsndfile leaves the position alone when a seek fails; should a decoder not, go back.
    if (sf_seek(file_, 0, SEEK_CUR) != position_ && sf_seek(file_, position_, SEEK_SET) < 0)
      error_ = "cannot return to frame " + std::to_string(position_) + " after a failed seek";
    return false;
  }
  position_ = frame;
  error_.clear();
  return true;
}

Outcome<AudioFileInfo> probeAudioFile(const std::string& path) {
  Outcome<AudioFileInfo> out;
  Outcome<std::unique_ptr<AudioFileStream>> stream = AudioFileStream::open(path);
  if (!stream) {
    out.error = stream.error;
    return out;
  }
  out.value = (*stream.value)->info();
  return out;
}

Outcome<DecodedAudio> decodeAudioFile(const std::string& path) {
  Outcome<DecodedAudio> out;
  Outcome<std::unique_ptr<AudioFileStream>> opened = AudioFileStream::open(path);
  if (!opened) {
    out.error = opened.error;
    return out;
  }
  AudioFileStream& stream = **opened.value;
  DecodedAudio audio;
  audio.sampleRate = stream.info().sampleRate;
  audio.channels = stream.info().channels;
  // Grown as the audio decodes: the announced length may be wrong, even absurd.
  constexpr int64_t kChunk = 1 << 16;
  int64_t got = 0;
  for (;;) {
    audio.samples.resize(size_t(got + kChunk) * size_t(audio.channels));
    const int64_t n = stream.read(audio.samples.data() + got * audio.channels, kChunk);
    got += n;
    if (n < kChunk) break;  // the end, or a decode error
  }
  if (stream.failed()) {
    out.error = stream.error();
    return out;
  }
  if (got < 1) {
    out.error = "no audio frames could be decoded";
    return out;
  }
  // Some containers announce more frames than they hold; keep what was decoded.
  audio.frames = got;
  audio.samples.resize(size_t(got) * size_t(audio.channels));
  out.value = std::move(audio);
  return out;
}

}  // namespace host
