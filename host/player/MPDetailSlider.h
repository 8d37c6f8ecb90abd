// The track position slider. Dragging it tells its delegate (the controls view) through the
// detailSliderTracking... messages, with the slider as argument: when the finger takes the thumb,
// when it lets go (or the system takes the touch away).
#pragma once

#include "uikit/UISlider.h"

namespace host {

class MPDetailSlider : public UISlider {
 public:
  static Class runtimeClass();  // "MPDetailSlider", a subclass of "UISlider"
  MPDetailSlider() = default;
  explicit MPDetailSlider(id delegate) : delegate_(delegate) {}

  void beginTracking();   // the listener puts a finger on the thumb
  void endTracking();     // ... and lifts it
  void cancelTracking();  // ... or the system takes the touch away
  bool isScrubbing() const { return scrubbing_; }
  void clearDelegate() { delegate_ = nullptr; }

  bool beginTrackingWithTouch(UITouch* touch, UIEvent* event) override;
  void endTrackingWithTouch(UITouch* touch, UIEvent* event) override;
  void cancelTrackingWithEvent(UIEvent* event) override;

 private:
  id delegate_ = nullptr;  // not retained: the delegate owns the slider
  bool scrubbing_ = false;
};

}  // namespace host
