// The offline render's writing end: a thread that takes the rendered blocks from a ring, measures
// them for their track and writes them to the WAV file, while the main thread renders the next
// ones. The main thread wakes the writer about twice per ring's worth of blocks; the writer wakes
// the main thread, when it waits for room, as soon as one block is written.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "host/media/BlockRing.h"
#include "host/media/Doorbell.h"

namespace host {

class TrackStream;
class WavFileSink;

class OutputWriter {
 public:
  // The ring holds `aheadSeconds` of blocks. `mainDoorbell`: the main thread sleeps on it while
  // the ring is full.
  OutputWriter(WavFileSink& sink, int channels, double sampleRate, int64_t blockFrames,
               double aheadSeconds, Doorbell& mainDoorbell);
  ~OutputWriter();  // finish()es
  OutputWriter(const OutputWriter&) = delete;
  OutputWriter& operator=(const OutputWriter&) = delete;

  // Main thread: where to render the next block (blockFrames frames), once there is room. Null
  // once a write has failed.
  float* nextBlock();
  // Main thread: the block from nextBlock() holds `frames` frames of `stream`'s track; `last`
  // when the track ends with it (its output measure is then completed). Without a stream (the
  // silence of a pause, or a track whose output is measured where it is decoded) the block is
  // written and measured for no track.
  void write(int64_t frames, TrackStream* stream, bool last);
  // Main thread: waits until everything handed over is written and stops the thread. False with
  // the reason when a write failed.
  bool finish(std::string& error);

  bool failed() const { return failed_.load(std::memory_order_acquire); }

  // Main thread: blocks handed over by write() so far; and whether the first `blocks` of them
  // are done with (measured and written, or passed over after a failed write), so that nothing
  // of their tracks is touched by the writing thread again.
  uint64_t blocksHanded() const { return handed_; }
  bool doneWith(uint64_t blocks) const { return done_.load(std::memory_order_acquire) >= blocks; }

 private:
  void loop();
  bool ready() const;

  WavFileSink& sink_;
  Doorbell& mainDoorbell_;
  BlockRing ring_;
  Doorbell doorbell_;
  std::atomic<bool> closing_{false};
  std::atomic<bool> failed_{false};
  uint64_t handed_ = 0;
  std::atomic<uint64_t> done_{0};
  std::string error_;  // written by the thread before failed_
  bool finished_ = false;
  std::thread thread_;
};

}  // namespace host
