#include "host/player/MarqueeLabel.h"

#include <cmath>

#include "foundation/NSRunLoop.h"

namespace host {

OBJC_CLASS(MarqueeLabel, UILabel)

namespace {
double clockNow() { return NSRunLoop::mainRunLoop()->currentTime(); }
}  // namespace

MarqueeLabel::MarqueeLabel() { setClipsToBounds(true); }
MarqueeLabel::MarqueeLabel(CGRect frame) : UILabel(frame) { setClipsToBounds(true); }

MarqueeLabel::~MarqueeLabel() {
  if (timer_) timer_->invalidate();
}

double MarqueeLabel::textWidth() const {
  if (text().empty() || font() == nullptr) return 0;
  return CGTextMeasure(text(), font()->cgFont(), 0, CGLineBreak::Clip, 1).width;
}

bool MarqueeLabel::scrolls() const { return textWidth() > bounds().size.width; }

double MarqueeLabel::offset() const {
  if (!running_ || !scrolls()) return 0;
  const double distance = textWidth() + kGap;
  const double cycle = kPause + distance / kSpeed;
  const double into = std::fmod(std::max(0.0, clockNow() - startedAt_), cycle);
  return into < kPause ? 0 : (into - kPause) * kSpeed;
}

void MarqueeLabel::setText(const std::string& text) {
  if (text == this->text()) return;
  UILabel::setText(text);
  restart();
}

void MarqueeLabel::setFrame(CGRect frame) {
  UILabel::setFrame(frame);
  restart();
}

void MarqueeLabel::setRunning(bool running) {
  if (running == running_) return;
  running_ = running;
  restart();
}

// Every change starts a new cycle at rest.
void MarqueeLabel::restart() {
  startedAt_ = clockNow();
  if (timer_) timer_->invalidate();
  timer_ = nullptr;
  setNeedsDisplay();
  scheduleNextFrame();
}

// Frames while it moves; through a pause, one wake-up at its end.
void MarqueeLabel::scheduleNextFrame() {
  if (!running_ || !scrolls()) return;
  const double cycle = kPause + (textWidth() + kGap) / kSpeed;
  const double into = std::fmod(std::max(0.0, clockNow() - startedAt_), cycle);
  const double wait = into < kPause ? kPause - into : 1 / kFrameRate;
  timer_ = NSTimer::scheduledTimerWithTimeInterval(wait, false, [this](NSTimer*) {
    timer_ = nullptr;
    setNeedsDisplay();
    scheduleNextFrame();
  });
}

void MarqueeLabel::drawRect(CGContext& ctx, CGRect rect) {
  if (!scrolls()) {
    UILabel::drawRect(ctx, rect);
    return;
  }
  // The text and its copy at full width, one line, moved left by the offset; the label clips.
  const double width = textWidth(), x = rect.origin.x - offset();
  for (double at : {x, x + width + kGap})
    if (at < rect.origin.x + rect.size.width && at + width > rect.origin.x)
      UILabel::drawText(ctx, text(), CGRectMake(at, rect.origin.y, width, rect.size.height), font(), textColor(),
                        NSTextAlignment::Left, NSLineBreakMode::Clipping, 1);
}

}  // namespace host
