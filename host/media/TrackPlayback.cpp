#include "host/media/TrackPlayback.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>

#include "host/media/StereoSplit.h"
#include "mediatoolbox/MTAudioProcessingTapDriver.h"

namespace host {

TrackPlayback::TrackPlayback(std::string path, std::unique_ptr<TrackStream> stream,
                             Ref<NSObject> queueItem, MTAudioProcessingTapRef tap,
                             SampleLayout layout, int64_t maxBlockFrames)
    : path_(std::move(path)),
      stream_(std::move(stream)),
      queueItem_(std::move(queueItem)),
      tap_(tap),
      tapped_(tap != nullptr),
      layout_(layoutFor(layout, stream_->info().channels)),
      maxBlockFrames_(std::max<int64_t>(1, maxBlockFrames)) {
  const size_t ch = size_t(channels());
  const bool split = layout_ == SampleLayout::NonInterleaved;
  const size_t buffers = split ? ch : 1;
  const size_t perBuffer = size_t(maxBlockFrames_) * (split ? 1 : ch);
  storage_.assign(buffers, std::vector<float>(perBuffer, 0.0f));
  // AudioBufferList is declared with one buffer and grown past its end, as Core Audio does.
  const size_t bytes = offsetof(AudioBufferList, mBuffers) + buffers * sizeof(AudioBuffer);
  listBytes_ = std::make_unique<unsigned char[]>(std::max(bytes, sizeof(AudioBufferList)));
  list_ = reinterpret_cast<AudioBufferList*>(listBytes_.get());
  list_->mNumberBuffers = UInt32(buffers);
  joined_.assign(size_t(maxBlockFrames_) * ch, 0.0f);
  // The source is set here, on the main thread, so that prepare() may run on the audio thread.
  if (tap_)
    MTAudioProcessingTapSetSource(
        tap_, [this](CMItemCount frames, AudioBufferList* buffers,
                     MTAudioProcessingTapFlags* flagsOut, CMItemCount* framesOut) {
          if (flagsOut) *flagsOut = 0;
          return fillFromSource(frames, buffers, framesOut);
        });
}

TrackPlayback::~TrackPlayback() { finish(); }

void TrackPlayback::prepare() noexcept {
  if (!tap_ || prepared_) return;
  MTAudioProcessingTapPrepare(tap_, CMItemCount(maxBlockFrames_),
                              floatStreamDescription(sampleRate(), channels(), layout_));
  prepared_ = true;
}

void TrackPlayback::compareThrough(CompareStage* stage) {
  compare_ = stage;
  compareLoudness_ = stage ? std::make_unique<CompareLoudness>(channels(), sampleRate()) : nullptr;
}

bool TrackPlayback::playAtRate(double rate, std::string& error) {
  playRate_ = rate;
  resampler_.reset();
  if (rate == sampleRate()) return true;
  resampler_ = std::make_unique<Resampler>(sampleRate(), rate, channels(), maxBlockFrames_,
                                           Resampler::Source{this, &readyForResampler,
                                                             &renderForResampler});
  if (resampler_->ok()) return true;
  error = resampler_->error();
  resampler_.reset();
  return false;
}

// Copies the current block into the tap's buffers. Runs on the audio thread inside the tap's
// process callback; the sizes of the buffers handed in bound the copy.
OSStatus TrackPlayback::fillFromSource(CMItemCount frames, AudioBufferList* buffers,
                                       CMItemCount* framesOut) {
  const int ch = channels();
  int64_t n = std::clamp<int64_t>(frames, 0, sourceFrames_);
  const float* src = source_;
  if (layout_ == SampleLayout::NonInterleaved) {
    const UInt32 count = std::min<UInt32>(buffers->mNumberBuffers, UInt32(ch));
    for (UInt32 b = 0; b < count; ++b)
      n = std::min<int64_t>(n, buffers->mBuffers[b].mDataByteSize / sizeof(float));
    if (ch == 2 && count == 2) {
      splitStereo(src, static_cast<float*>(buffers->mBuffers[0].mData),
                  static_cast<float*>(buffers->mBuffers[1].mData), size_t(n));
    } else {
      for (UInt32 b = 0; b < count; ++b) {
        auto* dst = static_cast<float*>(buffers->mBuffers[b].mData);
        for (int64_t i = 0; i < n; ++i) dst[i] = src[size_t(i) * size_t(ch) + b];
      }
    }
    for (UInt32 b = 0; b < count; ++b)
      buffers->mBuffers[b].mDataByteSize = UInt32(size_t(n) * sizeof(float));
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
  const UInt32 channelsPerBuffer = split ? 1u : UInt32(channels());
  for (size_t b = 0; b < storage_.size(); ++b) {
    const size_t count = size_t(frames) * channelsPerBuffer;
    // Silence, so a tap that fetches nothing passes no stale audio on.
    std::memset(storage_[b].data(), 0, count * sizeof(float));
    list_->mBuffers[b] =
        AudioBuffer{channelsPerBuffer, UInt32(count * sizeof(float)), storage_[b].data()};
  }
}

void TrackPlayback::gatherOutput(float* out, int64_t frames) const noexcept {
  const size_t ch = size_t(channels());
  if (layout_ == SampleLayout::Interleaved) {
    std::memcpy(out, storage_[0].data(), size_t(frames) * ch * sizeof(float));
    return;
  }
  if (ch == 2) {
    joinStereo(storage_[0].data(), storage_[1].data(), out, size_t(frames));
    return;
  }
  for (size_t c = 0; c < ch; ++c) {
    const float* src = storage_[c].data();
    for (int64_t i = 0; i < frames; ++i) out[size_t(i) * ch + c] = src[i];
  }
}

// The decoded frames the next block can take, as parts of at most two ring slots (a block is
// never longer than a slot), and whether the track ends with them.
size_t TrackPlayback::gatherSpans(int64_t wanted, int64_t* frames, bool* endsThere) noexcept {
  BlockRing& ring = stream_->ring();
  size_t count = 0;
  int64_t ready = 0;
  *endsThere = false;
  for (size_t i = 0; ready < wanted && count < spans_.size(); ++i) {
    BlockRing::Slot* slot = ring.peek(i);
    if (!slot) break;
    const int64_t offset = i == 0 ? slotOffset_ : 0;
    const int64_t take = std::min(slot->frames - offset, wanted - ready);
    if (take > 0) {
      spans_[count++] = Span{slot, offset, take};
      ready += take;
    }
    if (slot->last) {
      *endsThere = offset + take >= slot->frames;
      break;
    }
  }
  *frames = ready;
  return count;
}

int64_t TrackPlayback::framesReady(bool* endsThere) noexcept {
  int64_t frames = 0;
  *endsThere = endReached_;
  if (!endReached_) gatherSpans(maxBlockFrames_, &frames, endsThere);
  return frames;
}

// Hands played slots back to the decoding thread.
void TrackPlayback::advance(int64_t frames) noexcept {
  BlockRing& ring = stream_->ring();
  while (BlockRing::Slot* slot = ring.peek(0)) {
    const int64_t left = slot->frames - slotOffset_;
    if (frames < left) {
      slotOffset_ += frames;
      return;
    }
    frames -= left;
    const bool last = slot->last;
    slotOffset_ = 0;
    ring.consume();
    if (last) {
      endReached_ = true;
      return;
    }
    if (frames == 0) return;
  }
}

int64_t TrackPlayback::renderBlock(float* out, int64_t frames, bool* ended) noexcept {
  int64_t n = 0;
  bool endsThere = false;
  const size_t spans =
      endReached_ ? 0 : gatherSpans(std::min(frames, maxBlockFrames_), &n, &endsThere);
  if (n > 0) {
    const size_t ch = size_t(channels());
    if (spans == 1) {
      source_ = spans_[0].slot->samples + size_t(spans_[0].offset) * ch;
    } else {
      float* joined = joined_.data();
      for (size_t s = 0; s < spans; ++s) {
        const size_t count = size_t(spans_[s].frames) * ch;
        std::memcpy(joined, spans_[s].slot->samples + size_t(spans_[s].offset) * ch,
                    count * sizeof(float));
        joined += count;
      }
      source_ = joined_.data();
    }
    sourceFrames_ = n;
    if (tap_ && prepared_) {
      resetBufferList(n);
      CMItemCount delivered = 0;
      MTAudioProcessingTapFlags flags = 0;
      MTAudioProcessingTapProcess(tap_, CMItemCount(n), list_, &delivered, &flags);
      gatherOutput(out, n);
    } else {
      std::memcpy(out, source_, size_t(n) * ch * sizeof(float));
    }
    if (stream_->measuresOutput()) {  // leave what came out beside what went in, to be measured
      const float* played = out;
      for (size_t s = 0; s < spans; ++s) {
        const size_t count = size_t(spans_[s].frames) * ch;
        std::memcpy(spans_[s].slot->output + size_t(spans_[s].offset) * ch, played,
                    count * sizeof(float));
        played += count;
      }
    }
    // The tap's input is still in source_ (the tap filtered its own copy of it).
    if (compare_)
      compare_->process(source_, out, n, int(ch), sampleRate(), compareLoudness_.get());
    rendered_.store(rendered_.load(std::memory_order_relaxed) + n, std::memory_order_release);
    position_.store(position_.load(std::memory_order_relaxed) + n, std::memory_order_release);
  }
  if (n > 0 || endsThere) advance(n);
  *ended = endReached_;
  return n;
}

int64_t TrackPlayback::render(float* out, int64_t frames, bool* ended) noexcept {
  bool over = false;
  const int64_t n = renderBlock(out, frames, &over);
  if (ended) *ended = over;
  if (over) done_.store(true, std::memory_order_release);  // the last touch of this track
  return n;
}

int64_t TrackPlayback::readyForResampler(void* self, int64_t frames, bool* endsThere) noexcept {
  auto* track = static_cast<TrackPlayback*>(self);
  int64_t ready = 0;
  *endsThere = track->endReached_;
  if (!track->endReached_) track->gatherSpans(frames, &ready, endsThere);
  return ready;
}

int64_t TrackPlayback::renderForResampler(void* self, float* out, int64_t frames,
                                          bool* ended) noexcept {
  return static_cast<TrackPlayback*>(self)->renderBlock(out, frames, ended);
}

int64_t TrackPlayback::play(float* out, int64_t frames, bool* ended) noexcept {
  if (!resampler_) return render(out, frames, ended);
  bool over = false;
  const int64_t n = resampler_->pull(out, frames, &over);
  if (ended) *ended = over;
  if (over) done_.store(true, std::memory_order_release);  // the last touch of this track
  return n;
}

bool TrackPlayback::seek(int64_t frame, std::string& error) {
  if (!stream_->restartAt(frame, endReached_ ? 0 : slotOffset_, error)) return false;
  slotOffset_ = 0;
  endReached_ = false;
  position_.store(frame, std::memory_order_release);
  // What the resampler holds belongs to the old position: start it afresh, as for a new track.
  // libsoxr took these rates before, and refuses only rates.
  if (resampler_) {
    std::string ignored;
    playAtRate(playRate_, ignored);
  }
  return true;
}

int64_t TrackPlayback::frameAt(double seconds) const noexcept {
  const double frame = seconds * sampleRate();
  if (!(frame > 0)) return 0;  // NaN too
  if (frame >= double(announcedFrames())) return announcedFrames();
  return std::llround(frame);
}

void TrackPlayback::finish() {
  if (finished_) return;
  finished_ = true;
  if (tap_) {
    if (prepared_) MTAudioProcessingTapUnprepare(tap_);
    // Nothing may read this track's frames once it is gone.
    MTAudioProcessingTapSetSource(tap_, [](CMItemCount, AudioBufferList*,
                                           MTAudioProcessingTapFlags*, CMItemCount* framesOut) {
      if (framesOut) *framesOut = 0;
      return OSStatus(kAudio_ParamError);
    });
  }
  tap_ = nullptr;
  queueItem_ = nullptr;  // the last reference to the player item: the tap is finalized
  resampler_.reset();
  stream_->finish(endReached_ ? 0 : slotOffset_);
}

}  // namespace host
