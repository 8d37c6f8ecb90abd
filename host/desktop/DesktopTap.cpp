#include "host/desktop/DesktopTap.h"

#include <algorithm>
#include <cstring>

#include "host/media/FlushToZeroScope.h"
#include "host/media/StreamFormat.h"
#include "host/player/PlayerSession.h"
#include "mediatoolbox/MTAudioProcessingTapDriver.h"

namespace host {

namespace {

MTAudioProcessingTapRef tapOfQueueItem(NSObject* item) {
  return PlayerSession::tapOf(PlayerSession::playerItemOf(item));
}

}  // namespace

DesktopTap::DesktopTap(PlayerSession& session, const std::string& standIn, int channels,
                       double rate)
    : DesktopTap(session.makeQueueItem(standIn), nullptr, channels, rate) {}

DesktopTap::DesktopTap(Ref<NSObject> owner, MTAudioProcessingTapRef tap, int channels, double rate)
    : queueItem_(std::move(owner)),
      tap_(tap ? tap : tapOfQueueItem(queueItem_.get())),
      channels_(channels),
      buffer_(size_t(kMaxFrames) * size_t(channels), 0.0f),
      wantedRate_(rate) {
  if (!tap_) return;
  MTAudioProcessingTapSetSource(tap_, [this](CMItemCount frames, AudioBufferList* buffers,
                                             MTAudioProcessingTapFlags* flagsOut,
                                             CMItemCount* framesOut) {
    if (flagsOut) *flagsOut = 0;
    const int64_t n = std::clamp<int64_t>(frames, 0, sourceFrames_);
    const size_t bytes = size_t(n) * size_t(channels_) * sizeof(float);
    if (buffers->mNumberBuffers < 1 || buffers->mBuffers[0].mDataByteSize < bytes) {
      if (framesOut) *framesOut = 0;
      return OSStatus(kAudio_ParamError);
    }
    std::memmove(buffers->mBuffers[0].mData, source_, bytes);
    buffers->mBuffers[0].mDataByteSize = UInt32(bytes);
    if (framesOut) *framesOut = CMItemCount(n);
    return OSStatus(noErr);
  });
  prepareFor(rate);
}

DesktopTap::~DesktopTap() {
  delete nextLoudness_.exchange(nullptr);
  delete doneLoudness_.exchange(nullptr);
  if (tap_) {
    if (preparedRate_.load() > 0) MTAudioProcessingTapUnprepare(tap_);
    MTAudioProcessingTapSetSource(tap_, [](CMItemCount, AudioBufferList*,
                                           MTAudioProcessingTapFlags*, CMItemCount* framesOut) {
      if (framesOut) *framesOut = 0;
      return OSStatus(kAudio_ParamError);
    });
  }
}

void DesktopTap::compareThrough(CompareStage* stage) {
  compare_ = stage;
  measuredRate_ = wantedRate_.load();
  loudness_ = std::make_unique<CompareLoudness>(channels_, measuredRate_);
}

void DesktopTap::measureAt(double rate) {
  delete doneLoudness_.exchange(nullptr, std::memory_order_acquire);
  if (!compare_ || rate == measuredRate_) return;
  measuredRate_ = rate;
  delete nextLoudness_.exchange(new CompareLoudness(channels_, rate), std::memory_order_acq_rel);
}

void DesktopTap::prepareFor(double rate) noexcept {
  MTAudioProcessingTapPrepare(tap_, CMItemCount(kMaxFrames),
                              floatStreamDescription(rate, channels_, SampleLayout::Interleaved));
  preparedRate_.store(rate, std::memory_order_relaxed);
}

void DesktopTap::process(const float* in, float* out, int64_t frames) noexcept {
  const size_t ch = size_t(channels_);
  if (!tap_) {
    if (out != in) std::memmove(out, in, size_t(frames) * ch * sizeof(float));
    return;
  }
  FlushToZeroScope audioThreadMode;
  if (const double rate = wantedRate_.load(std::memory_order_relaxed);
      rate > 0 && rate != preparedRate_.load(std::memory_order_relaxed))
    prepareFor(rate);  // a new rate is a new stream for the equalizer
  // A measure for a new rate comes in; the old one goes back, to be freed off this thread.
  if (nextLoudness_.load(std::memory_order_relaxed) && !doneLoudness_.load(std::memory_order_acquire))
    if (CompareLoudness* next = nextLoudness_.exchange(nullptr, std::memory_order_acquire)) {
      doneLoudness_.store(loudness_.release(), std::memory_order_release);
      loudness_.reset(next);
    }
  while (frames > 0) {
    const int64_t n = std::min(frames, kMaxFrames);
    source_ = in;
    sourceFrames_ = n;
    const size_t count = size_t(n) * ch;
    std::memset(buffer_.data(), 0, count * sizeof(float));
    list_.mNumberBuffers = 1;
    list_.mBuffers[0] = AudioBuffer{UInt32(ch), UInt32(count * sizeof(float)), buffer_.data()};
    CMItemCount delivered = 0;
    MTAudioProcessingTapFlags flags = 0;
    MTAudioProcessingTapProcess(tap_, CMItemCount(n), &list_, &delivered, &flags);
    if (compare_)  // `in` is still the tap's input: `out` is written only below
      compare_->process(in, buffer_.data(), n, int(ch), preparedRate_.load(std::memory_order_relaxed),
                        loudness_.get());
    std::memcpy(out, buffer_.data(), count * sizeof(float));
    in += count;
    out += count;
    frames -= n;
  }
}

}  // namespace host
