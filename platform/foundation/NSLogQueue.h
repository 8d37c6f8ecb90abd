// The log's line queue: a bounded ring that any number of threads fill without a lock and one
// writer at a time empties, in the order the lines took their places.
//
// Each slot carries a sequence number (the bounded queue of D. Vyukov): a writer of a line takes
// a place by advancing the tail with a compare-and-swap, copies its line into that place's slot,
// and publishes it by storing the slot's sequence; the reader takes a slot only once published.
// Taking a place and copying never block, allocate or call the system (except that a line too
// long for a slot is copied to the heap when its writer allows it), so a real-time thread can log.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

class NSLogQueue {
 public:
  static constexpr size_t kCapacity = 256;   // lines; a power of two
  static constexpr size_t kLineBytes = 480;  // text held in the slot itself

  NSLogQueue();
  ~NSLogQueue();
  NSLogQueue(const NSLogQueue&) = delete;
  NSLogQueue& operator=(const NSLogQueue&) = delete;

  // Queues a line. A line longer than kLineBytes is copied to the heap when `mayAllocate`, and
  // cut to kLineBytes otherwise. False when the queue is full; on success `ticket` is the line's
  // place in the order.
  bool tryPush(const char* text, size_t length, bool mayAllocate, uint64_t& ticket);
  // Counts a line that was not queued; the count goes with the next line queued.
  void noteDropped() { dropped_.fetch_add(1, std::memory_order_relaxed); }

  // What a reader is handed: the line, and how many lines were dropped just before it.
  struct Line {
    const char* text;
    size_t length;
    uint64_t droppedBefore;
  };

  // The reader's side; one thread at a time (the caller serialises readers). Hands the oldest
  // line to `write` and frees its place; false when that line is not published yet (or none
  // is queued).
  template <typename Write>
  bool popOne(Write&& write) {
    const uint64_t position = head_.load(std::memory_order_relaxed);
    Slot& slot = slots_[position % kCapacity];
    if (slot.sequence.load(std::memory_order_acquire) != position + 1) return false;
    write(Line{slot.heapText != nullptr ? slot.heapText : slot.text, slot.length, slot.droppedBefore});
    release(slot, position);
    return true;
  }

  // Whether the oldest line is published, so that popOne would hand it out.
  bool oldestIsReady() const;
  // Tickets below this have been handed to a reader.
  uint64_t handedOut() const { return head_.load(std::memory_order_acquire); }
  // Tickets below this have been given to writers.
  uint64_t ticketsGiven() const { return tail_.load(std::memory_order_acquire); }
  bool anyDropped() const { return dropped_.load(std::memory_order_relaxed) != 0; }
  // Lines dropped since the last call and not yet reported with a later line; resets the count.
  uint64_t takeDropped() { return dropped_.exchange(0, std::memory_order_relaxed); }

 private:
  struct Slot {
    std::atomic<uint64_t> sequence{0};
    size_t length = 0;
    uint64_t droppedBefore = 0;
    char* heapText = nullptr;
    char text[kLineBytes];
  };
  void release(Slot& slot, uint64_t position);

  static_assert((kCapacity & (kCapacity - 1)) == 0);
  Slot slots_[kCapacity];
  alignas(64) std::atomic<uint64_t> tail_{0};  // next place a writer takes
  alignas(64) std::atomic<uint64_t> head_{0};  // next place the reader takes
  std::atomic<uint64_t> dropped_{0};
};
