// One track of the queue going through its player item's processing tap, block by block.
//
// Life: made on the main thread with the decoded audio and the queue item (which owns the player
// item, its audio mix and so the tap); prepare() gives the tap its source and stream format; the
// audio thread then calls render() until finished(); finish() unprepares the tap and lets the
// queue item go, which finalizes the tap. Without a tap the audio passes unchanged.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "coreaudio/CoreAudioTypes.h"
#include "host/media/DecodedAudio.h"
#include "host/media/LevelMeter.h"
#include "host/media/StreamFormat.h"
#include "mediatoolbox/MTAudioProcessingTap.h"
#include "objc/NSObject.h"

namespace host {

class TrackPlayback {
 public:
  TrackPlayback(std::string path, DecodedAudio audio, Ref<NSObject> queueItem,
                MTAudioProcessingTapRef tap, SampleLayout layout, int64_t maxBlockFrames);
  ~TrackPlayback();  // finish()es if that has not happened
  TrackPlayback(const TrackPlayback&) = delete;
  TrackPlayback& operator=(const TrackPlayback&) = delete;

  // Main thread, before the first render().
  void prepare();

  // Audio thread. Asks the tap for min(frames, max block, frames left) frames and writes them,
  // channels interleaved, to `out`. Returns the frames written; 0 once the track has ended.
  // `ended` tells whether that was the last block: once it is, the main thread may finish and
  // destroy the track at any moment, so the caller must not touch it again.
  // Allocates nothing, takes no lock.
  int64_t render(float* out, int64_t frames, bool* ended = nullptr) noexcept;

  // Any thread: true once render() has delivered the last frame (release/acquire ordered, so
  // the main thread may then finish() a track the audio thread has let go of).
  bool finished() const noexcept;
  int64_t framesLeft() const noexcept;

  // Main thread, after the last render(): unprepares the tap and releases the queue item.
  void finish();

  const std::string& path() const { return path_; }
  double sampleRate() const { return audio_.sampleRate; }
  int channels() const { return audio_.channels; }
  int64_t frames() const { return audio_.frames; }
  bool hasTap() const { return tapped_; }  // played through a tap (also after finish())
  // Read after finished().
  const LevelMeter& inputLevels() const { return input_; }
  const LevelMeter& outputLevels() const { return output_; }

 private:
  OSStatus fillFromSource(CMItemCount frames, AudioBufferList* buffers, CMItemCount* framesOut);
  void resetBufferList(int64_t frames) noexcept;
  void gatherOutput(float* out, int64_t frames) const noexcept;

  std::string path_;
  DecodedAudio audio_;
  Ref<NSObject> queueItem_;
  MTAudioProcessingTapRef tap_;
  bool tapped_;
  SampleLayout layout_;
  int64_t maxBlockFrames_;

  // The buffers handed to the tap: one per channel, or one interleaved.
  std::vector<std::vector<float>> storage_;
  std::unique_ptr<unsigned char[]> listBytes_;
  AudioBufferList* list_ = nullptr;

  int64_t blockStart_ = 0;  // audio thread only
  std::atomic<int64_t> rendered_{0};
  bool prepared_ = false;
  bool finished_ = false;
  LevelMeter input_, output_;
};

}  // namespace host
