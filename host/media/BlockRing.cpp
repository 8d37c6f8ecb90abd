#include "host/media/BlockRing.h"

#include <algorithm>
#include <cmath>

namespace host {

BlockRing::BlockRing(size_t slots, int64_t slotFrames, int channels, bool withOutput)
    : slotFrames_(std::max<int64_t>(1, slotFrames)), channels_(std::max(1, channels)) {
  const size_t perSlot = size_t(slotFrames_) * size_t(channels_);
  const size_t areas = withOutput ? 2 : 1;
  // However many slots the seconds ahead would take, at most kMostBytes of them (but two, so
  // that one end fills while the other reads).
  const size_t affordable = std::max<size_t>(2, kMostBytes / (perSlot * areas * sizeof(float)));
  slots = std::min(std::max<size_t>(slots, 1), affordable);
  memory_ = PopulatedFloats(slots * perSlot * areas);
  slots_ = std::make_unique<Slot[]>(slots);
  slotCount_ = slots;
  for (size_t i = 0; i < slots; ++i) {
    slots_[i].samples = memory_.get() + i * perSlot * areas;
    if (withOutput) slots_[i].output = slots_[i].samples + perSlot;
  }
}

BlockRing::Slot* BlockRing::slotToFill() noexcept {
  return canFill() ? &at(published_.load(std::memory_order_relaxed)) : nullptr;
}

void BlockRing::publish() noexcept {
  const uint64_t count = published_.load(std::memory_order_relaxed) + 1;
  const bool last = at(count - 1).last;
  published_.store(count, std::memory_order_seq_cst);
  if (!consumerBell_) return;
  uint64_t mark = consumerMark_.load(std::memory_order_seq_cst);
  if ((last || count >= mark) &&
      (mark == kNever || consumerMark_.compare_exchange_strong(mark, kNever)))
    consumerBell_->ring();
}

BlockRing::Slot* BlockRing::slotToRecycle() noexcept {
  return canRecycle() ? &at(recycled_.load(std::memory_order_relaxed)) : nullptr;
}

void BlockRing::recycle() noexcept {
  recycled_.store(recycled_.load(std::memory_order_relaxed) + 1, std::memory_order_release);
}

bool BlockRing::empty() const noexcept {
  return consumed_.load(std::memory_order_acquire) == published_.load(std::memory_order_relaxed);
}

BlockRing::Slot* BlockRing::peek(size_t index) noexcept {
  const uint64_t wanted = consumed_.load(std::memory_order_relaxed) + index;
  return wanted < published_.load(std::memory_order_acquire) ? &at(wanted) : nullptr;
}

void BlockRing::consume() noexcept {
  const uint64_t count = consumed_.load(std::memory_order_relaxed) + 1;
  consumed_.store(count, std::memory_order_seq_cst);
  if (!producerBell_) return;
  uint64_t mark = producerMark_.load(std::memory_order_seq_cst);
  if (count >= mark && producerMark_.compare_exchange_strong(mark, kNever)) producerBell_->ring();
}

void BlockRing::wakeProducerAfterConsumed(size_t slots) noexcept {
  producerWaitsFor_ = slots == kNever ? kNever : recycled_.load(std::memory_order_relaxed) + slots;
  producerMark_.store(producerWaitsFor_, std::memory_order_seq_cst);
}

void BlockRing::wakeConsumerAfterPublished(size_t slots) noexcept {
  consumerMark_.store(consumed_.load(std::memory_order_relaxed) + slots, std::memory_order_seq_cst);
}

bool BlockRing::producerMarkReached() const noexcept {
  return consumed_.load(std::memory_order_seq_cst) >= producerWaitsFor_;
}

bool BlockRing::canFill() const noexcept {
  return published_.load(std::memory_order_relaxed) - recycled_.load(std::memory_order_relaxed) <
         slotCount_;
}

bool BlockRing::canRecycle() const noexcept {
  return recycled_.load(std::memory_order_relaxed) < consumed_.load(std::memory_order_seq_cst);
}

size_t BlockRing::published() const noexcept {
  return size_t(published_.load(std::memory_order_seq_cst) -
                consumed_.load(std::memory_order_relaxed));
}

void BlockRing::discardUnconsumed() noexcept {
  const uint64_t published = published_.load(std::memory_order_relaxed);
  consumed_.store(published, std::memory_order_seq_cst);
  recycled_.store(published, std::memory_order_release);
  consumerMark_.store(kNever, std::memory_order_seq_cst);  // counted from the old position
}

void BlockRing::releaseMemory() {
  for (size_t i = 0; i < slotCount_; ++i) slots_[i].samples = slots_[i].output = nullptr;
  memory_.reset();
}

size_t slotsForSeconds(double seconds, double sampleRate, int64_t blockFrames) {
  const double blocks = std::ceil(seconds * sampleRate / double(std::max<int64_t>(1, blockFrames)));
  return size_t(std::clamp(blocks, 4.0, 1024.0));
}

}  // namespace host
