// One track's audio on its way from the file to the player: decoded a block at a time into a
// ring ahead of playback, by a thread that is not the audio thread (the DecodeThread), and
// measured there once played (what went into the tap, and with `measureOutput` also what came out
// of it, which the player leaves beside the input in each slot).
//
// Ends: the producer end (decode, measure, recycle) belongs to the decoding thread while the
// stream is attached to it, and to the main thread otherwise; the consumer end (the ring's
// peek/consume) to whoever plays the track.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "host/media/AudioFileReader.h"
#include "host/media/BlockRing.h"
#include "host/media/SignalAnalysis.h"

namespace host {

class TrackStream {
 public:
  // Opens the file and decodes its first block on the calling thread, so a file that is not
  // audio at all is refused here, before the player makes anything for it. The ring holds about
  // `aheadSeconds` of audio in blocks of `blockFrames`.
  static Outcome<std::unique_ptr<TrackStream>> open(const std::string& path, int64_t blockFrames,
                                                    double aheadSeconds, bool measureOutput);
  TrackStream(const TrackStream&) = delete;
  TrackStream& operator=(const TrackStream&) = delete;

  const AudioFileInfo& info() const { return info_; }
  BlockRing& ring() { return ring_; }

  // Producer end.
  bool hasWork() const noexcept;  // a played block to measure, or a free slot to decode into
  void work();                    // measures played blocks, then decodes into free slots
  // Before the producer sleeps: how far playback must get before there is work worth waking for.
  void wakeProducerAt(size_t consumedSlots) noexcept;
  bool decodingFinished() const noexcept { return decodingFinished_.load(std::memory_order_acquire); }
  // Enough is decoded to start playing without running dry: a quarter of the ring, or all.
  bool bufferedEnough() const noexcept;
  // Producer end: decodes until bufferedEnough(), for a player that must not start dry.
  void decodeUntilBuffered();

  // Both ends, by a thread that holds both (the stream detached from the decoding thread, its
  // player not rendering): decoding starts again at `frame` of the file. What was played is
  // measured first (`playedOfFront` frames of the front slot too); what was decoded ahead is
  // dropped unmeasured, since it never plays. The first block is decoded at once, so a player may
  // go on at the same block boundary. False with the reason when the file cannot go there; the
  // stream is then as it was.
  bool restartAt(int64_t frame, int64_t playedOfFront, std::string& error);

  // Main thread, once no other thread uses the stream: measures what was played and is not
  // measured yet (`partialFrames` of the front slot too, for a track stopped in mid-block),
  // completes the measures and frees the ring's memory.
  void finish(int64_t partialFrames);

  // Once decodingFinished(): the frame of the file where decoding stopped (its end, or the
  // damage), and why it stopped early if it did.
  int64_t framesDecoded() const { return framesDecoded_; }
  const std::string& damage() const { return damage_; }

  // Written by the producer end (and, for the output without `measureOutput`, by whoever writes
  // the played blocks out); read once finish()ed.
  SignalAnalysis& input() { return input_; }
  SignalAnalysis& output() { return output_; }
  bool measuresOutput() const { return measureOutput_; }

 private:
  TrackStream(std::unique_ptr<AudioFileStream> file, size_t slots, int64_t blockFrames,
              bool measureOutput);
  bool decodeOneBlock();
  void measure(const BlockRing::Slot& slot, int64_t frames);
  void measurePlayed(int64_t playedOfFront);

  std::unique_ptr<AudioFileStream> file_;
  AudioFileInfo info_;
  bool measureOutput_;
  BlockRing ring_;
  SignalAnalysis input_, output_;
  int64_t framesDecoded_ = 0;  // the file's position: frames decoded since the last restart and
                               // the frame it restarted at
  std::string damage_;
  std::atomic<bool> decodingFinished_{false};
  bool finished_ = false;
};

}  // namespace host
