// A bounded single-producer single-consumer queue of audio blocks, lock-free on both ends.
//
// All memory is taken when the ring is made; after that neither end allocates, locks or makes
// a system call, so a real-time audio thread may be either end. A slot goes round in three
// steps: the producer fills and publishes it, the consumer reads (and, with an output area,
// writes what it made of it) and consumes it, then the producer looks at it once more (to
// measure what was played) and recycles it before filling it again.
//
// A thread that is allowed to sleep (never the audio thread) can wait for its peer through a
// Doorbell. The peer rings it only once a mark the sleeper set is reached, so the two ends wake
// each other about twice per ring's worth of blocks, not for every block.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>

#include "host/media/Doorbell.h"
#include "host/media/PopulatedMemory.h"

namespace host {

class BlockRing {
 public:
  struct Slot {
    float* samples = nullptr;  // slotFrames() * channels, interleaved
    float* output = nullptr;   // the same size, or null for a ring made without output areas
    int64_t frames = 0;        // frames filled in
    bool last = false;         // no slot follows in this stream
    const void* tag = nullptr; // whatever the producer wants the consumer to know
  };

  static constexpr uint64_t kNever = std::numeric_limits<uint64_t>::max();
  // The most sample memory a ring takes, whatever the rate, block size and channels: fewer
  // slots than asked when they would take more (never fewer than two).
  static constexpr size_t kMostBytes = size_t(64) << 20;

  BlockRing(size_t slots, int64_t slotFrames, int channels, bool withOutput);
  BlockRing(const BlockRing&) = delete;
  BlockRing& operator=(const BlockRing&) = delete;

  size_t size() const { return slotCount_; }
  int64_t slotFrames() const { return slotFrames_; }
  int channels() const { return channels_; }

  // Producer.
  Slot* slotToFill() noexcept;  // null while the ring is full
  void publish() noexcept;      // the slot from slotToFill() is ready for the consumer
  Slot* slotToRecycle() noexcept;  // the oldest consumed slot not yet recycled, or null
  void recycle() noexcept;
  bool empty() const noexcept;  // nothing published is left unconsumed

  // Consumer.
  Slot* peek(size_t index = 0) noexcept;  // the index-th published unconsumed slot, or null
  void consume() noexcept;                // done with peek(0)

  // Waking. The producer's doorbell is rung when the consumed count reaches the producer's mark;
  // the consumer's when the published count reaches its mark, or a last slot is published. A
  // mark rings once, then waits to be set again. Either doorbell may be null: that end is then
  // never rung and must look by itself.
  void setDoorbells(Doorbell* producer, Doorbell* consumer) {
    producerBell_ = producer;
    consumerBell_ = consumer;
  }
  // Producer, before sleeping: wake me once this many slots past the recycled ones are consumed.
  void wakeProducerAfterConsumed(size_t slots) noexcept;
  // Consumer, before sleeping: wake me once this many slots past the consumed ones are published.
  void wakeConsumerAfterPublished(size_t slots) noexcept;
  // For the producer's readiness test: the consumed count has reached the mark it last set.
  bool producerMarkReached() const noexcept;
  bool canFill() const noexcept;
  bool canRecycle() const noexcept;     // likewise
  size_t published() const noexcept;    // for the consumer's: slots ready to read

  // Both ends, by a thread that holds both (neither peer touches the ring meanwhile): forgets
  // what was published and not consumed. Those slots skip the producer's look at played slots
  // (they were never played) and are free to fill again; recycle what was consumed first.
  void discardUnconsumed() noexcept;

  // Frees the sample memory once neither end will touch the ring again.
  void releaseMemory();

 private:
  Slot& at(uint64_t count) noexcept { return slots_[count % slotCount_]; }

  int64_t slotFrames_;
  int channels_;
  PopulatedFloats memory_;
  std::unique_ptr<Slot[]> slots_;
  size_t slotCount_;
  Doorbell* producerBell_ = nullptr;
  Doorbell* consumerBell_ = nullptr;

  // Counts of slots ever published, consumed and recycled: recycled <= consumed <= published.
  alignas(64) std::atomic<uint64_t> published_{0};
  std::atomic<uint64_t> consumerMark_{kNever};
  alignas(64) std::atomic<uint64_t> consumed_{0};
  std::atomic<uint64_t> producerMark_{kNever};
  uint64_t producerWaitsFor_ = kNever;  // the producer's own copy of its mark
  alignas(64) std::atomic<uint64_t> recycled_{0};
};

// Slots for a ring that holds about `seconds` of audio in blocks of `blockFrames`.
size_t slotsForSeconds(double seconds, double sampleRate, int64_t blockFrames);

}  // namespace host
