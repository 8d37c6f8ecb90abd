// One track of the queue going through its player item's processing tap, block by block.
//
// Life: made on the main thread with the track's stream (decoded ahead by the DecodeThread) and
// the queue item (which owns the player item, its audio mix and so the tap); prepare() gives the
// tap its source and stream format; the audio thread then calls render() (or play(), at the
// sound device's rate) until finished(); finish() unprepares the tap, completes the measures and
// lets the queue item go, which finalizes the tap. Without a tap the audio passes unchanged.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "coreaudio/CoreAudioTypes.h"
#include "host/loader/LoadedEqualizer.h"
#include "host/media/CompareStage.h"
#include "host/media/Resampler.h"
#include "host/media/StreamFormat.h"
#include "host/media/TrackStream.h"
#include "mediatoolbox/MTAudioProcessingTap.h"
#include "objc/NSObject.h"

namespace host {

class TrackPlayback {
 public:
  TrackPlayback(std::string path, std::unique_ptr<TrackStream> stream, Ref<NSObject> queueItem,
                MTAudioProcessingTapRef tap, SampleLayout layout, int64_t maxBlockFrames);
  ~TrackPlayback();  // finish()es if that has not happened
  TrackPlayback(const TrackPlayback&) = delete;
  TrackPlayback& operator=(const TrackPlayback&) = delete;

  // Before the first render(), on the main thread or on the audio thread as the track starts to
  // be heard (so the tap is prepared for this track's rate only once the one before has played
  // out): prepares the tap for the stream. Allocates nothing once the engine has been prepared
  // for a first stream; does nothing the second time.
  void prepare() noexcept;
  bool prepared() const noexcept { return prepared_; }
  // Main thread, before the first play(): what play() delivers is resampled to `rate` after the
  // tap. False with the reason when libsoxr cannot.
  bool playAtRate(double rate, std::string& error);
  double playRate() const { return playRate_; }  // what playAtRate() was given; 0 before
  // Main thread, before the first render(): every block is then heard through `stage` (the
  // listener's A/B comparison) right after the tap, which measures this track's loudness for it.
  void compareThrough(CompareStage* stage);

  // Audio thread. Asks the tap for min(frames, max block, frames ready) frames and writes them,
  // channels interleaved, to `out`. Returns the frames written: fewer than asked only at the end
  // of the track, or (live) while decoding has fallen behind; 0 then. `ended` tells whether the
  // track is over: once it is, the main thread may finish and destroy the track at any moment, so
  // the caller must not touch it again. Allocates nothing, takes no lock, never waits.
  int64_t render(float* out, int64_t frames, bool* ended = nullptr) noexcept;
  // Audio thread. The same at the rate given to playAtRate() (or the track's own).
  int64_t play(float* out, int64_t frames, bool* ended) noexcept;

  // Frames the next render() could deliver now (up to a block) and whether the track ends with
  // them. For a player that may wait for decoding (offline) before its turn between blocks.
  int64_t framesReady(bool* endsThere) noexcept;

  // Any thread: true once the last frame has been delivered (release/acquire ordered, so the
  // main thread may then finish() a track the audio thread has let go of).
  bool finished() const noexcept { return done_.load(std::memory_order_acquire); }
  // Frames played so far, and the frame of the track the next render() starts at: the two part
  // once the track has been sought.
  int64_t framesRendered() const noexcept { return rendered_.load(std::memory_order_acquire); }
  int64_t position() const noexcept { return position_.load(std::memory_order_acquire); }
  double positionSeconds() const noexcept { return double(position()) / sampleRate(); }

  // Main thread, while neither the audio thread nor the decoding thread touches the track (the
  // stream detached, the audio thread held): playback goes on from `frame` of the file at the
  // next render(). The tap stays prepared, so the equalizer's state carries on across the
  // jump. False with the reason when the file cannot go there; the track then plays on as it
  // was.
  bool seek(int64_t frame, std::string& error);
  // The frame `seconds` into the track, kept within its announced length.
  int64_t frameAt(double seconds) const noexcept;
  // Whether a seek that failed has been reported already: a track says so once.
  bool seekFailureReported = false;
  // The peak of the equalizer's curve as the track stopped playing, for its report.
  std::optional<ChainPeak> peakAtEnd;

  // Main thread, once neither the audio thread nor the decoding thread touches the track:
  // unprepares the tap, completes the input measures and releases the queue item.
  void finish();

  TrackStream& stream() { return *stream_; }
  const std::string& path() const { return path_; }
  double sampleRate() const { return stream_->info().sampleRate; }
  int channels() const { return stream_->info().channels; }
  int64_t announcedFrames() const { return stream_->info().frames; }
  bool hasTap() const { return tapped_; }  // played through a tap (also after finish())
  SampleLayout layout() const { return layout_; }
  bool filteredByTap() const { return tapped_ && equalizerFilters(layout_, channels()); }

 private:
  struct Span {  // part of a ring slot that goes into the current block
    BlockRing::Slot* slot;
    int64_t offset, frames;
  };
  static int64_t readyForResampler(void* self, int64_t frames, bool* endsThere) noexcept;
  static int64_t renderForResampler(void* self, float* out, int64_t frames, bool* ended) noexcept;
  int64_t renderBlock(float* out, int64_t frames, bool* ended) noexcept;
  size_t gatherSpans(int64_t wanted, int64_t* frames, bool* endsThere) noexcept;
  void advance(int64_t frames) noexcept;
  OSStatus fillFromSource(CMItemCount frames, AudioBufferList* buffers, CMItemCount* framesOut);
  void resetBufferList(int64_t frames) noexcept;
  void gatherOutput(float* out, int64_t frames) const noexcept;

  std::string path_;
  std::unique_ptr<TrackStream> stream_;
  Ref<NSObject> queueItem_;
  MTAudioProcessingTapRef tap_;
  bool tapped_;
  SampleLayout layout_;
  int64_t maxBlockFrames_;
  std::unique_ptr<Resampler> resampler_;
  CompareStage* compare_ = nullptr;
  std::unique_ptr<CompareLoudness> compareLoudness_;
  double playRate_ = 0;  // what playAtRate() was given

  // The buffers handed to the tap: one per channel, or one interleaved.
  std::vector<std::vector<float>> storage_;
  std::unique_ptr<unsigned char[]> listBytes_;
  AudioBufferList* list_ = nullptr;

  // Audio thread only.
  std::vector<float> joined_;   // a block that spans two ring slots, made contiguous
  const float* source_ = nullptr;  // the current block's input, interleaved
  int64_t sourceFrames_ = 0;
  std::array<Span, 2> spans_{};
  int64_t slotOffset_ = 0;      // frames of the front slot already played
  bool endReached_ = false;

  std::atomic<int64_t> rendered_{0};
  std::atomic<int64_t> position_{0};
  std::atomic<bool> done_{false};
  bool prepared_ = false;
  bool finished_ = false;
};

}  // namespace host
