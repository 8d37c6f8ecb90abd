#include "host/media/OutputWriter.h"

#include <algorithm>

#include "host/media/BackgroundWork.h"
#include "host/media/TrackStream.h"
#include "host/media/WavFileSink.h"

namespace host {

OutputWriter::OutputWriter(WavFileSink& sink, int channels, double sampleRate,
                           int64_t blockFrames, double aheadSeconds, Doorbell& mainDoorbell)
    : sink_(sink),
      mainDoorbell_(mainDoorbell),
      ring_(slotsForSeconds(aheadSeconds, sampleRate, blockFrames), blockFrames, channels,
            false) {
  ring_.setDoorbells(&mainDoorbell_, &doorbell_);
  thread_ = std::thread([this] { loop(); });
}

OutputWriter::~OutputWriter() {
  std::string error;
  finish(error);
}

float* OutputWriter::nextBlock() {
  for (;;) {
    if (failed()) return nullptr;
    while (ring_.slotToRecycle()) ring_.recycle();
    if (BlockRing::Slot* slot = ring_.slotToFill()) return slot->samples;
    // The main thread goes on as soon as one slot is free; the writer is woken every half ring.
    ring_.wakeProducerAfterConsumed(1);
    mainDoorbell_.wait([this] { return ring_.producerMarkReached() || failed(); });
  }
}

void OutputWriter::write(int64_t frames, TrackStream* stream, bool last) {
  BlockRing::Slot* slot = ring_.slotToFill();
  slot->frames = frames;
  slot->tag = stream;
  slot->last = last;
  ring_.publish();
  ++handed_;
}

bool OutputWriter::finish(std::string& error) {
  if (!finished_) {
    finished_ = true;
    closing_.store(true, std::memory_order_seq_cst);
    doorbell_.ring();
    thread_.join();
  }
  if (!failed()) return true;
  error = error_;
  return false;
}

bool OutputWriter::ready() const {
  return closing_.load(std::memory_order_seq_cst) || ring_.published() >= ring_.size() / 2;
}

void OutputWriter::loop() {
  markAsBackgroundWork();
  for (;;) {
    BlockRing::Slot* slot = ring_.peek(0);
    if (!slot) {
      if (closing_.load(std::memory_order_seq_cst)) {
        if (!ring_.peek(0)) return;  // closing_ is set after the last block is published
        continue;
      }
      ring_.wakeConsumerAfterPublished(std::max<size_t>(1, ring_.size() / 2));
      doorbell_.wait([this] { return ready(); });
      continue;
    }
    if (!failed()) {
      if (auto* stream = const_cast<TrackStream*>(static_cast<const TrackStream*>(slot->tag))) {
        stream->output().add(slot->samples, slot->frames);
        if (slot->last) stream->output().finish();
      }
      std::string error;
      if (!sink_.write(slot->samples, slot->frames, error)) {
        error_ = error;
        failed_.store(true, std::memory_order_release);
        mainDoorbell_.ring();
      }
    }
    ring_.consume();
    done_.fetch_add(1, std::memory_order_release);
  }
}

}  // namespace host
