#include "host/media/TrackPlayback.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "mediatoolbox/MTAudioProcessingTapDriver.h"

namespace host {

TrackPlayback::TrackPlayback(std::string path, DecodedAudio audio, Ref<NSObject> queueItem,
                             MTAudioProcessingTapRef tap, SampleLayout layout,
                             int64_t maxBlockFrames)
    : path_(std::move(path)),
      audio_(std::move(audio)),
      queueItem_(std::move(queueItem)),
      tap_(tap),
      tapped_(tap != nullptr),
      layout_(layout),
      maxBlockFrames_(std::max<int64_t>(1, maxBlockFrames)),
      input_(audio_.channels, audio_.sampleRate),
      output_(audio_.channels, audio_.sampleRate) {
  const int ch = audio_.channels;
  const size_t buffers = layout_ == SampleLayout::NonInterleaved ? size_t(ch) : 1;
  const size_t perBuffer =
      size_t(maxBlockFrames_) * (layout_ == SampleLayout::NonInterleaved ? 1 : size_t(ch));
  storage_.assign(buffers, std::vector<float>(perBuffer, 0.0f));
  // AudioBufferList is declared with one buffer and grown past its end, as Core Audio does.
  const size_t bytes = offsetof(AudioBufferList, mBuffers) + buffers * sizeof(AudioBuffer);
  listBytes_ = std::make_unique<unsigned char[]>(std::max(bytes, sizeof(AudioBufferList)));
  list_ = reinterpret_cast<AudioBufferList*>(listBytes_.get());
  list_->mNumberBuffers = UInt32(buffers);
}

TrackPlayback::~TrackPlayback() { finish(); }

void TrackPlayback::prepare() {
  if (!tap_ || prepared_) return;
  MTAudioProcessingTapSetSource(
      tap_, [this](CMItemCount frames, AudioBufferList* buffers,
                   MTAudioProcessingTapFlags* flagsOut, CMItemCount* framesOut) {
        if (flagsOut) *flagsOut = 0;
        return fillFromSource(frames, buffers, framesOut);
      });
  MTAudioProcessingTapPrepare(tap_, CMItemCount(maxBlockFrames_),
                              floatStreamDescription(audio_.sampleRate, audio_.channels, layout_));
  prepared_ = true;
}

// Copies the block that starts at blockStart_ into the tap's buffers. Runs on the audio thread
// inside the tap's process callback; the sizes of the buffers handed in bound the copy.
OSStatus TrackPlayback::fillFromSource(CMItemCount frames, AudioBufferList* buffers,
                                       CMItemCount* framesOut) {
  const int ch = audio_.channels;
  int64_t n = std::clamp<int64_t>(frames, 0, audio_.frames - blockStart_);
  const float* src = audio_.samples.data() + size_t(blockStart_) * size_t(ch);
  if (layout_ == SampleLayout::NonInterleaved) {
    const UInt32 count = std::min<UInt32>(buffers->mNumberBuffers, UInt32(ch));
    for (UInt32 b = 0; b < count; ++b)
      n = std::min<int64_t>(n, buffers->mBuffers[b].mDataByteSize / sizeof(float));
    for (UInt32 b = 0; b < count; ++b) {
      auto* dst = static_cast<float*>(buffers->mBuffers[b].mData);
      for (int64_t i = 0; i < n; ++i) dst[i] = src[size_t(i) * size_t(ch) + b];
      buffers->mBuffers[b].mDataByteSize = UInt32(size_t(n) * sizeof(float));
    }
  } else if (buffers->mNumberBuffers >= 1) {
    AudioBuffer& buf = buffers->mBuffers[0];
    n = std::min<int64_t>(n, buf.mDataByteSize / (sizeof(float) * size_t(ch)));
    std::memcpy(buf.mData, src, size_t(n) * size_t(ch) * sizeof(float));
    buf.mDataByteSize = UInt32(size_t(n) * size_t(ch) * sizeof(float));
  } else {
    n = 0;
  }
  if (framesOut) *framesOut = CMItemCount(n);
  return noErr;
}

void TrackPlayback::resetBufferList(int64_t frames) noexcept {
  const bool split = layout_ == SampleLayout::NonInterleaved;
  const UInt32 channelsPerBuffer = split ? 1u : UInt32(audio_.channels);
  for (size_t b = 0; b < storage_.size(); ++b) {
    const size_t count = size_t(frames) * channelsPerBuffer;
    // Silence, so a tap that fetches nothing passes no stale audio on.
    std::memset(storage_[b].data(), 0, count * sizeof(float));
    list_->mBuffers[b] =
        AudioBuffer{channelsPerBuffer, UInt32(count * sizeof(float)), storage_[b].data()};
  }
}

void TrackPlayback::gatherOutput(float* out, int64_t frames) const noexcept {
  const size_t ch = size_t(audio_.channels);
  if (layout_ == SampleLayout::Interleaved) {
    std::memcpy(out, storage_[0].data(), size_t(frames) * ch * sizeof(float));
    return;
  }
  for (size_t c = 0; c < ch; ++c) {
    const float* src = storage_[c].data();
    for (int64_t i = 0; i < frames; ++i) out[size_t(i) * ch + c] = src[i];
  }
}

int64_t TrackPlayback::render(float* out, int64_t frames, bool* ended) noexcept {
  const int64_t n = std::min({frames, maxBlockFrames_, audio_.frames - blockStart_});
  if (ended) *ended = blockStart_ + std::max<int64_t>(n, 0) >= audio_.frames;
  if (n <= 0) return 0;
  const size_t ch = size_t(audio_.channels);
  const float* src = audio_.samples.data() + size_t(blockStart_) * ch;
  input_.add(src, size_t(n) * ch);
  if (tap_ && prepared_) {
    resetBufferList(n);
    CMItemCount delivered = 0;
    MTAudioProcessingTapFlags flags = 0;
    MTAudioProcessingTapProcess(tap_, CMItemCount(n), list_, &delivered, &flags);
    gatherOutput(out, n);
  } else {
    std::memcpy(out, src, size_t(n) * ch * sizeof(float));
  }
  output_.add(out, size_t(n) * ch);
  blockStart_ += n;
  rendered_.store(blockStart_, std::memory_order_release);  // the last touch of this track
  return n;
}

bool TrackPlayback::finished() const noexcept {
  return rendered_.load(std::memory_order_acquire) >= audio_.frames;
}

int64_t TrackPlayback::framesLeft() const noexcept {
  return audio_.frames - rendered_.load(std::memory_order_acquire);
}

void TrackPlayback::finish() {
  if (finished_) return;
  finished_ = true;
  if (tap_ && prepared_) {
    MTAudioProcessingTapUnprepare(tap_);
    // Nothing may read this track's frames once it is gone.
    MTAudioProcessingTapSetSource(tap_, [](CMItemCount, AudioBufferList*,
                                           MTAudioProcessingTapFlags*, CMItemCount* framesOut) {
      if (framesOut) *framesOut = 0;
      return OSStatus(kAudio_ParamError);
    });
  }
  tap_ = nullptr;
  queueItem_ = nullptr;  // the last reference to the player item: the tap is finalized
}

}  // namespace host
