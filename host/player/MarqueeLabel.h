// A one-line label for a text that may be wider than the label, as the phone's Now Playing titles
// are: a text that fits is drawn as a label draws it; a wider one waits, scrolls left until its
// second copy (a gap behind it) stands where it began, and waits again, over and over. Where it
// stands follows the main run loop's clock alone (the media clock when rendering offline), so
// a scripted session's screenshots repeat. It asks to be drawn only while it moves, and stands
// still at its start while it is not running (when something covers it).
#pragma once

#include <string>

#include "foundation/NSTimer.h"
#include "uikit/UILabel.h"

namespace host {

class MarqueeLabel : public UILabel {
 public:
  static Class runtimeClass();  // "MarqueeLabel", a subclass of "UILabel"
  static constexpr double kPause = 2.0;   // seconds at rest before each pass
  static constexpr double kSpeed = 30.0;  // points a second
  static constexpr double kGap = 40.0;    // points between the text and its copy
  static constexpr double kFrameRate = 30.0;

  MarqueeLabel();
  explicit MarqueeLabel(CGRect frame);
  ~MarqueeLabel() override;

  // Whether the text needs to scroll to be read whole: it is wider than the label.
  bool scrolls() const;
  // Whether it runs: scrolls now, or will after its pause. A text that scrolls but does not
  // run cannot be read whole.
  bool running() const { return running_; }
  void setRunning(bool running);
  // How far the text stands left of its place at rest, in points, now.
  double offset() const;
  // The text's width on one line.
  double textWidth() const;

  void setText(const std::string& text);
  void setFrame(CGRect frame) override;
  void drawRect(CGContext& context, CGRect rect) override;

 private:
  void restart();
  void scheduleNextFrame();

  bool running_ = true;
  double startedAt_ = 0;
  Ref<NSTimer> timer_;
};

}  // namespace host
