#include "host/media/TrackStream.h"

#include <algorithm>

namespace host {

Outcome<std::unique_ptr<TrackStream>> TrackStream::open(const std::string& path,
                                                        int64_t blockFrames, double aheadSeconds,
                                                        bool measureOutput) {
  Outcome<std::unique_ptr<TrackStream>> out;
  Outcome<std::unique_ptr<AudioFileStream>> file = AudioFileStream::open(path);
  if (!file) {
    out.error = file.error;
    return out;
  }
  const size_t slots = slotsForSeconds(aheadSeconds, (*file.value)->info().sampleRate, blockFrames);
  std::unique_ptr<TrackStream> stream(
      new TrackStream(std::move(*file.value), slots, blockFrames, measureOutput));
  stream->decodeOneBlock();
  if (stream->framesDecoded_ == 0) {
    out.error = stream->damage_.empty() ? "no audio frames could be decoded" : stream->damage_;
    return out;
  }
  out.value = std::move(stream);
  return out;
}

TrackStream::TrackStream(std::unique_ptr<AudioFileStream> file, size_t slots, int64_t blockFrames,
                         bool measureOutput)
    : file_(std::move(file)),
      info_(file_->info()),
      measureOutput_(measureOutput),
      ring_(slots, blockFrames, info_.channels, measureOutput),
      input_(info_.channels, info_.sampleRate),
      output_(info_.channels, info_.sampleRate) {}

bool TrackStream::hasWork() const noexcept {
  return ring_.canRecycle() || (!decodingFinished() && ring_.canFill());
}

bool TrackStream::bufferedEnough() const noexcept {
  return decodingFinished() || ring_.published() >= std::max<size_t>(1, ring_.size() / 4);
}

void TrackStream::work() {
  measurePlayed(0);
  while (!decodingFinished() && decodeOneBlock()) {
  }
}

void TrackStream::decodeUntilBuffered() {
  while (!bufferedEnough() && decodeOneBlock()) {
  }
}

bool TrackStream::restartAt(int64_t frame, int64_t playedOfFront, std::string& error) {
  if (!file_->seek(frame, error)) return false;
  measurePlayed(playedOfFront);
  ring_.discardUnconsumed();
  framesDecoded_ = frame;
  damage_.clear();
  decodingFinished_.store(false, std::memory_order_release);
  decodeOneBlock();
  return true;
}

void TrackStream::wakeProducerAt(size_t consumedSlots) noexcept {
  ring_.wakeProducerAfterConsumed(decodingFinished() ? BlockRing::kNever : consumedSlots);
}

// Fills one free slot. A block shorter than a slot (or empty) ends the stream: the file is at
// its end, or damaged there.
bool TrackStream::decodeOneBlock() {
  BlockRing::Slot* slot = ring_.slotToFill();
  if (!slot) return false;
  const int64_t got = file_->read(slot->samples, ring_.slotFrames());
  framesDecoded_ += got;
  const bool last = got < ring_.slotFrames();
  slot->frames = got;
  slot->last = last;
  // The file stays open at its end: a seek may take decoding back.
  if (last && file_->failed()) damage_ = file_->error();
  ring_.publish();
  if (last) decodingFinished_.store(true, std::memory_order_release);
  return true;
}

void TrackStream::measure(const BlockRing::Slot& slot, int64_t frames) {
  if (measureOutput_) {
    SignalAnalysis::addBoth(input_, slot.samples, output_, slot.output, frames);
  } else {
    input_.add(slot.samples, frames);
  }
}

// Played slots, then the played part of the front slot when one is given.
void TrackStream::measurePlayed(int64_t playedOfFront) {
  while (BlockRing::Slot* played = ring_.slotToRecycle()) {
    measure(*played, played->frames);
    ring_.recycle();
  }
  if (BlockRing::Slot* front = ring_.peek(0); front && playedOfFront > 0)
    measure(*front, std::min(playedOfFront, front->frames));
}

void TrackStream::finish(int64_t partialFrames) {
  if (finished_) return;
  finished_ = true;
  measurePlayed(partialFrames);
  input_.finish();
  if (measureOutput_) output_.finish();
  ring_.releaseMemory();
  file_.reset();
}

}  // namespace host
